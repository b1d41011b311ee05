// The archive browser driven as a user drives it, over a recording folder of files with chosen
// names, creation times, sizes and tags: the tree's groups, order and texts, Open file, Launch
// player, Delete and Info, the refresh message and the help binding.

#include "HelpFixture.h"
#include <EventTable.h>

#include <DialogDriver.h>
#include <TempHome.h>

#include <dialogs/ArchDialog.h>
#include <resources/ArchiveDialog.h>
#include <settings/Settings.h>

#include <base/Clock.h>
#include <base/FileTime.h>
#include <base/Files.h>
#include <base/Path.h>
#include <base/Process.h>
#include <base/Text.h>
#include <user/MessageBox.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace dialog_driver;

// What the tree shows: each group's text, then its files' texts, in order.
struct Group {
    std::string text;
    std::vector<std::string> files;
    bool operator==(const Group&) const = default;
};

void PrintTo(const Group& g, std::ostream* out)
{
    *out << g.text << " {";
    for (const auto& f : g.files)
        *out << " [" << f << "]";
    *out << " }";
}

std::vector<Group> tree_of(HWND dialog)
{
    HWND tree = item(dialog, IDC_ARCHIVE_TREE);
    std::vector<Group> groups;
    for (HTREEITEM g = tree_item(tree, TVGN_ROOT); g; g = tree_item(tree, TVGN_NEXT, g)) {
        groups.push_back({ tree_text(tree, g), {} });
        for (HTREEITEM f = tree_item(tree, TVGN_CHILD, g); f; f = tree_item(tree, TVGN_NEXT, f))
            groups.back().files.push_back(tree_text(tree, f));
    }
    return groups;
}

std::string selected_text(HWND dialog)
{
    HWND tree = item(dialog, IDC_ARCHIVE_TREE);
    HTREEITEM caret = tree_item(tree, TVGN_CARET);
    return caret ? tree_text(tree, caret) : "(none)";
}

// Selects with the keyboard as a user does: Home, then Left (close the group) and Down to the
// next one until the group is reached, Right to open it and Down to its file (`file` -1: the
// group itself).
void choose(HWND dialog, int group, int file = -1)
{
    key(dialog, VK_HOME, IDC_ARCHIVE_TREE);
    for (int i = 0; i < group; ++i) {
        key(dialog, VK_LEFT);
        key(dialog, VK_DOWN);
    }
    if (file < 0)
        return;
    key(dialog, VK_RIGHT);
    for (int i = 0; i <= file; ++i)
        key(dialog, VK_DOWN);
}

// UTF-16 text as a recording stores it, with its zero unit.
std::string utf16(const char* text)
{
    std::string bytes;
    for (const char* p = text; *p; ++p) {
        bytes += *p;
        bytes += '\0';
    }
    return bytes + std::string(2, '\0');
}

// The dialog, noting whether it was closed (a modal dialog's window stays until its loop ends).
class ArchDialogUnderTest : public TArchDialog {
public:
    ArchDialogUnderTest(OWL::TWindow* parent, char* result)
        : OWL::TWindow(parent)
        , TArchDialog(parent, result)
    {
    }
    void CloseWindow(int result) override
    {
        closed = true;
        TArchDialog::CloseWindow(result);
    }
    static inline bool closed = false;
};

