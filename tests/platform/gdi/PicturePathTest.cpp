// The picture path's pixels: YUY2 conversion and scaled copies checked against plain references
// at the awkward sizes (odd widths, one pixel, up and down, clipped, partly off the surface).

#include "Fixture.h"

#include <PictureReference.h>

#include <vector>

namespace ref = picture_reference;

TEST(PicturePath, Yuy2RowsOfEveryWidthConvertAsThePlainFormula)
{
    for (int width : { 1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 33, 47, 100, 720 }) {
        const int height = 3;
        std::ptrdiff_t stride = ((width * 16 + 31) / 32) * 4 + 8; // padded rows
        auto frame = ref::random_bytes(static_cast<std::size_t>(stride) * height, static_cast<unsigned>(width));
        gdi::Surface out(width, height, 0);
        gdi::yuy2_to_bgra(frame.data(), stride, out);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                wrong += out.pixel(x, y) != ref::yuy2_pixel(frame.data() + y * stride, x);
        EXPECT_EQ(wrong, 0) << "width " << width;
    }
}

// Every U and V with every Y, in rows long enough for the widest vector steps: the clamps at
// both ends and the fixed-point splits hold for all of them.
TEST(PicturePath, EveryColourConvertsAsThePlainFormula)
{
    const int width = 256, height = 256;
    std::vector<BYTE> frame(static_cast<std::size_t>(width) * 2 * height);
    gdi::Surface out(width, height, 0);
    long wrong = 0;
    for (int u = 0; u < 256; ++u) {
        for (int v = 0; v < height; ++v) {
            BYTE* row = frame.data() + static_cast<std::size_t>(v) * width * 2;
            for (int pair = 0; pair < width / 2; ++pair) {
                row[pair * 4] = static_cast<BYTE>(pair * 2);
                row[pair * 4 + 1] = static_cast<BYTE>(u);
                row[pair * 4 + 2] = static_cast<BYTE>(255 - pair * 2);
                row[pair * 4 + 3] = static_cast<BYTE>(v);
            }
        }
        gdi::yuy2_to_bgra(frame.data(), width * 2, out);
        for (int v = 0; v < height; ++v)
            for (int x = 0; x < width; ++x)
                wrong += out.pixel(x, v) != ref::yuy2_pixel(frame.data() + static_cast<std::size_t>(v) * width * 2, x);
    }
    EXPECT_EQ(wrong, 0);
}

namespace {

struct ScaleCase {
    const char* name;
    int source_width, source_height;
    RECT target;             // x, y, right, bottom on the 40 x 30 bitmap
    RECT clip { 0, 0, 0, 0 }; // none when empty
};

// Draws one case onto the white 40 x 30 bitmap (draw(x, y, width, height), clipped as the case
// asks) and counts the pixels that differ from source_pixel(u, v) of the source pixel under each
// centre inside the target, or from white outside it.
template<typename Draw, typename SourcePixel>
int wrong_pixels(HDC dc, const gdi::Surface& surface, const ScaleCase& c, Draw draw, SourcePixel source_pixel)
{
    RECT all { 0, 0, 40, 30 };
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    int saved = SaveDC(dc);
    bool clipped = c.clip.right > c.clip.left;
    if (clipped)
        IntersectClipRect(dc, c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
    const RECT& t = c.target;
    int width = t.right - t.left, height = t.bottom - t.top;
    draw(t.left, t.top, width, height);
    RestoreDC(dc, saved);
    int wrong = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            bool inside = x >= t.left && x < t.right && y >= t.top && y < t.bottom;
            if (clipped)
                inside = inside && x >= c.clip.left && x < c.clip.right && y >= c.clip.top && y < c.clip.bottom;
            gdi::Pixel expected = gdi::kOpaqueWhite;
            if (inside)
                expected = source_pixel(ref::nearest(x - t.left, c.source_width, width), ref::nearest(y - t.top, c.source_height, height));
            wrong += surface.pixel(x, y) != expected;
        }
    }
    return wrong;
}

}

