// The General page: its five check boxes, always-on-top applied at once, and the log-on launch
// kept in the Run key and the desktop's autostart folder through the page and option U.

#include "PreferencesFixture.h"

#include <dialogs/SetApp.h>

#include <shell/Testing.h>

#include <fstream>

namespace {

using namespace dialog_driver;

constexpr const char* run_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class GeneralPageTest : public PreferencesFixture {
protected:
    void SetUp() override
    {
        PreferencesFixture::SetUp();
        Settings.MinimizeOnStart = Settings.OnTop = Settings.TrayIcon = Settings.AlwaysStart = Settings.TaskHide = 0;
    }

    // The Run value "Orbivane" of a hive, or "(none)".
    static std::string run_value(HKEY hive)
    {
        HKEY run = nullptr;
        if (RegOpenKeyExA(hive, run_key, 0, KEY_READ, &run) != ERROR_SUCCESS)
            return "(no key)";
        char text[300] = {};
        DWORD size = sizeof text;
        LONG result = RegQueryValueExA(run, "Orbivane", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
        RegCloseKey(run);
        return result == ERROR_SUCCESS ? text : "(none)";
    }

    std::string entry() const { return home + "/config/autostart/orbivane.desktop"; }

    // Runs the page in a sheet, clicking the boxes given, then OK, and saves the settings.
    void click_and_save(std::initializer_list<int> boxes)
    {
        OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
        new TSetApp(&sheet);
        EXPECT_EQ(run(sheet, [&](HWND s) {
            for (int id : boxes)
                user::testing::press_dialog_button(page_of(s), id);
        }), IDOK);
        HKEY key = settings_key();
        SaveAppSettings(key);
        RegCloseKey(key);
    }
};

TEST_F(GeneralPageTest, ShowsTheFlagsAndOkStoresTheClickedBoxes)
{
    Settings.TrayIcon = 1;
    Settings.TaskHide = 1;
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetApp(&sheet);
    run(sheet, [&](HWND s) {
        HWND p = page_of(s);
        struct Box {
            int id;
            const char* text;
            UINT checked;
        };
        const Box boxes[] = {
            { 301, "&Minimize at boot-launch", BST_UNCHECKED },
            { 302, "&Always on top", BST_UNCHECKED },
            { 303, "Taskbar &tray icon", BST_CHECKED },
            { 305, "&Launch program at system boot", BST_UNCHECKED },
            { 306, "&Hide from taskbar", BST_CHECKED },
        };
        for (const Box& b : boxes) {
            EXPECT_EQ(text(p, b.id), b.text);
            EXPECT_EQ(IsDlgButtonChecked(p, b.id), b.checked) << b.id;
        }
        EXPECT_FALSE(IsWindowVisible(item(p, 306)));
        EXPECT_FALSE(IsWindowEnabled(item(p, 306)));
        user::testing::press_dialog_button(p, 303);
        user::testing::press_dialog_button(p, 301);
        user::testing::press_dialog_button(p, 306); // disabled: no change
    });
    EXPECT_EQ(Settings.TrayIcon, 0);
    EXPECT_EQ(Settings.MinimizeOnStart, 1);
    EXPECT_EQ(Settings.TaskHide, 1);
}

TEST_F(GeneralPageTest, AlwaysOnTopChangesTheMainWindowAtApplyBeforeTheSheetCloses)
{
    OWL::TPropertySheet sheet(frame, "Options", 0, false, 0);
    new TSetApp(&sheet);
    auto top_most = [&] { return (GetWindowLongA(frame->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    run(sheet, [&](HWND s) {
        user::testing::press_dialog_button(page_of(s), 302);
        EXPECT_FALSE(top_most());
        user::testing::press_dialog_button(s, ID_APPLY_NOW);
        EXPECT_TRUE(top_most());
        user::testing::press_dialog_button(page_of(s), 302);
    });
    EXPECT_FALSE(top_most());
    EXPECT_EQ(Settings.OnTop, 0);
}

TEST_F(GeneralPageTest, TheLaunchAtLogOnEntryFollowsTheBoxAndOptionU)
{
    // A new user's first save: the Run key is there, so the value and the desktop entry are written.
    click_and_save({ 305, 301 });
    std::string value = run_value(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(value.ends_with(" -m")) << value;
    EXPECT_GT(value.size(), 3u);
    std::ifstream in(entry());
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Exec="), std::string::npos) << entry();
    EXPECT_NE(text.find(" -m\n"), std::string::npos) << text;

    click_and_save({ 305 });
    EXPECT_EQ(run_value(HKEY_LOCAL_MACHINE), "(none)");
    EXPECT_FALSE(std::filesystem::exists(entry()));

    // Option U removes the value of both hives, even when only one has it.
    click_and_save({ 305 });
    EXPECT_TRUE(std::filesystem::exists(entry()));
    RemoveAutostart();
    EXPECT_EQ(run_value(HKEY_LOCAL_MACHINE), "(none)");
    EXPECT_EQ(run_value(HKEY_CURRENT_USER), "(none)");
    EXPECT_FALSE(std::filesystem::exists(entry()));
}

TEST_F(GeneralPageTest, F1AndTheHelpButtonShowThePagesHelp)
{
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetApp(&sheet);
    run(sheet, [&](HWND s) {
        HWND p = page_of(s);
        key(p, VK_F1, 303);
        key(p, VK_F1, 305);
        user::testing::press_dialog_button(s, IDHELP);
    });
    EXPECT_EQ(popups(), (std::vector<UINT> { 303, 305 }));
    bool context = false;
    for (const auto& call : shell::testing::help_journal())
        context = context || (call.command == HH_HELP_CONTEXT && call.data == 300);
    EXPECT_TRUE(context);
}

}
