#include "Target.h"

#include <algorithm>

namespace gdi::detail {

std::optional<RECT> device_clip(const Dc& dc)
{
    std::optional<RECT> clip = dc.base_clip;
    if (dc.state.clip)
        clip = clip ? intersect(*clip, *dc.state.clip) : *dc.state.clip;
    return clip;
}

Target::Target(HDC hdc)
{
    m_dc = find_as<Dc>(hdc, Kind::Dc);
    if (!m_dc)
        return;
    if (m_dc->memory) {
        m_bitmap = m_dc->state.bitmap;
        if (!m_bitmap)
            return;
        m_bitmap->load_from_bits();
        m_surface = m_bitmap->surface;
    } else {
        m_surface = m_dc->surface;
    }
    if (!m_surface)
        return;
    RECT bounds { 0, 0, m_surface->width(), m_surface->height() };
    m_clip = bounds;
    if (auto clip = device_clip(*m_dc)) {
        RECT c { clip->left + m_dc->origin.x, clip->top + m_dc->origin.y, clip->right + m_dc->origin.x,
            clip->bottom + m_dc->origin.y };
        m_clip = intersect(bounds, c);
    }
    m_ox = m_dc->state.viewport.x + m_dc->origin.x;
    m_oy = m_dc->state.viewport.y + m_dc->origin.y;
}

Target::~Target()
{
    if (m_bitmap)
        m_bitmap->store_to_bits();
}

void Target::fill(const RECT& surface_rect, Pixel p)
{
    RECT r = intersect(normalized(surface_rect), m_clip);
    touch(r);
    for (int y = r.top; y < r.bottom; ++y)
        std::fill(m_surface->row(y) + r.left, m_surface->row(y) + r.right, p | 0xFF000000u);
}

void Target::invert(const RECT& surface_rect)
{
    RECT r = intersect(normalized(surface_rect), m_clip);
    touch(r);
    for (int y = r.top; y < r.bottom; ++y) {
        Pixel* row = m_surface->row(y);
        for (int x = r.left; x < r.right; ++x)
            row[x] ^= 0x00FFFFFFu;
    }
}

std::optional<Pixel> Target::brush_pixel(const Brush& brush, int sx, int sy) const
{
    switch (brush.style) {
    case BS_SOLID:
        return pixel_from_colorref(brush.color);
    case BS_HATCHED: {
        int dx = sx - m_dc->origin.x;
        int dy = sy - m_dc->origin.y;
        int px = ((dx % 8) + 8) % 8;
        int py = ((dy % 8) + 8) % 8;
        bool on = false;
        switch (brush.hatch) {
        case HS_HORIZONTAL:
            on = py == 7;
            break;
        case HS_VERTICAL:
            on = px == 7;
            break;
        case HS_FDIAGONAL:
            on = px == py;
            break;
        case HS_BDIAGONAL:
            on = px == 7 - py;
            break;
        case HS_CROSS:
            on = px == 7 || py == 7;
            break;
        case HS_DIAGCROSS:
            on = px == py || px == 7 - py;
            break;
        }
        if (on)
            return pixel_from_colorref(brush.color);
        if (m_dc->state.bk_mode == 2)
            return pixel_from_colorref(m_dc->state.bk_color);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

void Target::fill_brush(const RECT& surface_rect, const Brush& brush)
{
    if (brush.style == BS_NULL)
        return;
    if (brush.style == BS_SOLID) {
        fill(surface_rect, pixel_from_colorref(brush.color));
        return;
    }
    RECT r = intersect(normalized(surface_rect), m_clip);
    touch(r);
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (auto p = brush_pixel(brush, x, y))
                m_surface->row(y)[x] = *p;
        }
    }
}

}
