#pragma once

// Conversion of packed YUY2 video (Y0 U Y1 V per two pixels, limited range) to BGRA pixels, and
// YUY2 pictures drawn scaled onto a DC in one pass, as the video renderer draws its frames.
//
// Coefficients are those of ITU-R BT.601 in 8-bit fixed point: Y 16..235 maps to 0..255. Rows are
// converted sixty-four pixels at a time with AVX-512 where the processor runs it at full speed,
// thirty-two with AVX2 where it has that, else eight with SSE2 (x86-64 always has it), giving
// exactly the pixels of the one-pixel formula.
//
// draw_yuy2 gives the pixels of yuy2_to_bgra followed by StretchDIBits with SRCCOPY, but converts
// only the source rows and columns that show, each once per destination row that is not a copy
// of the row above: a live picture costs one pass over the pixels drawn. Its rows reach the
// surface through streaming stores, which bypass this thread's cache: the surface is for the
// display to read.

#include <gdi/DeviceContext.h>
#include <gdi/Surface.h>

namespace gdi {

// Converts width x height YUY2 pixels (src_stride bytes per source row) into dst, whose rows are
// dst_stride bytes apart (negative for bottom-up output). An odd last column repeats its pair's
// chroma. Output pixels are opaque.
void yuy2_to_bgra(const BYTE* src, std::ptrdiff_t src_stride, int width, int height, Pixel* dst,
    std::ptrdiff_t dst_stride);
// Converts a YUY2 frame of the surface's size into it (top row first).
void yuy2_to_bgra(const BYTE* src, std::ptrdiff_t src_stride, Surface& dst);
// Draws a src_width x src_height YUY2 picture (top row first, `stride` bytes per row) onto the
// DC's rectangle x, y, width, height (negative sizes mirror; HALFTONE mode averages when shrinking,
// as StretchDIBits does), clipped to the DC. FALSE for a bad DC, picture or stride.
BOOL draw_yuy2(HDC dc, int x, int y, int width, int height, const BYTE* src, std::ptrdiff_t stride, int src_width,
    int src_height);
// One pixel, for tests and single values: the opaque BGRA pixel of (y, u, v).
Pixel yuv_to_bgra(BYTE y, BYTE u, BYTE v);

}
