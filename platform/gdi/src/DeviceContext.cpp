#include <gdi/DeviceContext.h>

#include "Handles.h"
#include "Target.h"

#include <atomic>

using namespace gdi;
using namespace gdi::detail;

namespace {

std::atomic<WindowSurfaceResolver> g_resolver { nullptr };

void init_state(DcState& s)
{
    s.pen_handle = static_cast<HPEN>(stock(BLACK_PEN));
    s.pen = find_as<Pen>(s.pen_handle, Kind::Pen);
    s.brush_handle = static_cast<HBRUSH>(stock(WHITE_BRUSH));
    s.brush = find_as<Brush>(s.brush_handle, Kind::Brush);
    s.font_handle = static_cast<HFONT>(stock(SYSTEM_FONT));
    s.font = find_as<Font>(s.font_handle, Kind::Font);
}

std::shared_ptr<Dc> dc_of(HDC hdc)
{
    return find_as<Dc>(hdc, Kind::Dc);
}

// Releases the bitmaps held by a DC's current and saved states.
void release_all_bitmaps(Dc& dc, HDC hdc)
{
    if (dc.state.bitmap)
        release_bitmap(*dc.state.bitmap, hdc);
    for (auto& saved : dc.saved) {
        if (saved.bitmap)
            release_bitmap(*saved.bitmap, hdc);
    }
}

bool holds_bitmap(const Dc& dc, const Bitmap* bitmap)
{
    if (dc.state.bitmap.get() == bitmap)
        return true;
    for (auto& saved : dc.saved) {
        if (saved.bitmap.get() == bitmap)
            return true;
    }
    return false;
}

}

HDC CreateCompatibleDC(HDC hdc)
{
    if (hdc && !dc_of(hdc))
        return nullptr;
    auto dc = std::make_shared<Dc>();
    dc->memory = true;
    init_state(dc->state);
    dc->state.bitmap_handle = static_cast<HBITMAP>(stock(9));
    dc->state.bitmap = find_as<Bitmap>(dc->state.bitmap_handle, Kind::Bitmap);
    return static_cast<HDC>(add(dc));
}

BOOL DeleteDC(HDC hdc)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return FALSE;
    release_all_bitmaps(*dc, hdc);
    return remove(hdc) ? TRUE : FALSE;
}

int SaveDC(HDC hdc)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int saved)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return FALSE;
    int levels = static_cast<int>(dc->saved.size());
    int target = saved < 0 ? levels + saved + 1 : saved;
    if (saved == 0 || target < 1 || target > levels)
        return FALSE;
    auto previous_bitmap = dc->state.bitmap;
    dc->state = dc->saved[static_cast<std::size_t>(target - 1)];
    dc->saved.resize(static_cast<std::size_t>(target - 1));
    if (previous_bitmap && previous_bitmap != dc->state.bitmap && !holds_bitmap(*dc, previous_bitmap.get()))
        release_bitmap(*previous_bitmap, hdc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ handle)
{
    auto dc = dc_of(hdc);
    auto object = find(handle);
    if (!dc || !object)
        return nullptr;
    DcState& s = dc->state;
    switch (object->kind) {
    case Kind::Pen: {
        HGDIOBJ old = s.pen_handle;
        s.pen_handle = static_cast<HPEN>(handle);
        s.pen = std::static_pointer_cast<Pen>(object);
        return old;
    }
    case Kind::Brush: {
        HGDIOBJ old = s.brush_handle;
        s.brush_handle = static_cast<HBRUSH>(handle);
        s.brush = std::static_pointer_cast<Brush>(object);
        return old;
    }
    case Kind::Font: {
        HGDIOBJ old = s.font_handle;
        s.font_handle = static_cast<HFONT>(handle);
        s.font = std::static_pointer_cast<Font>(object);
        return old;
    }
    case Kind::Bitmap: {
        if (!dc->memory)
            return nullptr;
        auto bitmap = std::static_pointer_cast<Bitmap>(object);
        if (bitmap == s.bitmap)
            return handle;
        if (!bitmap->stock && !claim_bitmap(*bitmap, hdc))
            return nullptr;
        HGDIOBJ old = s.bitmap_handle;
        auto previous = s.bitmap;
        s.bitmap_handle = static_cast<HBITMAP>(handle);
        s.bitmap = bitmap;
        if (previous && !holds_bitmap(*dc, previous.get()))
            release_bitmap(*previous, hdc);
        return old;
    }
    case Kind::Region: {
        int result = SelectClipRgn(hdc, static_cast<HRGN>(handle));
        return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(result));
    }
    default:
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_PEN:
        return dc->state.pen_handle;
    case OBJ_BRUSH:
        return dc->state.brush_handle;
    case OBJ_FONT:
        return dc->state.font_handle;
    case OBJ_BITMAP:
        return dc->state.bitmap_handle;
    default:
        return nullptr;
    }
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->state.viewport;
    dc->state.viewport = { x, y };
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin)
{
    auto dc = dc_of(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->state.viewport;
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->state.viewport;
    dc->state.viewport.x += dx;
    dc->state.viewport.y += dy;
    return TRUE;
}

namespace {

int region_type(const std::optional<RECT>& clip)
{
    if (!clip)
        return SIMPLEREGION;
    return is_empty(*clip) ? NULLREGION : SIMPLEREGION;
}

}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return RGN_ERROR;
    RECT device = normalized(RECT { left + dc->state.viewport.x, top + dc->state.viewport.y,
        right + dc->state.viewport.x, bottom + dc->state.viewport.y });
    dc->state.clip = dc->state.clip ? intersect(*dc->state.clip, device) : device;
    return region_type(device_clip(*dc));
}

