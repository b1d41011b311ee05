#include <dshow/PlanarYuy2.h>

#include <array>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dshow::detail {

namespace {

struct RangeTables {
    std::array<BYTE, 256> luma {};
    std::array<BYTE, 256> chroma {};
    RangeTables()
    {
        for (int v = 0; v < 256; ++v) {
            luma[static_cast<std::size_t>(v)] = static_cast<BYTE>(16 + std::lround(v * 219.0 / 255.0));
            chroma[static_cast<std::size_t>(v)] = static_cast<BYTE>(128 + std::lround((v - 128) * 224.0 / 255.0));
        }
    }
};

const RangeTables& range_tables()
{
    static const RangeTables tables;
    return tables;
}

#if defined(__SSE2__)

// x / 255 for 16-bit x below 65280, exactly.
inline __m128i divide_by_255(__m128i x)
{
    x = _mm_add_epi16(x, _mm_set1_epi16(1));
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Full-range bytes to studio range, as the tables do: luma 16 + v * 219 / 255, chroma
// 128 + (v - 128) * 224 / 255, both rounded.
inline __m128i studio_luma(__m128i v)
{
    const __m128i zero = _mm_setzero_si128();
    auto half = [&](__m128i w) {
        return _mm_add_epi16(divide_by_255(_mm_add_epi16(_mm_mullo_epi16(w, _mm_set1_epi16(219)), _mm_set1_epi16(127))), _mm_set1_epi16(16));
    };
    return _mm_packus_epi16(half(_mm_unpacklo_epi8(v, zero)), half(_mm_unpackhi_epi8(v, zero)));
}

inline __m128i studio_chroma(__m128i v)
{
    const __m128i zero = _mm_setzero_si128();
    auto half = [&](__m128i w) { return divide_by_255(_mm_add_epi16(_mm_mullo_epi16(w, _mm_set1_epi16(224)), _mm_set1_epi16(4095))); };
    return _mm_packus_epi16(half(_mm_unpacklo_epi8(v, zero)), half(_mm_unpackhi_epi8(v, zero)));
}

// Eight chroma samples for sixteen pixels: as they are, or the rounded mean of each pair.
template<bool PerPixelChroma>
inline __m128i eight_chroma(const BYTE* row, int pair)
{
    if constexpr (PerPixelChroma) {
        __m128i both = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 2 * pair));
        __m128i even = _mm_and_si128(both, _mm_set1_epi16(0x00FF));
        __m128i odd = _mm_srli_epi16(both, 8);
        return _mm_packus_epi16(_mm_avg_epu16(even, odd), _mm_setzero_si128());
    } else {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + pair));
    }
}

// Sixteen pixels a step; returns the pairs done.
template<bool FullRange, bool PerPixelChroma>
int pack_row_sse2(const BYTE* ys, const BYTE* us, const BYTE* vs, int pairs, BYTE* o)
{
    int x = 0;
    for (; x + 8 <= pairs; x += 8, o += 32) {
        __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ys + 2 * x));
        __m128i uv = _mm_unpacklo_epi8(eight_chroma<PerPixelChroma>(us, x), eight_chroma<PerPixelChroma>(vs, x));
        if constexpr (FullRange) {
            y = studio_luma(y);
            uv = studio_chroma(uv);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(y, uv));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_unpackhi_epi8(y, uv));
    }
    return x;
}

#endif

template<bool FullRange, bool PerPixelChroma>
void pack_rows(const PlanarPicture& in, int width, BYTE* out, std::ptrdiff_t out_stride)
{
    const RangeTables& t = range_tables();
    auto luma = [&](BYTE v) { return FullRange ? t.luma[v] : v; };
    auto chroma = [&](BYTE v) { return FullRange ? t.chroma[v] : v; };
    int pairs = width / 2;
    for (int y = 0; y < in.height; ++y) {
        const BYTE* ys = in.planes[0] + in.strides[0] * y;
        int cy = y >> in.chroma_y_shift;
        const BYTE* us = in.planes[1] + in.strides[1] * cy;
        const BYTE* vs = in.planes[2] + in.strides[2] * cy;
        BYTE* o = out + out_stride * y;
        int x = 0;
#if defined(__SSE2__)
        x = pack_row_sse2<FullRange, PerPixelChroma>(ys, us, vs, pairs, o);
        o += 4 * x;
#endif
        for (; x < pairs; ++x, o += 4) {
            BYTE u, v;
            if constexpr (PerPixelChroma) {
                u = static_cast<BYTE>((us[2 * x] + us[2 * x + 1] + 1) >> 1);
                v = static_cast<BYTE>((vs[2 * x] + vs[2 * x + 1] + 1) >> 1);
            } else {
                u = us[x];
                v = vs[x];
            }
            o[0] = luma(ys[2 * x]);
            o[1] = chroma(u);
            o[2] = luma(ys[2 * x + 1]);
            o[3] = chroma(v);
        }
    }
}

}
void planar_to_yuy2(const PlanarPicture& in, int width, BYTE* out, std::ptrdiff_t out_stride)
{
    width &= ~1;
    if (width > in.width)
        width = in.width & ~1;
    bool per_pixel = in.chroma_x_shift == 0;
    if (in.full_range)
        per_pixel ? pack_rows<true, true>(in, width, out, out_stride) : pack_rows<true, false>(in, width, out, out_stride);
    else
        per_pixel ? pack_rows<false, true>(in, width, out, out_stride) : pack_rows<false, false>(in, width, out, out_stride);
}

}
