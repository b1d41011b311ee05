#pragma once

// The dialog manager's private state per dialog window and the template registry (internal).

#include <user/Dialogs.h>

#include <functional>
#include <string>

namespace user::detail {

struct DialogState {
    DLGPROC proc = nullptr;
    UINT template_id = 0;
    std::string template_name;
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
    int default_id = IDOK;
    HWND last_focus = nullptr;
    HFONT font = nullptr;
    std::function<bool(MSG&)> filter; // offered each message of the modal loop first
};

// Copies of a dialog's state; false when the window is not a dialog.
bool dialog_state(HWND dialog, DialogState& out);
// Changes a dialog's state under the lock; false when the window is not a dialog.
template<typename F>
bool update_dialog(HWND dialog, F&& change);
bool update_dialog_with(HWND dialog, void (*change)(DialogState&, void*), void* context);
void forget_dialog(HWND dialog);
bool is_dialog(HWND window);
// Creates the dialog window and its controls and sends WM_INITDIALOG; null on failure.
HWND create_dialog(LPCSTR template_name, HWND owner, DLGPROC proc, LPARAM param, bool modal);

template<typename F>
bool update_dialog(HWND dialog, F&& change)
{
    return update_dialog_with(
        dialog, [](DialogState& s, void* c) { (*static_cast<F*>(c))(s); }, &change);
}

}
