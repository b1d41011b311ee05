// The notification-area icon of the main frame: its record, add/modify/delete, clicks and menu.

#include "FrameFixture.h"

#include <PlainWindow.h>

#include <gdi/Icons.h>

#include <algorithm>
#include <cstring>

namespace {

using TrayWin = FrameTest;

TEST_F(TrayWin, SetUpAddsTheIconAndTheOptionsKeepOrRemoveIt)
{
    for (BYTE tray : { 1, 0 }) {
        SCOPED_TRACE(int(tray));
        Settings.TrayIcon = tray;
        open_frame();
        const NOTIFYICONDATAA& data = frame->GetIconData();
        EXPECT_EQ(data.cbSize, 88u);
        EXPECT_EQ(data.hWnd, window);
        EXPECT_EQ(data.uID, IDM_TRAYMENU);
        EXPECT_EQ(data.uCallbackMessage, UINT(WM_TRAYNOTIFY));
        EXPECT_STREQ(data.szTip, "Orbivane");
        EXPECT_EQ(frame->GetMinimizeToTray(), tray == 1);

        auto calls = shell::tray_calls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].message, DWORD(NIM_ADD));
        EXPECT_EQ(calls[0].flags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(calls[0].icon, icon(IDI_IDLE_SMALL));
        EXPECT_EQ(calls[1].message, DWORD(tray ? NIM_MODIFY : NIM_DELETE));
        EXPECT_EQ(calls[1].flags, UINT(tray ? NIF_ICON | NIF_TIP : NIF_ICON));
        EXPECT_EQ(shell::tray_icons().size(), tray ? 1u : 0u);

        app->SetMainWindow(nullptr);
        delete frame;
        EXPECT_TRUE(shell::tray_icons().empty()) << "the destructor removes the icon";
        shell::testing::reset();
    }
}

TEST_F(TrayWin, ShowingTwiceAddsThenModifiesAndRemovingTwiceDeletesOnce)
{
    Settings.TrayIcon = 0;
    open_frame();
    shell::clear_tray_calls();

    frame->ShowIcon();
    frame->ShowIcon();
    frame->RemoveIcon();
    frame->RemoveIcon();
    frame->Notify(3); // not an operation: no call
    EXPECT_EQ(tray_operations(), (std::vector<DWORD> { NIM_ADD, NIM_MODIFY, NIM_DELETE }));
    for (const auto& call : shell::tray_calls())
        EXPECT_TRUE(call.result);
    EXPECT_FALSE(frame->IsIconAdded());
}

TEST_F(TrayWin, TipIsCutTo63BytesAndAlwaysTerminated)
{
    Settings.TrayIcon = 1;
    open_frame();
    struct Case {
        std::string tip, shown;
    };
    const Case cases[] = {
        { std::string(70, 'a'), std::string(63, 'a') },
        { std::string(64, 'c'), std::string(63, 'c') },
        { std::string(62, 'b') + "\xC3\xA9", std::string(62, 'b') }, // a character is never split
        { "Orbivane - TV", "Orbivane - TV" },
    };
    for (const Case& c : cases) {
        frame->SetTip(c.tip.c_str());
        const NOTIFYICONDATAA& data = frame->GetIconData();
        ASSERT_NE(std::memchr(data.szTip, 0, sizeof data.szTip), nullptr);
        EXPECT_EQ(std::string(data.szTip), c.shown);
        frame->ShowIcon();
        EXPECT_EQ(shell::tray_icons().at(0).tip, c.shown);
    }
}

