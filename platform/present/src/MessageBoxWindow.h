#pragma once

// The on-screen message box: a window with the text and a button row, answered by a click on a
// button, Enter or Space (the focused button, at first the default one), Escape or the close box
// (Cancel, or OK when it is the only button) or a button's underlined letter.

#include <user/MessageBox.h>

namespace present::detail {

// Runs the box modally on the calling thread and returns the button chosen.
int show_message_box(const user::MessageBoxCall& call);

}
