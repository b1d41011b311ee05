#pragma once

// The Video Renderer (CLSID_VideoRenderer): the end of a video stream. One input, "Input", for
// uncompressed video in a VIDEOINFOHEADER (YUY2, RGB24 or RGB32), and IVideoWindow.
//
// The picture is shown in a real window of class "VideoRenderer", titled "ActiveMovie Window",
// made when the input first connects, on the connecting thread (whose message loop paints it
// when exposed), and destroyed when the filter leaves its graph or is released. It starts
// top-level and hidden, WS_OVERLAPPEDWINDOW with a client area of the video's size. Each frame
// received is kept (YUY2 in its sample, held until the next frame; RGB converted to 32-bit
// pixels in one of two buffers used in turn) and drawn at once, scaled to the client area, on
// the streaming thread while the window shows (YUY2 converted in the same pass, only where it
// shows); WM_PAINT draws the frame kept again. A test reads the pixels back with
// copy_video_picture().
// Frames are shown when due on the graph's clock (ScheduledRenderer.h). With AutoShow on (the
// default) the window appears when the graph pauses or runs.
//
// IVideoWindow, as an application sees it:
//  - every call fails with VFW_E_NOT_CONNECTED while the input is unconnected;
//  - put_Owner(hwnd) makes the window a child of hwnd (adding WS_CHILD); put_Owner(0) makes it
//    top-level again (removing WS_CHILD). Positions (SetWindowPosition, GetWindowPosition,
//    Left/Top/Width/Height) are in the parent's client coordinates for a child, screen
//    coordinates otherwise;
//  - put_WindowStyle replaces the style but keeps the visibility (that is put_Visible's), and
//    refuses WS_DISABLED, WS_MINIMIZE (WS_ICONIC), WS_HSCROLL and WS_VSCROLL with E_INVALIDARG.
//    WS_MAXIMIZE is accepted and kept (IsZoomed then answers TRUE): callers ask for a
//    full-screen popup with WS_POPUP | WS_MAXIMIZE followed by a screen-sized
//    SetWindowPosition, and refusing the style would leave that popup with a stale style for
//    no benefit. The window is not resized by the style itself;
//  - put_WindowStyleEx sets WS_EX_TOPMOST through the z-order (as SetWindowPos(HWND_TOPMOST)
//    does), the other bits directly; get_WindowStyleEx reports WS_EX_TOPMOST;
//  - put_MessageDrain(hwnd): the window's mouse and keyboard messages are posted to hwnd with
//    their parameters unchanged (coordinates stay the video window's client coordinates);
//  - put_Visible(OATRUE/OAFALSE) shows or hides it (E_INVALIDARG for other values);
//  - the full-screen mode is not the renderer's own (E_NOTIMPL), nor is a cursor to hide.

#include <dshow/GraphInterfaces.h>
#include <dshow/ScheduledRenderer.h>
#include <gdi/Surface.h>

#include <memory>

DEFINE_GUID(CLSID_VideoRenderer, 0x70E102B0, 0x5556, 0x11CE, 0x97, 0xC0, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);

namespace dshow {

namespace detail {
class VideoWindow;
struct VideoFrame;
}

class VideoRenderer final : public ScheduledRenderer, public IVideoWindow {
public:
    VideoRenderer();
    ~VideoRenderer() override;

    DSHOW_FORWARD_UNKNOWN(ScheduledRenderer)
    COM_NO_DISPATCH

    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

    // IVideoWindow
    DSHOW_VIDEO_WINDOW_MEMBERS

    // The video window (NULL before the first connection and after leaving the graph).
    HWND window() const;
    // Frames drawn into the window since the filter was created.
    ULONG frames_shown() const;

protected:
    void* find_interface(REFIID iid) override;

private:
    class Input;

    HRESULT on_pause() override;
    HRESULT present(IMediaSample* sample) override;
    // The input's connected format.
    struct Format {
        int layout = 0; // 0 none, else the conversion
        int width = 0;
        int height = 0;
        std::ptrdiff_t stride = 0; // bytes from one row to the next
        bool bottom_up = false;
    };
    void read_format();
    bool convert(IMediaSample* sample, detail::VideoFrame& frame) const;
    void make_window();
    void drop_window();
    // The window while connected, else nullptr with `result` VFW_E_NOT_CONNECTED.
    HWND connected_window(HRESULT& result) const;

    mutable std::mutex m_play_lock; // the format, the frame being converted and the count
    Format m_format;
    std::unique_ptr<detail::VideoFrame> m_next;
    ULONG m_frames { 0 };

    mutable std::mutex m_window_lock;
    std::unique_ptr<detail::VideoWindow> m_window;
    HWND m_owner { nullptr };
    bool m_auto_show { true };
    LONG m_border_color { 0 };
    LONG m_background_palette { OAFALSE };
    Input* m_input { nullptr };
};

// Copies what a window shows in its client area (cut from its top-level window's surface) into
// `out`; false when the window is gone or has never been drawn. Meant for the video window.
bool copy_video_picture(HWND window, gdi::Surface& out);

}
