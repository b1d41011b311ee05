#include "BarFixture.h"

#include "TempDir.h"

#include <resources/CommandIds.h>

#include <base/Path.h>
#include <base/Text.h>

#include <shell/Help.h>
#include <shell/Testing.h>

namespace {

using namespace client_test;

// What a bar holds: a button (its id and picture), a separator, a text or a control.
struct Expected {
    char kind; // 'b' button, 's' separator, 't' text, 'c' control
    int id;
    UINT bitmap;
};

void expect_gadgets(OWL::TGadgetWindow& bar, const std::vector<Expected>& expected)
{
    const auto& gadgets = bar.GetGadgets();
    ASSERT_EQ(gadgets.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        OWL::TGadget* g = gadgets[i];
        switch (expected[i].kind) {
        case 'b': {
            auto* b = dynamic_cast<OWL::TButtonGadget*>(g);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->GetId(), expected[i].id);
            EXPECT_EQ(b->GetBitmapId(), expected[i].bitmap);
            EXPECT_TRUE(gdi::has_image(MAKEINTRESOURCEA(b->GetBitmapId()))) << "every picture is drawn";
            break;
        }
        case 's': EXPECT_NE(dynamic_cast<OWL::TSeparatorGadget*>(g), nullptr); break;
        case 't':
            EXPECT_NE(dynamic_cast<OWL::TTextGadget*>(g), nullptr);
            EXPECT_EQ(g->GetId(), expected[i].id);
            break;
        case 'c':
            ASSERT_NE(dynamic_cast<OWL::TControlGadget*>(g), nullptr);
            EXPECT_EQ(g->GetId(), expected[i].id);
            EXPECT_EQ(GetParent(static_cast<OWL::TControlGadget*>(g)->GetControl()->GetHandle()), bar.GetHandle());
            break;
        }
    }
}

TEST_F(BarTest, BothBarsCarryEveryGadgetAboveAndBelowTheClient)
{
    open_with_bars();
    ASSERT_NE(bars->m_topBar, nullptr);
    expect_gadgets(*bars->m_topBar,
        { { 'b', 1800, 1916 }, { 'b', 1801, 1901 }, { 'b', 1802, 1902 }, { 's', 0, 0 }, { 'b', 1804, 1907 },
            { 'b', 1803, 1906 }, { 'c', 1805, 0 }, { 't', 1815, 0 }, { 'b', 1816, 1913 }, { 'c', 1818, 0 } });
    expect_gadgets(*bars->m_bottomBar,
        { { 'b', 1808, 1905 }, { 'b', 1806, 1903 }, { 'b', 1807, 1904 }, { 's', 0, 0 }, { 'b', 1811, 1909 },
            { 'b', 1810, 1908 }, { 'c', 1809, 0 }, { 't', 1812, 0 }, { 't', 1813, 0 }, { 't', 1814, 0 } });

    RECT area {};
    GetClientRect(frame->GetHandle(), &area);
    RECT top = rect_in_parent(bars->m_topBar->GetHandle());
    RECT middle = rect_in_parent(bars->GetHandle());
    RECT bottom = rect_in_parent(bars->m_bottomBar->GetHandle());
    EXPECT_EQ(top.top, 0);
    EXPECT_EQ(middle.top, top.bottom);
    EXPECT_EQ(bottom.top, middle.bottom);
    EXPECT_EQ(bottom.bottom, area.bottom);

    // The sliders as the deferred start leaves them.
    int low = 0, high = 0;
    bars->m_positionSlider->GetRange(low, high);
    EXPECT_EQ(high, 1000);
    EXPECT_EQ(bars->m_positionSlider->GetTicGap(), 0);
    bars->m_volumeSlider->GetSliderRange(low, high);
    EXPECT_EQ(high, 100);
    EXPECT_EQ(bars->m_volumeSlider->GetSliderPosition(), Settings.Volume);
    EXPECT_EQ(window_text(client_channel_field()), "5");
}

