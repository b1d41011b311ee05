#pragma once

// Icons: a 32-bit image whose alpha is its mask (0 transparent, 255 opaque, between blended).
//
// Icons come from LoadIconA / LoadImageA (Resources.h) or from a surface (gdi::create_icon).
// DrawIconEx blends the image onto the DC, scaled to the size asked; DI_MASK draws the mask alone
// (black where opaque, white where transparent) and DI_IMAGE the image alone.

#include <base/Types.h>
#include <gdi/Surface.h>

#include <memory>

#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_COMPAT 0x0004
#define DI_DEFAULTSIZE 0x0008

// Draws an icon at its own size.
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
// Draws an icon at width x height (0: its own size; DI_DEFAULTSIZE: 32 x 32), optionally on a
// background brush first.
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH background,
    UINT flags);
BOOL DestroyIcon(HICON icon);

namespace gdi {

// An icon with a copy of the given image.
HICON create_icon(const Surface& image);
// The icon's image (alpha = mask), or nullptr for an invalid handle.
std::shared_ptr<const Surface> icon_surface(HICON icon);

}
