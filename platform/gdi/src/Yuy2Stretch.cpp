// A YUY2 picture drawn scaled in one pass (Yuy2.h): each destination row takes the source row
// under its centre (Stepping.h), converts only the source columns it shows, and a row that shows
// the same source row as the one above is copied from it.

#include <gdi/Blit.h>
#include <gdi/Yuy2.h>

#include "Stepping.h"
#include "Target.h"
#include "Yuy2Rows.h"

#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace gdi {

namespace {

#if defined(__x86_64__) || defined(__i386__)
// Eight destination pixels at a time with AVX2 gathers; the rest is left to the caller.
__attribute__((target("avx2"))) int gather_avx2(Pixel* out, const Pixel* line, const int* map, int first, int columns)
{
    const __m256i base = _mm256_set1_epi32(first);
    int i = 0;
    for (; i + 8 <= columns; i += 8) {
        __m256i at = _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(map + i)), base);
        __m256i pixels = _mm256_i32gather_epi32(reinterpret_cast<const int*>(line), at, 4);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), pixels);
    }
    return i;
}
#endif

// out[i] = line[map[i] - first] for each of `columns` destination pixels.
void gather(Pixel* out, const Pixel* line, const int* map, int first, int columns)
{
    int i = 0;
#if defined(__x86_64__) || defined(__i386__)
    if (detail::has_avx2())
        i = gather_avx2(out, line, map, first, columns);
#endif
    for (; i < columns; ++i)
        out[i] = line[map[i] - first];
}

// The whole-frame conversion drawn with StretchDIBits: mirrored or averaged pictures.
BOOL draw_converted(HDC dc, int x, int y, int width, int height, const BYTE* src, std::ptrdiff_t stride,
    int src_width, int src_height)
{
    thread_local Surface frame;
    if (frame.width() != src_width || frame.height() != src_height)
        frame = Surface(src_width, src_height);
    yuy2_to_bgra(src, stride, frame);
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), src_width, -src_height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    return StretchDIBits(dc, x, y, width, height, 0, 0, src_width, src_height, frame.pixels(), &info,
               DIB_RGB_COLORS, SRCCOPY)
        ? TRUE
        : FALSE;
}

}

BOOL draw_yuy2(HDC dc, int x, int y, int width, int height, const BYTE* src, std::ptrdiff_t stride, int src_width,
    int src_height)
{
    if (!src || src_width <= 0 || src_height <= 0 || stride < ((src_width + 1) / 2) * 4)
        return FALSE;
    if (width == 0 || height == 0)
        return TRUE;
    bool halftone = GetStretchBltMode(dc) == HALFTONE && (src_width > width || src_height > height);
    if (width < 0 || height < 0 || halftone)
        return draw_converted(dc, x, y, width, height, src, stride, src_width, src_height);

    detail::Target t(dc);
    if (!t)
        return FALSE;
    const int left = x + t.ox(), top = y + t.oy();
    RECT area = detail::intersect(t.clip(), RECT { left, top, left + width, top + height });
    if (detail::is_empty(area))
        return TRUE;
    t.touch(area);
    const int columns = area.right - area.left;

    // The source column of each destination column shown, and the span of source columns they use.
    thread_local std::vector<int> column_of;
    thread_local std::vector<Pixel> converted;
    column_of.resize(static_cast<std::size_t>(columns));
    detail::Stepper step(src_width, width, area.left - left);
    for (int i = 0; i < columns; ++i, step.next())
        column_of[static_cast<std::size_t>(i)] = step.index();
    const int* map = column_of.data(); // plain pointers: the loops need not reload the vectors
    const int first = map[0], span = map[columns - 1] - first + 1;
    const bool straight = span == columns; // one source column per destination column
    // A strong downscale converts the shown pixels one by one; otherwise the span at once.
    const bool one_by_one = !straight && columns * 4 < span;
    if (!straight && !one_by_one)
        converted.resize(static_cast<std::size_t>(span));
    Pixel* const line = converted.data();

    Surface& surface = t.surface();
    detail::Stepper rows(src_height, height, area.top - top);
    int last_row = -1;
    const Pixel* last_out = nullptr;
    for (int ty = area.top; ty < area.bottom; ++ty, rows.next()) {
        Pixel* out = surface.row(ty) + area.left;
        if (rows.index() == last_row) {
            std::memcpy(out, last_out, static_cast<std::size_t>(columns) * sizeof(Pixel));
            continue;
        }
        const BYTE* row = src + stride * rows.index();
        if (straight) {
            detail::yuy2_row_to_bgra(row, first, columns, out);
        } else if (one_by_one) {
            for (int i = 0; i < columns; ++i)
                out[i] = detail::yuy2_pixel(row, map[i]);
        } else {
            detail::yuy2_row_to_bgra(row, first, span, line);
            gather(out, line, map, first, columns);
        }
        last_row = rows.index();
        last_out = out;
    }
    return TRUE;
}

}
