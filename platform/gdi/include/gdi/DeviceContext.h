#pragma once

// Device contexts: the drawing state (selected pen, brush, font and bitmap, colours, text
// alignment, viewport origin, clip rectangle) over a surface.
//
// A memory DC (CreateCompatibleDC) draws into the bitmap selected into it; it starts with a 1x1
// stock bitmap. Window DCs belong to the window area, which owns one surface per window and makes
// DCs over it through the seam below:
//
//   * gdi::create_dc(surface, origin, clip) makes a DC that draws on `surface` with device point
//     (0, 0) at `origin` of the surface, limited to `clip` (device coordinates); DeleteDC (or
//     gdi::release_dc) ends it. The DC shares ownership of the surface, so a window destroyed
//     while one of its DCs is still held leaves no dangling pixels; resizing the surface is seen
//     by the next drawing call.
//   * gdi::set_window_surface_resolver(fn) installs the window area's function that maps an HWND
//     to its surface, origin and clip. gdi::create_window_dc(hwnd) calls it, and is what GetDC,
//     GetWindowDC and BeginPaint build on; gdi::dc_window tells which window a DC belongs to.
//   * gdi::set_damage_listener(fn) installs the window area's function told, after each drawing
//     call on a window's DC, which rectangle of the surface the call changed (the bounding box
//     of what it wrote, within the DC's clip), so that a display shows only what changed.
//
// Coordinates: logical + viewport origin = device; device + DC origin = surface.

#include <base/Types.h>
#include <gdi/Surface.h>

#include <memory>

// Stretch modes.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// Polygon fill modes.
#define ALTERNATE 1
#define WINDING 2

HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// Pushes the DC's state; returns the new save level, 0 on failure.
int SaveDC(HDC hdc);
// Restores a saved state: a positive level, or -1 (and -n) counting back from the latest.
BOOL RestoreDC(HDC hdc, int saved);
// Selects a pen, brush, font or bitmap (memory DCs only); returns the previous object of that
// kind, or NULL on failure. Selecting a region sets the clip and returns the region type.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
// The currently selected object of an OBJ_* kind.
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous);

// Limits drawing to the intersection of the current clip and a logical rectangle.
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
// Sets the clip to a region (device coordinates), or removes it with NULL.
int SelectClipRgn(HDC hdc, HRGN region);
// The clip rectangle in logical coordinates.
int GetClipBox(HDC hdc, LPRECT rect);

int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);

namespace gdi {

// Where a window's DC draws, as the window area reports it.
struct WindowTarget {
    std::shared_ptr<Surface> surface;
    POINT origin { 0, 0 };          // surface position of the window's device point (0, 0)
    RECT clip { 0, 0, 0, 0 };       // device rectangle the DC may draw in
};

// Maps a window to its target; returns false for a window without a surface.
using WindowSurfaceResolver = bool (*)(HWND window, WindowTarget* target);

// A DC over a surface (see above); clip NULL means the whole surface from origin on.
HDC create_dc(std::shared_ptr<Surface> surface, POINT origin = { 0, 0 }, const RECT* clip = nullptr,
    HWND window = nullptr);
// Installs (or with nullptr removes) the window area's resolver.
void set_window_surface_resolver(WindowSurfaceResolver resolver);
// Told what a drawing call on a window's DC changed, in surface coordinates (never empty).
using DamageListener = void (*)(HWND window, const Surface& surface, const RECT& changed);
// Installs (or with nullptr removes) the window area's damage listener.
void set_damage_listener(DamageListener listener);
// A DC over a window's surface through the resolver; NULL when none is installed or it fails.
HDC create_window_dc(HWND window);
// Ends a DC made by create_dc or create_window_dc.
BOOL release_dc(HDC hdc);
// The window a DC was made for, or NULL.
HWND dc_window(HDC hdc);
// The surface a DC draws on now (a memory DC's selected bitmap), or nullptr.
std::shared_ptr<Surface> dc_surface(HDC hdc);

}
