#pragma once

// The window of the video renderer (internal): a real window of class "VideoRenderer" that
// shows the latest frame scaled to its client area, and passes its mouse and keyboard input on
// to a message drain.
//
// The window belongs to the thread that made it (the one that connected the renderer, normally
// the application's user-interface thread). show_frame() may be called from any thread: it takes
// the frame (handing back the previous one, so that two buffers serve the whole stream) and draws
// it at once, scaled to the client area, on the calling thread (the stream's) while the window
// shows; WM_PAINT draws the frame kept when the window is exposed or shown. Without a frame the
// client area is black.
//
// This file knows nothing of media types: the renderer hands over frames either as received YUY2
// (converted while drawn, only where they show) or already converted to 32-bit pixels.

#include <base/Types.h>
#include <com/ComPtr.h>
#include <dshow/SampleInterfaces.h>
#include <gdi/Surface.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace dshow::detail {

// One frame as the window keeps it: YUY2 rows when `yuy2` is set, else 32-bit pixels (top row
// first). YUY2 stays in the received sample, held while the frame is kept; the pixel buffer is
// kept for reuse.
struct VideoFrame {
    bool yuy2 = false;
    CComPtr<IMediaSample> sample; // holds `rows`
    const BYTE* rows = nullptr;   // YUY2 rows, `stride` bytes apart
    int width = 0, height = 0;
    std::ptrdiff_t stride = 0;
    gdi::Surface pixels;

    bool empty() const { return yuy2 ? rows == nullptr : pixels.empty(); }
};

class VideoWindow {
public:
    // A hidden top-level window whose client area is width x height (at least 1 x 1).
    VideoWindow(int width, int height);
    // Destroys the window; from another thread than its own, asks that thread to.
    ~VideoWindow();

    VideoWindow(const VideoWindow&) = delete;
    VideoWindow& operator=(const VideoWindow&) = delete;

    // NULL when the window could not be made or is gone.
    HWND handle() const;

    // Keeps the frame for painting and invalidates the window (any thread); `frame` then holds
    // the frame shown before (empty at first), for the caller to fill again.
    void show_frame(VideoFrame& frame);

    // Shows the window; from another thread than its own, asks that thread to.
    void show_from_any_thread();

    // Where mouse and keyboard messages are posted (NULL: the window handles them itself).
    void set_drain(HWND drain);
    HWND drain() const;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void paint();
    // The frame kept, scaled to `client`; under m_lock.
    void draw(HDC dc, const RECT& client);

    std::atomic<HWND> m_window { nullptr };
    // Taken before the window area's lock, never after it: only drawing takes it.
    std::mutex m_lock;
    VideoFrame m_frame; // under m_lock
    std::atomic<HWND> m_drain { nullptr };
};

}

namespace dshow {

// Declared for users in dshow/VideoRenderer.h.
bool copy_video_picture(HWND window, gdi::Surface& out);

}
