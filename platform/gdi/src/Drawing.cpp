#include <gdi/Colors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Text.h>

#include "Target.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace gdi;
using namespace gdi::detail;

namespace {

// Dash lengths of the styled pens, on then off.
const std::vector<int>& dash_pattern(int style)
{
    static const std::vector<int> solid;
    static const std::vector<int> dash { 18, 6 };
    static const std::vector<int> dot { 3, 3 };
    static const std::vector<int> dashdot { 9, 6, 3, 6 };
    static const std::vector<int> dashdotdot { 9, 3, 3, 3, 3, 3 };
    switch (style) {
    case PS_DASH:
        return dash;
    case PS_DOT:
        return dot;
    case PS_DASHDOT:
        return dashdot;
    case PS_DASHDOTDOT:
        return dashdotdot;
    default:
        return solid;
    }
}

bool pattern_on(const std::vector<int>& pattern, int step)
{
    if (pattern.empty())
        return true;
    int total = 0;
    for (int v : pattern)
        total += v;
    int pos = step % total;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pos < pattern[i])
            return i % 2 == 0;
        pos -= pattern[i];
    }
    return true;
}

void stamp(Target& t, int x, int y, int width, Pixel p)
{
    if (width <= 1) {
        t.plot(x, y, p);
        return;
    }
    int lo = -(width - 1) / 2;
    t.fill(RECT { x + lo, y + lo, x + lo + width, y + lo + width }, p);
}

void fill_polygon(Target& t, const Brush& brush, const std::vector<POINT>& pts, int mode)
{
    if (pts.size() < 3 || brush.style == BS_NULL)
        return;
    LONG top = pts[0].y, bottom = pts[0].y;
    for (auto& p : pts) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    top = std::max<LONG>(top, t.clip().top);
    bottom = std::min<LONG>(bottom, t.clip().bottom);
    struct Crossing {
        double x;
        int dir;
    };
    std::vector<Crossing> xs;
    for (int y = top; y < bottom; ++y) {
        double cy = y + 0.5;
        xs.clear();
        for (std::size_t i = 0; i < pts.size(); ++i) {
            const POINT& a = pts[i];
            const POINT& b = pts[(i + 1) % pts.size()];
            if (a.y == b.y)
                continue;
            bool down = a.y < b.y;
            double y0 = down ? a.y : b.y, y1 = down ? b.y : a.y;
            if (cy < y0 || cy >= y1)
                continue;
            double x = a.x + (cy - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y);
            xs.push_back({ x, down ? 1 : -1 });
        }
        std::sort(xs.begin(), xs.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
        int winding = 0;
        for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
            winding += xs[i].dir;
            bool inside = mode == WINDING ? winding != 0 : (i % 2 == 0);
            if (!inside)
                continue;
            int from = static_cast<int>(std::ceil(xs[i].x - 0.5));
            int to = static_cast<int>(std::ceil(xs[i + 1].x - 0.5));
            if (to > from)
                t.fill_brush(RECT { from, y, to, y + 1 }, brush);
        }
    }
}

}

