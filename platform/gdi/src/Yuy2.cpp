#include <gdi/Yuy2.h>

#include "Yuy2Rows.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace gdi {

namespace {

inline BYTE clamp8(int v)
{
    return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline Pixel convert(int c, int d, int e)
{
    int y = 298 * c + 128;
    int r = (y + 409 * e) >> 8;
    int g = (y - 100 * d - 208 * e) >> 8;
    int b = (y + 516 * d) >> 8;
    return 0xFF000000u | (static_cast<Pixel>(clamp8(r)) << 16) | (static_cast<Pixel>(clamp8(g)) << 8) | clamp8(b);
}

#if defined(__SSE2__)

// Red, green and blue of four pixels as 32-bit values, computed exactly as convert() does.
struct Sums {
    __m128i r, g, b;
};

// `words` holds two pixel pairs as 16-bit Y-16, U-128, Y-16, V-128; each 32-bit lane of the
// shuffled registers holds the two factors of one pixel for a pairwise multiply-add.
inline Sums sums_of(__m128i words)
{
    // (c, d) for blue and green, (c, e) for red, (e, 1) for the rest of green and its rounding.
    __m128i cd = _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, _MM_SHUFFLE(1, 2, 1, 0)), _MM_SHUFFLE(1, 2, 1, 0));
    __m128i ce = _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, _MM_SHUFFLE(3, 2, 3, 0)), _MM_SHUFFLE(3, 2, 3, 0));
    __m128i ee = _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    __m128i e1 = _mm_or_si128(_mm_and_si128(ee, _mm_set1_epi32(0xFFFF)), _mm_set1_epi32(0x10000));
    const __m128i round = _mm_set1_epi32(128);
    Sums s;
    s.r = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(ce, _mm_set1_epi32((409 << 16) | 298)), round), 8);
    s.b = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(cd, _mm_set1_epi32((516 << 16) | 298)), round), 8);
    __m128i g = _mm_add_epi32(_mm_madd_epi16(cd, _mm_set1_epi32(static_cast<int>((0x10000u - 100u) << 16) | 298)),
        _mm_madd_epi16(e1, _mm_set1_epi32((128 << 16) | (0x10000 - 208))));
    s.g = _mm_srai_epi32(g, 8);
    return s;
}

// Eight pixels (sixteen bytes of YUY2) to eight BGRA pixels.
inline void convert8(const BYTE* s, Pixel* out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i offsets = _mm_set1_epi32((128 << 16) | 16);
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    Sums lo = sums_of(_mm_sub_epi16(_mm_unpacklo_epi8(bytes, zero), offsets));
    Sums hi = sums_of(_mm_sub_epi16(_mm_unpackhi_epi8(bytes, zero), offsets));
    // The saturating packs clamp to 0..255 as clamp8 does.
    __m128i r = _mm_packs_epi32(lo.r, hi.r);
    __m128i g = _mm_packs_epi32(lo.g, hi.g);
    __m128i b = _mm_packs_epi32(lo.b, hi.b);
    __m128i bg = _mm_unpacklo_epi8(_mm_packus_epi16(b, b), _mm_packus_epi16(g, g));
    __m128i ra = _mm_unpacklo_epi8(_mm_packus_epi16(r, r), _mm_set1_epi8(static_cast<char>(0xFF)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, ra));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(bg, ra));
}

#endif

#if defined(__x86_64__) || defined(__i386__)
#define ORBIVANE_YUY2_AVX2 1

// The red, green and blue of sixteen pixels (32 bytes of YUY2) as 16-bit values before clamping,
// exactly as convert() computes them: with a = 298 c + 128, (a + 409 e) >> 8 is
// c + e + ((42 c + 153 e + 128) >> 8), and likewise for green and blue, where every term fits
// in 16 bits.
struct Rgb16 {
    __m256i r, g, b;
};

__attribute__((target("avx2"))) inline Rgb16 rgb16_of(__m256i words)
{
    const __m256i low_words = _mm256_set1_epi32(0xFFFF);
    // c for each pixel; d and e of its pair, repeated for both pixels.
    __m256i c = _mm256_sub_epi16(_mm256_and_si256(words, _mm256_set1_epi16(0xFF)), _mm256_set1_epi16(16));
    __m256i uv = _mm256_sub_epi16(_mm256_srli_epi16(words, 8), _mm256_set1_epi16(128));
    __m256i u = _mm256_and_si256(uv, low_words);
    __m256i d = _mm256_or_si256(u, _mm256_slli_epi32(u, 16));
    __m256i e = _mm256_or_si256(_mm256_srli_epi32(uv, 16), _mm256_andnot_si256(low_words, uv));
    __m256i base = _mm256_add_epi16(_mm256_mullo_epi16(c, _mm256_set1_epi16(42)), _mm256_set1_epi16(128));
    Rgb16 out;
    out.r = _mm256_add_epi16(_mm256_add_epi16(c, e),
        _mm256_srai_epi16(_mm256_add_epi16(base, _mm256_mullo_epi16(e, _mm256_set1_epi16(153))), 8));
    __m256i green = _mm256_add_epi16(_mm256_mullo_epi16(d, _mm256_set1_epi16(-100)), _mm256_mullo_epi16(e, _mm256_set1_epi16(48)));
    out.g = _mm256_add_epi16(_mm256_sub_epi16(c, e), _mm256_srai_epi16(_mm256_add_epi16(base, green), 8));
    out.b = _mm256_add_epi16(_mm256_add_epi16(c, _mm256_add_epi16(d, d)), _mm256_srai_epi16(_mm256_add_epi16(base, _mm256_slli_epi16(d, 2)), 8));
    return out;
}