TEST_F(TrayWin, RightPressShowsNothingUntilReleaseAndTheMenuIsDestroyedAfter)
{
    Settings.TrayIcon = 1;
    open_frame();
    SetCursorPos(1200, 1000);
    std::vector<std::string> texts;
    UINT default_item = 99;
    user::testing::set_popup_menu_script([&](const user::PopupMenuCall& call) {
        for (int i = 0; i < GetMenuItemCount(call.menu); ++i)
            texts.push_back(item_text(call.menu, i));
        default_item = GetMenuDefaultItem(call.menu, TRUE, 0);
        return 0u;
    });
    std::size_t menus = user::live_menus();

    ASSERT_TRUE(shell::tray_click(window, IDM_TRAYMENU, WM_RBUTTONDOWN));
    pump();
    EXPECT_TRUE(user::testing::popup_menu_journal().empty());

    ASSERT_TRUE(shell::tray_click(window, IDM_TRAYMENU, WM_RBUTTONUP));
    pump();
    auto shown = user::testing::popup_menu_journal();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].call.owner, window);
    EXPECT_EQ(shown[0].call.x, 1200);
    EXPECT_EQ(shown[0].call.y, 1000);
    EXPECT_EQ(texts, (std::vector<std::string> { "TV on", "Mute", "&Restore window", "&About...", "", "E&xit" }));
    EXPECT_EQ(default_item, 0u);
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(user::live_menus(), menus) << "the loaded tray menu is destroyed after use";

    // Other mouse activity on the icon does nothing.
    ASSERT_TRUE(shell::tray_click(window, IDM_TRAYMENU, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(shell::tray_click(window, IDM_TRAYMENU, WM_MOUSEMOVE));
    pump();
    EXPECT_EQ(user::testing::popup_menu_journal().size(), 1u);
}

TEST_F(TrayWin, LeftPressRestoresAHiddenOrMinimisedFrameAtOnce)
{
    Settings.TrayIcon = 1;
    open_frame();
    HWND other = plain_window("other");
    ShowWindow(other, SW_SHOW);
    for (int hide : { SW_HIDE, SW_MINIMIZE }) {
        ShowWindow(window, hide);
        SetForegroundWindow(other);
        ASSERT_EQ(GetForegroundWindow(), other);
        ASSERT_TRUE(shell::tray_click(window, IDM_TRAYMENU, WM_LBUTTONDOWN));
        pump();
        EXPECT_TRUE(IsWindowVisible(window)) << hide;
        EXPECT_FALSE(IsIconic(window)) << hide;
        EXPECT_EQ(GetForegroundWindow(), window) << hide;
        EXPECT_EQ(GetActiveWindow(), window) << hide;
    }
    EXPECT_TRUE(user::testing::popup_menu_journal().empty());
    DestroyWindow(other);
}

TEST_F(TrayWin, MinimiseHidesToTheTrayOnlyWithTheTrayIconOn)
{
    for (BYTE tray : { 1, 0 }) {
        SCOPED_TRACE(int(tray));
        Settings.TrayIcon = tray;
        open_frame();
        SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        pump();
        EXPECT_TRUE(IsIconic(window));
        EXPECT_EQ(IsWindowVisible(window) != FALSE, tray == 0) << "hidden to the tray, else on the task bar";
        EXPECT_EQ(shell::tray_icons().size(), tray ? 1u : 0u);
        app->SetMainWindow(nullptr);
        delete frame;
        shell::testing::reset();
    }
}

TEST_F(TrayWin, SystemCloseWithTheTrayIconClosesAndRemovesIt)
{
    Settings.TrayIcon = 1;
    open_frame();
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(shell::tray_icons().empty());
    auto operations = tray_operations();
    EXPECT_EQ(operations.back(), DWORD(NIM_DELETE));
    EXPECT_EQ(std::count(operations.begin(), operations.end(), DWORD(NIM_DELETE)), 1);
}

TEST_F(TrayWin, AWindowDestroyedWithoutClosingStillTakesItsIconAlong)
{
    Settings.TrayIcon = 1;
    open_frame();
    DestroyWindow(window);
    ASSERT_EQ(shell::tray_icons().size(), 1u);
    app->SetMainWindow(nullptr);
    delete frame;
    EXPECT_TRUE(shell::tray_icons().empty());
}

TEST_F(TrayWin, StateIconsAreDrawnInTwoSizesAndDifferByActivity)
{
    struct Pair {
        UINT big, small;
    };
    std::vector<std::vector<gdi::Pixel>> images;
    for (Pair p : { Pair { IDI_IDLE, IDI_IDLE_SMALL }, Pair { IDI_RECORDING, IDI_RECORDING_SMALL },
             Pair { IDI_TV, IDI_TV_SMALL } }) {
        auto big = gdi::icon_surface(icon(p.big));
        auto small = gdi::icon_surface(icon(p.small));
        ASSERT_TRUE(big && small) << p.big;
        EXPECT_EQ(big->width(), 32);
        EXPECT_EQ(big->height(), 32);
        EXPECT_EQ(small->width(), 16);
        EXPECT_EQ(small->height(), 16);
        EXPECT_EQ(big->pixel(0, 15) >> 24, 0u) << "transparent around the set";
        EXPECT_EQ(big->pixel(16, 16) >> 24, 0xFFu);
        std::vector<gdi::Pixel> pixels;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                pixels.push_back(small->pixel(x, y));
        images.push_back(pixels);
    }
    EXPECT_NE(images[0], images[1]);
    EXPECT_NE(images[1], images[2]);
    EXPECT_NE(images[0], images[2]);
}

}
