#pragma once

// Copying pixels between DCs and from DIB memory: BitBlt, StretchBlt (nearest pixel, or area
// averaging in HALFTONE mode; negative sizes mirror) and StretchDIBits for 24- and 32-bit BI_RGB
// images such as converted video frames (see Yuy2.h).
//
// Raster operations: SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE,
// MERGEPAINT, and the source-free PATCOPY, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS (Drawing.h).

#include <base/Types.h>
#include <gdi/Drawing.h>
#include <gdi/Objects.h>

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y,
    int src_width, int src_height, DWORD rop);
// Draws part of a DIB; for bottom-up images src_y counts from the bottom row, as on Windows.
// Returns the number of scan lines drawn, 0 on failure.
int StretchDIBits(HDC hdc, int x, int y, int width, int height, int src_x, int src_y, int src_width,
    int src_height, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