TEST_F(BarTest, ButtonsSendTheirCommandsAndFollowTheirEnablers)
{
    Settings.ChangeMixer = 0;
    open_with_bars();
    idle();
    struct Case {
        int id;
        bool enabled;
    };
    for (Case c : { Case { 1800, true }, { 1801, true }, { 1802, true }, { 1803, true }, { 1804, true },
             { 1816, false }, { 1806, false }, { 1807, true }, { 1808, true }, { 1810, false }, { 1811, false } }) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(button(c.id).GetEnabled(), c.enabled);
    }

    click(button(1803));
    EXPECT_EQ(bars->GetSelectedChannel(), 6);
    click(button(1804));
    click(button(1804));
    EXPECT_EQ(bars->GetSelectedChannel(), 4);
    EXPECT_EQ(window_text(client_channel_field()), "4");

    click(button(1800));
    ASSERT_NE(Tv, nullptr) << "the TV button turns TV on";
    idle();
    EXPECT_EQ(button(1800).GetBitmapId(), 1900u);
    EXPECT_EQ(button(1800).GetButtonState(), OWL::TButtonGadget::Down);
    click(button(1800));
    EXPECT_EQ(Tv, nullptr);
    idle();
    EXPECT_EQ(button(1800).GetBitmapId(), 1916u);
    EXPECT_EQ(button(1800).GetButtonState(), OWL::TButtonGadget::Up);

    click(button(1816));
    EXPECT_EQ(Settings.Mute, 0) << "a greyed mute button sends nothing";
    Settings.ChangeMixer = 1;
    idle();
    EXPECT_TRUE(button(1816).GetEnabled());
}

TEST_F(BarTest, TheTvAndMuteTogglesShowOneButtonForTheirState)
{
    open_with_bars();
    OWL::TGadgetWindow& top = *bars->m_topBar;
    ASSERT_EQ(buttons(top, 1816).size(), 1u);
    command(1816);
    EXPECT_EQ(Settings.Mute, 1);
    EXPECT_EQ(bars->m_muteToggle->GetState(), 1);
    ASSERT_EQ(buttons(top, 1816).size(), 1u);
    EXPECT_EQ(buttons(top, 1816)[0]->GetBitmapId(), 1912u);
    EXPECT_EQ(buttons(top, 1816)[0]->GetButtonState(), OWL::TButtonGadget::Down) << "state 1 looks pressed";
    command(1816);
    EXPECT_EQ(buttons(top, 1816)[0]->GetBitmapId(), 1913u);

    bars->m_tvToggle->SetState(1);
    bars->m_tvToggle->SetState(1);
    ASSERT_EQ(buttons(top, 1800).size(), 1u) << "set twice, shown once";
    EXPECT_EQ(top.GetGadgets().front(), buttons(top, 1800)[0]) << "in the same place";
    bars->m_tvToggle->Toggle();
    EXPECT_EQ(buttons(top, 1800)[0]->GetBitmapId(), 1916u);
}

TEST_F(BarTest, TheVolumeSliderMovesTheVolumeAndFollowsTheMixer)
{
    Settings.ChangeMixer = 1;
    open_with_bars();
    command(1800);
    ASSERT_NE(bars->GetMixer(), nullptr);
    VolumeSlider& slider = *bars->m_volumeSlider;
    ASSERT_TRUE(IsWindowVisible(slider.GetHandle()));

    // Drag the thumb to the left end.
    const RECT thumb = slider.GetThumbRect();
    SendMessageA(slider.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(thumb.left + 1, thumb.top + 2));
    SendMessageA(slider.GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, thumb.top + 2));
    SendMessageA(slider.GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(0, thumb.top + 2));
    pump();
    EXPECT_EQ(Settings.Volume, 0);
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_VOLUME), 0u);

    // Keys step it.
    SendMessageA(slider.GetHandle(), WM_KEYDOWN, VK_NEXT, 2);
    pump();
    EXPECT_EQ(Settings.Volume, 20) << "two pages of 10";

    // A change in the system mixer moves the thumb.
    DWORD volume = line_in_control(MIXERCONTROL_CONTROLTYPE_VOLUME);
    sound_cards[0]->set_value(volume, { 65535u * 100u / 127u + 1 });
    pump();
    EXPECT_EQ(Settings.Volume, 78);
    EXPECT_EQ(slider.GetSliderPosition(), 78);

    // Without a mixer to change, the slider goes.
    Settings.ChangeMixer = 0;
    bars->ApplyClientOptions();
    EXPECT_FALSE(IsWindowVisible(slider.GetHandle()));
}

TEST_F(BarTest, TypingInTheChannelFieldTunesIt)
{
    open_with_bars();
    command(1800);
    ASSERT_NE(Tv, nullptr);
    HWND field = client_channel_field();
    SetWindowTextA(field, "12");
    pump();
    EXPECT_EQ(bars->GetSelectedChannel(), 12);
    EXPECT_EQ(Tv->GetChannel(), 12);
    SetWindowTextA(field, "L2");
    pump();
    EXPECT_EQ(Tv->GetChannel(), 1);
}

