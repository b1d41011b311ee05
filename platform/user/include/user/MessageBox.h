#pragma once

// Message boxes and beeps.
//
// MessageBoxA is modal: the owner is disabled while the box is up. On screen the display module's
// presenter shows it; headless (ORBIVANE_HEADLESS=1, or no DISPLAY) the box is written to standard
// error and answered with its default button, unless a test installed a responder
// (user/Testing.h), which then gives the answer. Every box shown is journalled for tests.

#include <user/Window.h>

#include <functional>
#include <string>
#include <vector>

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_CANCELTRYCONTINUE 0x00000006u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFBUTTON4 0x00000300u
#define MB_DEFMASK 0x00000F00u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_HELP 0x00004000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9
#define IDTRYAGAIN 10
#define IDCONTINUE 11

// A NULL caption reads "Error", as on Windows. Returns the button's ID*.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// MessageBoxA with a language for the buttons; the buttons have one language here.
int MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD language);
// Headless: journalled only (user::testing::beep_journal).
BOOL MessageBeep(UINT type);

namespace user {

// A message box as shown.
struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// Shows a box on screen and returns the button pressed.
using MessageBoxPresenter = std::function<int(const MessageBoxCall&)>;
// Installed by the display module; headless runs have none.
void set_message_box_presenter(MessageBoxPresenter presenter);

// The buttons of a box type, in order (MB_OKCANCEL: IDOK, IDCANCEL).
std::vector<int> message_box_buttons(UINT type);
// The answer of the box's default button.
int message_box_default(UINT type);

}
