#include <gdi/Drawing.h>
#include <gdi/Icons.h>

#include "Target.h"

#include <algorithm>

using namespace gdi;
using namespace gdi::detail;

namespace gdi::detail {

Surface scaled(const Surface& source, int width, int height)
{
    Surface out(width, height, 0);
    if (source.empty() || out.empty())
        return out;
    int sw = source.width(), sh = source.height();
    for (int y = 0; y < height; ++y) {
        int v_lo = static_cast<int>(static_cast<long long>(y) * sh / height);
        int v_hi = std::max(v_lo + 1, static_cast<int>((static_cast<long long>(y) + 1) * sh / height));
        for (int x = 0; x < width; ++x) {
            int u_lo = static_cast<int>(static_cast<long long>(x) * sw / width);
            int u_hi = std::max(u_lo + 1, static_cast<int>((static_cast<long long>(x) + 1) * sw / width));
            if (u_hi - u_lo == 1 && v_hi - v_lo == 1) {
                int u = static_cast<int>((2LL * x + 1) * sw / (2LL * width));
                int v = static_cast<int>((2LL * y + 1) * sh / (2LL * height));
                out.row(y)[x] = source.row(v)[u];
                continue;
            }
            unsigned long long a = 0, r = 0, g = 0, b = 0, n = 0;
            for (int v = v_lo; v < v_hi; ++v) {
                for (int u = u_lo; u < u_hi; ++u) {
                    Pixel p = source.row(v)[u];
                    unsigned pa = p >> 24;
                    a += pa;
                    r += ((p >> 16) & 0xFF) * pa;
                    g += ((p >> 8) & 0xFF) * pa;
                    b += (p & 0xFF) * pa;
                    ++n;
                }
            }
            Pixel p = 0;
            if (a > 0)
                p = (static_cast<Pixel>((a + n / 2) / n) << 24) | (static_cast<Pixel>((r + a / 2) / a) << 16)
                    | (static_cast<Pixel>((g + a / 2) / a) << 8) | static_cast<Pixel>((b + a / 2) / a);
            out.row(y)[x] = p;
        }
    }
    return out;
}

}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON handle, int width, int height, UINT, HBRUSH background, UINT flags)
{
    auto icon = find_as<Icon>(handle, Kind::Icon);
    Target t(hdc);
    if (!t || !icon || !icon->image)
        return FALSE;
    if (width == 0)
        width = (flags & DI_DEFAULTSIZE) ? 32 : icon->image->width();
    if (height == 0)
        height = (flags & DI_DEFAULTSIZE) ? 32 : icon->image->height();
    if (width < 0 || height < 0)
        return FALSE;
    if (background) {
        if (auto brush = brush_for(background))
            t.fill_brush(t.to_surface(RECT { x, y, x + width, y + height }), *brush);
    }
    Surface scaled_image;
    const Surface* image = icon->image.get();
    if (width != image->width() || height != image->height()) {
        scaled_image = scaled(*image, width, height);
        image = &scaled_image;
    }
    if ((flags & DI_NORMAL) == 0)
        flags |= DI_NORMAL;
    int sx0 = x + t.ox(), sy0 = y + t.oy();
    for (int j = 0; j < height; ++j) {
        const Pixel* row = image->row(j);
        for (int i = 0; i < width; ++i) {
            int sx = sx0 + i, sy = sy0 + j;
            if (!t.in_clip(sx, sy))
                continue;
            Pixel p = row[i];
            int alpha = static_cast<int>(p >> 24);
            if ((flags & DI_NORMAL) == DI_NORMAL)
                t.blend(sx, sy, p, alpha);
            else if (flags & DI_IMAGE)
                t.plot(sx, sy, p | 0xFF000000u);
            else
                t.blend(sx, sy, kOpaqueBlack, alpha);
        }
    }
    return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon)
{
    return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

BOOL DestroyIcon(HICON handle)
{
    auto icon = find_as<Icon>(handle, Kind::Icon);
    if (!icon)
        return FALSE;
    if (icon->stock)
        return TRUE;
    return remove(handle) ? TRUE : FALSE;
}

namespace gdi {

HICON create_icon(const Surface& image)
{
    if (image.empty())
        return nullptr;
    auto icon = std::make_shared<Icon>();
    icon->image = std::make_shared<Surface>(image.copy(RECT { 0, 0, image.width(), image.height() }));
    return static_cast<HICON>(add(icon));
}

std::shared_ptr<const Surface> icon_surface(HICON handle)
{
    auto icon = find_as<Icon>(handle, Kind::Icon);
    return icon ? icon->image : nullptr;
}

}
