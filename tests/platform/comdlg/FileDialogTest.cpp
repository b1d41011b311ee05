// The Open dialog with a hook, driven as a user does: the hook's messages in order, folders
// entered by double click, by "..", by a typed name and a typed path, a refusal at OK keeping the
// dialog open, the CDM_* answers, and the record's errors.

#include "TempHome.h"

#include <base/Files.h>
#include <base/Path.h>
#include <comdlg/CommDlg.h>
#include <user/Controls.h>
#include <user/Dialogs.h>
#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// What the hook saw: "init", or a notice's name with the folder the dialog then reported.
std::vector<std::string> seen;
HWND hook_child = nullptr;
int refusals_left = 0;

std::string folder_of(HWND dialog)
{
    char folder[260] {};
    LRESULT size = SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
    EXPECT_EQ(size, static_cast<LRESULT>(std::strlen(folder) + 1));
    return folder;
}

UINT_PTR CALLBACK journal_hook(HWND child, UINT message, WPARAM, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        hook_child = child;
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lparam);
        seen.push_back("init " + std::to_string(ofn->lCustData));
        return TRUE;
    }
    if (message != WM_NOTIFY)
        return FALSE;
    auto* notice = reinterpret_cast<OFNOTIFYA*>(lparam);
    EXPECT_EQ(notice->hdr.hwndFrom, GetParent(child));
    HWND dialog = GetParent(child);
    switch (notice->hdr.code) {
    case CDN_INITDONE:
        seen.push_back("initdone");
        break;
    case CDN_FOLDERCHANGE:
        seen.push_back("folder " + folder_of(dialog));
        break;
    case CDN_FILEOK:
        seen.push_back(std::string("fileok ") + notice->pszFile);
        if (refusals_left > 0) {
            --refusals_left;
            SetWindowLongPtrA(child, DWLP_MSGRESULT, 1);
            return static_cast<UINT_PTR>(-1);
        }
        break;
    }
    return FALSE;
}

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        user::testing::reset();
        seen.clear();
        hook_child = nullptr;
        refusals_left = 0;
        root = test_support::make_temp_dir("comdlg");
        for (const char* folder : { "Alpha", "beta" })
            std::filesystem::create_directory(root + "/" + folder);
        std::ofstream(root + "/clip.avi") << "x";
        windows_root = base::to_windows_path(root);
        ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400;
        ofn.lpstrFilter = "foo file (*.0m1qwert)\0*.0m1qwert\0";
        ofn.lpstrFile = name;
        ofn.nMaxFile = sizeof name;
        ofn.lpstrFileTitle = title;
        ofn.nMaxFileTitle = sizeof title;
        ofn.lpstrInitialDir = windows_root.c_str();
        ofn.lpstrTitle = "Pick";
        ofn.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_ENABLESIZING;
        ofn.lCustData = 77;
        ofn.lpfnHook = journal_hook;
        std::strcpy(name, "foo.bar");
    }
    void TearDown() override { user::testing::reset(); }

    static std::vector<std::string> listed(HWND dialog)
    {
        std::vector<std::string> items;
        LRESULT count = SendDlgItemMessageA(dialog, lst2, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[260] {};
            SendDlgItemMessageA(dialog, lst2, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    static void double_click(HWND dialog, const char* item)
    {
        HWND list = GetDlgItem(dialog, lst2);
        LRESULT at = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
        ASSERT_GE(at, 0) << item;
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(lst2, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    }
    static void type_and_ok(HWND dialog, const std::string& typed)
    {
        SetDlgItemTextA(dialog, edt1, typed.c_str());
        user::testing::press_dialog_button(dialog, IDOK);
    }

    std::string root;
    std::string windows_root;
    char name[260] {};
    char title[64] {};
    OPENFILENAMEA ofn {};
};

TEST_F(FileDialogTest, TheHookHearsEveryFolderEnteredAndMayKeepTheDialogOpenAtOk)
{
    bool still_open = false;
    user::testing::set_dialog_script(NEWFILEOPENORD, [&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(d.caption, "Pick");
        ASSERT_NE(hook_child, nullptr);
        EXPECT_EQ(GetParent(hook_child), d.dialog) << "the hook runs in a child of the system dialog";
        RECT child {};
        GetWindowRect(hook_child, &child);
        EXPECT_EQ(child.right - child.left, 0);
        EXPECT_EQ(listed(d.dialog), (std::vector<std::string> { "[..]", "[Alpha]", "[beta]" })) << "no file matches";
        double_click(d.dialog, "[Alpha]");
        double_click(d.dialog, "[..]");
        type_and_ok(d.dialog, "BETA");
        type_and_ok(d.dialog, "C:" + windows_root + "\\Alpha\\");
        type_and_ok(d.dialog, "foo.bar");
        still_open = IsWindow(d.dialog) && user::testing::dialog_journal().empty();
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    refusals_left = 1;
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_TRUE(still_open) << "a refusal keeps the dialog open";
    const std::string alpha = windows_root + "\\Alpha";
    EXPECT_EQ(seen,
        (std::vector<std::string> { "init 77", "initdone", "folder " + windows_root, "folder " + alpha, "folder " + windows_root,
            "folder " + windows_root + "\\beta", "folder " + alpha, "fileok " + alpha + "\\foo.bar",
            "fileok " + alpha + "\\foo.bar" }));
    EXPECT_EQ(std::string(name), alpha + "\\foo.bar");
    EXPECT_EQ(name + ofn.nFileOffset, std::string("foo.bar"));
    EXPECT_EQ(name + ofn.nFileExtension, std::string("bar"));
    EXPECT_STREQ(title, "foo.bar");
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(FileDialogTest, TheHookReachesTheSystemDialogByItsMessages)
{
    ofn.lpstrInitialDir = "\\no\\such\\folder";
    std::filesystem::create_directory(root + "/Alpha/Inner");
    SetCurrentDirectoryA((windows_root + "\\Alpha").c_str());
    user::testing::set_dialog_script(NEWFILEOPENORD, [&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(folder_of(d.dialog), windows_root + "\\Alpha") << "a missing first folder falls back to the current one";
        char small[4] = "abc";
        EXPECT_EQ(SendMessageA(d.dialog, CDM_GETFOLDERPATH, sizeof small, reinterpret_cast<LPARAM>(small)),
            static_cast<LRESULT>(windows_root.size() + 7));
        EXPECT_STREQ(small, "abc") << "nothing is copied into a buffer too small";
        char path[260] {};
        SendMessageA(d.dialog, CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path));
        EXPECT_EQ(std::string(path), windows_root + "\\Alpha\\foo.bar");
        SendMessageA(d.dialog, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>("&Select"));
        SendMessageA(d.dialog, CDM_HIDECONTROL, stc2, 0);
        char ok[32] {};
        GetDlgItemTextA(d.dialog, IDOK, ok, sizeof ok);
        EXPECT_STREQ(ok, "&Select");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(d.dialog, stc2)));
        for (int shown : { stc3, edt1, stc4, cmb2, lst2, cmb1, IDOK, IDCANCEL })
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(d.dialog, shown))) << shown;
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(d.dialog, lst1)));
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u) << "Cancel is no error";
    EXPECT_STREQ(name, "foo.bar");
}

