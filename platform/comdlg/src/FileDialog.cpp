// The explorer-style Open and Save As dialog: its template, its listing of the current folder,
// the checks at OK, and the hook child with its notices and CDM_* messages.

#include <comdlg/CommDlg.h>

#include "FileNames.h"

#include <base/Files.h>
#include <base/Path.h>
#include <base/Text.h>
#include <user/Controls.h>
#include <user/Dialogs.h>
#include <user/MessageBox.h>
#include <user/User.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

using namespace comdlg::detail;

namespace {

constexpr const char* kHookTemplate = "comdlg.hookchild";

thread_local DWORD t_error = 0;

void register_templates()
{
    static std::once_flag once;
    std::call_once(once, [] {
        user::DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        t.cx = 280;
        t.cy = 180;
        t.caption = "Open";
        // The name field comes first: it has the focus when the dialog opens.
        t.controls = {
            { "EDIT", "", edt1, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 60, 126, 150, 12 },
            { "STATIC", "Look &in:", stc4, 0, 0, 7, 7, 40, 10 },
            { "STATIC", "", cmb2, SS_NOPREFIX | SS_SUNKEN, 0, 50, 6, 223, 12 },
            { "LISTBOX", "", lst1, 0, 0, 7, 20, 266, 96, true },
            { "LISTBOX", "", lst2, WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 0, 7, 20, 266, 96 },
            { "STATIC", "File &name:", stc3, 0, 0, 7, 128, 50, 10 },
            { "STATIC", "Files of &type:", stc2, 0, 0, 7, 147, 50, 10 },
            { "COMBOBOX", "", cmb1, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 60, 145, 150, 90 },
            { "BUTTON", "&Open", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 220, 125, 53, 14 },
            { "BUTTON", "Cancel", IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON, 0, 220, 144, 53, 14 },
        };
        user::register_dialog(NEWFILEOPENORD, t);

        // The hook's child: empty and sized to nothing.
        user::DialogTemplate hook;
        hook.style = WS_CHILD | WS_VISIBLE | DS_CONTROL;
        hook.cx = 0;
        hook.cy = 0;
        user::register_dialog(kHookTemplate, hook);
    });
}

// One open dialog.
struct FileDialog {
    OPENFILENAMEA* ofn;
    bool save;
    std::vector<std::pair<std::string, std::string>> filters;
    std::string typed_pattern; // a wildcard name typed in place of the filter's
    std::string folder;
    std::vector<std::string> folders; // in the list, ".." first
    std::vector<std::string> files;
    std::string default_extension;
    HWND dialog = nullptr;
    HWND hook = nullptr;
};

FileDialog* dialog_of(HWND dialog)
{
    return reinterpret_cast<FileDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

std::string item_text(HWND dialog, int id)
{
    char text[260] {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string trimmed(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    while (!text.empty() && text.front() == ' ')
        text.erase(text.begin());
    return text;
}

bool less_ignoring_case(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }

// The hook's answer to a notice (its DWLP_MSGRESULT); 0 without a hook.
LRESULT notify(FileDialog& d, UINT code, LPSTR file = nullptr)
{
    if (!d.hook)
        return 0;
    OFNOTIFYA notice { { d.dialog, 0, code }, d.ofn, file };
    return SendMessageA(d.hook, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}

int chosen_filter(const FileDialog& d)
{
    LRESULT index = SendDlgItemMessageA(d.dialog, cmb1, CB_GETCURSEL, 0, 0);
    return index >= 0 && static_cast<std::size_t>(index) < d.filters.size() ? static_cast<int>(index) : 0;
}

std::vector<std::string> patterns(const FileDialog& d)
{
    if (!d.typed_pattern.empty())
        return { d.typed_pattern };
    if (d.filters.empty())
        return { "*" };
    return split_patterns(d.filters[static_cast<std::size_t>(chosen_filter(d))].second);
}

void fill_list(FileDialog& d)
{
    d.folders.clear();
    d.files.clear();
    auto wanted = patterns(d);
    WIN32_FIND_DATAA found {};
    HANDLE find = FindFirstFileA(join(d.folder, "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (name[0] != '.')
                    d.folders.push_back(name);
            } else if (std::any_of(wanted.begin(), wanted.end(), [&](const std::string& p) { return base::match_wildcard(p, name); })) {
                d.files.push_back(name);
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    std::sort(d.folders.begin(), d.folders.end(), less_ignoring_case);
    std::sort(d.files.begin(), d.files.end(), less_ignoring_case);
    if (d.folder != "\\")
        d.folders.insert(d.folders.begin(), "..");
    SendDlgItemMessageA(d.dialog, lst2, LB_RESETCONTENT, 0, 0);
    for (auto& folder : d.folders)
        SendDlgItemMessageA(d.dialog, lst2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("[" + folder + "]").c_str()));
    for (auto& file : d.files)
        SendDlgItemMessageA(d.dialog, lst2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.c_str()));
    SetDlgItemTextA(d.dialog, cmb2, d.folder.c_str());
}

// A folder as the disk spells it.
std::string spelled(const std::string& folder)
{
    return absolute_from("\\", base::to_windows_path(base::resolve_path(folder)));
}

void enter_folder(FileDialog& d, const std::string& folder)
{
    d.folder = spelled(absolute_from(d.folder, folder));
    fill_list(d);
    notify(d, CDN_FOLDERCHANGE);
}

void warn(const FileDialog& d, const std::string& text)
{
    char caption[260] {};
    GetWindowTextA(d.dialog, caption, sizeof caption);
    MessageBoxA(d.dialog, text.c_str(), caption, MB_OK | MB_ICONWARNING);
}

// Fills the record's outputs from the chosen path; false when lpstrFile is too small.
bool store_choice(FileDialog& d, const std::string& path)
{
    OPENFILENAMEA& ofn = *d.ofn;
    if (path.size() + 1 > ofn.nMaxFile) {
        if (ofn.nMaxFile >= 2) {
            WORD needed = static_cast<WORD>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
            std::memcpy(ofn.lpstrFile, &needed, sizeof needed);
        }
        return false;
    }
    std::memcpy(ofn.lpstrFile, path.c_str(), path.size() + 1);
    std::size_t offset = path.find_last_of('\\') + 1;
    ofn.nFileOffset = static_cast<WORD>(offset);
    std::size_t dot = path.find_last_of('.');
    ofn.nFileExtension = static_cast<WORD>(dot != std::string::npos && dot >= offset ? dot + 1 : path.size());
    if (ofn.lpstrFileTitle && ofn.nMaxFileTitle)
        base::copy_bounded(ofn.lpstrFileTitle, ofn.nMaxFileTitle, path.substr(offset));
    if (d.typed_pattern.empty() && !d.filters.empty())
        ofn.nFilterIndex = static_cast<DWORD>(chosen_filter(d) + 1);
    return true;
}

void press_ok(FileDialog& d)
{
    HWND dialog = d.dialog;
    LRESULT selected = SendDlgItemMessageA(dialog, lst2, LB_GETCURSEL, 0, 0);
    if (GetFocus() == GetDlgItem(dialog, lst2) && selected >= 0 && static_cast<std::size_t>(selected) < d.folders.size()) {
        enter_folder(d, join(d.folder, d.folders[static_cast<std::size_t>(selected)]));
        return;
    }
    std::string name = trimmed(item_text(dialog, edt1));
    if (name.empty())
        return;
    std::string path = absolute_from(d.folder, name);
    if (is_folder(path)) {
        enter_folder(d, path);
        SetDlgItemTextA(dialog, edt1, "");
        return;
    }
    if (name_of(path).find_first_of("*?") != std::string::npos) {
        // A wildcard name lists what it matches, in the folder it names.
        d.typed_pattern = name_of(path);
        if (parent_of(path) != d.folder && is_folder(parent_of(path)))
            enter_folder(d, parent_of(path));
        else
            fill_list(d);
        return;
    }
    if (name_of(path).find('.') == std::string::npos && !d.default_extension.empty() && (d.save || !is_file(path)))
        path += "." + d.default_extension;
    DWORD flags = d.ofn->Flags;
    if (!is_folder(parent_of(path))) {
        warn(d, name_of(path) + "\nPath does not exist.\nCheck the path and try again.");
        return;
    }
    if (!d.save && (flags & OFN_FILEMUSTEXIST) && !is_file(path)) {
        warn(d, name_of(path) + "\nFile not found.\nCheck the file name and try again.");
        return;
    }
    if (d.save && (flags & OFN_OVERWRITEPROMPT) && is_file(path)) {
        char caption[260] {};
        GetWindowTextA(dialog, caption, sizeof caption);
        std::string text = name_of(path) + " already exists.\nDo you want to replace it?";
        if (MessageBoxA(dialog, text.c_str(), caption, MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
    }
    // An existing file is named as the folder spells it.
    WIN32_FIND_DATAA found {};
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        path = join(parent_of(path), found.cFileName);
        FindClose(find);
    }
    if (!store_choice(d, path)) {
        t_error = FNERR_BUFFERTOOSMALL;
        EndDialog(dialog, IDCANCEL);
        return;
    }
    std::vector<char> shown(path.begin(), path.end());
    shown.push_back('\0');
    if (notify(d, CDN_FILEOK, shown.data()) != 0)
        return;
    if (!(flags & OFN_NOCHANGEDIR))
        SetCurrentDirectoryA(parent_of(path).c_str());
    EndDialog(dialog, IDOK);
}

void list_notice(FileDialog& d, bool double_click)
{
    LRESULT selected = SendDlgItemMessageA(d.dialog, lst2, LB_GETCURSEL, 0, 0);
    if (selected < 0)
        return;
    auto at = static_cast<std::size_t>(selected);
    if (at < d.folders.size()) {
        if (double_click)
            enter_folder(d, join(d.folder, d.folders[at]));
    } else if (at - d.folders.size() < d.files.size()) {
        SetDlgItemTextA(d.dialog, edt1, d.files[at - d.folders.size()].c_str());
        notify(d, CDN_SELCHANGE);
        if (double_click) {
            SetFocus(GetDlgItem(d.dialog, edt1));
            press_ok(d);
        }
    }
}

// A CDM_GET* answer: the text's size with its terminator, copied only when it fits.
LRESULT answer_text(WPARAM size, LPARAM buffer, const std::string& text)
{
    if (buffer && size >= text.size() + 1)
        std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
    return static_cast<LRESULT>(text.size() + 1);
}

// The CDM_* messages; false for any other.
bool common_dialog_message(FileDialog& d, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    switch (message) {
    case CDM_GETSPEC:
        result = answer_text(wparam, lparam, trimmed(item_text(d.dialog, edt1)));
        return true;
    case CDM_GETFILEPATH: {
        std::string name = trimmed(item_text(d.dialog, edt1));
        result = answer_text(wparam, lparam, name.empty() ? std::string() : absolute_from(d.folder, name));
        return true;
    }
    case CDM_GETFOLDERPATH:
        result = answer_text(wparam, lparam, d.folder);
        return true;
    case CDM_SETCONTROLTEXT:
        result = SetDlgItemTextA(d.dialog, static_cast<int>(wparam), reinterpret_cast<LPCSTR>(lparam));
        return true;
    case CDM_HIDECONTROL:
        ShowWindow(GetDlgItem(d.dialog, static_cast<int>(wparam)), SW_HIDE);
        result = TRUE;
        return true;
    case CDM_SETDEFEXT:
        d.default_extension = lparam ? reinterpret_cast<LPCSTR>(lparam) : "";
        result = TRUE;
        return true;
    }
    return false;
}

std::string initial_folder(const OPENFILENAMEA& ofn, std::string& offered_name)
{
    char current[260] {};
    GetCurrentDirectoryA(sizeof current, current);
    std::string here = absolute_from("\\", current);
    std::string offered(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile));
    offered_name = offered;
    auto slash = offered.find_last_of("\\/");
    if (slash != std::string::npos) {
        std::string folder = absolute_from(here, offered.substr(0, slash + 1));
        offered_name = offered.substr(slash + 1);
        if (is_folder(folder))
            return folder;
    }
    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) {
        std::string folder = absolute_from(here, ofn.lpstrInitialDir);
        if (is_folder(folder))
            return folder;
    }
    return here;
}

INT_PTR CALLBACK hook_child_proc(HWND child, UINT message, WPARAM wparam, LPARAM lparam)
{
    FileDialog* d = dialog_of(GetParent(child));
    if (!d || !d->ofn->lpfnHook)
        return FALSE;
    return static_cast<INT_PTR>(d->ofn->lpfnHook(child, message, wparam, lparam));
}

void init_dialog(FileDialog& d)
{
    HWND dialog = d.dialog;
    OPENFILENAMEA& ofn = *d.ofn;
    SetWindowTextA(dialog, ofn.lpstrTitle ? ofn.lpstrTitle : d.save ? "Save As" : "Open");
    SetDlgItemTextA(dialog, IDOK, d.save ? "&Save" : "&Open");
    for (auto& [description, pattern] : d.filters)
        SendDlgItemMessageA(dialog, cmb1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(description.c_str()));
    std::size_t index = ofn.nFilterIndex > 0 ? ofn.nFilterIndex - 1 : 0;
    if (index >= d.filters.size())
        index = 0;
    SendDlgItemMessageA(dialog, cmb1, CB_SETCURSEL, index, 0);
    std::string offered;
    d.folder = spelled(initial_folder(ofn, offered));
    SetDlgItemTextA(dialog, edt1, offered.c_str());
    fill_list(d);
    if (ofn.Flags & OFN_ENABLEHOOK) {
        d.hook = CreateDialogParamA(nullptr, kHookTemplate, dialog, hook_child_proc, reinterpret_cast<LPARAM>(d.ofn));
        if (!d.hook) {
            t_error = FNERR_SUBCLASSFAILURE;
            EndDialog(dialog, -1);
            return;
        }
    }
    notify(d, CDN_INITDONE);
    notify(d, CDN_FOLDERCHANGE);
    // The hook may have hidden the name field: the focus goes to the first control shown.
    HWND name = GetDlgItem(dialog, edt1);
    HWND focus = IsWindowVisible(name) ? name : GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (focus)
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
}

INT_PTR CALLBACK file_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        auto* d = reinterpret_cast<FileDialog*>(lparam);
        d->dialog = dialog;
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        init_dialog(*d);
        return FALSE;
    }
    FileDialog* d = dialog_of(dialog);
    if (!d)
        return FALSE;
    LRESULT result = 0;
    if (common_dialog_message(*d, message, wparam, lparam, result)) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_DESTROY) {
        d->hook = nullptr;
        return FALSE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wparam)) {
    case IDOK:
        press_ok(*d);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case lst2:
        if (HIWORD(wparam) == LBN_SELCHANGE || HIWORD(wparam) == LBN_DBLCLK)
            list_notice(*d, HIWORD(wparam) == LBN_DBLCLK);
        return TRUE;
    case cmb1:
        if (HIWORD(wparam) == CBN_SELCHANGE) {
            d->typed_pattern.clear();
            d->ofn->nFilterIndex = static_cast<DWORD>(chosen_filter(*d) + 1);
            fill_list(*d);
            notify(*d, CDN_TYPECHANGE);
        }
        return TRUE;
    }
    return FALSE;
}

