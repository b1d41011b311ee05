#pragma once

// TDirPick: the folder picker of the File page, "Select directory": an open dialog's folder list
// (dialog 4300) with its file name and file type controls hidden, a path field the user may type
// a folder into, and a "Select" button that checks the folder, offers to create a missing one and
// keeps the dialog open on a bad one.
//
// The path buffer (260 bytes) gives the first folder and receives the chosen one, ending in "\".
// One picker runs at a time.
//
//     char path[260] = "C:\\Recordings\\";
//     if (TDirPick(window, path).Execute() == 1) ...   // 2: cancelled

#include <base/Types.h>
#include <user/Dialogs.h>

#include <string>

class TDirPick {
public:
    TDirPick(HWND owner, char* path);

    // 1 when the user chose a folder, else 2.
    int Execute();

    // The added path field's control id.
    static constexpr int PathFieldId = 131;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK PathFieldProc(HWND field, UINT message, WPARAM wparam, LPARAM lparam);

    // Hides, moves and renames the open dialog's controls and adds the path field.
    void SetupDialog();
    // Shows a folder: the list of its sub-folders, and the path buffer and field.
    void FolderChanged(const std::string& folder);
    // The list's double click: into the sub-folder, or ".." to the parent.
    void OpenListed();
    // The Select button's check; true leaves the folder in the path buffer.
    bool ValidateFolder();
    int Fail(const std::string& text, UINT style);

    char* m_path;
    HWND m_owner;
    const char* m_title = "Select directory";
    HWND m_dialog = nullptr;
    HWND m_pathField = nullptr;
    std::string m_folder;
};
