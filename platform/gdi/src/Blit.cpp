#include <gdi/Blit.h>
#include <gdi/DeviceContext.h>

#include "Stepping.h"
#include "Target.h"

#include <cmath>
#include <cstdlib>

using namespace gdi;
using namespace gdi::detail;

namespace {

bool needs_source(DWORD rop)
{
    switch (rop) {
    case PATCOPY:
    case PATINVERT:
    case DSTINVERT:
    case BLACKNESS:
    case WHITENESS:
        return false;
    default:
        return true;
    }
}

bool known_source_rop(DWORD rop)
{
    switch (rop) {
    case SRCCOPY:
    case SRCPAINT:
    case SRCAND:
    case SRCINVERT:
    case SRCERASE:
    case NOTSRCCOPY:
    case NOTSRCERASE:
    case MERGEPAINT:
        return true;
    default:
        return false;
    }
}

inline Pixel combine(DWORD rop, Pixel s, Pixel d)
{
    switch (rop) {
    case SRCPAINT:
        s = s | d;
        break;
    case SRCAND:
        s = s & d;
        break;
    case SRCINVERT:
        s = s ^ d;
        break;
    case SRCERASE:
        s = s & ~d;
        break;
    case NOTSRCCOPY:
        s = ~s;
        break;
    case NOTSRCERASE:
        s = ~(s | d);
        break;
    case MERGEPAINT:
        s = ~s | d;
        break;
    default:
        break;
    }
    return s | 0xFF000000u;
}

struct Span {
    int start;  // first destination/source coordinate (normalized)
    int length; // absolute length
    bool negative;
};

Span span(int origin, int extent)
{
    if (extent < 0)
        return { origin + extent + 1, -extent, true }; // covers origin down to origin + extent + 1
    return { origin, extent, false };
}

// SRCCOPY of a source rectangle inside the source surface, neither mirrored nor averaged, onto
// the destination span rectangle: rows and columns stepped (Stepping.h), equal widths copied
// straight. Pixels are made opaque on the way.
void copy_scaled(Target& t, const Span& dx, const Span& dy, const Span& ux, const Span& uy, const Surface& src)
{
    RECT area = intersect(t.clip(), RECT { dx.start, dy.start, dx.start + dx.length, dy.start + dy.length });
    if (is_empty(area))
        return;
    t.touch(area);
    int first_column = area.left - dx.start;
    int columns = area.right - area.left;
    Stepper rows(uy.length, dy.length, area.top - dy.start);
    for (int ty = area.top; ty < area.bottom; ++ty, rows.next()) {
        const Pixel* in = src.row(uy.start + rows.index()) + ux.start;
        Pixel* out = t.surface().row(ty) + area.left;
        if (ux.length == dx.length) {
            in += first_column;
            for (int i = 0; i < columns; ++i)
                out[i] = in[i] | 0xFF000000u;
            continue;
        }
        Stepper step(ux.length, dx.length, first_column);
        for (int i = 0; i < columns; ++i, step.next())
            out[i] = in[step.index()] | 0xFF000000u;
    }
}

// Stretches src (surface coordinates sx, sy, sw, sh) onto the target's logical x, y, w, h.
bool stretch(Target& t, int x, int y, int w, int h, const Surface& src_surface, int sx, int sy, int sw, int sh,
    DWORD rop, int mode)
{
    if (w == 0 || h == 0 || sw == 0 || sh == 0)
        return true;
    Span dx = span(x + t.ox(), w), dy = span(y + t.oy(), h);
    Span ux = span(sx, sw), uy = span(sy, sh);
    bool mirror_x = dx.negative != ux.negative;
    bool mirror_y = dy.negative != uy.negative;

    const RECT& clip = t.clip();
    bool halftone = mode == HALFTONE && (ux.length > dx.length || uy.length > dy.length);
    if (rop == SRCCOPY && !halftone && !mirror_x && !mirror_y && &src_surface != &t.surface() && ux.start >= 0
        && uy.start >= 0 && ux.start + ux.length <= src_surface.width() && uy.start + uy.length <= src_surface.height()) {
        copy_scaled(t, dx, dy, ux, uy, src_surface);
        return true;
    }

    // Drawing onto its own surface: read from a copy.
    Surface copy;
    const Surface* src = &src_surface;
    int base_x = 0, base_y = 0;
    if (&src_surface == &t.surface()) {
        copy = src_surface.copy(RECT { ux.start, uy.start, ux.start + ux.length, uy.start + uy.length });
        base_x = std::max(ux.start, 0);
        base_y = std::max(uy.start, 0);
        src = &copy;
    }
    auto sample = [&](int px, int py, Pixel& out) {
        int cx = px - base_x, cy = py - base_y;
        if (!src->contains(cx, cy))
            return false;
        out = src->row(cy)[cx];
        return true;
    };

    t.touch(intersect(clip, RECT { dx.start, dy.start, dx.start + dx.length, dy.start + dy.length }));
    for (int j = 0; j < dy.length; ++j) {
        int ty = dy.start + j;
        if (ty < clip.top || ty >= clip.bottom)
            continue;
        int jj = mirror_y ? dy.length - 1 - j : j;
        int v0 = static_cast<int>((2LL * jj + 1) * uy.length / (2LL * dy.length));
        int v_lo = static_cast<int>(static_cast<long long>(jj) * uy.length / dy.length);
        int v_hi = std::max(v_lo + 1, static_cast<int>((static_cast<long long>(jj) + 1) * uy.length / dy.length));
        Pixel* row = t.surface().row(ty);
        for (int i = 0; i < dx.length; ++i) {
            int tx = dx.start + i;
            if (tx < clip.left || tx >= clip.right)
                continue;
            int ii = mirror_x ? dx.length - 1 - i : i;
            Pixel s;
            if (halftone) {
                int u_lo = static_cast<int>(static_cast<long long>(ii) * ux.length / dx.length);
                int u_hi = std::max(u_lo + 1, static_cast<int>((static_cast<long long>(ii) + 1) * ux.length / dx.length));
                unsigned r = 0, g = 0, b = 0, n = 0;
                for (int v = v_lo; v < v_hi; ++v) {
                    for (int u = u_lo; u < u_hi; ++u) {
                        Pixel p;
                        if (!sample(ux.start + u, uy.start + v, p))
                            continue;
                        r += (p >> 16) & 0xFF;
                        g += (p >> 8) & 0xFF;
                        b += p & 0xFF;
                        ++n;
                    }
                }
                if (n == 0)
                    continue;
                s = 0xFF000000u | (((r + n / 2) / n) << 16) | (((g + n / 2) / n) << 8) | ((b + n / 2) / n);
            } else {
                int u0 = static_cast<int>((2LL * ii + 1) * ux.length / (2LL * dx.length));
                if (!sample(ux.start + u0, uy.start + v0, s))
                    continue;
            }
            row[tx] = combine(rop, s, row[tx]);
        }
    }
    return true;
}

}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, int src_width,
    int src_height, DWORD rop)
{
    if (!needs_source(rop))
        return PatBlt(dst, x, y, width, height, rop);
    if (!known_source_rop(rop))
        return FALSE;
    Target source(src);
    if (!source)
        return FALSE;
    if (src == dst) {
        // One target for both ends: the copy inside stretch keeps it correct.
        return stretch(source, x, y, width, height, source.surface(), src_x + source.ox(), src_y + source.oy(),
                   src_width, src_height, rop, source.state().stretch_mode)
            ? TRUE
            : FALSE;
    }
    Target t(dst);
    if (!t)
        return FALSE;
    return stretch(t, x, y, width, height, source.surface(), src_x + source.ox(), src_y + source.oy(), src_width,
               src_height, rop, t.state().stretch_mode)
        ? TRUE
        : FALSE;
}

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, DWORD rop)
{
    return StretchBlt(dst, x, y, width, height, src, src_x, src_y, width, height, rop);
}

