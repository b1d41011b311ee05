#pragma once

// Where a drawing call lands: the DC's surface, its clip in surface coordinates, and the offset
// from logical to surface coordinates. A 24-bit DIB section is loaded from its bits on entry and
// stored back when the call ends.

#include "Handles.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace gdi::detail {

inline RECT intersect(const RECT& a, const RECT& b)
{
    RECT r { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom) };
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

inline bool is_empty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

inline RECT normalized(const RECT& r)
{
    return { std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom) };
}

class Target {
public:
    explicit Target(HDC hdc);
    ~Target();
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    explicit operator bool() const { return m_surface != nullptr; }

    Dc& dc() { return *m_dc; }
    DcState& state() { return m_dc->state; }
    Surface& surface() { return *m_surface; }
    const RECT& clip() const { return m_clip; }
    // Logical to surface offset.
    int ox() const { return m_ox; }
    int oy() const { return m_oy; }
    RECT to_surface(const RECT& logical) const
    {
        return { logical.left + m_ox, logical.top + m_oy, logical.right + m_ox, logical.bottom + m_oy };
    }
    // Narrows the clip to a surface rectangle for the rest of this call.
    void restrict_clip(const RECT& surface_rect) { m_clip = intersect(m_clip, normalized(surface_rect)); }
    bool in_clip(int sx, int sy) const
    {
        return sx >= m_clip.left && sx < m_clip.right && sy >= m_clip.top && sy < m_clip.bottom;
    }

    // Records that a surface rectangle (clipped) is drawn in this call: what a window's DC
    // reports as changed when the call ends. Every write below records itself; code writing
    // rows directly records its rectangle first.
    void touch(const RECT& surface_rect)
    {
        RECT r = intersect(normalized(surface_rect), m_clip);
        if (is_empty(r))
            return;
        m_touched = {
            std::min(m_touched.left, r.left), std::min(m_touched.top, r.top),
            std::max(m_touched.right, r.right), std::max(m_touched.bottom, r.bottom)
        };
    }
    void touch_point(int sx, int sy)
    {
        m_touched = { std::min<LONG>(m_touched.left, sx), std::min<LONG>(m_touched.top, sy),
            std::max<LONG>(m_touched.right, sx + 1), std::max<LONG>(m_touched.bottom, sy + 1) };
    }
    // What was drawn so far (empty when nothing).
    RECT touched() const { return is_empty(m_touched) ? RECT { 0, 0, 0, 0 } : m_touched; }

    // Surface-coordinate drawing, clipped.
    void plot(int sx, int sy, Pixel p)
    {
        if (in_clip(sx, sy)) {
            m_surface->row(sy)[sx] = p;
            touch_point(sx, sy);
        }
    }
    void fill(const RECT& surface_rect, Pixel p);
    void invert(const RECT& surface_rect);
    // Fills with a brush (brush patterns align to device point 0, 0).
    void fill_brush(const RECT& surface_rect, const Brush& brush);
    // Blends colour c at coverage 0..255.
    void blend(int sx, int sy, Pixel c, int coverage)
    {
        if (!in_clip(sx, sy) || coverage <= 0)
            return;
        touch_point(sx, sy);
        Pixel& d = m_surface->row(sy)[sx];
        if (coverage >= 255) {
            d = c | 0xFF000000u;
            return;
        }
        auto mix = [&](int shift) {
            int dv = (d >> shift) & 0xFF;
            int cv = (c >> shift) & 0xFF;
            return static_cast<Pixel>(dv + ((cv - dv) * coverage + 127) / 255) << shift;
        };
        d = 0xFF000000u | mix(16) | mix(8) | mix(0);
    }
    // The brush pixel at a surface point, if the brush paints there.
    std::optional<Pixel> brush_pixel(const Brush& brush, int sx, int sy) const;

private:
    std::shared_ptr<Dc> m_dc;
    std::shared_ptr<Surface> m_surface;
    std::shared_ptr<Bitmap> m_bitmap;
    RECT m_clip {};
    RECT m_touched { INT_MAX, INT_MAX, INT_MIN, INT_MIN };
    int m_ox = 0;
    int m_oy = 0;
};

// A line with a pen, in surface coordinates; the end point is drawn only when asked.
void draw_line(Target& t, const Pen& pen, int x0, int y0, int x1, int y1, bool include_end);

// The device clip of a DC (base and user clip), or nothing when unlimited.
std::optional<RECT> device_clip(const Dc& dc);

}
