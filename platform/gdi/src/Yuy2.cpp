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

// The red, green and blue of the pixels in a register of YUY2 (`Bytes` wide) as 16-bit values
// before clamping, exactly as convert() computes them: with a = 298 c + 128, (a + 409 e) >> 8 is
// c + e + ((42 c + 153 e + 128) >> 8), and likewise for green and blue, where every term fits
// in 16 bits. Written once, in vector arithmetic, for every register width.
template<int Bytes>
struct Rgb16 {
    typedef short Words __attribute__((vector_size(Bytes)));
    typedef unsigned short UnsignedWords __attribute__((vector_size(Bytes)));
    typedef unsigned Longs __attribute__((vector_size(Bytes)));

    Words r, g, b;

    template<typename Register>
    [[gnu::always_inline]] explicit Rgb16(const Register& yuy2)
    {
        // c for each pixel; d and e of its pair, repeated for both pixels.
        const Words c = ((Words)yuy2 & 0xFF) - 16;
        const Longs uv = (Longs)((Words)((UnsignedWords)yuy2 >> 8) - 128);
        const Longs u = uv & 0xFFFF;
        const Words d = (Words)(u | (u << 16));
        const Words e = (Words)((uv >> 16) | (uv & 0xFFFF0000u));
        const Words base = c * 42 + 128;
        r = c + e + ((base + e * 153) >> 8);
        g = c - e + ((base + d * -100 + e * 48) >> 8);
        b = c + d + d + ((base + d * 4) >> 8);
    }
};

// Eight pixels (sixteen bytes of YUY2) to eight BGRA pixels; the saturating packs clamp as
// clamp8 does.
inline void convert8(const BYTE* s, Pixel* out)
{
    Rgb16<16> sums(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
    __m128i r = _mm_packus_epi16((__m128i)sums.r, (__m128i)sums.r);
    __m128i g = _mm_packus_epi16((__m128i)sums.g, (__m128i)sums.g);
    __m128i b = _mm_packus_epi16((__m128i)sums.b, (__m128i)sums.b);
    __m128i bg = _mm_unpacklo_epi8(b, g);
    __m128i ra = _mm_unpacklo_epi8(r, _mm_set1_epi8(static_cast<char>(0xFF)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, ra));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(bg, ra));
}

#endif

#if defined(__x86_64__) || defined(__i386__)
#define ORBIVANE_YUY2_AVX2 1

// Thirty-two pixels (64 bytes of YUY2) a step; the saturating packs clamp as clamp8 does.
// `ahead`, when set, is fetched into the cache a line a step.
__attribute__((target("avx2"))) int convert_row_avx2(const BYTE* s, int count, Pixel* out, const BYTE* ahead)
{
    const __m256i opaque = _mm256_set1_epi8(static_cast<char>(0xFF));
    int x = 0;
    for (; x + 32 <= count; x += 32, s += 64) {
        if (ahead)
            _mm_prefetch(reinterpret_cast<const char*>(ahead + x * 2), _MM_HINT_T0);
        Rgb16<32> first(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s)));
        Rgb16<32> second(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32)));
        // Bytes: each 128-bit lane holds eight pixels of the first half, then eight of the second.
        __m256i r = _mm256_packus_epi16((__m256i)first.r, (__m256i)second.r);
        __m256i g = _mm256_packus_epi16((__m256i)first.g, (__m256i)second.g);
        __m256i b = _mm256_packus_epi16((__m256i)first.b, (__m256i)second.b);
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

// Sixty-four pixels (128 bytes of YUY2) a step, as convert_row_avx2 does thirty-two.
__attribute__((target("avx512bw"))) int convert_row_avx512(const BYTE* s, int count, Pixel* out, const BYTE* ahead)
{
    const __m512i opaque = _mm512_set1_epi8(static_cast<char>(0xFF));
    // Quadwords of two registers, lane k of each holding pixels 8k..8k+3 and 8k+4..8k+7.
    const __m512i low_lanes = _mm512_set_epi64(11, 10, 3, 2, 9, 8, 1, 0);
    const __m512i high_lanes = _mm512_set_epi64(15, 14, 7, 6, 13, 12, 5, 4);
    int x = 0;
    for (; x + 64 <= count; x += 64, s += 128) {
        if (ahead) {
            _mm_prefetch(reinterpret_cast<const char*>(ahead + x * 2), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(ahead + x * 2 + 64), _MM_HINT_T0);
        }
        Rgb16<64> first(_mm512_loadu_si512(s));
        Rgb16<64> second(_mm512_loadu_si512(s + 64));
        // Each 128-bit lane k holds pixels 8k..8k+7 of the first half, then the same of the second.
        __m512i r = _mm512_packus_epi16((__m512i)first.r, (__m512i)second.r);
        __m512i g = _mm512_packus_epi16((__m512i)first.g, (__m512i)second.g);
        __m512i b = _mm512_packus_epi16((__m512i)first.b, (__m512i)second.b);
        __m512i bg_first = _mm512_unpacklo_epi8(b, g);
        __m512i bg_second = _mm512_unpackhi_epi8(b, g);
        __m512i ra_first = _mm512_unpacklo_epi8(r, opaque);
        __m512i ra_second = _mm512_unpackhi_epi8(r, opaque);
        __m512i p0 = _mm512_unpacklo_epi16(bg_first, ra_first);   // lane k: pixels 8k..8k+3
        __m512i p1 = _mm512_unpackhi_epi16(bg_first, ra_first);   // 8k+4..8k+7
        __m512i p2 = _mm512_unpacklo_epi16(bg_second, ra_second); // 32+8k..32+8k+3
        __m512i p3 = _mm512_unpackhi_epi16(bg_second, ra_second); // 32+8k+4..32+8k+7
        _mm512_storeu_si512(out + x, _mm512_permutex2var_epi64(p0, low_lanes, p1));
        _mm512_storeu_si512(out + x + 16, _mm512_permutex2var_epi64(p0, high_lanes, p1));
        _mm512_storeu_si512(out + x + 32, _mm512_permutex2var_epi64(p2, low_lanes, p3));
        _mm512_storeu_si512(out + x + 48, _mm512_permutex2var_epi64(p2, high_lanes, p3));
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

bool has_avx512()
{
    // Only processors with VBMI2 as well: those run 512-bit integer code at full clock, where
    // earlier ones slow the whole core down for it.
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("avx512vbmi2") != 0;
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
        const BYTE* ahead = next ? next + first * 2 : nullptr;
        if (detail::has_avx512()) {
            x = convert_row_avx512(s, count, out, ahead);
            s += x * 2;
        }
        int more = convert_row_avx2(s, count - x, out + x, ahead ? ahead + x * 2 : nullptr);
        x += more;
        s += more * 2;
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
