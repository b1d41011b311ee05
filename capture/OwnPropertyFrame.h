#pragma once

// A property frame the engine opens for itself to drive a driver's page by window messages: the
// frame runs on a thread of its own, with no owner, and the user-interface thread finds it by its
// caption and sends its controls what a user would type or choose.
//
//     // on the frame's thread:
//     RunOwnPropertyFrame(filter, u"pctv for orbivane");
//     // on the user-interface thread:
//     HWND frame = FindOwnPropertyFrame("pctv for orbivane");

#include <com/Unknown.h>
#include <user/Window.h>

// Shows the pages `object` specifies in a frame titled `caption` at (30, 30) of the screen and
// returns when the frame is closed, with COM initialised for the time. False when the object
// specifies no pages.
bool RunOwnPropertyFrame(IUnknown* object, LPCOLESTR caption);

// The open frame titled `caption` followed by " Properties" or, as some systems title it,
// "  Properties"; none when neither is open.
HWND FindOwnPropertyFrame(const char* caption);

// The first child of `parent` of class "#32770" with an empty title: the frame's inner dialog,
// or the page inside it.
HWND FindUntitledDialog(HWND parent);