namespace gdi::detail {

// A line in surface coordinates; the end point is drawn only when asked.
void draw_line(Target& t, const Pen& pen, int x0, int y0, int x1, int y1, bool include_end)
{
    if (pen.style == PS_NULL)
        return;
    Pixel p = pixel_from_colorref(pen.color);
    const auto& pattern = dash_pattern(pen.style);
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int step = 0;
    while (true) {
        bool at_end = x0 == x1 && y0 == y1;
        if (at_end && !include_end)
            break;
        if (pattern_on(pattern, step))
            stamp(t, x0, y0, pen.width, p);
        ++step;
        if (at_end)
            break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

}

int FillRect(HDC hdc, const RECT* rect, HBRUSH handle)
{
    auto brush = brush_for(handle);
    Target t(hdc);
    if (!t || !rect || !brush)
        return 0;
    t.fill_brush(t.to_surface(*rect), *brush);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH handle)
{
    auto brush = brush_for(handle);
    Target t(hdc);
    if (!t || !rect || !brush)
        return 0;
    RECT r = normalized(t.to_surface(*rect));
    if (is_empty(r))
        return 1;
    t.fill_brush({ r.left, r.top, r.right, r.top + 1 }, *brush);
    t.fill_brush({ r.left, r.bottom - 1, r.right, r.bottom }, *brush);
    t.fill_brush({ r.left, r.top + 1, r.left + 1, r.bottom - 1 }, *brush);
    t.fill_brush({ r.right - 1, r.top + 1, r.right, r.bottom - 1 }, *brush);
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect)
{
    Target t(hdc);
    if (!t || !rect)
        return FALSE;
    t.invert(t.to_surface(*rect));
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect)
{
    Target t(hdc);
    if (!t || !rect)
        return FALSE;
    RECT r = normalized(t.to_surface(*rect));
    if (is_empty(r))
        return TRUE;
    auto dot = [&](int x, int y) {
        if (((x - r.left) + (y - r.top)) % 2 == 0 && t.in_clip(x, y)) {
            t.surface().row(y)[x] ^= 0x00FFFFFFu;
            t.touch_point(x, y);
        }
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        if (r.bottom - 1 > r.top)
            dot(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        if (r.right - 1 > r.left)
            dot(r.right - 1, y);
    }
    return TRUE;
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    Target t(hdc);
    if (!t)
        return FALSE;
    RECT r = normalized(t.to_surface(RECT { x, y, x + width, y + height }));
    switch (rop) {
    case PATCOPY:
        if (t.state().brush)
            t.fill_brush(r, *t.state().brush);
        return TRUE;
    case PATINVERT: {
        if (!t.state().brush)
            return TRUE;
        RECT c = intersect(r, t.clip());
        t.touch(c);
        for (int yy = c.top; yy < c.bottom; ++yy) {
            for (int xx = c.left; xx < c.right; ++xx) {
                if (auto p = t.brush_pixel(*t.state().brush, xx, yy))
                    t.surface().row(yy)[xx] ^= (*p & 0x00FFFFFFu);
            }
        }
        return TRUE;
    }
    case DSTINVERT:
        t.invert(r);
        return TRUE;
    case BLACKNESS:
        t.fill(r, kOpaqueBlack);
        return TRUE;
    case WHITENESS:
        t.fill(r, kOpaqueWhite);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    Target t(hdc);
    if (!t)
        return FALSE;
    RECT r = normalized(t.to_surface(RECT { left, top, right, bottom }));
    const Pen& pen = *t.state().pen;
    const Brush& brush = *t.state().brush;
    if (pen.style == PS_NULL) {
        t.fill_brush({ r.left, r.top, r.right - 1, r.bottom - 1 }, brush);
        return TRUE;
    }
    int w = std::min<int>(pen.width, std::max<int>(1, std::min(r.right - r.left, r.bottom - r.top) / 2));
    t.fill_brush({ r.left + w, r.top + w, r.right - w, r.bottom - w }, brush);
    if (pen.style == PS_SOLID || pen.style == PS_INSIDEFRAME || pen.width > 1) {
        Pixel p = pixel_from_colorref(pen.color);
        t.fill({ r.left, r.top, r.right, r.top + w }, p);
        t.fill({ r.left, r.bottom - w, r.right, r.bottom }, p);
        t.fill({ r.left, r.top + w, r.left + w, r.bottom - w }, p);
        t.fill({ r.right - w, r.top + w, r.right, r.bottom - w }, p);
    } else {
        // Styled one-pixel outline, clockwise from the top-left corner.
        draw_line(t, pen, r.left, r.top, r.right - 1, r.top, false);
        draw_line(t, pen, r.right - 1, r.top, r.right - 1, r.bottom - 1, false);
        draw_line(t, pen, r.right - 1, r.bottom - 1, r.left, r.bottom - 1, false);
        draw_line(t, pen, r.left, r.bottom - 1, r.left, r.top, false);
    }
    return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    Target t(hdc);
    if (!t)
        return FALSE;
    RECT r = normalized(t.to_surface(RECT { left, top, right, bottom }));
    const Pen& pen = *t.state().pen;
    const Brush& brush = *t.state().brush;
    bool outline = pen.style != PS_NULL;
    if (!outline) {
        r.right -= 1;
        r.bottom -= 1;
    }
    if (is_empty(r))
        return TRUE;
    double cx = (r.left + r.right) / 2.0;
    double cy = (r.top + r.bottom) / 2.0;
    double rx = (r.right - r.left) / 2.0;
    double ry = (r.bottom - r.top) / 2.0;
    double w = outline ? pen.width : 0;
    auto inside = [](double dx, double dy, double ax, double ay) {
        if (ax <= 0 || ay <= 0)
            return false;
        return (dx * dx) / (ax * ax) + (dy * dy) / (ay * ay) <= 1.0;
    };
    Pixel pen_pixel = pixel_from_colorref(pen.color);
    RECT c = intersect(r, t.clip());
    for (int y = c.top; y < c.bottom; ++y) {
        for (int x = c.left; x < c.right; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (!inside(dx, dy, rx, ry))
                continue;
            if (outline && !inside(dx, dy, rx - w, ry - w)) {
                t.plot(x, y, pen_pixel);
            } else if (auto p = t.brush_pixel(brush, x, y)) {
                t.plot(x, y, *p);
            }
        }
    }
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous)
{
    Target t(hdc);
    if (!t)
        return FALSE;
    if (previous)
        *previous = t.state().position;
    t.state().position = { x, y };
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT position)
{
    Target t(hdc);
    if (!t || !position)
        return FALSE;
    *position = t.state().position;
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    Target t(hdc);
    if (!t)
        return FALSE;
    POINT from = t.state().position;
    draw_line(t, *t.state().pen, from.x + t.ox(), from.y + t.oy(), x + t.ox(), y + t.oy(), false);
    t.state().position = { x, y };
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count)
{
    Target t(hdc);
    if (!t || !points || count < 2)
        return FALSE;
    for (int i = 0; i + 1 < count; ++i)
        draw_line(t, *t.state().pen, points[i].x + t.ox(), points[i].y + t.oy(), points[i + 1].x + t.ox(),
            points[i + 1].y + t.oy(), false);
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count)
{
    Target t(hdc);
    if (!t || !points || count < 2)
        return FALSE;
    std::vector<POINT> pts(points, points + count);
    for (auto& p : pts) {
        p.x += t.ox();
        p.y += t.oy();
    }
    fill_polygon(t, *t.state().brush, pts, t.state().fill_mode);
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const POINT& a = pts[i];
        const POINT& b = pts[(i + 1) % pts.size()];
        draw_line(t, *t.state().pen, a.x, a.y, b.x, b.y, false);
    }
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    Target t(hdc);
    if (!t)
        return CLR_INVALID;
    int sx = x + t.ox(), sy = y + t.oy();
    if (!t.in_clip(sx, sy))
        return CLR_INVALID;
    t.plot(sx, sy, pixel_from_colorref(color));
    return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    Target t(hdc);
    if (!t)
        return CLR_INVALID;
    int sx = x + t.ox(), sy = y + t.oy();
    if (!t.in_clip(sx, sy))
        return CLR_INVALID;
    return colorref_from_pixel(t.surface().row(sy)[sx]);
}