// Thirty-two pixels (64 bytes of YUY2) a step; the saturating packs clamp as clamp8 does.
// `ahead`, when set, is fetched into the cache a line a step.
__attribute__((target("avx2"))) int convert_row_avx2(const BYTE* s, int count, Pixel* out, const BYTE* ahead)
{
    const __m256i opaque = _mm256_set1_epi8(static_cast<char>(0xFF));
    int x = 0;
    for (; x + 32 <= count; x += 32, s += 64) {
        if (ahead)
            _mm_prefetch(reinterpret_cast<const char*>(ahead + x * 2), _MM_HINT_T0);
        Rgb16 first = rgb16_of(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s)));
        Rgb16 second = rgb16_of(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32)));
        // Bytes: each 128-bit lane holds eight pixels of the first half, then eight of the second.
        __m256i r = _mm256_packus_epi16(first.r, second.r);
        __m256i g = _mm256_packus_epi16(first.g, second.g);
        __m256i b = _mm256_packus_epi16(first.b, second.b);
        __m256i bg_first = _mm256_unpacklo_epi8(b, g);       // pixels 0-7 | 8-15
        __m256i bg_second = _mm256_unpackhi_epi8(b, g);      // pixels 16-23 | 24-31
        __m256i ra_first = _mm256_unpacklo_epi8(r, opaque);
        __m256i ra_second = _mm256_unpackhi_epi8(r, opaque);
        __m256i p0 = _mm256_unpacklo_epi16(bg_first, ra_first);   // pixels 0-3 | 8-11
        __m256i p1 = _mm256_unpackhi_epi16(bg_first, ra_first);   // pixels 4-7 | 12-15
        __m256i p2 = _mm256_unpacklo_epi16(bg_second, ra_second); // pixels 16-19 | 24-27
        __m256i p3 = _mm256_unpackhi_epi16(bg_second, ra_second); // pixels 20-23 | 28-31
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_permute2x128_si256(p0, p1, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x + 8), _mm256_permute2x128_si256(p0, p1, 0x31));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x + 16), _mm256_permute2x128_si256(p2, p3, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x + 24), _mm256_permute2x128_si256(p2, p3, 0x31));
    }
    return x;
}

#endif

}

Pixel yuv_to_bgra(BYTE y, BYTE u, BYTE v)
{
    return convert(y - 16, u - 128, v - 128);
}

namespace detail {

#if defined(ORBIVANE_YUY2_AVX2)
bool has_avx2()
{
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return yes;
}
#endif

Pixel yuy2_pixel(const BYTE* row, int x)
{
    const BYTE* pair = row + (x & ~1) * 2;
    return convert(pair[(x & 1) * 2] - 16, pair[1] - 128, pair[3] - 128);
}

void yuy2_row_to_bgra(const BYTE* row, int first, int count, Pixel* out, const BYTE* next)
{
    if (count <= 0)
        return;
    if (first & 1) {
        *out++ = yuy2_pixel(row, first++);
        --count;
    }
    const BYTE* s = row + first * 2;
    int x = 0;
#if defined(ORBIVANE_YUY2_AVX2)
    if (detail::has_avx2()) {
        x = convert_row_avx2(s, count, out, next ? next + first * 2 : nullptr);
        s += x * 2;
    }
#endif
#if defined(__SSE2__)
    for (; x + 8 <= count; x += 8, s += 16)
        convert8(s, out + x);
#endif
    for (; x + 1 < count; x += 2, s += 4) {
        int d = s[1] - 128;
        int e = s[3] - 128;
        out[x] = convert(s[0] - 16, d, e);
        out[x + 1] = convert(s[2] - 16, d, e);
    }
    if (x < count)
        out[x] = convert(s[0] - 16, s[1] - 128, s[3] - 128);
}

}

void yuy2_to_bgra(const BYTE* src, std::ptrdiff_t src_stride, int width, int height, Pixel* dst,
    std::ptrdiff_t dst_stride)
{
    if (!src || !dst || width <= 0 || height <= 0)
        return;
    for (int row = 0; row < height; ++row) {
        Pixel* out = reinterpret_cast<Pixel*>(reinterpret_cast<BYTE*>(dst) + row * dst_stride);
        detail::yuy2_row_to_bgra(src + row * src_stride, 0, width, out);
    }
}

void yuy2_to_bgra(const BYTE* src, std::ptrdiff_t src_stride, Surface& dst)
{
    yuy2_to_bgra(src, src_stride, dst.width(), dst.height(), dst.pixels(), dst.stride());
}

}