TEST_F(FileDialogTest, ABadRecordOrAShortBufferFailsWithItsError)
{
    struct Case {
        const char* what;
        DWORD size;
        DWORD flags;
        bool hook;
        DWORD error;
    };
    const DWORD hooked = OFN_EXPLORER | OFN_ENABLEHOOK;
    for (Case c : { Case { "a wrong size", 40, 0, false, CDERR_STRUCTSIZE }, Case { "a hook flag without hook", sizeof ofn, hooked, false, CDERR_NOHOOK },
             Case { "a hook outside the explorer form", sizeof ofn, OFN_ENABLEHOOK, true, CDERR_NOHOOK },
             Case { "a template", sizeof ofn, OFN_EXPLORER | OFN_ENABLETEMPLATE, false, CDERR_NOTEMPLATE } }) {
        SCOPED_TRACE(c.what);
        OPENFILENAMEA bad = ofn;
        bad.lStructSize = c.size;
        bad.Flags = c.flags;
        bad.lpfnHook = c.hook ? journal_hook : nullptr;
        EXPECT_FALSE(GetOpenFileNameA(&bad));
        EXPECT_EQ(CommDlgExtendedError(), c.error);
    }
    EXPECT_TRUE(user::testing::dialog_journal().empty()) << "no dialog opens for a bad record";

    // The file chosen does not fit: its size is left in the buffer's first two bytes.
    char tiny[8] = "x.avi";
    ofn.lpstrFile = tiny;
    ofn.nMaxFile = sizeof tiny;
    ofn.lpfnHook = nullptr;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    ofn.lpstrFilter = "Video\0*.avi\0";
    user::testing::set_dialog_script(NEWFILEOPENORD, [&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(listed(d.dialog), (std::vector<std::string> { "[..]", "[Alpha]", "[beta]", "clip.avi" }));
        type_and_ok(d.dialog, "clip.avi");
    });
    EXPECT_FALSE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    WORD needed = 0;
    std::memcpy(&needed, tiny, sizeof needed);
    EXPECT_EQ(needed, windows_root.size() + 10);
}

}
