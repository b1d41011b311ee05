// Decoded planar pictures packed into YUY2: studio levels kept, full-range levels brought to
// studio range, 4:4:4 chroma averaged over each pair and 4:2:0 chroma rows shared by two rows.

#include <dshow/PlanarYuy2.h>

#include <gtest/gtest.h>

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

}
