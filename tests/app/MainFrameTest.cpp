// The main frame: options, state icons, tray commands, context menu, help and its 4:3 shape.

#include "FrameFixture.h"

#include <resources/CommandIds.h>

#include <user/NonClient.h>

namespace {

using MainFrame = FrameTest;

TEST_F(MainFrame, StateIconsFollowTheActivityState)
{
    struct Case {
        LONG state;
        UINT big, small;
    };
    const Case cases[] = {
        { ActivityRecording, IDI_RECORDING, IDI_RECORDING_SMALL },
        { ActivityTv, IDI_TV, IDI_TV_SMALL },
        { ActivityIdle, IDI_IDLE, IDI_IDLE_SMALL },
        { ActivityPlaying, IDI_TV, IDI_TV_SMALL },
    };
    Settings.TrayIcon = 1;
    open_frame();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Settings.ActivityState = c.state;
        shell::clear_tray_calls();
        EXPECT_EQ(SendMessageA(window, WM_UPDATESTATEICON, 0, 0), 0);
        EXPECT_EQ(frame->GetIcon(), icon(c.big));
        EXPECT_EQ(frame->GetIconSm(), icon(c.small));
        EXPECT_EQ(shell::tray_icons().at(0).icon, icon(c.small)) << "the tray shows the small icon";
        EXPECT_EQ(tray_operations(), std::vector<DWORD> { NIM_MODIFY });
    }

    // Without the tray icon only the frame's icons change.
    Settings.TrayIcon = 0;
    frame->ApplyOptions();
    shell::clear_tray_calls();
    Settings.ActivityState = ActivityRecording;
    PostMessageA(window, WM_UPDATESTATEICON, 0, 0);
    pump();
    EXPECT_EQ(frame->GetIconSm(), icon(IDI_RECORDING_SMALL));
    EXPECT_TRUE(shell::tray_calls().empty());
}

TEST_F(MainFrame, StartMinimisedHidesToTheTrayOrMinimisesOncePerProcess)
{
    for (BYTE tray : { 1, 0 }) {
        SCOPED_TRACE(int(tray));
        SDIDecFrame::ResetStartMinimized();
        Settings.StartMinimized = 1;
        Settings.TrayIcon = tray;
        open_frame();
        if (tray) {
            EXPECT_FALSE(IsWindowVisible(window)) << "only the tray icon shows";
            EXPECT_EQ(shell::tray_icons().size(), 1u);
        } else {
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_TRUE(IsIconic(window)) << "minimised to the task bar";
        }

        // The Preferences sheet applies the options again: no second minimised start.
        ShowWindow(window, SW_RESTORE);
        frame->ApplyOptions();
        frame->ApplyOptions();
        pump();
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(IsIconic(window));
        app->SetMainWindow(nullptr);
        delete frame;
        shell::testing::reset();
    }
}

TEST_F(MainFrame, NormalStartStaysShownAndOnTopFollowsTheOption)
{
    Settings.OnTop = 1;
    open_frame();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Settings.OnTop = 0;
    frame->ApplyOptions();
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    char name[32];
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, "Orbivane");
}

TEST_F(MainFrame, TrayMenuPostsToTheClientAndItsTextsFollowTheState)
{
    Settings.TrayIcon = 1;
    open_frame();
    struct Case {
        LONG state;
        BYTE mute;
        UINT choose;
        const char* tv_text;
        const char* mute_text;
        UINT posted;
    };
    const Case cases[] = {
        { ActivityTv, 1, CM_TRAYTV, "TV off", "Unmute", WM_TRAYTV },
        { ActivityIdle, 0, CM_TRAYMUTE, "TV on", "Mute", WM_TRAYMUTE },
        { ActivityRecording, 1, CM_TRAYMUTE, "TV on", "Unmute", WM_TRAYMUTE },
        { ActivityPlaying, 0, CM_TRAYTV, "TV on", "Mute", WM_TRAYTV },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choose);
        Settings.ActivityState = c.state;
        Settings.Mute = c.mute;
        std::string tv, mute;
        user::testing::set_popup_menu_script([&](const user::PopupMenuCall& call) {
            tv = item_text(call.menu, 0);
            mute = item_text(call.menu, 1);
            return c.choose;
        });
        client->received.clear();
        shell::tray_click(window, IDM_TRAYMENU, WM_RBUTTONUP);
        pump();
        EXPECT_EQ(tv, c.tv_text);
        EXPECT_EQ(mute, c.mute_text);
        ASSERT_EQ(client->received.size(), 1u);
        EXPECT_EQ(client->received[0].first, c.posted);
        EXPECT_EQ(client->received[0].second, (std::pair<WPARAM, LPARAM> { 0, 0 }));
    }
}

