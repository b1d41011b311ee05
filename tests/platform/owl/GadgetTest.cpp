#include <owl/ControlBar.h>
#include <owl/DecoratedFrame.h>
#include <owl/Edit.h>
#include <owl/Slider.h>

#include <gdi/Png.h>
#include <gdi/Resources.h>
#include <gdi/Surface.h>
#include <user/CommonControls.h>
#include <user/Controls.h>
#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace OWL;

namespace {

// A gadget that says when it is deleted.
struct Marker : TSeparatorGadget {
    explicit Marker(bool* deleted) : m_deleted(deleted) { }
    ~Marker() override { *m_deleted = true; }
    bool* m_deleted;
};

struct Client : TWindow {
    Client() : TWindow(nullptr) { }
};

class GadgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        user::testing::reset();
        glyph = gdi::encode_png(gdi::Surface(16, 15, 0xFF2040A0u));
        gdi::register_image(1901, glyph.data(), glyph.size());
        gdi::register_image(1902, glyph.data(), glyph.size());
        client = new Client;
        frame = std::make_unique<TDecoratedFrame>(nullptr, "Gadgets", client);
        frame->Attr.W = 400;
        frame->Attr.H = 300;
        ASSERT_TRUE(frame->Create());
        frame->Show(SW_SHOWNORMAL);
    }

    void TearDown() override
    {
        frame.reset();
        gdi::clear_images();
        user::testing::reset();
    }

    static void pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    static RECT rect_in_parent(HWND window)
    {
        RECT r {};
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    static void click(TGadgetWindow& bar, const TGadget& gadget)
    {
        const RECT& b = gadget.GetBounds();
        LPARAM at = MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        SendMessageA(bar.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(bar.GetHandle(), WM_LBUTTONUP, 0, at);
        pump();
    }

    std::vector<BYTE> glyph;
    Client* client = nullptr;
    std::unique_ptr<TDecoratedFrame> frame;
};

TEST_F(GadgetTest, BarsTakeTheirSlotsAboveAndBelowTheClientAndHiddenOnesTakeNone)
{
    auto* top = new TControlBar(frame.get());
    top->Insert(*new TButtonGadget(1901, 1801, TButtonGadget::Command, true));
    auto* bottom = new TControlBar(frame.get());
    bottom->Insert(*new TTextGadget(1814, TGadget::None, TTextGadget::Left, 20));
    frame->Insert(*top, TDecoratedFrame::Top);
    frame->Insert(*bottom, TDecoratedFrame::Bottom);

    RECT area {};
    GetClientRect(frame->GetHandle(), &area);
    int topHeight = top->GetDesiredThickness();
    int bottomHeight = bottom->GetDesiredThickness();
    EXPECT_EQ(topHeight, 15 + 6 + 2 * TGadgetWindow::Margin) << "the button's picture and its edges";
    RECT t = rect_in_parent(top->GetHandle());
    RECT b = rect_in_parent(bottom->GetHandle());
    RECT c = rect_in_parent(client->GetHandle());
    EXPECT_EQ(t.top, 0);
    EXPECT_EQ(t.bottom, topHeight);
    EXPECT_EQ(t.right, area.right);
    EXPECT_EQ(c.top, topHeight);
    EXPECT_EQ(c.bottom, area.bottom - bottomHeight);
    EXPECT_EQ(b.top, area.bottom - bottomHeight);
    EXPECT_EQ(b.bottom, area.bottom);

    top->Show(SW_HIDE);
    bottom->Show(SW_HIDE);
    c = rect_in_parent(client->GetHandle());
    EXPECT_EQ(c.top, 0);
    EXPECT_EQ(c.bottom, area.bottom);

    top->Show(SW_SHOW);
    bottom->Show(SW_SHOW);
    c = rect_in_parent(client->GetHandle());
    EXPECT_EQ(c.top, topHeight);
    EXPECT_EQ(c.bottom, area.bottom - bottomHeight);

    delete bottom;
    frame->Layout();
    EXPECT_EQ(rect_in_parent(client->GetHandle()).bottom, area.bottom) << "a deleted bar leaves its slot";
}

TEST_F(GadgetTest, InsertPlacesGadgetsAndRemoveGivesThemBackUndeleted)
{
    auto* bar = new TControlBar(frame.get());
    frame->Insert(*bar, TDecoratedFrame::Top);
    auto* a = new TButtonGadget(1901, 1, TButtonGadget::Command, true);
    auto* b = new TButtonGadget(1902, 2, TButtonGadget::Command, true);
    auto* c = new TSeparatorGadget;
    bar->Insert(*a);
    bar->Insert(*b, TGadgetWindow::Before, a);
    bar->Insert(*c, TGadgetWindow::After, b);
    bar->LayoutSession();
    EXPECT_EQ(bar->GetGadgets(), (std::vector<TGadget*> { b, c, a }));
    EXPECT_LT(b->GetBounds().right, c->GetBounds().left + 1);
    EXPECT_LT(c->GetBounds().right, a->GetBounds().left + 1);

    bool deleted = false;
    auto* kept = new Marker(&deleted);
    bar->Insert(*kept);
    EXPECT_EQ(bar->Remove(*kept), kept);
    EXPECT_EQ(bar->Remove(*kept), nullptr) << "only once";
    EXPECT_EQ(kept->GetGadgetWindow(), nullptr);
    bool held_deleted = false;
    bar->Insert(*new Marker(&held_deleted));
    delete bar;
    EXPECT_FALSE(deleted) << "a removed gadget is the caller's";
    EXPECT_TRUE(held_deleted) << "the bar deletes what it holds";
    delete kept;
    EXPECT_TRUE(deleted);
}

TEST_F(GadgetTest, ButtonsSendTheirCommandAndFollowTheirEnablersWhenIdle)
{
    std::vector<UINT> sent;
    bool enabled = false;
    bool checked = false;
    client->OnCommand(1801, [&] { sent.push_back(1801); });
    client->OnCommandEnable(1801, [&](TCommandEnabler& ce) {
        ce.Enable(enabled);
        ce.SetCheck(checked ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
    });
    client->OnCommand(1802, [&] { sent.push_back(1802); });
    auto* bar = new TControlBar(frame.get());
    auto* governed = new TButtonGadget(1901, 1801, TButtonGadget::Command, true);
    auto* handled = new TButtonGadget(1902, 1802);
    auto* orphan = new TButtonGadget(1902, 1899, TButtonGadget::Command, true);
    bar->Insert(*governed);
    bar->Insert(*handled);
    bar->Insert(*orphan);
    frame->Insert(*bar, TDecoratedFrame::Top);

    frame->IdleAction(0);
    EXPECT_FALSE(governed->GetEnabled());
    EXPECT_TRUE(handled->GetEnabled()) << "a handler without an enabler enables";
    EXPECT_FALSE(orphan->GetEnabled()) << "neither handler nor enabler greys";
    click(*bar, *governed);
    click(*bar, *orphan);
    EXPECT_TRUE(sent.empty()) << "a greyed button sends nothing";

    enabled = checked = true;
    frame->IdleAction(1);
    EXPECT_TRUE(governed->GetEnabled());
    EXPECT_EQ(governed->GetButtonState(), TButtonGadget::Down);
    click(*bar, *governed);
    click(*bar, *handled);
    EXPECT_EQ(sent, (std::vector<UINT> { 1801, 1802 }));
    checked = false;
    frame->IdleAction(2);
    EXPECT_EQ(governed->GetButtonState(), TButtonGadget::Up);

    // A press released outside the button is no click.
    const RECT& g = governed->GetBounds();
    SendMessageA(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(g.left + 2, g.top + 2));
    SendMessageA(bar->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(g.right + 40, g.top + 2));
    pump();
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(GadgetTest, ControlGadgetsMakeTheirControlsChildrenOfTheBar)
{
    auto* bar = new TControlBar(frame.get());
    std::vector<WPARAM> commands;
    bar->OnMessage(WM_COMMAND, [&](WPARAM w, LPARAM) {
        commands.push_back(w);
        return LRESULT(0);
    });
    auto* field = new TEdit(nullptr, 1805, "", 0, 0, 40, 20);
    auto* slider = new THSlider(nullptr, 1809, 0, 0, 150, 20);
    slider->SetRange(0, 1000);
    slider->SetRuler(0, false);
    slider->SetPosition(250);
    bar->Insert(*new TControlGadget(*field));
    bar->Insert(*new TControlGadget(*slider));
    frame->Insert(*bar, TDecoratedFrame::Top);

    ASSERT_TRUE(field->GetHandle());
    EXPECT_EQ(GetParent(field->GetHandle()), bar->GetHandle());
    EXPECT_EQ(GetParent(slider->GetHandle()), bar->GetHandle());
    RECT r = rect_in_parent(field->GetHandle());
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(r.bottom - r.top, 20);
    EXPECT_EQ(SendMessageA(slider->GetHandle(), TBM_GETRANGEMAX, 0, 0), 1000);
    EXPECT_EQ(slider->GetPosition(), 250) << "a ruler without tics does not snap";

    field->SetText("12");
    EXPECT_NE(std::find(commands.begin(), commands.end(), MAKEWPARAM(1805, EN_CHANGE)), commands.end());

    std::vector<std::pair<int, int>> scrolls;
    bar->OnMessage(WM_HSCROLL, [&](WPARAM w, LPARAM l) {
        EXPECT_EQ(reinterpret_cast<HWND>(l), slider->GetHandle());
        scrolls.emplace_back(LOWORD(w), HIWORD(w));
        return LRESULT(0);
    });
    SendMessageA(slider->GetHandle(), WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(slider->GetPosition(), 251);
    EXPECT_EQ(scrolls.at(0).first, SB_LINEDOWN);
}

}
