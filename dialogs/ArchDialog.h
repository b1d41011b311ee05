#pragma once

// TArchDialog: the modal dialog "Archive" (dialog 200) over the recordings in the recording
// folder (`DefaultDirectory`). Its tree has one node per recording name, the part of a file name
// before its first "_" (the name of the timer event that made it), or "<unscheduled>" for "tv"
// and empty names; a node whose name is a timer event's also shows the event's start time and days
// ("News  20:15MTuWThF"). Under each node one item per file, newest first, reading
// "5-Mar-2003 09:07   \"News_1.avi\"". Only files ending in wav, mp3, avi, wma or wmv after their
// first "." are listed.
//
// "Open file" writes the chosen file's full path into the caller's 260-byte buffer and closes the
// dialog; the caller then plays it. "Launch player" hands the file to the desktop's registered
// player. "Delete" deletes it after asking, unless it is in use (a file being played or recorded),
// and blanks its item only when it is really gone. "Info" shows its stored copyright and
// description texts and its size.
//
//     char path[260] = "";
//     TArchDialog(frame, path).Execute();
//     if (path[0]) client->OpenMediaFile(path);

#include "ContextHelpWin.h"
#include "DialogRefocus.h"

#include <owl/Dialog.h>
#include <owl/TreeWindow.h>

#include <base/FileTime.h>

#include <string>

class TArchDialog : public OWL::TDialog, public ContextHelpWin {
public:
    // `resultPath`: the caller's buffer of 260 bytes, or null.
    TArchDialog(OWL::TWindow* parent, char* resultPath, OWL::TModule* module = nullptr);

    bool CanClose() override { return true; }
    // Alt+T and Alt+B do nothing here; the main window's accelerators keep working.
    bool PreProcessMsg(MSG& msg) override;

    // Empties the tree and lists the recording folder again; always true.
    bool FillTree();
    // The selected file's name and full path (each at most 259 bytes); false for no selection, a
    // group node, a path too long to hold, or a file that no longer exists.
    bool GetSelectedFile(char* name, char* path) const;
    // A recording's tag ("copyright", "Recorded by" or "orbivane") into `out` of `size` bytes.
    static bool GetTag(const char* path, const char* tag, int size, char* out);
    // The file's size in bytes, or -1 when it cannot be found.
    static float GetFileSize(const char* path);

    // "5-Mar-2003 09:07" for a file time already in local time.
    static std::string DateText(const FILETIME& local);
    // The size line's number: "0.500MB", "2.50MB", "250MB".
    static std::string SizeText(float bytes);
    // The recording name a file name belongs to; empty when the file is not listed.
    static std::string GroupName(const char* fileName);

protected:
    void SetupWindow() override;

private:
    void CmOpenFile();
    void CmLaunchPlayer();
    void CmDelete();
    void CmInfo();
    LRESULT Refresh();

    char* m_resultPath;
    OWL::TTreeWindow* m_tree;
};

// Orders a group's files by their item data (the high half of the local creation time), the
// newest first; files within the same 2^32 x 100 ns compare equal.
class FileCompare : public OWL::TTwComparator {
public:
    int Compare(LPARAM a, LPARAM b, LPARAM lParam = 0) const override;
};
