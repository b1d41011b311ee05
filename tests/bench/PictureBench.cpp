// The picture path's drawing alone: one 720x576 YUY2 frame drawn scaled onto a window-sized
// surface, as the video window paints live TV.
//
//     build/release/tests/bench/bench_picture
//
// DrawYuy2/<width>: the default window's picture (632x480 on a 640x576 surface) and a
// 1920x1080 window's (1912x982 on a 1920x1080 surface); the time is one frame's.

#include <gdi/Gdi.h>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_DrawYuy2(benchmark::State& state)
{
    const bool large = state.range(0) == 1920;
    const int surface_w = large ? 1920 : 640, surface_h = large ? 1080 : 576;
    const int picture_w = large ? 1912 : 632, picture_h = large ? 982 : 480;
    const int width = 720, height = 576;
    std::vector<BYTE> frame(static_cast<std::size_t>(width) * height * 2);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<BYTE>(i * 7 + (i >> 11));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, surface_w, surface_h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (auto _ : state)
        gdi::draw_yuy2(dc, 4, 67, picture_w, picture_h, frame.data(), width * 2, width, height);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}
BENCHMARK(BM_DrawYuy2)->Arg(1024)->Arg(1920)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
