#pragma once

// Conversion of packed YUY2 video (Y0 U Y1 V per two pixels, limited range) to BGRA pixels, as the
// video renderer needs before it draws a frame with StretchDIBits or BitBlt.
//
// Coefficients are those of ITU-R BT.601 in 8-bit fixed point: Y 16..235 maps to 0..255. Rows are
// converted eight pixels at a time with SSE2 where the compiler targets it (x86-64 always does),
// giving exactly the pixels of the one-pixel formula.

#include <gdi/Surface.h>

namespace gdi {

// Converts width x height YUY2 pixels (src_stride bytes per source row) into dst, whose rows are
// dst_stride bytes apart (negative for bottom-up output). An odd last column repeats its pair's
// chroma. Output pixels are opaque.
void yuy2_to_bgra(const BYTE* src, std::ptrdiff_t src_stride, int width, int height, Pixel* dst,
    std::ptrdiff_t dst_stride);
// Converts a YUY2 frame of the surface's size into it (top row first).
void yuy2_to_bgra(const BYTE* src, std::ptrdiff_t src_stride, Surface& dst);
// One pixel, for tests and single values: the opaque BGRA pixel of (y, u, v).
Pixel yuv_to_bgra(BYTE y, BYTE u, BYTE v);

}
