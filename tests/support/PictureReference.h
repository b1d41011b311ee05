#pragma once

// Plain references for the picture path: one YUY2 pixel to BGRA by the BT.601 formula written
// out, the nearest source pixel under a scaled pixel's centre, and a frame of random bytes.

#include <gdi/Surface.h>

#include <cstdint>
#include <random>
#include <vector>

namespace picture_reference {

inline gdi::Pixel yuv(int y, int u, int v)
{
    auto clamp = [](int x) { return static_cast<gdi::Pixel>(x < 0 ? 0 : x > 255 ? 255 : x); };
    int c = y - 16, d = u - 128, e = v - 128;
    int r = (298 * c + 409 * e + 128) >> 8;
    int g = (298 * c - 100 * d - 208 * e + 128) >> 8;
    int b = (298 * c + 516 * d + 128) >> 8;
    return 0xFF000000u | clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

// Pixel x of a YUY2 row: its own Y and its pair's U and V.
inline gdi::Pixel yuy2_pixel(const std::uint8_t* row, int x)
{
    const std::uint8_t* pair = row + (x / 2) * 4;
    return yuv(pair[(x % 2) * 2], pair[1], pair[3]);
}

// The source index shown by destination pixel i when `to` pixels show `from`.
inline int nearest(int i, int from, int to)
{
    return static_cast<int>((2.0 * i + 1.0) * from / (2.0 * to));
}

inline std::vector<std::uint8_t> random_bytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random() & 0xFF);
    return bytes;
}

}
