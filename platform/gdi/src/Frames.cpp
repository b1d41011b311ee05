#include <gdi/Colors.h>
#include <gdi/Frames.h>

#include "Target.h"

#include <algorithm>
#include <cmath>

using namespace gdi;
using namespace gdi::detail;

namespace {

Pixel sys(int index)
{
    return pixel_from_colorref(GetSysColor(index));
}

// One bevel of one pixel: top and left in `light`, bottom and right in `dark`.
void bevel(Target& t, RECT& r, UINT flags, Pixel light, Pixel dark)
{
    if (flags & BF_TOP)
        t.fill({ r.left, r.top, r.right - 1, r.top + 1 }, light);
    if (flags & BF_LEFT)
        t.fill({ r.left, r.top, r.left + 1, r.bottom - 1 }, light);
    if (flags & BF_BOTTOM)
        t.fill({ r.left, r.bottom - 1, r.right, r.bottom }, dark);
    if (flags & BF_RIGHT)
        t.fill({ r.right - 1, r.top, r.right, r.bottom - 1 }, dark);
    if (flags & BF_TOP)
        ++r.top;
    if (flags & BF_LEFT)
        ++r.left;
    if (flags & BF_BOTTOM)
        --r.bottom;
    if (flags & BF_RIGHT)
        --r.right;
}

void edge(Target& t, RECT& r, UINT type, UINT flags)
{
    UINT outer = type & BDR_OUTER;
    UINT inner = type & BDR_INNER;
    if (flags & BF_MONO) {
        if (outer)
            bevel(t, r, flags, sys(COLOR_WINDOWFRAME), sys(COLOR_WINDOWFRAME));
        if (inner)
            bevel(t, r, flags, sys(COLOR_WINDOW), sys(COLOR_WINDOW));
    } else if (flags & BF_FLAT) {
        if (outer)
            bevel(t, r, flags, sys(COLOR_BTNSHADOW), sys(COLOR_BTNSHADOW));
        if (inner)
            bevel(t, r, flags, sys(COLOR_BTNFACE), sys(COLOR_BTNFACE));
    } else {
        if (outer & BDR_RAISEDOUTER)
            bevel(t, r, flags, sys(COLOR_3DLIGHT), sys(COLOR_3DDKSHADOW));
        else if (outer & BDR_SUNKENOUTER)
            bevel(t, r, flags, sys(COLOR_3DSHADOW), sys(COLOR_3DHILIGHT));
        if (inner & BDR_RAISEDINNER)
            bevel(t, r, flags, sys(COLOR_3DHILIGHT), sys(COLOR_3DSHADOW));
        else if (inner & BDR_SUNKENINNER)
            bevel(t, r, flags, sys(COLOR_3DDKSHADOW), sys(COLOR_3DLIGHT));
    }
    if ((flags & BF_MIDDLE) && !is_empty(r))
        t.fill(r, sys((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
}

RECT square_in(const RECT& r, int max_size)
{
    int size = std::min<int>({ r.right - r.left, r.bottom - r.top, max_size });
    int left = r.left;
    int top = r.top + (r.bottom - r.top - size) / 2;
    return { left, top, left + size, top + size };
}

void check_box(Target& t, const RECT& rect, UINT state)
{
    RECT box = square_in(rect, 13);
    if (is_empty(box))
        return;
    RECT inner = box;
    edge(t, inner, EDGE_SUNKEN, BF_RECT | ((state & DFCS_FLAT) ? BF_FLAT : 0) | ((state & DFCS_MONO) ? BF_MONO : 0));
    bool grey = (state & (DFCS_INACTIVE | DFCS_PUSHED)) != 0;
    t.fill(inner, sys(grey ? COLOR_BTNFACE : COLOR_WINDOW));
    if (!(state & DFCS_CHECKED))
        return;
    Pen mark;
    mark.color = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    int s = inner.right - inner.left;
    int x0 = inner.left + s / 5, y0 = inner.top + s / 2 - 1;
    int x1 = inner.left + s * 2 / 5, y1 = inner.bottom - s / 4 - 1;
    int x2 = inner.right - s / 5 - 1, y2 = inner.top + s / 5;
    for (int k = 0; k < 3; ++k) {
        draw_line(t, mark, x0, y0 + k, x1, y1 + k, true);
        draw_line(t, mark, x1, y1 + k, x2, y2 + k, true);
    }
}

void radio(Target& t, const RECT& rect, UINT state)
{
    RECT box = square_in(rect, 12);
    int size = box.right - box.left;
    if (size <= 0)
        return;
    double c = size / 2.0;
    bool grey = (state & (DFCS_INACTIVE | DFCS_PUSHED)) != 0;
    Pixel face = sys(grey ? COLOR_BTNFACE : COLOR_WINDOW);
    Pixel dot = sys((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double dx = x + 0.5 - c, dy = y + 0.5 - c;
            double d = std::sqrt(dx * dx + dy * dy);
            if (d > c)
                continue;
            bool upper_left = dx + dy < 0;
            Pixel p;
            if (d > c - 1)
                p = upper_left ? sys(COLOR_3DSHADOW) : sys(COLOR_3DHILIGHT);
            else if (d > c - 2)
                p = upper_left ? sys(COLOR_3DDKSHADOW) : sys(COLOR_3DLIGHT);
            else if ((state & DFCS_CHECKED) && d <= c / 2.5)
                p = dot;
            else
                p = face;
            t.plot(box.left + x, box.top + y, p);
        }
    }
}

void push_button(Target& t, RECT r, UINT state)
{
    UINT flags = BF_RECT | BF_MIDDLE;
    if (state & DFCS_FLAT)
        flags |= BF_FLAT;
    if (state & DFCS_MONO)
        flags |= BF_MONO;
    edge(t, r, (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED, flags);
}

void arrow(Target& t, const RECT& r, UINT direction, Pixel p)
{
    int w = r.right - r.left, h = r.bottom - r.top;
    int size = std::max(2, std::min(w, h) / 3); // half the base of the triangle
    int cx = r.left + w / 2, cy = r.top + h / 2;
    for (int i = 0; i < size; ++i) {
        int half = i; // row i of the triangle has 2*i+1 pixels
        int o = i - size / 2;
        switch (direction) {
        case DFCS_SCROLLUP:
            t.fill({ cx - half, cy + o, cx + half + 1, cy + o + 1 }, p);
            break;
        case DFCS_SCROLLLEFT:
            t.fill({ cx + o, cy - half, cx + o + 1, cy + half + 1 }, p);
            break;
        case DFCS_SCROLLRIGHT:
            t.fill({ cx - o, cy - half, cx - o + 1, cy + half + 1 }, p);
            break;
        default: // down, combo box
            t.fill({ cx - half, cy - o, cx + half + 1, cy - o + 1 }, p);
            break;
        }
    }
}

}

BOOL DrawEdge(HDC hdc, LPRECT rect, UINT type, UINT flags)
{
    Target t(hdc);
    if (!t || !rect)
        return FALSE;
    RECT r = normalized(t.to_surface(*rect));
    edge(t, r, type, flags);
    if (flags & BF_ADJUST)
        *rect = { r.left - t.ox(), r.top - t.oy(), r.right - t.ox(), r.bottom - t.oy() };
    return TRUE;
}

BOOL DrawFrameControl(HDC hdc, LPRECT rect, UINT type, UINT state)
{
    Target t(hdc);
    if (!t || !rect)
        return FALSE;
    RECT r = normalized(t.to_surface(*rect));
    switch (type) {
    case DFC_BUTTON:
        if (state & DFCS_BUTTONPUSH) {
            push_button(t, r, state);
            if (state & DFCS_ADJUSTRECT) {
                rect->left += 2;
                rect->top += 2;
                rect->right -= 2;
                rect->bottom -= 2;
            }
        } else if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE)) {
            radio(t, r, state);
        } else {
            check_box(t, r, state);
        }
        return TRUE;
    case DFC_SCROLL: {
        push_button(t, r, state & ~DFCS_CHECKED);
        RECT inner { r.left + 2, r.top + 2, r.right - 2, r.bottom - 2 };
        if (state & DFCS_PUSHED) {
            inner.left += 1;
            inner.top += 1;
            inner.right += 1;
            inner.bottom += 1;
        }
        arrow(t, inner, state & 0xFF, sys((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        return TRUE;
    }
    default:
        return FALSE;
    }
}