class ArchiveDialogTest : public HelpFixture {
protected:
    void SetUp() override
    {
        HelpFixture::SetUp();
        event_test::clear_table();
        folder = test_support::make_temp_dir("archive");
        base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, base::to_windows_path(folder));
        user::testing::set_message_box_responder([this](const user::MessageBoxCall& box) {
            boxes.push_back(box);
            return answer(box);
        });
        user::testing::set_unexpected_dialog_handler([](const user::testing::ModalDialog& d) {
            ADD_FAILURE() << "unexpected dialog " << d.template_id;
        });
        launches.clear();
        previous_launcher = base::set_launcher([this](const std::string& line, UINT show) {
            launches.push_back(line + " /" + std::to_string(show));
            return 33u;
        });
    }
    void TearDown() override
    {
        base::set_launcher(previous_launcher);
        event_test::clear_table();
        Settings.DefaultDirectory[0] = 0;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(folder);
        HelpFixture::TearDown();
    }

    std::string windows(const std::string& name) const { return base::to_windows_path(folder + "/" + name); }

    // A file of `size` bytes (its tags first) created at the local date and time given.
    void file(const std::string& name, int day, int hour, int minute, std::size_t size = 100, const std::string& head = {})
    {
        {
            std::ofstream out(folder + "/" + name, std::ios::binary);
            out << head;
        }
        std::filesystem::resize_file(folder + "/" + name, std::max(size, head.size()));
        FILETIME time = base::filetime_from_unix_ms(base::Clock::make_wall_ms(2003, 3, day, hour, minute, 0));
        ASSERT_TRUE(base::set_creation_time(windows(name).c_str(), time));
    }

    // Runs the dialog with `act` playing the user; the dialog's result. The dialog is left open for
    // the act to close; Cancel closes it afterwards when it did not.
    int run(const std::function<void(HWND)>& act, char* result = nullptr)
    {
        ArchDialogUnderTest dialog(frame, result ? result : path);
        ArchDialogUnderTest::closed = false;
        user::testing::set_dialog_script(IDD_ARCHIVE, [&](const user::testing::ModalDialog& d) {
            act(d.dialog);
            if (!ArchDialogUnderTest::closed)
                user::testing::press_dialog_button(d.dialog, IDCANCEL);
        });
        return dialog.Execute();
    }

    std::string folder;
    char path[260] = "";
    std::vector<user::MessageBoxCall> boxes;
    std::function<int(const user::MessageBoxCall&)> answer = [](const user::MessageBoxCall&) { return IDOK; };
    std::vector<std::string> launches;
    base::Launcher previous_launcher;
};

TEST_F(ArchiveDialogTest, TheTreeGroupsListedFilesByRecordingNameNewestFirstWithTheirEventsTimes)
{
    event_test::add(event_test::make_event("Film", event_test::Sunday, 22, 0, 23, 59));
    event_test::add(event_test::make_event("NEWS", event_test::Weekdays, 20, 15, 20, 30));
    event_test::add(event_test::make_event("news", event_test::Daily, 6, 5, 7, 0)); // the first match wins
    file("News_2003.wmv", 5, 9, 7);
    file("news_x.avi", 6, 20, 15);
    file("News_late_1.wmv", 4, 23, 59);
    file("tv_1.avi", 7, 10, 0);
    file("TV_2.wav", 8, 0, 5);
    file("_a.avi", 1, 8, 0);
    file(".avi", 2, 8, 0);
    file("movie.avi", 3, 8, 0);
    file("clip.AVI", 3, 8, 0);
    file("Sport_1.mp3", 3, 8, 0);
    file("Talk_1.wma", 3, 8, 0);
    for (const char* skipped : { "clip.avi.bak", "readme.txt", "a.b.avi", "News_3.mpg", "noextension" })
        file(skipped, 3, 8, 0);

    run([](HWND d) {
        const std::vector<Group> expected = {
            { "<unscheduled>",
                { "8-Mar-2003 00:05   \"TV_2.wav\"", "7-Mar-2003 10:00   \"tv_1.avi\"", "2-Mar-2003 08:00   \".avi\"",
                    "1-Mar-2003 08:00   \"_a.avi\"" } },
            { "clip", { "3-Mar-2003 08:00   \"clip.AVI\"" } },
            { "movie", { "3-Mar-2003 08:00   \"movie.avi\"" } },
            { "News  20:15MTuWThF",
                { "6-Mar-2003 20:15   \"news_x.avi\"", "5-Mar-2003 09:07   \"News_2003.wmv\"",
                    "4-Mar-2003 23:59   \"News_late_1.wmv\"" } },
            { "Sport", { "3-Mar-2003 08:00   \"Sport_1.mp3\"" } },
            { "Talk", { "3-Mar-2003 08:00   \"Talk_1.wma\"" } },
        };
        EXPECT_EQ(tree_of(d), expected);
        EXPECT_EQ(GetWindowLongA(item(d, IDC_ARCHIVE_TREE), GWL_STYLE) & (TVS_HASBUTTONS | TVS_LINESATROOT),
            LONG(TVS_HASBUTTONS | TVS_LINESATROOT));
    });
}