TEST_F(MainFrame, TrayRestoreAndExit)
{
    Settings.TrayIcon = 1;
    open_frame();
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_FALSE(IsWindowVisible(window));

    UINT choice = CM_TRAYRESTORE;
    user::testing::set_popup_menu_script([&](const user::PopupMenuCall&) { return choice; });
    shell::tray_click(window, IDM_TRAYMENU, WM_RBUTTONUP);
    pump();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));

    choice = CM_TRAYEXIT;
    shell::tray_click(window, IDM_TRAYMENU, WM_RBUTTONUP);
    pump();
    EXPECT_FALSE(IsWindow(window)) << "Exit closes the frame";
    EXPECT_TRUE(shell::tray_icons().empty());
    EXPECT_TRUE(settings_saved());
}

TEST_F(MainFrame, ARefusedCloseKeepsTheIconThatBringsTheWindowBack)
{
    Settings.TrayIcon = 1;
    open_frame();
    client->allow_close = false;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(shell::tray_icons().size(), 1u);

    client->allow_close = true;
    SendMessageA(window, WM_COMMAND, CM_EXIT, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(shell::tray_icons().empty());
}

TEST_F(MainFrame, MaximisedAndTrackingWidthsAreFourThirdsOfTheHeights)
{
    open_frame();
    MINMAXINFO info {};
    info.ptMaxSize = { 1000, 600 };
    info.ptMinTrackSize = { 10, 91 };
    info.ptMaxTrackSize = { 5000, 1201 };
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxSize.x, 800);
    EXPECT_EQ(info.ptMaxSize.y, 600);
    EXPECT_EQ(info.ptMinTrackSize.x, 121);
    EXPECT_EQ(info.ptMinTrackSize.y, 91);
    EXPECT_EQ(info.ptMaxTrackSize.x, 1601);
    EXPECT_EQ(info.ptMaxTrackSize.y, 1201);

    ShowWindow(window, SW_MAXIMIZE);
    RECT r {};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, (r.bottom - r.top) * 4 / 3);
}

TEST_F(MainFrame, ContextMenuItemsInOrder)
{
    open_frame();
    HMENU menu = frame->GetContextMenu();
    struct Item {
        UINT id;
        const char* text;
    };
    const Item items[] = {
        { CM_FULLSCREEN, "Full Screen\tAlt+Enter" }, { CM_FULLWINDOW, "Full Window" },
        { CM_NORMALSCREEN, "Normal Screen" }, { 0, "" },
        { CM_TV, "Tv" }, { CM_TVAUDIOONLY, "TV audio only" }, { CM_CHANNELUP, "Channel &up\tPgUp" },
        { CM_CHANNELDOWN, "Channel &down\tPgDn" },
        { CM_CHANNELS, "&Channels..." }, { CM_ARCHIVES, "VCR archives..." }, { CM_VCRTIMER, "VCR timer..." }, { 0, "" },
        { CM_MUTE, "&Mute\tCtrl+Home" }, { CM_VOLUMEUP, "Volume up\tAlt+Up-cursor" },
        { CM_VOLUMEDOWN, "Volume down\tAlt+Down-cursor" },
        { 0, "" }, { CM_PLAY, "&Play\tCtrl+P" }, { CM_STOP, "&Stop\tCtrl+S" }, { CM_TOGGLEPLAY, "Toggle play\tSpace" },
        { CM_SKIPFORWARD, "Skip &forward\tRight-cursor" }, { CM_SKIPBACKWARD, "Skip &backward\tLeft-cursor" },
        { CM_RECORD, "&Record\tCtrl+R" },
        { CM_RECORDAUDIO, "Record &audio" }, { 0, "" }, { CM_ABOUT, "&About..." },
    };
    ASSERT_EQ(GetMenuItemCount(menu), int(std::size(items)));
    for (int i = 0; i < int(std::size(items)); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(GetMenuItemID(menu, i), items[i].id);
        EXPECT_EQ(item_text(menu, i), items[i].text);
        if (!items[i].id) {
            EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR);
        }
    }
}

