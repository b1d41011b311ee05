#include "BarFixture.h"

#include <resources/CommandIds.h>

#include <sim/CaptureCard.h>

#include <cstring>

namespace {

using namespace client_test;

int height_of(HWND window)
{
    RECT r {};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

int width_of(HWND window)
{
    RECT r {};
    GetWindowRect(window, &r);
    return r.right - r.left;
}

// The frame's height less the client's: caption, menu, bars and borders.
int extra_of(HWND frame, HWND client)
{
    RECT c {};
    GetClientRect(client, &c);
    return height_of(frame) - c.bottom;
}

TEST_F(BarTest, TheFrameIsMadeTallEnoughForA4To3PictureAtItsWidth)
{
    Settings.Shrink = 0;
    open_with_bars(640, 300);
    HWND main = frame->GetHandle();
    for (int width : { 640, 400, 333 }) {
        SetWindowPos(main, nullptr, 0, 0, width, 300, SWP_NOMOVE | SWP_NOZORDER);
        int extra = extra_of(main, bars->GetHandle());
        SendMessageA(bars->GetHandle(), WM_VIDEOLAYOUT, 0, 0);
        EXPECT_EQ(height_of(main), width * 3 / 4 + extra) << width;
        EXPECT_EQ(width_of(main), width);
    }
    ShowWindow(main, SW_MINIMIZE);
    int minimised = height_of(main);
    SendMessageA(bars->GetHandle(), WM_VIDEOLAYOUT, 0, 0);
    EXPECT_EQ(height_of(main), minimised) << "nothing while minimised";
}

TEST_F(BarTest, WithShrinkTheFrameKeepsOnlyItsBarsWhileNoPictureIsShown)
{
    Settings.Shrink = 1;
    open_with_bars(640, 570);
    HWND main = frame->GetHandle();
    int extra = extra_of(main, bars->GetHandle());
    EXPECT_EQ(height_of(main), extra) << "TV off at the start: only the bars remain";
    command(1800);
    ASSERT_NE(Tv, nullptr);
    EXPECT_EQ(height_of(main), 570) << "the height it had";

    SetWindowPos(main, nullptr, 0, 0, 640, 500, SWP_NOMOVE | SWP_NOZORDER);
    command(1800);
    EXPECT_EQ(height_of(main), extra);
    command(1800);
    EXPECT_EQ(height_of(main), 500) << "the height before shrinking comes back";
    command(1827);
    command(1827);
    EXPECT_EQ(height_of(main), extra) << "sound only shows no picture";
}

TEST_F(BarTest, SizingKeepsTheRatioOrTheBarsHeight)
{
    open_with_bars();
    int extra = extra_of(frame->GetHandle(), bars->GetHandle());
    struct Case {
        const char* what;
        bool ratio;
        bool shrunk;
        UINT edge;
        RECT proposed;
        RECT result;
    };
    const Case cases[] = {
        { "no ratio: as proposed", false, false, WMSZ_RIGHT, { 10, 10, 410, 200 }, { 10, 10, 410, 200 } },
        { "right edge sets the height", true, false, WMSZ_RIGHT, { 10, 10, 410, 200 }, { 10, 10, 410, 10 + 300 + extra } },
        { "bottom-left edge too", true, false, WMSZ_BOTTOMLEFT, { 10, 10, 410, 200 }, { 10, 10, 410, 10 + 300 + extra } },
        { "bottom edge sets the width", true, false, WMSZ_BOTTOM, { 0, 0, 100, 300 + extra }, { 0, 0, 400, 300 + extra } },
        { "top-left moves the left edge", true, false, WMSZ_TOPLEFT, { 0, 0, 500, 300 + extra }, { 100, 0, 500, 300 + extra } },
        { "10 pixels high is grown to 30 first", true, false, WMSZ_TOP, { 0, 0, 200, 10 }, { 0, 0, (30 - extra) * 4 / 3, 30 } },
        { "shrunk: top edge keeps the bars", true, true, WMSZ_TOP, { 0, 0, 300, 400 }, { 0, 400 - extra, 300, 400 } },
        { "shrunk: bottom edge keeps the bars", true, true, WMSZ_BOTTOMRIGHT, { 0, 0, 300, 400 }, { 0, 0, 300, extra } },
        { "shrunk: the width follows", true, true, WMSZ_LEFT, { 0, 0, 300, 400 }, { 0, 0, 300, 400 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings.Ratio = c.ratio;
        Settings.Shrink = c.shrunk;
        RECT r = c.proposed;
        EXPECT_TRUE(SendMessageA(frame->GetHandle(), WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&r)));
        EXPECT_EQ(r.left, c.result.left);
        EXPECT_EQ(r.top, c.result.top);
        EXPECT_EQ(r.right, c.result.right);
        EXPECT_EQ(r.bottom, c.result.bottom);
    }
}

TEST_F(BarTest, ScreenModesSwitchAndReturnWithTheirMenuBarsAndVideo)
{
    Settings.Shrink = 0;
    open_with_bars();
    command(1800);
    ASSERT_NE(Tv, nullptr);
    HWND main = frame->GetHandle();
    HMENU first = GetMenu(main);
    ASSERT_NE(first, nullptr);

    command(CM_FULLWINDOW);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE)) & ~WS_VISIBLE, 0x808C0000u & ~WS_VISIBLE);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(GetMenu(main), nullptr);
    EXPECT_FALSE(IsMenu(first)) << "the menu replaced is destroyed";
    EXPECT_FALSE(IsWindowVisible(bars->m_topBar->GetHandle()));
    EXPECT_FALSE(IsWindowVisible(bars->m_bottomBar->GetHandle()));
    RECT area {};
    GetClientRect(main, &area);
    RECT client = rect_in_parent(bars->GetHandle());
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.bottom, area.bottom) << "the video fills the frame";
    EXPECT_EQ(Tv->GetScreenMode(), 2);
    EXPECT_EQ(bar_enabler(CM_FULLWINDOW), (Enabled { true, true }));
    EXPECT_EQ(bar_enabler(CM_NORMALSCREEN), (Enabled { true, false }));

    command(CM_FULLSCREEN);
    EXPECT_EQ(Tv->GetScreenMode(), 1);
    HMENU second = GetMenu(main);
    EXPECT_NE(second, nullptr);
    EXPECT_TRUE(IsWindowVisible(bars->m_topBar->GetHandle()));
    command(CM_FULLSCREEN);
    EXPECT_FALSE(IsMenu(second)) << "choosing the mode again loads a fresh menu and drops the old one";

    command(CM_NORMALSCREEN);
    EXPECT_EQ(bars->GetScreenMode(), 0);
    EXPECT_EQ(Tv->GetScreenMode(), 0);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE)) & 0x12CF0000u, 0x12CF0000u);
    EXPECT_NE(GetMenu(main), nullptr);
    GetClientRect(main, &area);
    RECT top = rect_in_parent(bars->m_topBar->GetHandle());
    client = rect_in_parent(bars->GetHandle());
    RECT bottom = rect_in_parent(bars->m_bottomBar->GetHandle());
    EXPECT_EQ(top.top, 0);
    EXPECT_EQ(client.top, top.bottom);
    EXPECT_EQ(bottom.top, client.bottom);
    EXPECT_EQ(bottom.bottom, area.bottom);
    EXPECT_EQ(height_of(main), width_of(main) * 3 / 4 + extra_of(main, bars->GetHandle()));

    // Alt+Enter is full screen.
    MSG key { main, WM_SYSKEYDOWN, VK_RETURN, static_cast<LPARAM>(0x20000000), 0, {} };
    ASSERT_TRUE(static_cast<SDIDecFrame*>(frame.get())->PreProcessMsg(key));
    pump();
    EXPECT_EQ(bars->GetScreenMode(), 1);
}

