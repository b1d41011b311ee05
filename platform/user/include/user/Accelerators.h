#pragma once

// Keyboard accelerator tables.
//
// Resource tables are registered at start (user::register_accelerators) and LoadAcceleratorsA
// makes a table from one. TranslateAcceleratorA turns a WM_KEYDOWN/WM_SYSKEYDOWN (virtual-key
// entries) or WM_CHAR/WM_SYSCHAR (character entries) whose key and modifiers match an entry
// exactly (Shift, Ctrl and Alt as GetKeyState sees them) into WM_COMMAND (HIWORD 1) sent to the
// window. When the command is an item of the window's menu, WM_INITMENU and WM_INITMENUPOPUP are
// sent first, and a greyed or disabled item sends nothing; the key counts as translated either way.

#include <user/Window.h>

#include <vector>

#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
using LPACCEL = ACCEL*;

HACCEL CreateAcceleratorTableA(LPACCEL entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
HACCEL LoadAcceleratorsA(HINSTANCE module, LPCSTR name);
// Copies up to `count` entries (NULL: returns the number of entries).
int CopyAcceleratorTableA(HACCEL table, LPACCEL entries, int count);
int TranslateAcceleratorA(HWND window, HACCEL table, LPMSG msg);

namespace user {

void register_accelerators(UINT id, std::vector<ACCEL> table);
void register_accelerators(const char* name, std::vector<ACCEL> table);
void clear_accelerators();

}
