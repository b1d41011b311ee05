#pragma once

// TDirPick: the folder picker of the File page, "Select directory", made from the system's Open
// dialog (comdlg/CommDlg.h) with a hook: the file name and file type controls hidden, a path
// field the user may type a folder into, and a "Select" button that checks the folder, offers to
// create a missing one and keeps the dialog open on a bad one.
//
// The path buffer (260 bytes) gives the first folder and receives the folder shown or chosen,
// ending in "\"; the caller reads it only when Execute returns 1. One picker runs at a time.
//
//     char path[260] = "C:\\Recordings\\";
//     if (TDirPick(window, path).Execute() == 1) ...   // 2: cancelled

#include <base/Types.h>
#include <comdlg/CommDlg.h>
#include <user/Dialogs.h>

class TDirPick {
public:
    TDirPick(HWND owner, char* path);

    // 1 when the user chose a folder, else 2.
    int Execute();

    // The added path field's control id.
    static constexpr int PathFieldId = 131;

private:
    static UINT_PTR CALLBACK HookProc(HWND hook, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK PathFieldProc(HWND field, UINT message, WPARAM wparam, LPARAM lparam);

    // Hides, moves and renames the system dialog's controls and adds the path field.
    void SetupDialog();
    // The folder the system dialog shows, into the path buffer and the path field.
    void FolderChanged();
    // The Select button's check; true leaves the folder in the path buffer.
    bool ValidateFolder();
    int Ask(const char* text, UINT style);

    char* m_path;
    HWND m_owner;
    OPENFILENAME m_ofn {};
    const char* m_title = "Select directory";
    HWND m_dialog = nullptr;
    HWND m_hook = nullptr;
    HWND m_pathField = nullptr;
};
