#pragma once

// Puts the process's top-level windows on the X display.
//
// The program's start-up calls present::start(). With an X display (DISPLAY set) and
// ORBIVANE_HEADLESS unset (or "0"), a thread of its own opens the display and keeps one X window
// per visible top-level window: created, moved, resized, retitled, iconified and hidden with it,
// showing the window's surface: only the rectangles that drawing changed are put on screen, through
// MIT shared memory where the server offers it, and the thread sleeps while nothing changes (no
// periodic wake-ups; it waits for X events and for the window area's and tray's observers). With
// shared memory the frames drawn with user::paint_now (the video renderer's) are put by the
// thread that drew them, over a connection of its own, without waking the display thread. X
// input comes back as the messages the windows expect: mouse buttons and motion are posted to
// the window under the pointer, keys go through user::key_input, focus activates, moving and
// resizing the X window moves and resizes the window.
// Where a window manager runs (_NET_SUPPORTING_WM_CHECK), it frames each captioned window: the X
// window shows the window below its own caption and border (user::decoration_insets), placed so
// that window rectangles stay the program's; the manager's buttons become WM_SYSCOMMAND (close
// SC_CLOSE, iconify SC_MINIMIZE, maximise SC_MAXIMIZE, un-maximise and de-iconify SC_RESTORE),
// and the window's own minimise and maximise are asked of the manager. Without a manager the
// window shows whole, its own caption buttons included, and a press on its caption drags it.
// The screen's size (GetSystemMetrics) is the display's while running.
// While running, MessageBoxA shows its box as a window of its own (text and buttons, answered by
// mouse or keyboard) instead of answering with the default button, and TrackPopupMenu shows the
// menu as a borderless window to choose from. Each X window's class hint names the window class;
// its _NET_WM_ICON shows the window's WM_SETICON icons (big, then small), _NET_WM_PID and
// WM_CLIENT_MACHINE name this process and machine.
// Where a system tray runs (an owner of _NET_SYSTEM_TRAY_S<screen>), each notification-area icon is
// docked in it as a small window showing the icon, named by its tip; clicks on it go to the icon's
// owner through shell::tray_click. A tray that appears or changes later is docked with afresh.
// Headless, start() does nothing and returns false.
//
//     if (!present::start())
//         ...;                // runs headless, as tests do
//     ...
//     present::stop();        // before the windows' thread exits

namespace present {

// Opens the display and starts the thread; false when headless or the display cannot be opened.
// A second call while running returns true.
bool start();
// Closes the X windows and the display and ends the thread; the calling thread keeps handling
// messages sent to its windows while it waits.
void stop();
// Whether the windows are on screen.
bool running();
// Whether later start()s put pictures through the X server's shared memory where it offers it
// (the default), or always with plain XPutImage; tests check both ways.
void use_shared_memory(bool use);
// How many frames drawn with user::paint_now (the video renderer's) the drawing thread put on
// screen itself, over a connection of its own, since the process started; the others went
// through the display thread.
unsigned long direct_puts();

}