TEST_F(MemoryDcTest, ScaledCopiesShowTheSourcePixelUnderEachCentre)
{
    const ScaleCase cases[] = {
        { "same size", 9, 7, { 3, 2, 12, 9 } },
        { "odd upscale", 3, 2, { 1, 1, 38, 30 } },
        { "video downscale", 720, 576, { 2, 1, 35, 28 } },
        { "partly off the surface", 7, 5, { -5, 25, 8, 36 } },
        { "one-pixel source", 1, 1, { 4, 4, 9, 7 } },
        { "one-pixel target", 17, 9, { 20, 20, 21, 21 } },
        { "clipped", 64, 48, { 0, 0, 30, 20 }, { 5, 4, 21, 13 } },
    };
    auto surface = gdi::dc_surface(dc);
    ASSERT_TRUE(surface);
    for (const auto& c : cases) {
        // Random pixels, alpha included: the copy is opaque.
        auto bytes = ref::random_bytes(static_cast<std::size_t>(c.source_width) * c.source_height * 4, 7);
        const auto* source = reinterpret_cast<const gdi::Pixel*>(bytes.data());
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), c.source_width, -c.source_height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        int wrong = wrong_pixels(
            dc, *surface, c,
            [&](int x, int y, int width, int height) {
                StretchDIBits(dc, x, y, width, height, 0, 0, c.source_width, c.source_height, bytes.data(), &info,
                    DIB_RGB_COLORS, SRCCOPY);
            },
            [&](int u, int v) { return source[v * c.source_width + u] | 0xFF000000u; });
        EXPECT_EQ(wrong, 0) << c.name;
    }
}

TEST_F(MemoryDcTest, Yuy2PicturesDrawnScaledShowTheConvertedPixelUnderEachCentre)
{
    const ScaleCase cases[] = {
        { "same size, odd width", 9, 7, { 3, 2, 12, 9 } },
        { "odd upscale", 3, 2, { 1, 1, 38, 30 } },
        { "same size from an odd column", 9, 7, { 3, 2, 12, 9 }, { 4, 0, 40, 30 } },
        { "upscale from an odd column", 13, 5, { 0, 0, 40, 30 }, { 10, 3, 31, 27 } },
        // Rows start at each alignment: aligned rows take the streamed shuffles.
        { "mild downscale", 47, 35, { 1, 0, 39, 29 } },
        { "mild downscale from column 0", 47, 35, { 0, 0, 38, 29 } },
        { "mild downscale from column 2", 47, 35, { 2, 1, 40, 30 } },
        { "mild downscale from column 3", 47, 35, { 3, 0, 40, 29 } },
        { "video downscale", 720, 576, { 2, 1, 35, 28 } },
        { "partly off the surface", 7, 5, { -5, 25, 8, 36 } },
        { "one-pixel source", 1, 1, { 4, 4, 9, 7 } },
        { "one-pixel target", 17, 9, { 20, 20, 21, 21 } },
        { "clipped", 64, 48, { 0, 0, 30, 20 }, { 5, 4, 21, 13 } },
    };
    auto surface = gdi::dc_surface(dc);
    ASSERT_TRUE(surface);
    for (const auto& c : cases) {
        std::ptrdiff_t stride = ((c.source_width * 16 + 31) / 32) * 4;
        auto frame = ref::random_bytes(static_cast<std::size_t>(stride) * c.source_height, 11);
        int wrong = wrong_pixels(
            dc, *surface, c,
            [&](int x, int y, int width, int height) {
                EXPECT_TRUE(gdi::draw_yuy2(dc, x, y, width, height, frame.data(), stride, c.source_width, c.source_height));
            },
            [&](int u, int v) { return ref::yuy2_pixel(frame.data() + v * stride, u); });
        EXPECT_EQ(wrong, 0) << c.name;
    }
}

TEST_F(MemoryDcTest, Yuy2PicturesMirroredOrAveragedDrawAsTheirConversion)
{
    const int width = 30, height = 20;
    const std::ptrdiff_t stride = width * 2;
    auto frame = ref::random_bytes(static_cast<std::size_t>(stride) * height, 5);
    gdi::Surface converted(width, height);
    gdi::yuy2_to_bgra(frame.data(), stride, converted);
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    auto surface = gdi::dc_surface(dc);
    ASSERT_TRUE(surface);
    struct Case {
        const char* name;
        int mode, x, y, w, h;
    } cases[] = {
        { "mirrored", COLORONCOLOR, 35, 2, -31, 25 },
        { "averaged", HALFTONE, 1, 1, 17, 11 },
    };
    for (const auto& c : cases) {
        SetStretchBltMode(dc, c.mode);
        RECT all { 0, 0, 40, 30 };
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        StretchDIBits(dc, c.x, c.y, c.w, c.h, 0, 0, width, height, converted.pixels(), &info, DIB_RGB_COLORS, SRCCOPY);
        gdi::Surface expected = *surface;
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EXPECT_TRUE(gdi::draw_yuy2(dc, c.x, c.y, c.w, c.h, frame.data(), stride, width, height));
        EXPECT_TRUE(surface->same_pixels(expected)) << c.name;
    }
}
