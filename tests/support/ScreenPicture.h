#pragma once

// Reading the virtual card's test picture back from an X server: what the screen shows inside a
// rectangle, and the channel picture an X window shows somewhere inside it (its client area,
// whose edges are looked for).

#include <gdi/Surface.h>
#include <sim/TestPicture.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace screen_picture {

// What the screen shows inside `rect` (screen coordinates, clipped to the screen).
inline gdi::Surface grab(Display* display, RECT rect)
{
    rect.left = std::max<LONG>(rect.left, 0);
    rect.top = std::max<LONG>(rect.top, 0);
    rect.right = std::min<LONG>(rect.right, DisplayWidth(display, DefaultScreen(display)));
    rect.bottom = std::min<LONG>(rect.bottom, DisplayHeight(display, DefaultScreen(display)));
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return {};
    XImage* image = XGetImage(display, DefaultRootWindow(display), rect.left, rect.top,
        static_cast<unsigned>(rect.right - rect.left), static_cast<unsigned>(rect.bottom - rect.top), AllPlanes, ZPixmap);
    if (!image)
        return {};
    gdi::Surface surface(image->width, image->height);
    // A 24-bit screen's usual 32-bit pixels are copied row by row; others go through XGetPixel.
    bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xFF0000
        && image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    for (int y = 0; y < image->height; ++y) {
        auto* row = surface.row(y);
        if (direct) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line);
            for (int x = 0; x < image->width; ++x)
                row[x] = 0xFF000000u | (from[x] & 0xFFFFFFu);
        } else {
            for (int x = 0; x < image->width; ++x)
                row[x] = 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFFu);
        }
    }
    XDestroyImage(image);
    return surface;
}

// An X window's rectangle on the screen.
inline RECT geometry(Display* display, Window id)
{
    XWindowAttributes a {};
    XGetWindowAttributes(display, id, &a);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, id, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return { x, y, x + a.width, y + a.height };
}

// The channel picture the X window shows, with its frame number, or nothing.
inline std::optional<sim::PictureIdentity> identity_in(Display* display, Window id)
{
    gdi::Surface shot = grab(display, geometry(display, id));
    if (shot.empty())
        return std::nullopt;
    const auto* pixels = reinterpret_cast<const DWORD*>(shot.pixels());
    int stride = static_cast<int>(shot.stride() / 4);
    for (int side = 0; side <= 12; ++side)
        for (int top = 0; top < shot.height() / 2; ++top) {
            int width = shot.width() - 2 * side, height = shot.height() - top - side;
            if (width < 96 || height < 64)
                continue;
            auto seen = sim::read_picture_code_rgb32(pixels + top * stride + side, width, height, stride);
            if (seen && seen->source.kind == sim::SourceKind::Channel)
                return seen;
        }
    return std::nullopt;
}

// The channel the X window shows, or nothing.
inline std::optional<sim::PictureSource> channel_in(Display* display, Window id)
{
    auto seen = identity_in(display, id);
    return seen ? std::optional(seen->source) : std::nullopt;
}

}
