#include <app/MySlider.h>
#include <app/VolumeSlider.h>
#include <resources/BarBitmaps.h>

#include <gdi/Resources.h>
#include <user/CommonControls.h>
#include <user/Controls.h>
#include <user/Keyboard.h>
#include <user/Paint.h>
#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

// A parent window that keeps every WM_HSCROLL: (code, position), checking the sender.
struct Parent : OWL::TWindow {
    Parent()
        : OWL::TWindow(nullptr, "sliders")
    {
        OnMessage(WM_HSCROLL, [this](WPARAM w, LPARAM l) {
            senders.push_back(reinterpret_cast<HWND>(l));
            scrolls.emplace_back(LOWORD(w), HIWORD(w));
            return LRESULT(0);
        });
    }
    std::vector<std::pair<int, int>> scrolls;
    std::vector<HWND> senders;
};

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        user::testing::reset();
        RegisterBarBitmaps();
        parent = std::make_unique<Parent>();
        parent->Attr.W = 300;
        parent->Attr.H = 200;
        ASSERT_TRUE(parent->Create());
    }
    void TearDown() override
    {
        parent.reset();
        gdi::clear_images();
        user::testing::reset();
    }

    // A self-drawn slider 100 x 24 over 0..100 with the volume thumb (8 pixels wide).
    VolumeSlider& make(int width = 100)
    {
        auto* slider = new VolumeSlider(parent.get(), 1818, 0, 0, width, 24, IDB_VOLUMETHUMB);
        slider->Create();
        return *slider;
    }

    static void paint(HWND window)
    {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }

    std::unique_ptr<Parent> parent;
};

TEST_F(SliderTest, PositionsMapToPixelsAcrossTheTravel)
{
    VolumeSlider& slider = make();
    // Travel is 100 - 8 - 2 = 90 pixels.
    struct Case {
        int position;
        int x;
    };
    for (Case c : { Case { 0, 1 }, { 50, 46 }, { 100, 91 } }) {
        EXPECT_EQ(slider.PointFromPosition(c.position).x, c.x) << c.position;
        EXPECT_EQ(slider.PositionFromPoint({ c.x, 5 }), c.position) << c.x;
    }
    slider.SetSliderRange(-20, 20, true);
    EXPECT_EQ(slider.GetSpan(), 40);
    slider.SetSliderRange(7, 7, true);
    EXPECT_EQ(slider.GetSpan(), 1) << "an empty range spans 1";
    EXPECT_EQ(slider.PointFromPosition(7).x, 1);
    paint(slider.GetHandle());
}

TEST_F(SliderTest, ANarrowSliderAndATicGapOfNothingAreSafe)
{
    // No wider than its thumb: nowhere to move it, and no division by zero.
    VolumeSlider& narrow = make(8);
    EXPECT_EQ(narrow.PointFromPosition(60).x, 1);
    EXPECT_EQ(narrow.PositionFromPoint({ 5, 5 }), 0);
    SendMessageA(narrow.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 23));
    SendMessageA(narrow.GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(4, 23));
    paint(narrow.GetHandle());

    VolumeSlider& slider = make();
    slider.SetRuler(0, true);
    slider.SetSliderPosition(37, true);
    EXPECT_EQ(slider.GetSliderPosition(), 37) << "no tics to snap to";
    paint(slider.GetHandle()); // draws without looping
    slider.SetRuler(10, true);
    slider.SetSliderPosition(37, true);
    EXPECT_EQ(slider.GetSliderPosition(), 40) << "snapped to a tic";
}

TEST_F(SliderTest, KeysSendTheirCodeForEachRepeatThenEndScroll)
{
    VolumeSlider& slider = make();
    slider.SetRuler(10, false);
    slider.SetSliderPosition(50, true);
    SendMessageA(slider.GetHandle(), WM_KEYDOWN, VK_NEXT, 3);
    using S = std::pair<int, int>;
    EXPECT_EQ(parent->scrolls, (std::vector<S> { { SB_PAGEDOWN, 60 }, { SB_PAGEDOWN, 70 }, { SB_PAGEDOWN, 80 }, { SB_ENDSCROLL, 80 } }));
    EXPECT_EQ(parent->senders.front(), slider.GetHandle());

    struct Case {
        UINT key;
        int code;
        int position;
    };
    for (Case c : { Case { VK_PRIOR, SB_PAGEUP, 70 }, { VK_LEFT, SB_LINEUP, 69 }, { VK_UP, SB_LINEUP, 68 },
             { VK_RIGHT, SB_LINEDOWN, 69 }, { VK_DOWN, SB_LINEDOWN, 70 }, { VK_HOME, SB_TOP, 0 },
             { VK_END, SB_BOTTOM, 100 } }) {
        parent->scrolls.clear();
        SendMessageA(slider.GetHandle(), WM_KEYDOWN, c.key, 1);
        EXPECT_EQ(parent->scrolls, (std::vector<S> { { c.code, c.position }, { SB_ENDSCROLL, c.position } })) << c.key;
    }
    parent->scrolls.clear();
    SendMessageA(slider.GetHandle(), WM_KEYDOWN, 'A', 1);
    EXPECT_TRUE(parent->scrolls.empty()) << "other keys do nothing";
}

