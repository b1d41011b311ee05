#include <dshow/PlanarYuy2.h>

#include <array>
#include <cmath>

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
        for (int x = 0; x < pairs; ++x, o += 4) {
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
