// A YUY2 picture drawn scaled in one pass (Yuy2.h): each destination row takes the source row
// under its centre (Stepping.h), converts only the source columns it shows, and a row that shows
// the same source row as the one above is the same row again. Rows are made in a small buffer
// and streamed to the surface past the cache (see stream_row).

#include <gdi/Blit.h>
#include <gdi/Yuy2.h>

#include "Stepping.h"
#include "Target.h"
#include "Yuy2Rows.h"

#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace gdi {

namespace {

// out[i] = line[map[i] - first] for each of `columns` destination pixels. The map is the same
// for every row of a picture, so a Picker is made once per drawing.
class Picker {
public:
    Picker(const int* map, int first, int columns);
    // `line` must hold 16 pixels more than the span of source columns, for the shuffles' loads.
    void pick(Pixel* out, const Pixel* line) const;
    // Picks straight onto the surface with streaming stores (stream_row) where the shuffles
    // serve and `out` is 16-byte aligned; false, with nothing written, otherwise.
    bool pick_streamed(Pixel* out, const Pixel* line) const;

private:
    const int* m_map;
    int m_first;
    int m_columns;
    // Shuffles: each block of eight destination pixels takes its pixels from the sixteen source
    // pixels at its offset, by index; empty when some block spreads wider (a strong shrink).
    std::vector<int> m_offsets;
    std::vector<int> m_indices;
};

Picker::Picker(const int* map, int first, int columns)
    : m_map(map)
    , m_first(first)
    , m_columns(columns)
{
#if defined(__x86_64__) || defined(__i386__)
    if (!detail::has_avx2())
        return;
    const int blocks = columns / 8;
    m_offsets.resize(static_cast<std::size_t>(blocks));
    m_indices.resize(static_cast<std::size_t>(blocks) * 8);
    for (int b = 0; b < blocks; ++b) {
        const int* at = map + b * 8;
        if (at[7] - at[0] >= 16) {
            m_offsets.clear();
            m_indices.clear();
            return;
        }
        m_offsets[static_cast<std::size_t>(b)] = at[0] - first;
        for (int k = 0; k < 8; ++k)
            m_indices[static_cast<std::size_t>(b) * 8 + k] = at[k] - at[0];
    }
#endif
}

#if defined(__x86_64__) || defined(__i386__)
// Eight destination pixels at a time from two loads by two shuffles; Stream stores them past the
// cache, two aligned halves at a time.
template<bool Stream>
__attribute__((target("avx2"))) int shuffle_avx2(Pixel* out, const Pixel* line, const int* offsets, const int* indices, int blocks)
{
    const __m256i seven = _mm256_set1_epi32(7);
    for (int b = 0; b < blocks; ++b) {
        const Pixel* from = line + offsets[b];
        __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(indices + b * 8));
        __m256i low = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)), index);
        __m256i high = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 8)), index);
        __m256i pixels = _mm256_blendv_epi8(low, high, _mm256_cmpgt_epi32(index, seven));
        if constexpr (Stream) {
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + b * 8), _mm256_castsi256_si128(pixels));
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + b * 8 + 4), _mm256_extracti128_si256(pixels, 1));
        } else {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + b * 8), pixels);
        }
    }
    return blocks * 8;
}

// Eight destination pixels at a time with AVX2 gathers.
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

// Copies a finished row to the surface with streaming stores, which write whole cache lines
// without reading them first and leave them out of this core's cache: the surface is read by
// the X server's process (or its next copy), not by this thread, so a cached store would first
// fetch each line back from the reader's cache only to hand it over again. draw_yuy2 fences
// the stores before it returns.
void stream_row(Pixel* out, const Pixel* from, int count)
{
    int i = 0;
#if defined(__SSE2__)
    for (; i < count && (reinterpret_cast<std::uintptr_t>(out + i) & 15) != 0; ++i)
        out[i] = from[i];
    for (; i + 4 <= count; i += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
#endif
    std::memcpy(out + i, from + i, static_cast<std::size_t>(count - i) * sizeof(Pixel));
}

void Picker::pick(Pixel* out, const Pixel* line) const
{
    int i = 0;
#if defined(__x86_64__) || defined(__i386__)
    if (!m_offsets.empty())
        i = shuffle_avx2<false>(out, line, m_offsets.data(), m_indices.data(), static_cast<int>(m_offsets.size()));
    else if (detail::has_avx2())
        i = gather_avx2(out, line, m_map, m_first, m_columns);
#endif
    for (; i < m_columns; ++i)
        out[i] = line[m_map[i] - m_first];
}

bool Picker::pick_streamed(Pixel* out, const Pixel* line) const
{
#if defined(__x86_64__) || defined(__i386__)
    if (m_offsets.empty() || (reinterpret_cast<std::uintptr_t>(out) & 15) != 0)
        return false;
    int i = shuffle_avx2<true>(out, line, m_offsets.data(), m_indices.data(), static_cast<int>(m_offsets.size()));
    for (; i < m_columns; ++i)
        out[i] = line[m_map[i] - m_first];
    return true;
#else
    (void)out;
    (void)line;
    return false;
#endif
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
        converted.resize(static_cast<std::size_t>(span) + 16);
    Pixel* const line = converted.data();
    const Picker picker(map, first, straight || one_by_one ? 0 : columns);

    thread_local std::vector<Pixel> made; // the row being made, kept while rows repeat it
    made.resize(static_cast<std::size_t>(columns));
    Pixel* const row_made = made.data();
    Surface& surface = t.surface();
    detail::Stepper rows(src_height, height, area.top - top);
    int last_row = -1;
    for (int ty = area.top; ty < area.bottom; ++ty, rows.next()) {
        Pixel* const out = surface.row(ty) + area.left;
        if (rows.index() != last_row) {
            last_row = rows.index();
            const BYTE* row = src + stride * rows.index();
            // The next row shown is fetched while this one converts: a frame just received is
            // rarely in the cache.
            detail::Stepper ahead = rows;
            ahead.next();
            const bool again = ty + 1 < area.bottom && ahead.index() == rows.index();
            const BYTE* next = ty + 1 < area.bottom && !again ? src + stride * ahead.index() : nullptr;
            if (straight) {
                detail::yuy2_row_to_bgra(row, first, columns, row_made, next);
            } else if (one_by_one) {
                for (int i = 0; i < columns; ++i)
                    row_made[i] = detail::yuy2_pixel(row, map[i]);
            } else {
                detail::yuy2_row_to_bgra(row, first, span, line, next);
                // A row shown once goes to the surface without the copy where it can.
                if (!again && picker.pick_streamed(out, line))
                    continue;
                picker.pick(row_made, line);
            }
        }
        stream_row(out, row_made, columns);
    }
#if defined(__SSE2__)
    _mm_sfence();
#endif
    return TRUE;
}

}
