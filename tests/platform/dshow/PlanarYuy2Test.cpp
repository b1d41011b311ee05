// Decoded planar pictures packed into YUY2: studio levels kept, full-range levels brought to
// studio range, 4:4:4 chroma averaged over each pair and 4:2:0 chroma rows shared by two rows,
// the same in the vector steps as in the pixel-by-pixel rest of a row.

#include <dshow/PlanarYuy2.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using dshow::detail::PlanarPicture;
using dshow::detail::planar_to_yuy2;

TEST(PlanarYuy2, PacksEachLayoutAndRangeIntoYuy2Pairs)
{
    // A 4x2 picture; chroma planes as wide and as high as the layout needs.
    const BYTE luma[] = { 0, 255, 100, 101, /* second row */ 10, 20, 30, 40 };
    const BYTE u420[] = { 0, 200 };
    const BYTE v420[] = { 255, 128 };
    const BYTE u444[] = { 10, 21, 0, 255, /* */ 1, 2, 3, 4 };
    const BYTE v444[] = { 100, 100, 50, 51, /* */ 5, 6, 7, 8 };
    struct Case {
        const char* name;
        const BYTE* u;
        const BYTE* v;
        std::ptrdiff_t chroma_stride;
        int x_shift, y_shift;
        bool full;
        std::vector<BYTE> out; // two rows of 8 bytes
    } cases[] = {
        { "4:2:0 studio", u420, v420, 2, 1, 1, false, { 0, 0, 255, 255, 100, 200, 101, 128, 10, 0, 20, 255, 30, 200, 40, 128 } },
        { "4:2:0 full", u420, v420, 2, 1, 1, true, { 16, 16, 235, 240, 102, 191, 103, 128, 25, 16, 33, 240, 42, 191, 50, 128 } },
        { "4:4:4 studio", u444, v444, 4, 0, 0, false, { 0, 16, 255, 100, 100, 128, 101, 51, 10, 2, 20, 6, 30, 4, 40, 8 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlanarPicture in;
        in.planes[0] = luma;
        in.planes[1] = c.u;
        in.planes[2] = c.v;
        in.strides[0] = 4;
        in.strides[1] = in.strides[2] = c.chroma_stride;
        in.width = 4;
        in.height = 2;
        in.chroma_x_shift = c.x_shift;
        in.chroma_y_shift = c.y_shift;
        in.full_range = c.full;
        std::vector<BYTE> out(16, 0xEE);
        planar_to_yuy2(in, 4, out.data(), 8);
        EXPECT_EQ(out, c.out);
    }
}

TEST(PlanarYuy2, AnOddOrShorterWidthPacksWholePairsOnlyAndLeavesTheRestOfTheRow)
{
    const BYTE luma[] = { 1, 2, 3, 4, 5 };
    const BYTE chroma[] = { 9, 9, 9 };
    PlanarPicture in;
    in.planes[0] = luma;
    in.planes[1] = in.planes[2] = chroma;
    in.strides[0] = 5;
    in.strides[1] = in.strides[2] = 3;
    in.width = 5;
    in.height = 1;
    in.chroma_y_shift = 0;
    std::vector<BYTE> out(12, 0xEE);
    planar_to_yuy2(in, 7, out.data(), 12);
    EXPECT_EQ(out, (std::vector<BYTE> { 1, 9, 2, 9, 3, 9, 4, 9, 0xEE, 0xEE, 0xEE, 0xEE }));
}

TEST(PlanarYuy2, WidePicturesPackAsThePixelFormulasSay)
{
    // 38 pixels across (whole steps of sixteen and a rest), three rows, every level present.
    constexpr int width = 38, height = 3;
    std::vector<BYTE> luma(width * height), chroma_u(width * height), chroma_v(width * height);
    for (std::size_t i = 0; i < luma.size(); ++i) {
        luma[i] = static_cast<BYTE>(i * 37 + 11);
        chroma_u[i] = static_cast<BYTE>(i * 53 + 200);
        chroma_v[i] = static_cast<BYTE>(255 - i * 29);
    }
    auto studio_luma = [](int v) { return 16 + static_cast<int>(std::lround(v * 219.0 / 255.0)); };
    auto studio_chroma = [](int v) { return 128 + static_cast<int>(std::lround((v - 128) * 224.0 / 255.0)); };
    for (int x_shift : { 0, 1 })
        for (int y_shift : { 0, 1 })
            for (bool full : { false, true }) {
                SCOPED_TRACE(testing::Message() << "shifts " << x_shift << y_shift << " full " << full);
                PlanarPicture in;
                in.planes[0] = luma.data();
                in.planes[1] = chroma_u.data();
                in.planes[2] = chroma_v.data();
                in.strides[0] = in.strides[1] = in.strides[2] = width;
                in.width = width;
                in.height = height;
                in.chroma_x_shift = x_shift;
                in.chroma_y_shift = y_shift;
                in.full_range = full;
                std::vector<BYTE> out(width * 2 * height);
                planar_to_yuy2(in, width, out.data(), width * 2);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; x += 2) {
                        int row = (y >> y_shift) * width;
                        auto pick = [&](const std::vector<BYTE>& plane) {
                            if (x_shift)
                                return static_cast<int>(plane[static_cast<std::size_t>(row + x / 2)]);
                            return (plane[static_cast<std::size_t>(row + x)] + plane[static_cast<std::size_t>(row + x + 1)] + 1) / 2;
                        };
                        int y0 = luma[static_cast<std::size_t>(y * width + x)], y1 = luma[static_cast<std::size_t>(y * width + x + 1)];
                        int u = pick(chroma_u), v = pick(chroma_v);
                        if (full) {
                            y0 = studio_luma(y0);
                            y1 = studio_luma(y1);
                            u = studio_chroma(u);
                            v = studio_chroma(v);
                        }
                        const BYTE* o = out.data() + (y * width + x) * 2;
                        ASSERT_EQ((std::vector<int> { o[0], o[1], o[2], o[3] }), (std::vector<int> { y0, u, y1, v }))
                            << "row " << y << " pixel " << x;
                    }
            }
}

}
