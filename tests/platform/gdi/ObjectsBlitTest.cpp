#include "Fixture.h"
#include <base/Errors.h>

#include <cstring>
#include <filesystem>
#include <vector>

TEST(Objects, StockObjectsSurviveDeleteObject)
{
    for (int index : { WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, BLACK_PEN, WHITE_PEN, NULL_PEN, DEFAULT_GUI_FONT, SYSTEM_FONT }) {
        HGDIOBJ stock = GetStockObject(index);
        ASSERT_NE(stock, nullptr) << index;
        EXPECT_TRUE(DeleteObject(stock));
        EXPECT_EQ(GetStockObject(index), stock);
        EXPECT_NE(GetObjectType(stock), 0u) << index;
    }
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(brush)); // handles are not reused
}

TEST(Objects, SelectObjectReturnsThePreviousOne)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN a = CreatePen(PS_SOLID, 1, RGB(1, 0, 0));
    HPEN b = CreatePen(PS_DOT, 1, RGB(2, 0, 0));
    EXPECT_EQ(SelectObject(dc, a), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, b), a);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), b);
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    EXPECT_EQ(SelectObject(dc, font), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), font);
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(font);
    DeleteDC(dc);
}

TEST(Objects, BitmapBelongsToOneDcAtATime)
{
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(first, 8, 6);
    HGDIOBJ original = SelectObject(first, bitmap);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap)); // still selected
    BITMAP bm {};
    EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 8);
    EXPECT_EQ(bm.bmHeight, 6);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), static_cast<int>(sizeof bm));
    EXPECT_EQ(GetObjectA(bitmap, 2, &bm), 0);
    EXPECT_EQ(SelectObject(first, original), bitmap);
    EXPECT_NE(SelectObject(second, bitmap), nullptr);
    DeleteDC(second); // releases it
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(first);
}

TEST(Objects, DibSectionBitsAreThePixels)
{
    for (WORD bpp : { WORD(24), WORD(32) }) {
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), 3, 2, 1, bpp, BI_RGB, 0, 0, 0, 0, 0 };
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(dib, nullptr);
        ASSERT_NE(bits, nullptr);
        // Bottom-up: the first row in memory is the bottom row. Pixel (0, 1) = blue.
        static_cast<BYTE*>(bits)[0] = 255;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, dib);
        EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 255)) << bpp;
        SetPixel(dc, 2, 0, RGB(10, 20, 30));
        std::size_t stride = bpp == 24 ? 12 : 12;
        const BYTE* top = static_cast<BYTE*>(bits) + stride;
        int step = bpp / 8;
        EXPECT_EQ(top[2 * step + 0], 30) << bpp;
        EXPECT_EQ(top[2 * step + 2], 10) << bpp;
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(dib);
    }
}

TEST_F(MemoryDcTest, BitBltAndStretchBltCopyExactPixels)
{
    HDC src = CreateCompatibleDC(dc);
    HBITMAP src_bitmap = CreateCompatibleBitmap(dc, 2, 2);
    HGDIOBJ old = SelectObject(src, src_bitmap);
    SetPixel(src, 0, 0, RGB(255, 0, 0));
    SetPixel(src, 1, 0, RGB(0, 255, 0));
    SetPixel(src, 0, 1, RGB(0, 0, 255));
    SetPixel(src, 1, 1, RGB(9, 9, 9));
    EXPECT_TRUE(BitBlt(dc, 5, 5, 2, 2, src, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 6, 6), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(dc, 7, 7), RGB(255, 255, 255));

    EXPECT_TRUE(StretchBlt(dc, 10, 10, 4, 4, src, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(GetPixel(dc, 10, 10), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 11, 11), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 12, 10), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 13, 13), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(dc, 10, 12), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 14, 14), RGB(255, 255, 255));

    // Mirrored by a negative width.
    StretchBlt(dc, 20, 0, 2, 2, src, 1, 0, -2, 2, SRCCOPY);
    EXPECT_EQ(GetPixel(dc, 20, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 21, 0), RGB(255, 0, 0));

    // Halftone shrinking averages.
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 30, 0, 1, 1, src, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(GetPixel(dc, 30, 0), RGB(128, 128, 0));

    BitBlt(dc, 5, 5, 1, 1, src, 0, 0, SRCINVERT);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0));
    SelectObject(src, old);
    DeleteObject(src_bitmap);
    DeleteDC(src);
}

TEST_F(MemoryDcTest, StretchDibitsDrawsBottomUpImages)
{
    // 2 x 2, 32-bit, bottom-up: memory rows are bottom then top.
    std::vector<DWORD> bits { 0x0000FF, 0x00FF00, 0xFF0000, 0x010203 };
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 2, 2, 0, 0, 2, 2, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(1, 2, 3));
}