BOOL run_file_dialog(LPOPENFILENAMEA ofn, bool save)
{
    t_error = 0;
    if (!ofn) {
        t_error = CDERR_INITIALIZATION;
        return FALSE;
    }
    if (ofn->lStructSize != sizeof(OPENFILENAMEA) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A) {
        t_error = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        t_error = CDERR_INITIALIZATION;
        return FALSE;
    }
    if (ofn->Flags & (OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE)) {
        t_error = CDERR_NOTEMPLATE;
        return FALSE;
    }
    // A hook runs in the explorer form only.
    if ((ofn->Flags & OFN_ENABLEHOOK) && (!ofn->lpfnHook || !(ofn->Flags & OFN_EXPLORER))) {
        t_error = CDERR_NOHOOK;
        return FALSE;
    }
    register_templates();
    FileDialog d { ofn, save, parse_filter(ofn->lpstrFilter), {}, {}, {}, {}, ofn->lpstrDefExt ? ofn->lpstrDefExt : "" };
    INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(NEWFILEOPENORD), ofn->hwndOwner, file_dialog_proc,
        reinterpret_cast<LPARAM>(&d));
    if (result == -1 && t_error == 0)
        t_error = CDERR_DIALOGFAILURE;
    return result == IDOK;
}

}

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) { return run_file_dialog(ofn, false); }

BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) { return run_file_dialog(ofn, true); }

DWORD CommDlgExtendedError() { return t_error; }