TEST_F(SliderTest, ClicksJumpOrPageAndADragTracksTheThumb)
{
    VolumeSlider& slider = make();
    slider.SetRuler(10, false);
    slider.SetSliderPosition(50, true);
    const RECT thumb = slider.GetThumbRect();
    using S = std::pair<int, int>;
    auto press = [&](int x, int y) {
        parent->scrolls.clear();
        SendMessageA(slider.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(slider.GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        return parent->scrolls;
    };
    // Below the thumb is the ruler: the thumb jumps to the clicked position.
    EXPECT_EQ(press(21, thumb.bottom + 2), (std::vector<S> { { SB_THUMBPOSITION, 22 }, { SB_ENDSCROLL, 22 } }));
    const RECT now = slider.GetThumbRect();
    EXPECT_EQ(press(now.right + 20, now.top + 2), (std::vector<S> { { SB_PAGEDOWN, 32 }, { SB_ENDSCROLL, 32 } }));
    const RECT later = slider.GetThumbRect();
    EXPECT_EQ(press(later.left - 5, later.top + 2), (std::vector<S> { { SB_PAGEUP, 22 }, { SB_ENDSCROLL, 22 } }));

    parent->scrolls.clear();
    const RECT grip = slider.GetThumbRect();
    SendMessageA(slider.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grip.left + 3, grip.top + 2));
    EXPECT_TRUE(slider.IsSliding());
    SendMessageA(slider.GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(grip.left + 3 + 9, grip.top + 2));
    SendMessageA(slider.GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(grip.left + 3 + 18, grip.top + 2));
    SendMessageA(slider.GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(grip.left + 3 + 18, grip.top + 2));
    EXPECT_FALSE(slider.IsSliding());
    EXPECT_EQ(parent->scrolls, (std::vector<S> { { OWL::TMySlider::DragStart, 22 }, { SB_THUMBTRACK, 22 },
                                   { SB_THUMBTRACK, 31 }, { SB_THUMBTRACK, 41 }, { SB_THUMBPOSITION, 41 },
                                   { SB_ENDSCROLL, 41 } }));
}

TEST_F(SliderTest, OnlyTheVolumeSliderRefusesTheSystemTrackbar)
{
    VolumeSlider& volume = make();
    char name[64] = {};
    GetClassNameA(volume.GetHandle(), name, sizeof name);
    EXPECT_STREQ(name, "OWL_Slider");
    EXPECT_FALSE(volume.IsNative());

    auto* native = new OWL::TMyHSlider(parent.get(), 1819, 0, 30, 120, 0, IDB_VOLUMETHUMB);
    native->SetSliderRange(0, 50, false);
    native->SetSliderPosition(20, false);
    ASSERT_TRUE(native->Create());
    GetClassNameA(native->GetHandle(), name, sizeof name);
    EXPECT_STREQ(name, TRACKBAR_CLASSA);
    EXPECT_EQ(SendMessageA(native->GetHandle(), TBM_GETRANGEMAX, 0, 0), 50);
    EXPECT_EQ(native->GetSliderPosition(), 20);
    EXPECT_EQ(native->Attr.H, 32) << "height 0 takes 32";
    parent->scrolls.clear();
    SendMessageA(native->GetHandle(), WM_KEYDOWN, VK_RIGHT, 1);
    ASSERT_FALSE(parent->scrolls.empty());
    EXPECT_EQ(parent->scrolls.front().first, SB_LINEDOWN);
    EXPECT_EQ(native->GetSliderPosition(), 21);
}

TEST_F(SliderTest, TheStreamerWritesAndReadsTheFieldsInOrder)
{
    VolumeSlider& slider = make();
    slider.SetSliderRange(5, 45, false);
    slider.SetRuler({ 5, 25, 45 }, false);
    slider.SetSel(10, 20, false);
    slider.SetSliderPosition(30, false);
    OWL::opstream out;
    out << static_cast<const OWL::TStreamableBase&>(slider);
    OWL::ipstream in(out.bytes());
    std::unique_ptr<OWL::TStreamableBase> read(in.ReadObject());
    auto* copy = dynamic_cast<OWL::TMyHSlider*>(read.get());
    ASSERT_NE(copy, nullptr);
    int low = 0, high = 0, start = 0, end = 0;
    copy->GetSliderRange(low, high);
    copy->GetSel(start, end);
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(5, 45));
    EXPECT_EQ(copy->GetSpan(), 40);
    EXPECT_EQ(copy->GetSliderPosition(), 30);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(10, 20));
    EXPECT_FALSE(copy->GetSnap());
    EXPECT_FALSE(copy->IsNative());
    EXPECT_EQ(copy->GetThumbResource(), IDB_VOLUMETHUMB);

    std::vector<BYTE> cut(out.bytes().begin(), out.bytes().end() - 6);
    OWL::ipstream short_stream(cut);
    EXPECT_EQ(short_stream.ReadObject(), nullptr) << "a cut stream builds nothing";
}

}
