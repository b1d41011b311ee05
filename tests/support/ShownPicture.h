#pragma once

// Which of the virtual card's pictures a video renderer's window shows. The card's frames come
// from its own thread, so the check pumps this thread's messages and looks again for a while.
//
//     EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));

#include <dshow/VideoRenderer.h>
#include <gdi/Surface.h>
#include <sim/TestPicture.h>
#include <user/Messages.h>

#include <chrono>
#include <optional>
#include <thread>

// What `window` shows once it shows `expected`, or what it last showed after a while.
inline std::optional<sim::PictureSource> shown_picture(HWND window, sim::PictureSource expected)
{
    std::optional<sim::PictureSource> seen;
    for (int i = 0; i < 2000; ++i) {
        MSG msg {};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        gdi::Surface picture;
        if (dshow::copy_video_picture(window, picture) && !picture.empty()) {
            auto identity = sim::identify_picture_rgb32(reinterpret_cast<const DWORD*>(picture.pixels()),
                picture.width(), picture.height(), static_cast<int>(picture.stride() / 4));
            seen = identity ? std::optional(identity->source) : std::nullopt;
            if (seen == expected)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return seen;
}
