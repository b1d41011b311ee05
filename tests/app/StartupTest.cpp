#include "SettingsFixture.h"

#include <app/App.h>
#include <resources/AboutDialog.h>
#include <owl/PropertySheet.h>
#include <resources/CommandIds.h>
#include <app/CommandLine.h>
#include <app/MainFrame.h>
#include <resources/MainMenu.h>
#include <resources/TrayMenu.h>

#include <base/Process.h>
#include <shell/Testing.h>
#include <user/Testing.h>
#include <user/User.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr const char* RunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

void set_run_entry(HKEY hive)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(hive, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    const char path[] = "C:\\orbivane\\orbivane.exe";
    RegSetValueExA(key, "Orbivane", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof(path));
    RegCloseKey(key);
}

bool has_run_entry(HKEY hive)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, RunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = RegQueryValueExA(key, "Orbivane", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

bool settings_saved(HKEY hive)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

int owl_main(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return OwlMain(static_cast<int>(args.size()), argv.data());
}

struct StartupTest : SettingsTest {
    std::vector<std::string> launched;
    base::Launcher previous;

    void SetUp() override
    {
        SettingsTest::SetUp();
        RegisterMainMenu();
        RegisterMainAccelerators();
        previous = base::set_launcher([this](const std::string& line, UINT) {
            launched.push_back(line);
            return 33u;
        });
    }

    void TearDown() override
    {
        base::set_launcher(previous);
        base::set_os_major_version(6);
        user::testing::reset();
        SettingsTest::TearDown();
    }
};

}

TEST(CommandLine, OptionsAreTwoCharactersReadInOrderAndUStops)
{
    struct Case {
        std::vector<std::string> args;
        bool debug, minimized, uninstall;
    };
    const Case cases[] = {
        { {}, false, false, false },
        { { "-m" }, false, true, false },
        { { "/M" }, false, true, false },
        { { "/d", "-M" }, true, true, false },
        { { "-D", "/u" }, true, false, true },
        { { "/U", "/d", "/m" }, false, false, true },
        { { "/" }, false, false, false },
        { { "-" }, false, false, false },
        { { "/usr/x" }, false, false, false },
        { { "/mnt" }, false, false, false },
        { { "-umd" }, false, false, false },
        { { "m", "d", "/x", "-5" }, false, false, false },
        { { "/home/me/rec.avi", "-m" }, false, true, false },
    };
    for (const Case& c : cases) {
        std::vector<std::string> args { "orbivane" };
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        CommandLineOptions o = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        std::string where = args.size() > 1 ? args[1] : "(none)";
        EXPECT_EQ(o.debug, c.debug) << where;
        EXPECT_EQ(o.minimized, c.minimized) << where;
        EXPECT_EQ(o.uninstall, c.uninstall) << where;
    }
}

