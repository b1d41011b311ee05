#pragma once

// Hooks for tests: answering message boxes, choosing from popup menus, and journals of both.
//
// A responder or script takes precedence over the screen and the headless default. Set them in a
// test and clear them (user::testing::reset()) at its end.
//
//     user::testing::set_message_box_responder([](const user::MessageBoxCall& box) {
//         return box.caption == "Confirm" ? IDYES : IDOK;
//     });
//     user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return 1203u; });

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

// Removes responder and script and clears the journals.
void reset();

}
