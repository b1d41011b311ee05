#include <gdi/Yuy2.h>

#include <algorithm>

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

}

Pixel yuv_to_bgra(BYTE y, BYTE u, BYTE v)
{
    return convert(y - 16, u - 128, v - 128);
}

void yuy2_to_bgra(const BYTE* src, std::ptrdiff_t src_stride, int width, int height, Pixel* dst,
    std::ptrdiff_t dst_stride)
{
    if (!src || !dst || width <= 0 || height <= 0)
        return;
    for (int row = 0; row < height; ++row) {
        const BYTE* s = src + row * src_stride;
        Pixel* out = reinterpret_cast<Pixel*>(reinterpret_cast<BYTE*>(dst) + row * dst_stride);
        int x = 0;
        for (; x + 1 < width; x += 2, s += 4) {
            int d = s[1] - 128;
            int e = s[3] - 128;
            out[x] = convert(s[0] - 16, d, e);
            out[x + 1] = convert(s[2] - 16, d, e);
        }
        if (x < width)
            out[x] = convert(s[0] - 16, s[1] - 128, s[3] - 128);
    }
}

void yuy2_to_bgra(const BYTE* src, std::ptrdiff_t src_stride, Surface& dst)
{
    yuy2_to_bgra(src, src_stride, dst.width(), dst.height(), dst.pixels(), dst.stride());
}

}
