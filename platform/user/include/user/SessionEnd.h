#pragma once

// The end of the desktop session as the program sees it: the signals a Linux session ends a
// process with (SIGTERM at log-out or shutdown, SIGHUP when its terminal goes, SIGINT for Ctrl+C)
// close the program the way the user closing it would, so that it saves what it keeps.
//
// user::end_session_on_signals() installs the handlers once. The first signal asks every
// top-level window of the process that has no owner to close (WM_CLOSE, posted from a thread of
// the layer's own); a second one ends the process at once with the signal's exit status.
// user::end_session() does the first part without a signal (the display lost, say).

namespace user {

void end_session_on_signals();
// Posts WM_CLOSE to each of the process's unowned top-level windows; the number posted to.
int end_session();

}
