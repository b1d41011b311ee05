#pragma once

// Invalidation and painting: update regions, WM_PAINT and the device contexts of windows.
//
// Each window keeps an update rectangle (the bounding box of what was invalidated) and whether its
// background needs erasing. The queue generates WM_PAINT for a visible window with an update
// rectangle when nothing else is waiting (parents before their children); BeginPaint sends
// WM_ERASEBKGND when asked, clips the DC to the update rectangle and validates it. Invalidating a
// window also invalidates its children unless it has WS_CLIPCHILDREN.
//
// Every top-level window owns one 32-bit surface the size of its window rectangle; its children
// draw into it through DCs offset to their client areas and clipped to them (gdi's window seam,
// gdi/DeviceContext.h). user::window_surface gives the surface to whoever shows or saves it.
//
// A display shows only what changed: every drawing call on a window's DC adds the rectangle it
// changed to its top-level window's damage (a new or resized surface is damaged whole), and
// take_window_damage copies those rectangles out and forgets them. The display observer wakes
// the display when a window gains damage while it had none, and when a top-level window is
// created, destroyed, moved, resized, shown, hidden, restyled, retitled or given an icon, so a
// display can sleep while nothing changes:
//
//     user::set_display_observer(wake);            // wake: writes a byte to the display's pipe
//     ...
//     if (user::take_window_damage(hwnd, image, changed, image_is_new))
//         for (const RECT& r : changed) put(image, r);
//
// A display whose server can read the program's memory gives the surfaces memory of its own
// (set_surface_maker) and shows each such surface where it is: take_surface_damage hands out the
// surface with its changed rectangles and copies nothing. Such a display may also put what
// paint_now drew (a renderer's frames) from the drawing thread itself (set_paint_presenter), so
// that a frame does not wake it.

#include <user/Window.h>

#include <functional>
#include <memory>
#include <vector>

namespace gdi {
class Surface;
}

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

#define RDW_INVALIDATE 0x0001u
#define RDW_INTERNALPAINT 0x0002u
#define RDW_ERASE 0x0004u
#define RDW_VALIDATE 0x0008u
#define RDW_NOINTERNALPAINT 0x0010u
#define RDW_NOERASE 0x0020u
#define RDW_NOCHILDREN 0x0040u
#define RDW_ALLCHILDREN 0x0080u
#define RDW_UPDATENOW 0x0100u
#define RDW_ERASENOW 0x0200u
#define RDW_FRAME 0x0400u
#define RDW_NOFRAME 0x0800u

// A NULL window invalidates every window; a NULL rectangle the whole client area.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
// The update rectangle; FALSE when there is none.
BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase);
// Sends WM_PAINT at once when the window has an update rectangle.
BOOL UpdateWindow(HWND window);
BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags);
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// A DC over the client area (NULL: the screen); ReleaseDC ends it.
HDC GetDC(HWND window);
// A DC over the whole window, non-client area included.
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC hdc);

namespace user {

// The surface a top-level window (or the window's top-level ancestor) draws into.
std::shared_ptr<gdi::Surface> window_surface(HWND window);

// Draws into a window at once from any thread, as a video renderer draws each frame as it
// arrives: `paint` gets a DC over the client area and the client rectangle while no window can
// move, show, hide or go (the window area's lock is held, so it must not wait on another thread
// that may want it). False, without calling `paint`, when the window is hidden or gone.
bool paint_now(HWND window, const std::function<void(HDC dc, const RECT& client)>& paint);
// Copies a top-level window's surface into `out`, safe against the window's own thread resizing
// it meanwhile (pixels being drawn at that moment may be half old). False when there is none yet.
bool copy_window_surface(HWND window, gdi::Surface& out);

// Puts a top-level window's damage on screen from the thread that drew it with paint_now, true
// when it did; false leaves it to the display observer's wake. Called outside the window area's
// lock, once per outermost paint_now that changed the window.
using PaintPresenter = bool (*)(HWND top_level);
// Installs (or with nullptr removes) the presenter of paint_now's drawing.
void set_paint_presenter(PaintPresenter presenter);

using DisplayObserver = void (*)();
// Installs (or with nullptr removes) the display observer. It is called on any thread, possibly
// under the window area's lock, so it must do no more than wake its display.
void set_display_observer(DisplayObserver observer);
// The size of a top-level window's surface; 0 x 0 while it has none.
SIZE window_surface_size(HWND window);
// Copies the rectangles of a top-level window's surface changed since last taken (all of it when
// `whole`) into `into`, each at its own place, lists them in `changed` and forgets them. False,
// taking nothing, when the window has no surface or `into` is not the surface's size.
bool take_window_damage(HWND window, gdi::Surface& into, std::vector<RECT>& changed, bool whole = false);

// Makes the memory of a top-level window's width x height surface (an adopted gdi::Surface of
// that size, or an empty one when it cannot); called under the window area's lock, so it must not
// call back into it.
using SurfaceMaker = gdi::Surface (*)(int width, int height);
// Installs (or with nullptr removes) the maker of new and resized surfaces; without one, or when
// it fails, surfaces own their memory.
void set_surface_maker(SurfaceMaker maker);
// The surface of a top-level window itself when its memory is the display's (made by the surface
// maker), with the rectangles changed since last taken (all of it when `whole`) in `changed`,
// which are forgotten. False, taking nothing, when the window has no such surface.
bool take_surface_damage(HWND window, std::shared_ptr<gdi::Surface>& surface, std::vector<RECT>& changed,
    bool whole = false);

}