int SelectClipRgn(HDC hdc, HRGN handle)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return RGN_ERROR;
    if (!handle) {
        dc->state.clip.reset();
        return SIMPLEREGION;
    }
    auto region = find_as<Region>(handle, Kind::Region);
    if (!region)
        return RGN_ERROR;
    dc->state.clip = region->rect;
    return region_type(device_clip(*dc));
}

int GetClipBox(HDC hdc, LPRECT rect)
{
    Target t(hdc);
    if (!t || !rect)
        return RGN_ERROR;
    const RECT& c = t.clip();
    *rect = { c.left - t.ox(), c.top - t.oy(), c.right - t.ox(), c.bottom - t.oy() };
    return is_empty(c) ? NULLREGION : SIMPLEREGION;
}

int SetStretchBltMode(HDC hdc, int mode)
{
    auto dc = dc_of(hdc);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    int old = dc->state.stretch_mode;
    dc->state.stretch_mode = mode;
    return old;
}

int GetStretchBltMode(HDC hdc)
{
    auto dc = dc_of(hdc);
    return dc ? dc->state.stretch_mode : 0;
}

int SetPolyFillMode(HDC hdc, int mode)
{
    auto dc = dc_of(hdc);
    if (!dc || (mode != ALTERNATE && mode != WINDING))
        return 0;
    int old = dc->state.fill_mode;
    dc->state.fill_mode = mode;
    return old;
}

int GetPolyFillMode(HDC hdc)
{
    auto dc = dc_of(hdc);
    return dc ? dc->state.fill_mode : 0;
}

namespace gdi {

HDC create_dc(std::shared_ptr<Surface> surface, POINT origin, const RECT* clip, HWND window)
{
    if (!surface)
        return nullptr;
    auto dc = std::make_shared<Dc>();
    dc->surface = std::move(surface);
    dc->origin = origin;
    if (clip)
        dc->base_clip = normalized(*clip);
    dc->window = window;
    init_state(dc->state);
    return static_cast<HDC>(add(dc));
}

void set_window_surface_resolver(WindowSurfaceResolver resolver)
{
    g_resolver.store(resolver);
}

void set_damage_listener(DamageListener listener)
{
    detail::g_damage_listener.store(listener);
}

HDC create_window_dc(HWND window)
{
    WindowSurfaceResolver resolver = g_resolver.load();
    if (!resolver || !window)
        return nullptr;
    WindowTarget target;
    if (!resolver(window, &target) || !target.surface)
        return nullptr;
    return create_dc(std::move(target.surface), target.origin, &target.clip, window);
}

BOOL release_dc(HDC hdc)
{
    return DeleteDC(hdc);
}

HWND dc_window(HDC hdc)
{
    auto dc = dc_of(hdc);
    return dc ? dc->window : nullptr;
}

std::shared_ptr<Surface> dc_surface(HDC hdc)
{
    auto dc = dc_of(hdc);
    if (!dc)
        return nullptr;
    if (dc->memory)
        return dc->state.bitmap ? dc->state.bitmap->surface : nullptr;
    return dc->surface;
}

}
