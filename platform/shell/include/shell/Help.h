#pragma once

// Help files: HtmlHelpA and WinHelpA.
//
// There is no compiled-help engine here. A request to show a help file opens it with the desktop's
// viewer (xdg-open, started through base's launcher) when the file exists; a topic or context id
// cannot be addressed in an outside viewer, so the file is opened at its start. A text popup
// (HH_DISPLAY_TEXT_POPUP) is a real popup window at the record's point, with its colours and
// margins, closed by the next click: its text is the record's pszText, else text idString of the
// popup text file ("x.chm::/texts.txt", read from "texts.txt" beside "x.chm" when "x.chm" exists),
// else "No help topic is associated with this item.". WinHelp's control popups
// (HELP_WM_HELP, HELP_CONTEXTMENU) are not shown and fail. Every call is journalled for tests
// (shell/Testing.h), whether it could be shown or not.
//
//     HtmlHelpA(frame, "\\opt\\orbivane\\orbivane.chm", HH_DISPLAY_TOPIC, 0);

#include <base/Types.h>

#define HH_DISPLAY_TOPIC 0x0000
#define HH_DISPLAY_TOC 0x0001
#define HH_DISPLAY_INDEX 0x0002
#define HH_DISPLAY_SEARCH 0x0003
#define HH_DISPLAY_TEXT_POPUP 0x000E
#define HH_HELP_CONTEXT 0x000F
#define HH_CLOSE_ALL 0x0012

#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_CONTENTS 0x0003
#define HELP_INDEX 0x0003
#define HELP_CONTEXTMENU 0x000A
#define HELP_FINDER 0x000B
#define HELP_WM_HELP 0x000C

struct HH_POPUP {
    int cbStruct;
    HINSTANCE hinst;
    UINT idString;
    LPCSTR pszText;
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    LPCSTR pszFont;
};

// Shows help from `file` ("x.chm" or "x.chm::/topic"). Returns the popup window, or the window that
// owns the help (the caller, or the desktop when there is none) when it was opened, else NULL.
HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
// HELP_QUIT succeeds; HELP_CONTENTS, HELP_CONTEXT and HELP_FINDER open the file as HtmlHelpA does;
// popups (HELP_WM_HELP, HELP_CONTEXTMENU) and other commands fail.
BOOL WinHelpA(HWND caller, LPCSTR file, UINT command, ULONG_PTR data);
