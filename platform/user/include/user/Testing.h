#pragma once

// Hooks for tests: answering message boxes, choosing from popup menus, scripting modal dialogs,
// and journals of all three.
//
// A responder or script takes precedence over the screen and the headless default. Set them in a
// test and clear them (user::testing::reset()) at its end.
//
//     user::testing::set_message_box_responder([](const user::MessageBoxCall& box) {
//         return box.caption == "Confirm" ? IDYES : IDOK;
//     });
//     user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return 1203u; });
//     user::testing::set_dialog_script(300, [](const user::testing::ModalDialog& d) {
//         SetDlgItemTextA(d.dialog, 101, "Anna");
//         user::testing::press_dialog_button(d.dialog, IDOK);
//     });

#include <user/Dialogs.h>
#include <user/Menus.h>
#include <user/MessageBox.h>

#include <functional>
#include <vector>

namespace user::testing {

// Answers message boxes; its answer should be one of the box's buttons (message_box_buttons).
using MessageBoxResponder = std::function<int(const MessageBoxCall&)>;
void set_message_box_responder(MessageBoxResponder responder);
// Every box shown since the last clear, with the answer it got.
struct ShownMessageBox {
    MessageBoxCall box;
    int answer;
};
std::vector<ShownMessageBox> message_box_journal();
// The MessageBeep types since the last clear.
std::vector<UINT> beep_journal();

// Chooses from popup menus: returns a command id, or 0 to dismiss.
using PopupMenuScript = std::function<UINT(const PopupMenuCall&)>;
void set_popup_menu_script(PopupMenuScript script);
// Every popup menu tracked since the last clear, with the command chosen (0: dismissed).
struct TrackedPopupMenu {
    PopupMenuCall call;
    UINT chosen;
};
std::vector<TrackedPopupMenu> popup_menu_journal();

// The command of the first item whose text, without "&" and the "\t" key text, equals `text`
// (ignoring case), searching submenus; 0 when there is none. Handy in popup scripts.
UINT find_menu_command(HMENU menu, const char* text);

// A modal dialog as it opens: created, initialised and shown, its loop not yet running.
struct ModalDialog {
    HWND dialog;
    UINT template_id;   // 0 for a template registered by name
    std::string caption;
    HWND owner;
};
// Runs when a modal dialog opens (nested ones too, each with its own script); it may act on the
// controls, send or post messages (user::key_input included) and end the dialog. A scripted
// dialog whose queue runs dry while it is still open ends with IDCANCEL and is reported to the
// unexpected-dialog handler. Scripts by template id win over the catch-all script.
using DialogScript = std::function<void(const ModalDialog&)>;
void set_dialog_script(UINT template_id, DialogScript script);
void set_dialog_script(DialogScript script);
// Called for a modal dialog no script answers (and for one a script left open); the dialog then
// ends with IDCANCEL. Tests that want to fail on unexpected dialogs report from it.
void set_unexpected_dialog_handler(DialogScript handler);
// Every modal dialog closed since the last clear, with its result.
struct ShownDialog {
    UINT template_id;
    std::string caption;
    INT_PTR result;
};
std::vector<ShownDialog> dialog_journal();
// Presses a dialog's button as the user does: BM_CLICK to a button control, else WM_COMMAND
// with the id (nothing for a disabled control).
void press_dialog_button(HWND dialog, int id);

// Handles the queued messages of the thread as a modal dialog's loop does (its message filter,
// its keys, the dispatch), so a script sees the dialog's reaction before it goes on.
void pump_dialog(HWND dialog);

// Removes responder and scripts and clears the journals.
void reset();

}