int StretchDIBits(HDC hdc, int x, int y, int width, int height, int src_x, int src_y, int src_width, int src_height,
    const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    if (!info || usage != DIB_RGB_COLORS)
        return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (!needs_source(rop)) {
        return PatBlt(hdc, x, y, width, height, rop) ? std::abs(src_height) : 0;
    }
    if (!bits || !known_source_rop(rop) || h.biWidth <= 0 || h.biHeight == 0 || h.biCompression != BI_RGB
        || (h.biBitCount != 24 && h.biBitCount != 32))
        return 0;
    Target t(hdc);
    if (!t)
        return 0;
    int w = h.biWidth;
    int rows = std::abs(h.biHeight);
    bool bottom_up = h.biHeight > 0;
    std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(((static_cast<std::size_t>(w) * h.biBitCount + 31) / 32) * 4);
    const BYTE* base = static_cast<const BYTE*>(bits);
    Surface image;
    if (h.biBitCount == 32) {
        BYTE* top = const_cast<BYTE*>(base) + (bottom_up ? (rows - 1) * stride : 0);
        image = Surface::wrap(top, w, rows, bottom_up ? -stride : stride);
    } else {
        image = Surface(w, rows);
        for (int r = 0; r < rows; ++r) {
            const BYTE* s = base + (bottom_up ? rows - 1 - r : r) * stride;
            Pixel* d = image.row(r);
            for (int c = 0; c < w; ++c, s += 3)
                d[c] = 0xFF000000u | (static_cast<Pixel>(s[2]) << 16) | (static_cast<Pixel>(s[1]) << 8) | s[0];
        }
    }
    // For bottom-up images the source rectangle is measured from the bottom row.
    int top_row = bottom_up ? rows - src_y - src_height : src_y;
    stretch(t, x, y, width, height, image, src_x, top_row, src_width, src_height, rop, t.state().stretch_mode);
    return std::abs(src_height);
}
