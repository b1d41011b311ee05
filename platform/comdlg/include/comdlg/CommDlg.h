#pragma once

// The common file dialogs: GetOpenFileNameA and GetSaveFileNameA, the explorer-style Open and
// Save As dialog over the real file system, described by an OPENFILENAMEA record.
//
// The dialog (template NEWFILEOPENORD, by which tests script it) lists the current folder's
// sub-folders ("[name]", ".." first unless at the root) and the files its chosen filter matches,
// in lst2; a double click or Enter on a folder goes into it, and a name typed with a folder part
// (or naming a folder) goes there. Its other controls have the standard ids: stc4 "Look in:" with
// the folder's path beside it, stc3/edt1 the file name, stc2/cmb1 the file type, IDOK, IDCANCEL,
// and lst1, a hidden list marking the view's place. OK checks the name as the flags ask
// (OFN_PATHMUSTEXIST is always on, OFN_FILEMUSTEXIST, OFN_OVERWRITEPROMPT), adds lpstrDefExt to
// a name without extension, asks the hook (CDN_FILEOK), then fills lpstrFile (the full path),
// nFileOffset, nFileExtension, lpstrFileTitle and nFilterIndex, and makes the chosen folder the
// process's current one unless OFN_NOCHANGEDIR. There is no read-only box (as if
// OFN_HIDEREADONLY), and the dialog keeps its size.
//
// With OFN_ENABLEHOOK (only in the explorer form, OFN_EXPLORER) the hook runs as the dialog
// procedure of an empty child dialog of the system dialog, made before the system dialog shows:
// WM_INITDIALOG (lParam: the OPENFILENAMEA), then WM_NOTIFY with an OFNOTIFY: CDN_INITDONE,
// CDN_FOLDERCHANGE (at the start and at every folder entered), CDN_FILEOK (refused when the hook
// returns non-zero, leaving the dialog open). The hook reaches the system dialog (its parent)
// and its controls by the CDM_* messages and GetDlgItem.
//
//     char name[260] = "";
//     OPENFILENAMEA ofn {};
//     ofn.lStructSize = sizeof ofn;
//     ofn.lpstrFilter = "Video (*.avi)\0*.avi\0";
//     ofn.lpstrFile = name;
//     ofn.nMaxFile = sizeof name;
//     ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
//     if (GetOpenFileNameA(&ofn)) ...       // else CommDlgExtendedError(): 0 for Cancel

#include <base/Types.h>
#include <user/CommonControls.h>
#include <user/Messages.h>

#include <cstddef>

using LPOFNHOOKPROC = UINT_PTR(CALLBACK*)(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;       // pairs "description\0pattern;pattern\0", closed by an empty string
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;       // 1-based; 0 takes the first
    LPSTR lpstrFile;          // in: the name offered (may hold a folder); out: the full path
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;     // out: the name without its folder (when given)
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;   // when lpstrFile names no folder; else the current folder
    LPCSTR lpstrTitle;        // null: "Open" or "Save As"
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;
using OPENFILENAME = OPENFILENAMEA;
using LPOPENFILENAME = LPOPENFILENAMEA;

// The record's older size, without the trailing fields; both sizes are accepted.
constexpr DWORD OPENFILENAME_SIZE_VERSION_400A
    = static_cast<DWORD>(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR));
constexpr DWORD OPENFILENAME_SIZE_VERSION_400 = OPENFILENAME_SIZE_VERSION_400A;

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_SHOWHELP = 0x00000010;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x00000080;
constexpr DWORD OFN_NOVALIDATE = 0x00000100;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_LONGNAMES = 0x00200000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;

// The explorer dialog's notices to its hook, in an OFNOTIFY.
#define CDN_FIRST (0u - 601u)
#define CDN_INITDONE (CDN_FIRST - 0u)
#define CDN_SELCHANGE (CDN_FIRST - 1u)
#define CDN_FOLDERCHANGE (CDN_FIRST - 2u)
#define CDN_SHAREVIOLATION (CDN_FIRST - 3u)
#define CDN_HELP (CDN_FIRST - 4u)
#define CDN_FILEOK (CDN_FIRST - 5u)
#define CDN_TYPECHANGE (CDN_FIRST - 6u)

struct OFNOTIFYA {
    NMHDR hdr;                // hwndFrom: the system dialog; idFrom 0
    LPOPENFILENAMEA lpOFN;
    LPSTR pszFile;            // CDN_FILEOK: the path about to be returned; else null
};
using LPOFNOTIFYA = OFNOTIFYA*;
using OFNOTIFY = OFNOTIFYA;
using LPOFNOTIFY = LPOFNOTIFYA;

// Messages the hook sends to the system dialog (its parent). The GET messages take the buffer's
// size in wParam and the buffer in lParam, and return the text's size with its terminator (copying
// nothing when the buffer is smaller); CDM_SETCONTROLTEXT and CDM_HIDECONTROL take a control id.
#define CDM_FIRST (WM_USER + 100)
#define CDM_GETSPEC (CDM_FIRST + 0)
#define CDM_GETFILEPATH (CDM_FIRST + 1)
#define CDM_GETFOLDERPATH (CDM_FIRST + 2)
#define CDM_SETCONTROLTEXT (CDM_FIRST + 4)
#define CDM_HIDECONTROL (CDM_FIRST + 5)
#define CDM_SETDEFEXT (CDM_FIRST + 6)

// The dialog's template id and its controls' ids.
constexpr UINT NEWFILEOPENORD = 1547;
constexpr int stc2 = 0x0441;   // "Files of type:"
constexpr int stc3 = 0x0442;   // "File name:"
constexpr int stc4 = 0x0443;   // "Look in:"
constexpr int lst1 = 0x0460;   // the view's place, hidden
constexpr int lst2 = 0x0461;   // the folders and files
constexpr int cmb1 = 0x0470;   // the file types
constexpr int cmb2 = 0x0471;   // the current folder's path
constexpr int edt1 = 0x0480;   // the file name

// CommDlgExtendedError's codes.
constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD CDERR_NOTEMPLATE = 0x0003;
constexpr DWORD CDERR_NOHOOK = 0x000B;
constexpr DWORD FNERR_SUBCLASSFAILURE = 0x3001;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// Non-zero when the user chose a file; zero for Cancel or an error (CommDlgExtendedError).
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);
// The last file dialog's error on this thread: 0 after Cancel or success. A buffer too small
// (FNERR_BUFFERTOOSMALL) leaves the needed size in the first two bytes of lpstrFile.
DWORD CommDlgExtendedError();
