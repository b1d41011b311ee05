#pragma once

// Parts of YUY2 rows to BGRA pixels (Yuy2.cpp), for the whole-frame conversion and for drawing a
// picture scaled (Yuy2Stretch.cpp), which converts only the columns it shows.

#include <gdi/Surface.h>

namespace gdi::detail {

#if defined(__x86_64__) || defined(__i386__)
// Whether the processor runs AVX2 code (the 32-pixel conversion, the shuffles of scaled rows).
bool has_avx2();
// Whether it runs AVX-512 code at full speed (the 64-pixel conversion).
bool has_avx512();
#endif
// Pixel x of a YUY2 row: its own Y with its pair's U and V.
Pixel yuy2_pixel(const BYTE* row, int x);
// Converts pixels first .. first + count - 1 of a YUY2 row into out[0 .. count - 1]; the same
// pixels of `next`, the row to convert after it, are fetched into the cache meanwhile.
void yuy2_row_to_bgra(const BYTE* row, int first, int count, Pixel* out, const BYTE* next = nullptr);

}
