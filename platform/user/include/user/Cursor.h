#pragma once

// The mouse cursor: the standard shapes and the one shown now.
//
//     HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
//     ... long work ...
//     SetCursor(previous);
//
// LoadCursorA(NULL, IDC_xxx) gives shared handles of the standard shapes (never destroyed); the
// program has no cursor resources of its own, so a module's cursor fails with
// ERROR_RESOURCE_NAME_NOT_FOUND. The arrow is current until SetCursor changes it. The screen
// (platform/present) shows the current shape on the program's windows; headless it is just state.
// DefWindowProc answers WM_SETCURSOR over the client area with the class's cursor (WNDCLASS hCursor).

#include <base/Types.h>
#include <gdi/Resources.h>

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_SIZENWSE MAKEINTRESOURCEA(32642)
#define IDC_SIZENESW MAKEINTRESOURCEA(32643)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)
#define IDC_SIZENS MAKEINTRESOURCEA(32645)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name);
// Makes the cursor current (null hides it) and returns the one current before.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

namespace user {

// The IDC_ number of a standard cursor handle; 0 for null or anything else.
WORD standard_cursor_id(HCURSOR cursor);

}