TEST_F(ArchiveDialogTest, AMissingOrEmptyFolderGivesAnEmptyTreeAndNoMessage)
{
    run([](HWND d) { EXPECT_TRUE(tree_of(d).empty()); });
    base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, windows("gone"));
    run([](HWND d) { EXPECT_TRUE(tree_of(d).empty()); });
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ArchiveDialogTest, FilesCreatedWithinOneSpanOfTheItemDataCompareEqual)
{
    FileCompare compare;
    EXPECT_EQ(compare.Compare(5, 7), 1);
    EXPECT_EQ(compare.Compare(7, 5), -1);
    EXPECT_EQ(compare.Compare(0xFFFFFFF0u, 5), -1) << "unsigned";
    // The high halves of two local file times 7 minutes apart.
    FILETIME a = base::filetime_from_unix_ms(base::Clock::make_wall_ms(2003, 3, 5, 9, 0, 0));
    std::uint64_t start = std::uint64_t(a.dwHighDateTime) << 32, later = start + 7ull * 60 * 10'000'000;
    EXPECT_EQ(compare.Compare(LPARAM(start >> 32), LPARAM(later >> 32)), 0);
}

TEST_F(ArchiveDialogTest, OpenFileGivesTheChosenPathAndAGroupOrNoSelectionGivesNothing)
{
    file("News_1.avi", 5, 9, 7);
    file("News_2.avi", 6, 9, 7);
    EXPECT_EQ(run([](HWND d) {
        choose(d, 0, 1);
        EXPECT_EQ(selected_text(d), "5-Mar-2003 09:07   \"News_1.avi\"");
        user::testing::press_dialog_button(d, IDOK);
    }),
        IDOK);
    EXPECT_EQ(std::string(path), windows("News_1.avi"));

    // A trailing separator in the folder setting is not doubled.
    std::string folder_setting = Settings.DefaultDirectory;
    base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, folder_setting + "\\");
    path[0] = 0;
    run([](HWND d) {
        choose(d, 0, 0);
        user::testing::press_dialog_button(d, IDOK);
    });
    EXPECT_EQ(std::string(path), windows("News_2.avi"));

    for (int group : { -1, 0 }) {
        path[0] = 0;
        EXPECT_EQ(run([group](HWND d) {
            if (group >= 0)
                choose(d, group);
            user::testing::press_dialog_button(d, IDOK);
        }),
            IDOK);
        EXPECT_STREQ(path, "");
    }
    // Cancel leaves the buffer alone.
    EXPECT_EQ(run([](HWND d) {
        choose(d, 0, 0);
        user::testing::press_dialog_button(d, IDCANCEL);
    }),
        IDCANCEL);
    EXPECT_STREQ(path, "");
}

TEST_F(ArchiveDialogTest, AFileDeletedSinceTheTreeWasFilledOpensNothing)
{
    file("News_1.avi", 5, 9, 7);
    run([this](HWND d) {
        choose(d, 0, 0);
        std::filesystem::remove(folder + "/News_1.avi");
        for (int button : { IDC_ARCHIVE_INFO, IDC_ARCHIVE_DELETE, IDC_ARCHIVE_LAUNCH })
            user::testing::press_dialog_button(d, button);
        EXPECT_TRUE(IsWindow(d));
        user::testing::press_dialog_button(d, IDOK);
    });
    EXPECT_STREQ(path, "");
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(launches.empty());
}

