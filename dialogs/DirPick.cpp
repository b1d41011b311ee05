#include "DirPick.h"

#include <base/Files.h>
#include <base/Text.h>
#include <user/Controls.h>
#include <user/MessageBox.h>
#include <user/User.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int FileNameLabel = 1090;
constexpr int FileName = 1152;

TDirPick* active_picker = nullptr;
WNDPROC previous_field_proc = nullptr;

// Appends "\" unless the path ends in a separator; false when the result would not fit 260 bytes.
bool add_backslash(char* path)
{
    std::size_t length = std::strlen(path);
    if (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/'))
        return true;
    if (length + 2 > 260)
        return false;
    path[length] = '\\';
    path[length + 1] = '\0';
    return true;
}

RECT client_rect_of(HWND dialog, HWND control)
{
    RECT r {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<LPPOINT>(&r), 2);
    return r;
}

}

TDirPick::TDirPick(HWND owner, char* path)
    : m_path(path)
    , m_owner(owner)
{
}

int TDirPick::Execute()
{
    if (active_picker)
        return 2;
    char file[260] = "foo.bar";
    m_ofn = {};
    m_ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400;
    m_ofn.hwndOwner = m_owner;
    m_ofn.lpstrFilter = "foo file (*.0m1qwert)\0*.0m1qwert\0";
    m_ofn.lpstrFile = file;
    m_ofn.nMaxFile = sizeof file;
    m_ofn.lpstrInitialDir = m_path;
    m_ofn.lpstrTitle = m_title;
    m_ofn.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.lpfnHook = &TDirPick::HookProc;
    active_picker = this;
    BOOL chosen = GetOpenFileNameA(&m_ofn);
    active_picker = nullptr;
    m_dialog = nullptr;
    m_hook = nullptr;
    m_pathField = nullptr;
    return chosen ? 1 : 2;
}

void TDirPick::SetupDialog()
{
    for (int id : { 1089, 1120, 1136 })
        ShowWindow(GetDlgItem(m_dialog, id), SW_HIDE);
    SetDlgItemTextA(m_dialog, FileNameLabel, "Current path:");

    RECT client {};
    GetClientRect(m_dialog, &client);
    HWND cancel = GetDlgItem(m_dialog, IDCANCEL);
    HWND ok = GetDlgItem(m_dialog, IDOK);
    RECT button = client_rect_of(m_dialog, cancel);
    int bw = button.right - button.left;
    int bh = button.bottom - button.top;
    int cancel_x = client.right - 16 - bw;
    int button_y = client.bottom - 16 - bh;
    MoveWindow(cancel, cancel_x, button_y, bw, bh, TRUE);
    MoveWindow(ok, cancel_x - 16 - bw, button_y, bw, bh, TRUE);
    SetWindowTextA(ok, "&Select");

    HWND name = GetDlgItem(m_dialog, FileName);
    RECT name_rect = client_rect_of(m_dialog, name);
    int height = name_rect.bottom - name_rect.top + 2;
    int top = button_y - 16 - height;
    m_pathField = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", m_path, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
        32, top, client.right - 48, height, m_dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(PathFieldId)), nullptr, nullptr);
    SendMessageA(m_pathField, WM_SETFONT, SendMessageA(name, WM_GETFONT, 0, 0), FALSE);
    SetWindowLongPtrA(m_pathField, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_field_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_pathField, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TDirPick::PathFieldProc)));

    // The label spans the field's width, so "Current path:" reads on one line above it.
    HWND label = GetDlgItem(m_dialog, FileNameLabel);
    RECT label_rect = client_rect_of(m_dialog, label);
    MoveWindow(label, 16, top - height, client.right - 32, label_rect.bottom - label_rect.top, TRUE);
    ShowWindow(name, SW_HIDE);
    SetWindowTextA(name, "foo.bar");
}

void TDirPick::FolderChanged()
{
    // A folder too long for the buffer shows as none.
    if (SendMessageA(m_dialog, CDM_GETFOLDERPATH, 260, reinterpret_cast<LPARAM>(m_path)) > 260)
        m_path[0] = '\0';
    else
        add_backslash(m_path);
    SetWindowTextA(m_pathField, m_path);
}

int TDirPick::Ask(const char* text, UINT style)
{
    return MessageBoxA(m_dialog, text, m_title, style);
}

bool TDirPick::ValidateFolder()
{
    GetWindowTextA(m_pathField, m_path, 260);
    if (!m_path[0])
        SendMessageA(m_dialog, CDM_GETFOLDERPATH, 260, reinterpret_cast<LPARAM>(m_path));
    const std::string path = m_path;
    if (path.empty()) {
        Ask("Invalid folder selected", MB_ICONHAND);
        return false;
    }
    const std::string invalid = "Invalid folder specified:\n\n\t" + path;
    if (path.size() > 1 && path.find("\\\\", 1) != std::string::npos) {
        Ask(invalid.c_str(), MB_ICONHAND);
        return false;
    }
    if (crt::_access(m_path, 0) != 0) {
        std::string question = path + "\n\nThis path does not exist. Do you wish to create this folder?";
        if (Ask(question.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        if (!add_backslash(m_path)) {
            Ask(invalid.c_str(), MB_ICONHAND);
            return false;
        }
        MakeSureDirectoryPathExists(m_path);
        if (crt::_access(m_path, 0) != 0) {
            std::string failed = "Cannot create folder:\n\n\t" + std::string(m_path);
            Ask(failed.c_str(), MB_ICONHAND);
            return false;
        }
    }
    if (!add_backslash(m_path)) {
        Ask(invalid.c_str(), MB_ICONHAND);
        return false;
    }
    return true;
}

LRESULT CALLBACK TDirPick::PathFieldProc(HWND field, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_CHAR)
        MessageBeep(static_cast<UINT>(-1));
    return CallWindowProcA(previous_field_proc, field, message, wparam, lparam);
}

UINT_PTR CALLBACK TDirPick::HookProc(HWND hook, UINT message, WPARAM, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        auto* picker = reinterpret_cast<TDirPick*>(reinterpret_cast<OPENFILENAME*>(lparam)->lCustData);
        picker->m_hook = hook;
        picker->m_dialog = GetParent(hook);
        picker->SetupDialog();
        return TRUE;
    }
    TDirPick* picker = active_picker;
    if (message != WM_NOTIFY || !picker || !picker->m_pathField)
        return FALSE;
    switch (reinterpret_cast<OFNOTIFY*>(lparam)->hdr.code) {
    case CDN_FOLDERCHANGE:
        picker->FolderChanged();
        return TRUE;
    case CDN_FILEOK:
        if (!picker->ValidateFolder()) {
            SetWindowLongPtrA(picker->m_dialog, DWLP_MSGRESULT, 1);
            SetWindowLongPtrA(hook, DWLP_MSGRESULT, 1);
            return static_cast<UINT_PTR>(-1);
        }
        return TRUE;
    }
    return FALSE;
}
