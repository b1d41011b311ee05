// The File page with its time estimate and example name, the pattern editor and the folder picker
// opened from it, as a user drives them.

#include "PreferencesFixture.h"

#include <dialogs/DirPick.h>
#include <dialogs/PatternDialog.h>
#include <dialogs/SetAvi.h>
#include <dialogs/SetFile.h>
#include <resources/SettingsPages.h>
#include <settings/FilePattern.h>

#include <base/Clock.h>
#include <base/Path.h>
#include <com/Apartment.h>
#include <comdlg/CommDlg.h>
#include <dshow/FilterGraph.h>
#include <gdi/DeviceContext.h>
#include <gdi/Text.h>
#include <sim/VirtualHardware.h>

#include <cstring>

namespace {

using namespace dialog_driver;

class FilePageTest : public PreferencesFixture {
protected:
    void SetUp() override
    {
        PreferencesFixture::SetUp();
        // Tuesday 8 December 2026, 14:40:05.
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 8, 14, 40, 5));
        setenv("TZ", "UTC", 1);
        folder = base::to_windows_path(home) + "\\Rec\\";
        std::filesystem::create_directories(home + "/Rec/Old");
        Settings.FileSize = 200;
        std::strcpy(Settings.DefaultDirectory, folder.c_str());
        Settings.ImprovedFilePattern[0] = '\0';
        Settings.FileInstanceMode = 0;
    }
    void TearDown() override
    {
        base::Clock::install_real();
        unsetenv("TZ");
        PreferencesFixture::TearDown();
    }

    // Runs the File page with `act`, then OK.
    void run_page(LONG format, const std::function<void(HWND sheet, HWND page)>& act, int button = IDOK)
    {
        LONG copy = format;
        OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
        new TSetFile(&sheet, &copy);
        run(sheet, [&](HWND s) { act(s, page_of(s)); }, button);
    }

    // The boxes shown next get these answers in turn (then IDOK); their texts are kept.
    void answer_boxes(std::vector<int> answers)
    {
        pending = std::move(answers);
        user::testing::set_message_box_responder([this](const user::MessageBoxCall& box) {
            boxes.push_back(box.caption + ": " + box.text);
            if (pending.empty())
                return IDOK;
            int answer = pending.front();
            pending.erase(pending.begin());
            return answer;
        });
    }

    std::vector<int> pending;
    std::string folder;
    std::vector<std::string> boxes;
};

TEST_F(FilePageTest, ShowsTheEstimateAndExampleAndStoresTheSizeAtLeastOne)
{
    run_page(3, [&](HWND, HWND p) {
        EXPECT_EQ(text(p, 1304), "200");
        EXPECT_EQ(text(p, 1307), "19.8 minutes");
        EXPECT_EQ(text(p, 1311), "Event_1.wmv");
        EXPECT_EQ(text(p, 1308), folder);
        retype(p, 1304, "5x0");
        EXPECT_EQ(text(p, 1304), "50") << "the edit admits digits only";
        EXPECT_EQ(text(p, 1307), "5.0 minutes");
        retype(p, 1304, "0");
        EXPECT_EQ(text(p, 1307), "0.0 minutes");
    });
    EXPECT_EQ(Settings.FileSize, 1);
    EXPECT_STREQ(Settings.DefaultDirectory, folder.c_str());
}

// An AVI recording holds the captured picture as well as the sound, so its estimate counts the
// capture pin's format (320 x 240 YUY2 at 25 frames a second: 3,840,000 bytes a second) as well
// as 176,400 of sound; Windows Media counts the sound, and so does AVI from a device not there.
TEST_F(FilePageTest, TheEstimateFollowsTheFormatChosenOnTheAviPageWithThePicturesRate)
{
    CoInitialize(nullptr);
    dshow::register_classes();
    sim::CaptureCard card;
    card.name = u"Small Card";
    card.width = 320;
    card.height = 240;
    card.frames_per_second = 25;
    sim::install_cards({ card });
    std::strcpy(Settings.Tuner, "small card");
    Settings.FileSize = 1000;
    LONG format = 3;
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetAvi(&sheet, &format);
    new TSetFile(&sheet, &format);
    run(sheet, [&](HWND s) {
        SendMessageA(s, PSM_SETCURSEL, 1, 0);
        EXPECT_EQ(text(page_of(s), 1307), "99.1 minutes") << "Windows Media: the sound alone";
        SendMessageA(s, PSM_SETCURSEL, 0, 0);
        user::testing::press_dialog_button(page_of(s), 2105); // AVI/WAV the default format
        SendMessageA(s, PSM_SETCURSEL, 1, 0);
        EXPECT_EQ(text(page_of(s), 1307), "4.4 minutes");
        EXPECT_EQ(text(page_of(s), 1311), "Event_1.avi");
        retype(page_of(s), 1304, "200");
        EXPECT_EQ(text(page_of(s), 1307), "0.9 minutes");
        std::strcpy(Settings.Tuner, "Card no longer installed");
        SendMessageA(s, PSM_SETCURSEL, 0, 0);
        SendMessageA(s, PSM_SETCURSEL, 1, 0);
        EXPECT_EQ(text(page_of(s), 1307), "19.8 minutes");
    });
    EXPECT_EQ(format, 0);
    sim::uninstall_cards();
    CoUninitialize();
}

