#include "DirPick.h"

#include <resources/SettingsPages.h>

#include <base/Files.h>
#include <base/Text.h>
#include <user/Controls.h>
#include <user/MessageBox.h>
#include <user/User.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int FolderList = 1121;
constexpr int LookIn = 1137;
constexpr int FileNameLabel = 1090;
constexpr int FileName = 1152;

TDirPick* active_picker = nullptr;
WNDPROC previous_field_proc = nullptr;

bool ends_in_separator(const std::string& path)
{
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

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

std::string with_backslash(std::string path)
{
    if (!ends_in_separator(path))
        path += '\\';
    return path;
}

std::string window_text(HWND window)
{
    char text[260] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
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
    RegisterSettingsPages();
    active_picker = this;
    INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_DIR_PICK), m_owner, DialogProc, reinterpret_cast<LPARAM>(this));
    active_picker = nullptr;
    m_dialog = nullptr;
    m_pathField = nullptr;
    return result == IDOK ? 1 : 2;
}

void TDirPick::SetupDialog()
{
    SetWindowTextA(m_dialog, m_title);
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

    HWND label = GetDlgItem(m_dialog, FileNameLabel);
    RECT label_rect = client_rect_of(m_dialog, label);
    MoveWindow(label, 16, top - height, label_rect.right - label_rect.left, label_rect.bottom - label_rect.top, TRUE);
    ShowWindow(name, SW_HIDE);
    SetWindowTextA(name, "foo.bar");
}

void TDirPick::FolderChanged(const std::string& folder)
{
    m_folder = with_backslash(folder);
    SetDlgItemTextA(m_dialog, LookIn, m_folder.c_str());
    HWND list = GetDlgItem(m_dialog, FolderList);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    std::vector<std::string> names;
    WIN32_FIND_DATAA found {};
    HANDLE find = FindFirstFileA((m_folder + "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    std::string trimmed = m_folder.substr(0, m_folder.size() - 1);
    if (trimmed.find_first_of("\\/") != std::string::npos)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(".."));
    for (const std::string& name : names)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    base::copy_bounded(m_path, 260, m_folder);
    if (m_pathField)
        SetWindowTextA(m_pathField, m_path);
}

void TDirPick::OpenListed()
{
    HWND list = GetDlgItem(m_dialog, FolderList);
    auto index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index < 0)
        return;
    char name[260] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name));
    if (std::strcmp(name, "..") == 0) {
        std::string trimmed = m_folder.substr(0, m_folder.size() - 1);
        std::size_t cut = trimmed.find_last_of("\\/");
        if (cut != std::string::npos)
            FolderChanged(trimmed.substr(0, cut + 1));
        return;
    }
    FolderChanged(m_folder + name);
}

int TDirPick::Fail(const std::string& text, UINT style)
{
    return MessageBoxA(m_dialog, text.c_str(), m_title, style);
}

bool TDirPick::ValidateFolder()
{
    base::copy_bounded(m_path, 260, window_text(m_pathField));
    if (!m_path[0])
        base::copy_bounded(m_path, 260, m_folder);
    std::string path = m_path;
    if (path.empty()) {
        Fail("Invalid folder selected", MB_ICONHAND);
        return false;
    }
    if (path.size() > 1 && path.find("\\\\", 1) != std::string::npos) {
        Fail("Invalid folder specified:\n\n\t" + path, MB_ICONHAND);
        return false;
    }
    if (crt::_access(m_path, 0) != 0) {
        if (Fail(path + "\n\nThis path does not exist. Do you wish to create this folder?", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        if (!add_backslash(m_path)) {
            Fail("Invalid folder specified:\n\n\t" + path, MB_ICONHAND);
            return false;
        }
        MakeSureDirectoryPathExists(m_path);
        if (crt::_access(m_path, 0) != 0) {
            Fail("Cannot create folder:\n\n\t" + std::string(m_path), MB_ICONHAND);
            return false;
        }
    }
    if (!add_backslash(m_path)) {
        Fail("Invalid folder specified:\n\n\t" + path, MB_ICONHAND);
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

INT_PTR CALLBACK TDirPick::DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        auto* picker = reinterpret_cast<TDirPick*>(lparam);
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        picker->m_dialog = dialog;
        std::string first = picker->m_path;
        if (first.empty() || crt::_access(first.c_str(), 0) != 0) {
            char current[260] = {};
            GetCurrentDirectoryA(sizeof current, current);
            first = current;
        }
        picker->SetupDialog();
        picker->FolderChanged(first);
        return TRUE;
    }
    auto* picker = reinterpret_cast<TDirPick*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!picker || message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wparam)) {
    case IDOK:
        if (picker->ValidateFolder())
            EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case FolderList:
        if (HIWORD(wparam) == LBN_DBLCLK)
            picker->OpenListed();
        return TRUE;
    }
    return FALSE;
}