TEST_F(ArchiveDialogTest, APathTooLongForItsBufferIsNoFileOfTheFolder)
{
    // The folder and the name each fit in 259 characters; together they do not.
    std::string deep = folder + "/" + std::string(199 - folder.size(), 'd');
    std::filesystem::create_directory(deep);
    std::string name = std::string(70, 'n') + "_1.avi";
    std::ofstream(deep + "/" + name) << "data";
    base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, base::to_windows_path(deep));
    ASSERT_EQ(std::string(Settings.DefaultDirectory).size(), 200u);
    run([](HWND d) {
        choose(d, 0, 0);
        EXPECT_NE(selected_text(d).find("_1.avi\""), std::string::npos);
        user::testing::press_dialog_button(d, IDC_ARCHIVE_INFO);
        user::testing::press_dialog_button(d, IDOK);
    });
    EXPECT_STREQ(path, "");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ArchiveDialogTest, LaunchPlayerHandsTheFileToTheDesktopsOpenerAndClosesTheDialog)
{
    file("News_1.avi", 5, 9, 7);
    std::strcpy(path, "left over");
    EXPECT_EQ(run([](HWND d) {
        choose(d, 0, 0);
        user::testing::press_dialog_button(d, IDC_ARCHIVE_LAUNCH);
        EXPECT_TRUE(ArchDialogUnderTest::closed);
    }),
        IDOK);
    EXPECT_STREQ(path, "");
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0], "xdg-open \"" + folder + "/News_1.avi\" /7");

    // Without a result buffer the dialog stays open; on a group nothing is launched.
    launches.clear();
    ArchDialogUnderTest dialog(frame, nullptr);
    ArchDialogUnderTest::closed = false;
    user::testing::set_dialog_script(IDD_ARCHIVE, [](const user::testing::ModalDialog& d) {
        choose(d.dialog, 0);
        user::testing::press_dialog_button(d.dialog, IDC_ARCHIVE_LAUNCH);
        choose(d.dialog, 0, 0);
        user::testing::press_dialog_button(d.dialog, IDC_ARCHIVE_LAUNCH);
        EXPECT_FALSE(ArchDialogUnderTest::closed);
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    EXPECT_EQ(dialog.Execute(), IDCANCEL);
    EXPECT_EQ(launches.size(), 1u);
}

TEST_F(ArchiveDialogTest, DeleteAsksThenRemovesTheFileAndBlanksItsItem)
{
    file("News_1.avi", 5, 9, 7);
    file("News_2.avi", 6, 9, 7);
    answer = [](const user::MessageBoxCall& box) { return box.text.starts_with("OK to delete") ? IDNO : IDOK; };
    run([](HWND d) {
        choose(d, 0, 1);
        user::testing::press_dialog_button(d, IDC_ARCHIVE_DELETE);
    });
    EXPECT_TRUE(std::filesystem::exists(folder + "/News_1.avi")) << "No keeps the file";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "OK to delete file?\n\t   News_1.avi");
    EXPECT_EQ(boxes[0].caption, "Orbivane");
    EXPECT_EQ(boxes[0].type, UINT(MB_YESNOCANCEL));

    answer = [](const user::MessageBoxCall&) { return IDYES; };
    run([](HWND d) {
        choose(d, 0, 1);
        user::testing::press_dialog_button(d, IDC_ARCHIVE_DELETE);
        EXPECT_EQ(selected_text(d), "");
        EXPECT_EQ(tree_of(d)[0].files.size(), 2u) << "the item stays until the next fill";
        SendMessageA(d, WM_DIALOG_REFOCUS, 0, 0);
        EXPECT_EQ(tree_of(d), (std::vector<Group> { { "News", { "6-Mar-2003 09:07   \"News_2.avi\"" } } }));
    });
    EXPECT_FALSE(std::filesystem::exists(folder + "/News_1.avi"));
}

