#pragma once

// Frames drawn with user::paint_now (the video renderer's, one per frame) go on screen from the
// thread that drew them, over an X connection of their own, instead of waking the display thread
// for each: a live picture costs one put per frame and no switch between threads.
//
// The display thread publishes each shown window whose surface is a shared-memory segment
// (SharedSurfaces.h): its X window, the part of the surface that window shows and the image over
// the segment. It withdraws a window before it changes any of these, under the lock the puts hold.
// A put may still reach the server after the display thread's own connection let the window or
// the segment go; it then fails there, and this connection's errors are ignored.
//
//     open_direct_puts(display_name);           // with the display, when it offers shared memory
//     user::set_paint_presenter(put_direct);
//     publish_direct(hwnd, { ... });            // the display thread, for each shown window
//     withdraw_direct(hwnd);                    // ... before it changes it
//     close_direct_puts();

#include "Image.h"
#include "SharedSurfaces.h"

#include <user/Window.h>

#include <X11/Xlib.h>

namespace present::detail {

struct DirectWindow {
    Window id = 0;
    Image* image = nullptr;           // the display thread's image over the surface's segment
    const Segment* segment = nullptr; // the segment it is over
    RECT visible { 0, 0, 0, 0 };      // the part of the surface the X window shows
    int dx = 0, dy = 0;               // where that part starts on the surface
};

// Opens the connection (the display named, or DISPLAY's for nullptr); false when it cannot or the
// server has no shared memory.
bool open_direct_puts(const char* display_name);
void close_direct_puts();
// Whether `display` is the direct connection (the X error handlers ignore its errors).
bool is_direct_display(Display* display);
// The display thread's record of a shown window, or its withdrawal.
void publish_direct(HWND hwnd, const DirectWindow& window);
void withdraw_direct(HWND hwnd);
// The paint presenter: puts the top-level window's damage when it is published and its surface is
// still the published segment.
bool put_direct(HWND top_level);
// Frames put this way since the process started.
unsigned long direct_puts();

}