TEST_F(MainFrame, ContextMenuOpensOverTheClientAtSignedPointsOrAtTheClientFromTheKeyboard)
{
    open_frame();
    HWND client_window = client->GetHandle();
    POINT corner { 0, 0 };
    ClientToScreen(client_window, &corner);
    SetCursorPos(40, 30);

    struct Case {
        HWND target;
        LPARAM point;
        bool shown;
        int x, y;
    };
    const Case cases[] = {
        { client_window, MAKELPARAM(300, 250), true, 300, 250 },
        { client_window, MAKELPARAM(-1280, -20), true, -1280, -20 }, // a monitor left of and above the primary
        { client_window, LPARAM(-1), true, corner.x, corner.y },     // the menu key
        { client_window, MAKELPARAM(-1, -1), true, corner.x, corner.y },
        { window, MAKELPARAM(300, 250), false, 0, 0 },               // the frame itself: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.point);
        user::testing::reset();
        user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return 0u; });
        // The client passes its right click up to the frame.
        EXPECT_EQ(SendMessageA(client_window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c.target), c.point), 0);
        auto shown = user::testing::popup_menu_journal();
        ASSERT_EQ(shown.size(), c.shown ? 1u : 0u);
        if (!c.shown)
            continue;
        EXPECT_EQ(shown[0].call.menu, frame->GetContextMenu());
        EXPECT_EQ(shown[0].call.owner, window);
        EXPECT_EQ(shown[0].call.x, c.x);
        EXPECT_EQ(shown[0].call.y, c.y);
    }

    // A right press on the frame's border opens it at the cursor.
    user::testing::reset();
    SendMessageA(window, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(40, 30));
    auto shown = user::testing::popup_menu_journal();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].call.x, 40);
    EXPECT_EQ(shown[0].call.y, 30);
}

TEST_F(MainFrame, ContextMenuCommandsTakeTheUsualRoute)
{
    open_frame();
    bool about = false;
    app->OnCommand(CM_ABOUT, [&] { about = true; });
    user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return UINT(CM_ABOUT); });
    SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(client->GetHandle()), MAKELPARAM(10, 10));
    pump();
    EXPECT_TRUE(about);

    // The tray's About item asks for the same command.
    about = false;
    Settings.TrayIcon = 1;
    frame->ApplyOptions();
    user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return CM_TRAYABOUT; });
    shell::tray_click(window, IDM_TRAYMENU, WM_RBUTTONUP);
    pump();
    EXPECT_TRUE(about);
}

TEST_F(MainFrame, HelpShowsThePopupOfTheControlOrMenuItem)
{
    open_frame();
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 40, 20, window, reinterpret_cast<HMENU>(1805), nullptr,
        nullptr);
    ASSERT_NE(edit, nullptr);
    struct Case {
        int type;
        int ctrl_id;
        HANDLE item;
        UINT popup;
    };
    const Case cases[] = {
        { HELPINFO_WINDOW, 77, edit, 1805 },  // a window: its control id
        { HELPINFO_MENUITEM, CM_TV, nullptr, CM_TV },
    };
    for (const Case& c : cases) {
        shell::testing::clear_help_journal();
        HELPINFO info { sizeof(HELPINFO), c.type, c.ctrl_id, c.item, 0, { 0, 0 } };
        EXPECT_EQ(SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), 0);
        auto help = shell::testing::help_journal();
        ASSERT_EQ(help.size(), 1u);
        EXPECT_EQ(help[0].window, window);
        EXPECT_EQ(help[0].file, PopupTextPath);
        EXPECT_EQ(help[0].command, UINT(HH_DISPLAY_TEXT_POPUP));
        ASSERT_TRUE(help[0].popup);
        EXPECT_EQ(help[0].popup->idString, c.popup);
        EXPECT_EQ(help[0].popup->clrBackground, COLORREF(0xD0FFFF));
    }
}

}