TEST_F(ArchiveDialogTest, AFileInUseIsNotDeletedAndTheUserIsToldSo)
{
    file("News_1.avi", 5, 9, 7);
    const std::string refused = "Can't delete file\n\t   News_1.avi\nAlready in use by this or another program?";
    // Held by a reader that lets others only read, as a player holds the file it plays.
    HANDLE player = CreateFileA(windows("News_1.avi").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(player, INVALID_HANDLE_VALUE);
    run([](HWND d) {
        choose(d, 0, 0);
        user::testing::press_dialog_button(d, IDC_ARCHIVE_DELETE);
        EXPECT_NE(selected_text(d), "");
    });
    CloseHandle(player);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, refused);
    EXPECT_EQ(boxes[0].type, UINT(MB_ICONEXCLAMATION));

    // Taken by another opener while the user was asked: the deletion fails and the item stays.
    boxes.clear();
    HANDLE late = INVALID_HANDLE_VALUE;
    answer = [&](const user::MessageBoxCall& box) {
        if (box.text.starts_with("OK to delete"))
            late = CreateFileA(windows("News_1.avi").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                FILE_ATTRIBUTE_NORMAL, nullptr);
        return IDYES;
    };
    run([](HWND d) {
        choose(d, 0, 0);
        user::testing::press_dialog_button(d, IDC_ARCHIVE_DELETE);
        EXPECT_EQ(selected_text(d), "5-Mar-2003 09:07   \"News_1.avi\"");
    });
    CloseHandle(late);
    EXPECT_TRUE(std::filesystem::exists(folder + "/News_1.avi"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, refused);
}

TEST_F(ArchiveDialogTest, InfoShowsTheStoredTextsAndTheSize)
{
    const std::string tags = std::string("RIFF").append(utf16("Copyright 2003 Kestrelon")).append("xy").append(utf16("Recorded by Orbivane 1.0"));
    struct Case {
        const char* name;
        std::size_t size;
        std::string head;
        std::string text;
    };
    const Case cases[] = {
        { "a_tagged.avi", 524288, tags,
            "\nCopyright notice: Copyright 2003 Kestrelon\nDescription: Recorded by Orbivane 1.0\nSize: 0.500MB" },
        { "b_copyright.wmv", 2621440, std::string("RIFF").append(utf16("copyright (c) 2026")), "\nCopyright notice: copyright (c) 2026\nSize: 2.50MB" },
        { "c_large.wav", 262144000, "", "\nSize: 250MB" },
        { "d_one.mp3", 1, "", "No properties available for this file" },
        { "e_empty.wma", 0, "", "No properties available for this file" },
        // A tag at an odd byte offset is not on a 2-byte unit.
        { "f_odd.avi", 1, std::string("R").append(utf16("Recorded by X")), "\nSize: 0.000MB" },
    };
    for (const Case& c : cases)
        file(c.name, 5, 9, 7, c.size, c.head);
    run([&](HWND d) {
        for (int group = 0; group < static_cast<int>(std::size(cases)); ++group) {
            choose(d, group, 0);
            user::testing::press_dialog_button(d, IDC_ARCHIVE_INFO);
        }
    });
    ASSERT_EQ(boxes.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(boxes[i].caption, std::string(cases[i].name) + " Properties");
        EXPECT_EQ(boxes[i].text, cases[i].text);
        EXPECT_EQ(boxes[i].type, UINT(MB_OK));
    }
}

TEST_F(ArchiveDialogTest, TheRefreshMessageListsTheFolderAgainAndTheHelpTableNamesEachControl)
{
    file("News_1.avi", 5, 9, 7);
    run([this](HWND d) {
        file("Sport_1.avi", 6, 9, 7);
        EXPECT_EQ(tree_of(d).size(), 1u);
        EXPECT_EQ(SendMessageA(d, WM_DIALOG_REFOCUS, 0, 0), 0);
        EXPECT_EQ(tree_of(d).size(), 2u);
        EXPECT_TRUE(GetFocus() == d || IsChild(d, GetFocus()));

        key(d, VK_F1, IDC_ARCHIVE_TREE);
        for (int button : { IDC_ARCHIVE_INFO, IDC_ARCHIVE_DELETE, IDC_ARCHIVE_LAUNCH }) {
            SendMessageA(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(d, button)), TRUE);
            key(d, VK_F1);
        }
    });
    EXPECT_EQ(popups(), (std::vector<UINT> { 56, 54, 55, 221 }));
}

TEST_F(ArchiveDialogTest, WhileAltWithTOrBIsDownEveryMessageIsSwallowed)
{
    file("News_1.avi", 5, 9, 7);
    run([](HWND d) {
        choose(d, 0, 0);
        auto info = [d] {
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_ARCHIVE_INFO, BN_CLICKED), reinterpret_cast<LPARAM>(item(d, IDC_ARCHIVE_INFO)));
            pump(d);
        };
        for (UINT letter : { UINT('T'), UINT('B') }) {
            user::key_input(VK_MENU, true);
            user::key_input(letter, true);
            pump(d);
            info();
            user::key_input(letter, false);
            user::key_input(VK_MENU, false);
            pump(d);
        }
        user::key_input('T', true);
        pump(d);
        info(); // T alone lets it through
        user::key_input('T', false);
        pump(d);
    });
    EXPECT_EQ(boxes.size(), 1u);
}

}