TEST_F(BarTest, RestoringAMinimisedFrameLaysTheVideoOutAgain)
{
    Settings.Shrink = 0;
    open_with_bars();
    HWND main = frame->GetHandle();
    SetWindowPos(main, nullptr, 0, 0, 400, 100, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(main, SW_MINIMIZE);
    pump();
    ShowWindow(main, SW_RESTORE);
    pump();
    EXPECT_EQ(width_of(main), 400);
    EXPECT_EQ(height_of(main), 300 + extra_of(main, bars->GetHandle())) << "WM_VIDEOLAYOUT was posted";

    SetWindowPos(main, nullptr, 0, 0, 400, 100, SWP_NOMOVE | SWP_NOZORDER);
    bars->FrameMinimized(false);
    pump();
    EXPECT_EQ(height_of(main), 100) << "only a restore lays out";
}

TEST_F(BarTest, MinimisingStopsTheBrooktreePreviewButKeepsTheSound)
{
    auto cards = sim::default_machine();
    cards[0].name = u"MSVIDEO: Brooktree Bt848 Capture";
    sim::install_cards(cards);
    std::strcpy(Settings.Tuner, "MSVIDEO: Brooktree Bt848 Capture");
    open_with_bars();
    command(1800);
    ASSERT_NE(Tv, nullptr);
    ASSERT_TRUE(Tv->IsVideoShown());
    bars->FrameMinimized(true);
    EXPECT_FALSE(Tv->IsVideoShown());
    EXPECT_NE(Tv, nullptr) << "TV runs on, audio only";
    bars->FrameMinimized(false);
    pump();
    EXPECT_FALSE(Tv->IsVideoShown()) << "restoring does not show the video again";
}

TEST_F(BarTest, OtherCardsKeepTheirPreviewWhenMinimised)
{
    open_with_bars();
    command(1800);
    ASSERT_NE(Tv, nullptr);
    bars->FrameMinimized(true);
    EXPECT_TRUE(Tv->IsVideoShown());
}

}