TEST_F(StartupTest, OptionURemovesBothRunEntriesAndExitsOneBeforeAnyWindow)
{
    set_run_entry(HKEY_LOCAL_MACHINE);
    set_run_entry(HKEY_CURRENT_USER);
    const std::string desktop_entry = std::string(std::getenv("HOME")) + "/.config/autostart/orbivane.desktop";
    EXPECT_TRUE(std::filesystem::exists(desktop_entry)) << "the desktop starts it at log-on";
    EXPECT_EQ(owl_main({ "orbivane", "-d", "/U", "-m" }), 1);
    EXPECT_FALSE(std::filesystem::exists(desktop_entry));
    EXPECT_TRUE(Settings.DebugMode);
    EXPECT_FALSE(Settings.StartMinimized);
    EXPECT_FALSE(has_run_entry(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(has_run_entry(HKEY_CURRENT_USER));
    EXPECT_EQ(FindWindowA(MainWindowClass, nullptr), nullptr);
    EXPECT_FALSE(settings_saved(HKEY_CURRENT_USER));

    EXPECT_EQ(owl_main({ "orbivane", "-u", "-d" }), 1);  // nothing to remove: still 1
    EXPECT_FALSE(Settings.DebugMode);
}

TEST_F(StartupTest, SecondStartRestoresTheFirstAndExitsZero)
{
    WNDCLASSA wc {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = MainWindowClass;
    RegisterClassA(&wc);
    HWND first = CreateWindowExA(0, MainWindowClass, "Orbivane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, 0,
        CW_USEDEFAULT, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(first, nullptr);
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(first));

    EXPECT_EQ(owl_main({ "orbivane", "/m" }), 0);
    EXPECT_TRUE(Settings.StartMinimized);
    EXPECT_FALSE(IsIconic(first));
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(Settings.AudioFormat, nullptr);  // the second App is gone
    DestroyWindow(first);
    UnregisterClassA(MainWindowClass, nullptr);
}

TEST_F(StartupTest, ApplicationObjectPublishesTheFormatBlockAndHelpPaths)
{
    {
        App app;
        ASSERT_NE(Settings.AudioFormat, nullptr);
        EXPECT_EQ(Settings.AudioFormatSize, 2000);
        for (int i = 0; i < 2040; ++i)
            ASSERT_EQ(Settings.AudioFormat[i], 0) << i;
        std::string help = HelpFilePath;
        ASSERT_GE(help.size(), 13u);
        EXPECT_EQ(help.substr(help.size() - 13), "\\orbivane.chm");
        EXPECT_EQ(std::string(PopupTextPath), help + "::/CSOrbivane.txt");
    }
    EXPECT_EQ(Settings.AudioFormat, nullptr);
}

TEST_F(StartupTest, MainMenuAndAcceleratorsAreRegistered)
{
    HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(IDM_MAINMENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    const char* popups[] = { "&File", "&Control", "&Options", "&Help" };
    const int counts[] = { 7, 24, 11, 4 };
    char text[128];
    for (int i = 0; i < 4; ++i) {
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(text, popups[i]);
        EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, i)), counts[i]) << popups[i];
    }
    struct Item {
        UINT id;
        const char* text;
    };
    for (Item item : { Item { CM_EXIT, "E&xit\tAlt+F4" }, Item { CM_CHANNELUP, "Channel &up\tPgUp" },
             Item { CM_MIXERPLAY, "Mixer Pla&y control...\tCtrl+Shift+P" },
             Item { CM_MMPROPERTIES, "System Multimedia P&roperties..." },
             Item { CM_CAPTUREPINPAGE, "Video Capture &Out..." }, Item { CM_ABOUT, "&About..." },
             Item { CM_VOLUMEDOWN, "Volume down\tAlt+Down-cursor" } }) {
        ASSERT_GT(GetMenuStringA(menu, item.id, text, sizeof(text), MF_BYCOMMAND), 0) << item.id;
        EXPECT_STREQ(text, item.text);
    }
    // CM_ARCHIVES is in both File and Control, with its own text in each.
    GetMenuStringA(GetSubMenu(menu, 1), 9, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "VCR archives...");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 1), 1801u);
    DestroyMenu(menu);

    HACCEL table = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(IDA_MAINACCELERATORS));
    ASSERT_NE(table, nullptr);
    int n = CopyAcceleratorTableA(table, nullptr, 0);
    EXPECT_EQ(n, 20);
    std::vector<ACCEL> entries(static_cast<std::size_t>(n));
    CopyAcceleratorTableA(table, entries.data(), n);
    auto command_of = [&](BYTE virt, WORD key) {
        for (const ACCEL& a : entries) {
            if (a.fVirt == virt && a.key == key)
                return static_cast<int>(a.cmd);
        }
        return 0;
    };
    EXPECT_EQ(command_of(FVIRTKEY, VK_PRIOR), CM_CHANNELUP);
    EXPECT_EQ(command_of(FVIRTKEY | FALT, VK_RETURN), CM_FULLSCREEN);
    EXPECT_EQ(command_of(FVIRTKEY | FCONTROL | FSHIFT, 'P'), CM_MIXERPLAY);
    EXPECT_EQ(command_of(FVIRTKEY | FCONTROL, 'P'), CM_PLAY);
    EXPECT_EQ(command_of(FVIRTKEY | FSHIFT, VK_LEFT), CM_SKIPBACKWARD);
    EXPECT_EQ(command_of(FVIRTKEY | FCONTROL, VK_HOME), CM_MUTE);
    EXPECT_EQ(command_of(FVIRTKEY, VK_SPACE), CM_TOGGLEPLAY);
    int alt_enter = 0;
    for (const ACCEL& a : entries)
        alt_enter += a.key == VK_RETURN;
    EXPECT_EQ(alt_enter, 1);
    DestroyAcceleratorTable(table);
}

