#pragma once

// A 32-bit BGRA pixel buffer: what every device context draws into.
//
// Each pixel is one 32-bit word 0xAARRGGBB (bytes B, G, R, A in memory). A surface either owns its
// pixels (and can be resized) or wraps memory owned by someone else, such as the bits of a DIB
// section or a display's shared-memory segment (which the surface may keep alive: adopt); the
// stride is in bytes and is negative when rows are stored bottom-up. Copies of a wrapping surface
// share its memory. Drawing through a
// device context always writes opaque pixels (alpha 0xFF); only PNG images and icons carry alpha.
// Higher areas create one surface per window and hand it to gdi::create_dc (DeviceContext.h).

#include <base/Types.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace gdi {

using Pixel = std::uint32_t;

constexpr Pixel kOpaqueBlack = 0xFF000000u;
constexpr Pixel kOpaqueWhite = 0xFFFFFFFFu;

// The opaque pixel of a COLORREF (0x00BBGGRR).
constexpr Pixel pixel_from_colorref(COLORREF c)
{
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// The COLORREF of a pixel; alpha is dropped.
constexpr COLORREF colorref_from_pixel(Pixel p)
{
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

class Surface {
public:
    Surface() = default;
    // An owned surface of width x height, every pixel set to fill. Negative sizes count as 0.
    Surface(int width, int height, Pixel fill = kOpaqueBlack);
    // A surface over pixels owned elsewhere; stride_bytes may be negative (bottom-up rows).
    static Surface wrap(void* first_row, int width, int height, std::ptrdiff_t stride_bytes);
    // Wraps memory that `keeper` keeps alive: released when the last surface sharing it goes.
    static Surface adopt(std::shared_ptr<void> keeper, void* first_row, int width, int height,
        std::ptrdiff_t stride_bytes);

    Surface(const Surface& other);
    Surface(Surface&& other) noexcept;
    Surface& operator=(const Surface& other);
    Surface& operator=(Surface&& other) noexcept;

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Bytes from one row to the next; negative for bottom-up memory.
    std::ptrdiff_t stride() const { return m_stride; }
    // The top row's first pixel.
    Pixel* pixels() { return m_pixels; }
    const Pixel* pixels() const { return m_pixels; }
    bool owns_memory() const { return m_owned; }
    bool empty() const { return m_width <= 0 || m_height <= 0; }

    Pixel* row(int y) { return reinterpret_cast<Pixel*>(reinterpret_cast<BYTE*>(m_pixels) + y * m_stride); }
    const Pixel* row(int y) const
    {
        return reinterpret_cast<const Pixel*>(reinterpret_cast<const BYTE*>(m_pixels) + y * m_stride);
    }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    // The pixel at (x, y), or 0 outside the surface.
    Pixel pixel(int x, int y) const { return contains(x, y) ? row(y)[x] : 0; }
    // Sets one pixel; outside the surface nothing happens.
    void set_pixel(int x, int y, Pixel p)
    {
        if (contains(x, y))
            row(y)[x] = p;
    }

    // Changes the size, keeping the overlapping top-left content and filling new pixels.
    // Fails (false) for wrapped memory.
    bool resize(int width, int height, Pixel fill = kOpaqueBlack);
    // Fills a rectangle (right and bottom excluded), clipped to the surface.
    void fill(const RECT& rect, Pixel p);
    void fill(Pixel p) { fill(RECT { 0, 0, m_width, m_height }, p); }
    // An owned copy of a rectangle of this surface, clipped to it.
    Surface copy(const RECT& rect) const;
    // True when both have the same size and the same pixels.
    bool same_pixels(const Surface& other) const;

private:
    std::vector<Pixel> m_storage;
    std::shared_ptr<void> m_keeper; // of adopted memory
    Pixel* m_pixels = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::ptrdiff_t m_stride = 0;
    bool m_owned = true;
};

}
