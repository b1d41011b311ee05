#pragma once

// Packs a decoded planar 8-bit YUV picture (4:2:0, 4:2:2 or 4:4:4, studio or full range) into
// top-down YUY2, the form the file source gives its video in. Full-range pictures (Motion JPEG's)
// are brought to studio range on the way; 4:4:4 chroma is averaged over each pixel pair and 4:2:0
// chroma rows serve two picture rows each.
//
//     dshow::detail::PlanarPicture in { { y, u, v }, { y_stride, u_stride, v_stride }, 720, 576, 1, 1, false };
//     dshow::detail::planar_to_yuy2(in, 720, out, 720 * 2);

#include <base/Types.h>

#include <cstddef>

namespace dshow::detail {

struct PlanarPicture {
    const BYTE* planes[3] {}; // Y, U (Cb), V (Cr)
    std::ptrdiff_t strides[3] {};
    int width = 0; // of the luma plane
    int height = 0;
    int chroma_x_shift = 1; // 1: one chroma sample per two pixels across, 0: one per pixel
    int chroma_y_shift = 1; // 1: one chroma row per two rows, 0: one per row
    bool full_range = false; // 0..255 levels rather than 16..235 (luma) and 16..240 (chroma)
};

// Writes `width` (even, at most the picture's width) by the picture's height pixels to `out`,
// `out_stride` bytes a row.
void planar_to_yuy2(const PlanarPicture& in, int width, BYTE* out, std::ptrdiff_t out_stride);

}