TEST_F(StartupTest, MainWindowHonoursSavedGeometryFieldByField)
{
    App app;
    Settings.WindowX = 150;
    Settings.WindowY = 0;
    Settings.WindowW = 0;
    Settings.WindowH = 300;
    app.InitMainWindow();
    OWL::TFrameWindow* frame = app.GetMainWindow();
    ASSERT_TRUE(frame->Create());
    RECT r {};
    GetWindowRect(frame->GetHandle(), &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 300);
    EXPECT_EQ(r.right - r.left, user::kScreenWidth * 5 / 8);  // the system's default width
    char title[32];
    GetWindowTextA(frame->GetHandle(), title, sizeof(title));
    EXPECT_STREQ(title, "Orbivane");
    EXPECT_EQ(FindWindowA("Orbivane", nullptr), frame->GetHandle());
    EXPECT_NE(GetMenu(frame->GetHandle()), nullptr);
}

TEST_F(StartupTest, CommandsFromTheFrameReachTheApplication)
{
    App app;
    app.InitMainWindow();
    HWND frame = app.GetMainWindow()->Create() ? app.GetMainWindow()->GetHandle() : nullptr;
    ASSERT_NE(frame, nullptr);

    // Version 6 and above start the newer tools.
    for (UINT id : { CM_MIXERPLAY, CM_MIXERRECORD, CM_SOUNDVOLUME, CM_MMPROPERTIES })
        SendMessageA(frame, WM_COMMAND, id, 0);
    EXPECT_EQ(launched, (std::vector<std::string> { "sndvol.exe", "control.exe mmsys.cpl,,1", "sndvol.exe -f",
                            "control.exe mmsys.cpl" }));

    // Below 6 a running volume control is raised instead of started.
    launched.clear();
    base::set_os_major_version(5);
    WNDCLASSA wc {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "Volume Control";
    RegisterClassA(&wc);
    HWND tool = CreateWindowExA(0, "Volume Control", "Volume Control", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
        nullptr, nullptr, nullptr);
    SendMessageA(frame, WM_COMMAND, CM_MIXERPLAY, 0);
    EXPECT_TRUE(IsWindowVisible(tool));
    SendMessageA(frame, WM_COMMAND, CM_MIXERRECORD, 0);
    SendMessageA(frame, WM_COMMAND, CM_SOUNDVOLUME, 0);
    EXPECT_EQ(launched, (std::vector<std::string> { "sndvol32.exe /r", "sndvol32.exe /t" }));
    DestroyWindow(tool);
    UnregisterClassA("Volume Control", nullptr);

    shell::testing::clear_help_journal();
    SendMessageA(frame, WM_COMMAND, CM_HELPCONTENTS, 0);
    auto help = shell::testing::help_journal();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].window, frame);
    EXPECT_EQ(help[0].file, HelpFilePath);
    EXPECT_EQ(help[0].command, static_cast<UINT>(HH_DISPLAY_TOPIC));
    EXPECT_EQ(help[0].data, 0u);

    // About, from the Help menu and from the tray, shows the About box over the frame.
    std::vector<HWND> owners;
    user::testing::set_dialog_script(IDD_ABOUT, [&](const user::testing::ModalDialog& d) {
        owners.push_back(d.owner);
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    SendMessageA(frame, WM_COMMAND, CM_ABOUT, 0);
    SendMessageA(frame, WM_COMMAND, CM_TRAYABOUT, 0);
    EXPECT_EQ(owners, (std::vector<HWND> { frame, frame }));

    EXPECT_FALSE(settings_saved(HKEY_CURRENT_USER));
    SendMessageA(frame, WM_COMMAND, CM_SAVESETTINGS, 0);
    EXPECT_TRUE(settings_saved(HKEY_CURRENT_USER));
    EXPECT_TRUE(settings_saved(HKEY_LOCAL_MACHINE));
}

TEST_F(StartupTest, PreferencesShowsThePagesAndSavesAndAppliesEvenWhenCancelled)
{
    App app;
    app.InitMainWindow();
    HWND frame = app.GetMainWindow()->Create() ? app.GetMainWindow()->GetHandle() : nullptr;
    ASSERT_NE(frame, nullptr);
    Settings.DefaultMediaFormat = 3;
    Settings.OnTop = 1; // changed behind the frame's back: the command re-applies it
    EXPECT_FALSE(GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_TOPMOST);
    std::vector<std::string> tabs;
    user::testing::set_dialog_script(OWL::PropertySheetTemplateId, [&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(d.caption, "Options");
        EXPECT_EQ(d.owner, frame);
        HWND tab_control = reinterpret_cast<HWND>(SendMessageA(d.dialog, PSM_GETTABCONTROL, 0, 0));
        for (int i = 0; i < static_cast<int>(SendMessageA(tab_control, TCM_GETITEMCOUNT, 0, 0)); ++i) {
            char text[64] = {};
            TCITEMA item {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tab_control, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            tabs.push_back(text);
        }
        EXPECT_EQ(GetDlgItem(d.dialog, ID_APPLY_NOW), nullptr);
        auto avi_tab = std::find(tabs.begin(), tabs.end(), "AVI/WAV") - tabs.begin();
        SendMessageA(d.dialog, PSM_SETCURSEL, static_cast<WPARAM>(avi_tab), 0);
        HWND avi = reinterpret_cast<HWND>(SendMessageA(d.dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
        user::testing::press_dialog_button(avi, 2105);
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    EXPECT_FALSE(settings_saved(HKEY_CURRENT_USER));
    SendMessageA(frame, WM_COMMAND, CM_PREFERENCES, 0);
    EXPECT_EQ(tabs, (std::vector<std::string> { "TV", "General", "Stations", "AVI/WAV", "Sound device", "File", "WinMedia" }));
    EXPECT_TRUE(settings_saved(HKEY_CURRENT_USER)) << "Cancel still saves";
    EXPECT_TRUE(GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_TOPMOST) << "and re-applies the options";
    EXPECT_EQ(Settings.DefaultMediaFormat, 0) << "the format box acts at once, whatever the sheet returns";
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE format = 9;
    DWORD size = 1;
    EXPECT_EQ(RegQueryValueExA(key, "DefaultMediaFormat", nullptr, nullptr, &format, &size), ERROR_SUCCESS);
    EXPECT_EQ(format, 0);
    RegCloseKey(key);
    Settings.OnTop = 0;
}

TEST_F(StartupTest, CloseSavesSettingsFirstThenEndsTheLoop)
{
    struct ExitApp : App {
        void InitMainWindow() override
        {
            App::InitMainWindow();
            GetMainWindow()->OnMessage(WM_CREATE, [this](WPARAM, LPARAM) {
                PostMessageA(GetMainWindow()->GetHandle(), WM_COMMAND, CM_EXIT, 0);
                return LRESULT(0);
            });
        }
    };
    ExitApp app;
    Settings.Volume = 77;
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.GetMainWindow()->GetHandle(), nullptr);
    ASSERT_TRUE(settings_saved(HKEY_CURRENT_USER));
    restart_and_load();
    EXPECT_EQ(Settings.Volume, 77);
}

TEST_F(StartupTest, RecentFilesAppearInTheFileMenu)
{
    App app;
    app.SaveMenuChoice("/home/me/Videos/news.avi");
    app.InitMainWindow();
    ASSERT_TRUE(app.GetMainWindow()->Create());
    HWND frame = app.GetMainWindow()->GetHandle();
    HMENU file = GetSubMenu(GetMenu(frame), 0);
    SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    ASSERT_EQ(GetMenuItemCount(file), 9);
    char text[128];
    GetMenuStringA(file, 6, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "&1 /home/me/Videos/news.avi");
    EXPECT_EQ(GetMenuItemID(file, 8), CM_EXIT);
    EXPECT_EQ(GetMenuState(file, CM_EXIT, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(file, CM_FILEOPEN, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(file, CM_FILECLOSE, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED)); // no file open
    EXPECT_EQ(app.GetMruMessage(), RegisterWindowMessageA("MRUFILEMESSAGE"));
}