TEST(Yuy2, KnownValuesConvertToBt601)
{
    EXPECT_EQ(gdi::yuv_to_bgra(16, 128, 128), 0xFF000000u);
    EXPECT_EQ(gdi::yuv_to_bgra(235, 128, 128), 0xFFFFFFFFu);
    EXPECT_EQ(gdi::yuv_to_bgra(126, 128, 128), 0xFF808080u);
    // BT.601 red is Y 82, U 90, V 240.
    gdi::Pixel red = gdi::yuv_to_bgra(82, 90, 240);
    EXPECT_GE((red >> 16) & 0xFF, 250u);
    EXPECT_LE((red >> 8) & 0xFF, 5u);
    EXPECT_LE(red & 0xFF, 5u);

    // One row of two pixel pairs: black/white, then the two halves of a red pair.
    BYTE frame[] = { 16, 128, 235, 128, 82, 90, 82, 240 };
    gdi::Surface out(4, 1);
    gdi::yuy2_to_bgra(frame, sizeof frame, out);
    EXPECT_EQ(out.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(out.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(out.pixel(2, 0), red);
    EXPECT_EQ(out.pixel(3, 0), red);
}

TEST(Png, RoundTripKeepsEveryPixel)
{
    gdi::Surface s(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            s.set_pixel(x, y, 0x80000000u | static_cast<gdi::Pixel>(x * 40 << 16 | y * 70 << 8 | (x + y) * 10));
    std::string path = (std::filesystem::temp_directory_path() / "gdi-roundtrip.png").string();
    ASSERT_TRUE(gdi::write_png(s, path));
    auto back = gdi::read_png_file(path);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->same_pixels(s));

    auto bytes = gdi::encode_png(s);
    auto decoded = gdi::read_png(bytes.data(), bytes.size());
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->same_pixels(s));

    ASSERT_TRUE(gdi::write_png(s, RECT { 1, 1, 3, 3 }, path));
    auto part = gdi::read_png_file(path);
    ASSERT_TRUE(part);
    EXPECT_EQ(part->width(), 2);
    EXPECT_EQ(part->pixel(0, 0), s.pixel(1, 1));
    std::filesystem::remove(path);

    BYTE junk[] = "not a png image at all";
    EXPECT_FALSE(gdi::read_png(junk, sizeof junk));
    EXPECT_FALSE(gdi::write_png(gdi::Surface(), path));
}

TEST(Resources, BitmapsAndIconsComeFromRegisteredPng)
{
    gdi::Surface s(4, 2, 0xFF102030u);
    s.set_pixel(0, 0, 0x00000000u);
    static std::vector<BYTE> png = gdi::encode_png(s);
    gdi::register_image(900, png.data(), png.size());
    HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(900));
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm {};
    GetObjectA(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 2);
    DeleteObject(bitmap);
    EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(901)), nullptr);
    EXPECT_EQ(GetLastError(), gdi::kErrorResourceNameNotFound);

    HICON icon = LoadIconA(nullptr, "#900");
    ASSERT_NE(icon, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateCompatibleBitmap(dc, 8, 8);
    SelectObject(dc, target);
    PatBlt(dc, 0, 0, 8, 8, WHITENESS);
    EXPECT_TRUE(DrawIcon(dc, 0, 0, icon));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255)); // transparent
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0x10, 0x20, 0x30));
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, 8, 4, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetPixel(dc, 7, 3), RGB(0x10, 0x20, 0x30));
    HANDLE scaled = LoadImageA(nullptr, MAKEINTRESOURCEA(900), IMAGE_ICON, 16, 16, 0);
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(gdi::icon_surface(static_cast<HICON>(scaled))->width(), 16);
    DestroyIcon(static_cast<HICON>(scaled));
    EXPECT_NE(LoadIconA(nullptr, IDI_QUESTION), nullptr);
    DeleteDC(dc);
    DeleteObject(target);
    gdi::clear_images();
}

namespace {

std::shared_ptr<gdi::Surface> g_window_surface;

bool resolve(HWND, gdi::WindowTarget* target)
{
    target->surface = g_window_surface;
    target->origin = { 10, 5 };
    target->clip = { 0, 0, 20, 10 };
    return true;
}

}

TEST(WindowSeam, WindowDcDrawsAtItsOriginInsideItsClip)
{
    g_window_surface = std::make_shared<gdi::Surface>(50, 30, gdi::kOpaqueWhite);
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    EXPECT_EQ(gdi::create_window_dc(window), nullptr); // no resolver yet
    gdi::set_window_surface_resolver(resolve);
    HDC dc = gdi::create_window_dc(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(gdi::dc_window(dc), window);
    RECT all { -100, -100, 100, 100 };
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(g_window_surface->pixel(10, 5), gdi::kOpaqueBlack);
    EXPECT_EQ(g_window_surface->pixel(29, 14), gdi::kOpaqueBlack);
    EXPECT_EQ(g_window_surface->pixel(30, 14), gdi::kOpaqueWhite);
    EXPECT_EQ(g_window_surface->pixel(9, 5), gdi::kOpaqueWhite);
    EXPECT_TRUE(gdi::release_dc(dc));
    gdi::set_window_surface_resolver(nullptr);
    g_window_surface.reset();
}