TEST_F(BarTest, ClosingRemovesTheBarsAndNothingTouchesTheirGadgetsAfterwards)
{
    Settings.ChangeMixer = 1;
    open_with_bars();
    command(1800);
    HWND top = bars->m_topBar->GetHandle();
    HWND volume = bars->m_volumeSlider->GetHandle();
    ASSERT_TRUE(bars->CanClose());
    EXPECT_FALSE(IsWindow(top));
    EXPECT_EQ(bars->m_topBar, nullptr);
    RECT area {};
    GetClientRect(frame->GetHandle(), &area);
    EXPECT_EQ(rect_in_parent(bars->GetHandle()).bottom - rect_in_parent(bars->GetHandle()).top, area.bottom)
        << "the client takes the frame";

    // Late work of every kind finds no gadget to write to.
    SendMessageA(bars->GetHandle(), WM_TIMER, TClient::TimerId, 0);
    SendMessageA(bars->GetHandle(), WM_HSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(volume));
    sound_cards[0]->set_value(line_in_control(MIXERCONTROL_CONTROLTYPE_VOLUME), { 1000 });
    command(1816);
    command(1803);
    command(1800);
    EXPECT_EQ(Tv, nullptr);
    frame->IdleAction(0);
    pump();
}

TEST_F(BarTest, ARightClickOnAGadgetShowsItsHelp)
{
    open_with_bars();
    shell::testing::clear_help_journal();
    struct Case {
        const char* what;
        OWL::TGadget* gadget;
        bool help;
    };
    OWL::TGadgetWindow& top = *bars->m_topBar;
    OWL::TGadgetWindow& bottom = *bars->m_bottomBar;
    for (Case c : { Case { "a button", &button(1801), true }, { "the channel field", top.GadgetWithId(1805), true },
             { "the status text", bottom.GadgetWithId(1814), true }, { "past the last gadget", nullptr, false } }) {
        SCOPED_TRACE(c.what);
        shell::testing::clear_help_journal();
        OWL::TGadgetWindow& bar = c.gadget ? *c.gadget->GetGadgetWindow() : bottom;
        POINT at { 0, 0 };
        if (c.gadget)
            at = { (c.gadget->GetBounds().left + c.gadget->GetBounds().right) / 2, c.gadget->GetBounds().top + 2 };
        else {
            RECT r {};
            GetClientRect(bar.GetHandle(), &r);
            at = { r.right - 2, r.bottom - 2 };
        }
        ClientToScreen(bar.GetHandle(), &at);
        SendMessageA(frame->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar.GetHandle()), MAKELPARAM(at.x, at.y));
        auto help = shell::testing::help_journal();
        ASSERT_EQ(help.size(), c.help ? 1u : 0u);
        if (c.help) {
            EXPECT_EQ(help[0].command, UINT(HH_DISPLAY_TEXT_POPUP));
            ASSERT_TRUE(help[0].popup);
            EXPECT_EQ(help[0].popup->idString, static_cast<UINT>(c.gadget->GetId()));
            EXPECT_EQ(help[0].window, frame->GetHandle());
        }
    }
}

TEST_F(BarTest, TheRecordButtonRecordsAndStaysDownUntilStop)
{
    const test_support::TempDir folder_dir("bar-recordings");
    const std::string& folder = folder_dir.path();
    base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, base::to_windows_path(folder));
    Settings.DefaultMediaFormat = 0;
    Settings.ImprovedFilePattern[0] = 0;
    open_with_bars();
    idle();
    click(button(1800));
    ASSERT_NE(Tv, nullptr);
    idle();
    click(button(1808));
    ASSERT_TRUE(Tv->IsRecording());
    EXPECT_EQ(button(1808).GetButtonState(), OWL::TButtonGadget::Down);
    EXPECT_EQ(button(1806).GetButtonState(), OWL::TButtonGadget::Up);
    idle();
    EXPECT_FALSE(button(1800).GetEnabled()) << "no TV off while recording";
    EXPECT_FALSE(button(1803).GetEnabled()) << "nor surfing";
    click(button(1807));
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_EQ(button(1808).GetButtonState(), OWL::TButtonGadget::Up);
    idle();
    EXPECT_TRUE(button(1800).GetEnabled());
}

}
