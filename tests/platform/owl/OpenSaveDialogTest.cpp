// The file dialogs, driven as a user does: the listing by filter, folders entered by a double
// click, by Enter on the list or by a typed path, the checks before OK, and the folder change.

#include "TempHome.h"

#include <base/Files.h>
#include <base/Path.h>
#include <owl/OpenSaveDialog.h>
#include <user/Controls.h>
#include <user/Dialogs.h>
#include <user/Keyboard.h>
#include <user/Testing.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using OWL::TOpenSaveDialog;

class FileDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        user::testing::reset();
        root = test_support::make_temp_dir("filedialog");
        for (const char* name : { "b.avi", "A.WMV", "notes.txt", "sub/inner.wav" }) {
            std::filesystem::create_directories(std::filesystem::path(root + "/" + name).parent_path());
            std::ofstream(root + "/" + name) << "x";
        }
        std::filesystem::create_directory(root + "/.hidden");
        SetCurrentDirectoryA(base::to_windows_path(root).c_str());
    }
    void TearDown() override { user::testing::reset(); }

    static std::vector<std::string> listed(HWND dialog)
    {
        std::vector<std::string> items;
        LRESULT count = SendDlgItemMessageA(dialog, TOpenSaveDialog::FileListId, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[260] {};
            SendDlgItemMessageA(dialog, TOpenSaveDialog::FileListId, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    static void select(HWND dialog, int index, WORD notice)
    {
        HWND list = GetDlgItem(dialog, TOpenSaveDialog::FileListId);
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TOpenSaveDialog::FileListId, notice), reinterpret_cast<LPARAM>(list));
    }
    static void type(HWND dialog, const std::string& name) { SetDlgItemTextA(dialog, TOpenSaveDialog::NameFieldId, name.c_str()); }

    std::string root;
    TOpenSaveDialog::TData data { OFN_FILEMUSTEXIST | OFN_OVERWRITEPROMPT, "Media (*.avi;*.wmv)|*.avi;*.wmv|All files (*.*)|*.*|", "wmv" };
};

TEST_F(FileDialog, ListsFoldersThenMatchingFilesAndGoesIntoAFolderByDoubleClickOrEnter)
{
    user::testing::set_dialog_script(TOpenSaveDialog::TemplateId, [&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(listed(d.dialog), (std::vector<std::string> { "[..]", "[sub]", "A.WMV", "b.avi" }));
        char caption[64] {};
        GetWindowTextA(d.dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "Open");
        // The second filter lists everything.
        HWND filters = GetDlgItem(d.dialog, TOpenSaveDialog::FilterListId);
        SendMessageA(filters, CB_SETCURSEL, 1, 0);
        SendMessageA(d.dialog, WM_COMMAND, MAKEWPARAM(TOpenSaveDialog::FilterListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(filters));
        EXPECT_EQ(listed(d.dialog).size(), 5u);
        select(d.dialog, 1, LBN_DBLCLK);
        EXPECT_EQ(listed(d.dialog), (std::vector<std::string> { "[..]", "inner.wav" }));
        // Enter on ".." in the list goes back up.
        SetFocus(GetDlgItem(d.dialog, TOpenSaveDialog::FileListId));
        select(d.dialog, 0, LBN_SELCHANGE);
        user::testing::press_dialog_button(d.dialog, IDOK);
        EXPECT_EQ(listed(d.dialog).size(), 5u);
        // Choosing a file puts its name in the field; OK takes it.
        select(d.dialog, 4, LBN_SELCHANGE);
        char name[64] {};
        GetDlgItemTextA(d.dialog, TOpenSaveDialog::NameFieldId, name, sizeof name);
        EXPECT_STREQ(name, "notes.txt");
        select(d.dialog, 4, LBN_DBLCLK);
    });
    std::filesystem::create_directory("/tmp/elsewhere-for-dialog");
    SetCurrentDirectoryA("\\tmp\\elsewhere-for-dialog");
    data.InitialDir = base::to_windows_path(root);
    ASSERT_EQ(OWL::TFileOpenDialog(nullptr, data).Execute(), IDOK);
    EXPECT_EQ(std::string(data.FileName), base::to_windows_path(root) + "\\notes.txt");
    EXPECT_EQ(data.FilterIndex, 2);
    char current[260] {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(std::string(current), base::to_windows_path(root));
}

TEST_F(FileDialog, OkChecksTheNameBeforeItCloses)
{
    struct Case {
        bool save;
        const char* typed;
        int answer; // to the box, when one comes
        const char* box; // its first line, or nullptr
        const char* chosen; // nullptr: the dialog stays (then cancelled)
    };
    for (Case c : { Case { false, "missing.avi", IDOK, "missing.avi", nullptr }, Case { false, "b.avi", 0, nullptr, "b.avi" },
             Case { false, "a.wmv", 0, nullptr, "A.WMV" }, Case { true, "new", 0, nullptr, "new.wmv" },
             Case { true, "b.avi", IDNO, "b.avi already exists.", nullptr }, Case { true, "b.avi", IDYES, "b.avi already exists.", "b.avi" },
             Case { true, "nowhere\\x.wmv", IDOK, "x.wmv", nullptr } }) {
        SCOPED_TRACE(c.typed);
        user::testing::reset();
        user::testing::set_message_box_responder([&](const user::MessageBoxCall&) { return c.answer; });
        user::testing::set_dialog_script(TOpenSaveDialog::TemplateId, [&](const user::testing::ModalDialog& d) {
            type(d.dialog, c.typed);
            user::testing::press_dialog_button(d.dialog, IDOK);
            // A refusal leaves the dialog open: the user gives up.
            bool refused = !user::testing::message_box_journal().empty() && c.answer != IDYES;
            if (refused)
                user::testing::press_dialog_button(d.dialog, IDCANCEL);
        });
        data.FileName[0] = 0;
        int result = c.save ? OWL::TFileSaveDialog(nullptr, data).Execute() : OWL::TFileOpenDialog(nullptr, data).Execute();
        auto boxes = user::testing::message_box_journal();
        if (c.box) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].box.text.substr(0, std::string(c.box).size()), c.box);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        if (c.chosen) {
            EXPECT_EQ(result, IDOK);
            EXPECT_EQ(std::string(data.FileName), base::to_windows_path(root) + "\\" + c.chosen);
        } else {
            EXPECT_EQ(result, IDCANCEL);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(root + "/new.wmv")) << "the dialog writes nothing";
}

}
