#pragma once

// The pixels an X window shows, kept by the display thread: a copy of the window's surface that
// only its changed rectangles are copied into, put on the X window a rectangle at a time. Where
// the X server offers the MIT shared-memory extension the pixels live in a segment the server
// reads directly (XShmPutImage); elsewhere, or when attaching fails, in plain memory sent with
// XPutImage.
//
// A shared image must not be written while the server may still be reading it: after shared puts
// the display thread syncs with the server (Session::shm_busy) before it copies into one again.
// An image may also be made over the segment a window's surface already is (SharedSurfaces.h):
// it then only puts what the surface shows, and nothing is copied into it; a drawing thread may
// put it too, through a connection of its own (DirectPuts.h).

#include "SharedSurfaces.h"

#include <gdi/Surface.h>

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <vector>

namespace present::detail {

// The MIT-SHM request code (0 when the server has none) and whether one of its requests failed;
// the X error handler sets the flag.
extern int g_shm_opcode;
extern bool g_shm_failed;

class Image {
public:
    // A width x height image for `visual`; shared when `shared` asks and the segment attaches.
    Image(Display* display, Visual* visual, int depth, int width, int height, bool shared);
    // A shared image over a surface's segment; false (operator bool) when the server cannot
    // attach it.
    Image(Display* display, Visual* visual, int depth, std::shared_ptr<Segment> segment);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // False when no image could be made.
    explicit operator bool() const { return m_image != nullptr; }
    bool shared() const { return m_shared; }
    gdi::Surface& pixels() { return m_pixels; }
    // Puts the image's rectangle `r` on the drawable at (r.left - dx, r.top - dy).
    void put(Drawable target, GC gc, const RECT& r, int dx, int dy) { put(m_display, target, gc, r, dx, dy); }
    // The same through another connection to the server (a GC of that connection's).
    void put(Display* display, Drawable target, GC gc, const RECT& r, int dx, int dy);
    // Puts the part of each changed rectangle inside `shown`, the part of the image the drawable
    // shows (from dx, dy); true when any was put.
    bool put_shown(Display* display, Drawable target, GC gc, const std::vector<RECT>& changed, const RECT& shown,
        int dx, int dy);

private:
    bool make_shared(Visual* visual, int depth, int width, int height);
    // Attaches segment `id` at `address` for the XShm image made for it.
    bool attach(XImage* image, int id, void* address);

    Display* m_display;
    XImage* m_image { nullptr };
    XShmSegmentInfo m_segment {};
    bool m_shared { false };
    std::vector<gdi::Pixel> m_memory;
    std::shared_ptr<Segment> m_surface_segment; // when the image is over a surface's segment
    gdi::Surface m_pixels;
};

}