TEST_F(FilePageTest, ThePatternEditorInsertsCodesAndOkKeepsPatternAndMode)
{
    user::testing::set_dialog_script(IDD_FILE_PATTERN, [&](const user::testing::ModalDialog& d) {
        HWND e = d.dialog;
        EXPECT_EQ(d.caption, "File name pattern");
        EXPECT_EQ(SendMessageA(item(e, 4205), CB_GETCOUNT, 0, 0), 17);
        EXPECT_EQ(text(e, 4205), "Choose format code to add:");
        EXPECT_EQ(IsDlgButtonChecked(e, 4207), BST_CHECKED);
        type(e, 4201, "News.:/*?\\_");
        EXPECT_EQ(text(e, 4201), "News_") << "no dot, colon, slash, star, question mark or backslash";
        user::testing::press_dialog_button(e, 4204);
        EXPECT_EQ(text(e, 4201), "News_") << "the prompt row inserts nothing";
        pick(e, 4205, "%Y Year");
        user::testing::press_dialog_button(e, 4204);
        EXPECT_EQ(text(e, 4201), "News_%Y");
        EXPECT_EQ(text(e, 4203), "Event_News_2026_1.avi");
        user::testing::press_dialog_button(e, 4209);
        EXPECT_EQ(text(e, 4203), "Event_News_2026.avi");
        type(e, 4201, "%q%");
        EXPECT_EQ(text(e, 4203), "Event_News_2026%q%.avi") << "unknown codes show as typed";
        key(e, VK_F1, 4205);
        user::testing::press_dialog_button(e, IDOK);
    });
    run_page(0, [&](HWND, HWND p) {
        user::testing::press_dialog_button(p, 1310);
        EXPECT_EQ(text(p, 1311), "Event_News_2026%q%.avi");
    });
    EXPECT_STREQ(Settings.ImprovedFilePattern, "News_%Y%q%");
    EXPECT_EQ(Settings.FileInstanceMode, 1);
    EXPECT_EQ(popups(), (std::vector<UINT> { 4205 }));

    // Cancel in the editor keeps the page's pattern.
    user::testing::set_dialog_script(IDD_FILE_PATTERN, [&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(IsDlgButtonChecked(d.dialog, 4209), BST_CHECKED);
        retype(d.dialog, 4201, "Other");
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    run_page(0, [&](HWND, HWND p) { user::testing::press_dialog_button(p, 1310); });
    EXPECT_STREQ(Settings.ImprovedFilePattern, "News_%Y%q%");
}

TEST_F(FilePageTest, ExampleNamesFollowPatternModeAndFormat)
{
    struct Case {
        const char* pattern;
        bool always;
        LONG format;
        const char* example;
    };
    const Case cases[] = {
        { "", true, 3, "Event_1.wmv" },
        { "%Y", false, 0, "Event_2026.avi" },
        { "%d-%m_%H%M", false, 1, "Event_08-12_1440.mp3" },
        { "%a %b %#d", true, 2, "Event_Tue Dec 8_1.ogg" },
        { "100%", false, 7, "Event_100%.avi" },
    };
    for (const Case& c : cases) {
        char example[260];
        MakeExampleName(c.pattern, c.always, c.format, example, sizeof example);
        EXPECT_STREQ(example, c.example) << c.pattern;
    }
    // A name longer than the limit stays defined: the pattern as typed, cut to fit.
    std::string long_pattern(300, 'x');
    char name[260];
    EXPECT_EQ(FormatFilePattern((long_pattern + "%Y").c_str(), name, sizeof name), 259u);
    EXPECT_EQ(std::string(name), long_pattern.substr(0, 259));
}

TEST_F(FilePageTest, TheFolderPickerNavigatesCreatesAndRefusesBadFolders)
{
    answer_boxes({ IDOK, IDNO, IDYES });
    user::testing::set_dialog_script(NEWFILEOPENORD, [&](const user::testing::ModalDialog& d) {
        HWND k = d.dialog;
        EXPECT_EQ(d.caption, "Select directory");
        for (int hidden : { 1089, 1120, 1136, 1152 })
            EXPECT_FALSE(IsWindowVisible(item(k, hidden))) << hidden;
        EXPECT_EQ(text(k, 1152), "foo.bar");
        EXPECT_EQ(text(k, 1090), "Current path:");
        EXPECT_EQ(text(k, IDOK), "&Select");
        EXPECT_EQ(text(k, TDirPick::PathFieldId), folder);
        // The buttons sit in the bottom right corner, the path field above them, its label on one
        // line above the field.
        RECT client {}, cancel {}, ok {}, field {}, label {};
        GetClientRect(k, &client);
        auto place = [&](int id, RECT& r) {
            GetWindowRect(item(k, id), &r);
            MapWindowPoints(nullptr, k, reinterpret_cast<LPPOINT>(&r), 2);
        };
        place(IDCANCEL, cancel);
        place(IDOK, ok);
        place(TDirPick::PathFieldId, field);
        place(1090, label);
        EXPECT_EQ(client.right - cancel.right, 16);
        EXPECT_EQ(client.bottom - cancel.bottom, 16);
        EXPECT_EQ(cancel.left - ok.right, 16);
        EXPECT_EQ(cancel.top - field.bottom, 16);
        EXPECT_EQ(field.left, 32);
        EXPECT_EQ(label.left, 16);
        EXPECT_LE(label.bottom, field.top);
        HDC dc = GetDC(item(k, 1090));
        HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(item(k, 1090), WM_GETFONT, 0, 0)));
        SIZE words {};
        GetTextExtentPoint32A(dc, "Current path:", 13, &words);
        SelectObject(dc, font);
        ReleaseDC(item(k, 1090), dc);
        EXPECT_GE(label.right - label.left, words.cx) << "the label reads on one line";
        // A double click on the sub-folder opens it.
        HWND list = item(k, 1121);
        int old = static_cast<int>(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("[Old]")));
        ASSERT_GE(old, 0);
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(old), 0);
        SendMessageA(k, WM_COMMAND, MAKEWPARAM(1121, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        EXPECT_EQ(text(k, TDirPick::PathFieldId), folder + "Old\\");

        std::size_t beeps = user::testing::beep_journal().size();
        retype(k, TDirPick::PathFieldId, (folder + "\\New").c_str());
        EXPECT_GT(user::testing::beep_journal().size(), beeps) << "typing there beeps";
        user::testing::press_dialog_button(k, IDOK);   // two backslashes: refused
        retype(k, TDirPick::PathFieldId, (folder + "New\\Day").c_str());
        user::testing::press_dialog_button(k, IDOK);   // not created: No
        EXPECT_TRUE(IsWindow(k));
        user::testing::press_dialog_button(k, IDOK);   // Yes
    });
    run_page(0, [&](HWND, HWND p) {
        user::testing::press_dialog_button(p, 1302);
        EXPECT_EQ(text(p, 1308), folder + "New\\Day\\");
    });
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], "Select directory: Invalid folder specified:\n\n\t" + folder + "\\New");
    EXPECT_EQ(boxes[1], "Select directory: " + folder + "New\\Day\n\nThis path does not exist. Do you wish to create this folder?");
    EXPECT_EQ(boxes[2], boxes[1]);
    EXPECT_TRUE(std::filesystem::is_directory(home + "/Rec/New/Day"));
    EXPECT_EQ(std::string(Settings.DefaultDirectory), folder + "New\\Day\\");
}

TEST_F(FilePageTest, ACancelledPickerChangesNothingAndAChosenFolderKeepsOneBackslash)
{
    user::testing::set_dialog_script(NEWFILEOPENORD, [&](const user::testing::ModalDialog& d) {
        retype(d.dialog, TDirPick::PathFieldId, "C:\\nowhere");
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    run_page(0, [&](HWND, HWND p) {
        user::testing::press_dialog_button(p, 1302);
        EXPECT_EQ(text(p, 1308), folder);
    });
    user::testing::set_dialog_script(NEWFILEOPENORD, [&](const user::testing::ModalDialog& d) {
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    char path[260];
    std::strcpy(path, folder.c_str());
    EXPECT_EQ(TDirPick(frame->GetHandle(), path).Execute(), 1);
    EXPECT_EQ(std::string(path), folder);
}

}
