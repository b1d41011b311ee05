// The video renderer's filter side: the input pin, the frames on the clock, and their
// conversion to 32-bit pixels for the window (VideoWindow.h). IVideoWindow is in
// VideoRendererWindow.cpp, except the ideal image sizes, which read the connection.

#include "VideoWindow.h"

#include <dshow/MediaType.h>
#include <dshow/VfwErrors.h>
#include <dshow/VideoRenderer.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace dshow {

namespace {

enum class Layout { None, Yuy2, Rgb24, Rgb32 };

Layout layout_of(const AM_MEDIA_TYPE& type)
{
    if (!IsEqualGUID(type.majortype, MEDIATYPE_Video))
        return Layout::None;
    MediaType copy(type);
    const VIDEOINFOHEADER* video = copy.video_info();
    if (!video || video->bmiHeader.biWidth <= 0 || video->bmiHeader.biHeight == 0)
        return Layout::None;
    const BITMAPINFOHEADER& bitmap = video->bmiHeader;
    if (IsEqualGUID(type.subtype, MEDIASUBTYPE_YUY2) && bitmap.biCompression == FOURCC_YUY2 && bitmap.biBitCount == 16)
        return Layout::Yuy2;
    if (IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB24) && bitmap.biCompression == BI_RGB && bitmap.biBitCount == 24)
        return Layout::Rgb24;
    if (IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB32) && bitmap.biCompression == BI_RGB && bitmap.biBitCount == 32)
        return Layout::Rgb32;
    return Layout::None;
}

}

// Takes one sample into `frame` (YUY2 kept in the sample, which the frame holds; RGB converted
// to 32-bit pixels, the buffer resized only when the format's size changes); false when the
// sample is too short for the format.
bool VideoRenderer::convert(IMediaSample* sample, detail::VideoFrame& frame) const
{
    const Format& f = m_format;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    LONG length = sample->GetActualDataLength();
    if (f.layout == 0 || !data || length < 0 || static_cast<std::ptrdiff_t>(length) < f.stride * f.height)
        return false;
    frame.width = f.width;
    frame.height = f.height;
    frame.yuy2 = f.layout == static_cast<int>(Layout::Yuy2);
    if (frame.yuy2) {
        // YUY2 is always top row first; it is converted where it is drawn. Sources write only
        // into buffers they get from their allocator, so the held sample stays as it came.
        frame.stride = f.stride;
        frame.sample = sample;
        frame.rows = data;
        return true;
    }
    frame.sample.Release();
    frame.rows = nullptr;
    gdi::Surface& pixels = frame.pixels;
    if (pixels.width() != f.width || pixels.height() != f.height)
        pixels = gdi::Surface(f.width, f.height);
    // RGB: bottom row first unless the height is negative.
    int bytes = f.layout == static_cast<int>(Layout::Rgb24) ? 3 : 4;
    for (int y = 0; y < f.height; ++y) {
        const BYTE* p = data + f.stride * (f.bottom_up ? f.height - 1 - y : y);
        gdi::Pixel* out = pixels.row(y);
        for (int x = 0; x < f.width; ++x, p += bytes)
            out[x] = 0xFF000000u | (static_cast<gdi::Pixel>(p[2]) << 16) | (static_cast<gdi::Pixel>(p[1]) << 8) | p[0];
    }
    return true;
}

class VideoRenderer::Input final : public ScheduledRenderer::Input {
public:
    using ScheduledRenderer::Input::Input;

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return layout_of(type) != Layout::None ? S_OK : S_FALSE; }

protected:
    HRESULT complete_connect(IPin*) override
    {
        auto& renderer = static_cast<VideoRenderer&>(filter());
        renderer.read_format();
        renderer.make_window();
        return S_OK;
    }
};

VideoRenderer::VideoRenderer()
    : ScheduledRenderer(CLSID_VideoRenderer)
    , m_next(std::make_unique<detail::VideoFrame>())
{
    m_input = make_pin<Input>(u"Input");
}

VideoRenderer::~VideoRenderer()
{
    drop_window();
}

void* VideoRenderer::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IVideoWindow) || IsEqualIID(iid, IID_IDispatch))
        return static_cast<IVideoWindow*>(this);
    return ScheduledRenderer::find_interface(iid);
}

STDMETHODIMP VideoRenderer::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    HRESULT hr = ScheduledRenderer::JoinFilterGraph(graph, name);
    if (!graph)
        drop_window();
    return hr;
}

void VideoRenderer::read_format()
{
    MediaType type = m_input->connection_type();
    Format f;
    f.layout = static_cast<int>(layout_of(type.get()));
    if (const VIDEOINFOHEADER* video = type.video_info(); video && f.layout != 0) {
        const BITMAPINFOHEADER& bitmap = video->bmiHeader;
        f.width = bitmap.biWidth;
        f.height = std::abs(bitmap.biHeight);
        f.stride = ((static_cast<std::ptrdiff_t>(f.width) * bitmap.biBitCount + 31) / 32) * 4;
        f.bottom_up = bitmap.biHeight > 0;
    }
    std::lock_guard guard(m_play_lock);
    m_format = f;
}

void VideoRenderer::make_window()
{
    MediaType type = m_input->connection_type();
    const VIDEOINFOHEADER* video = type.video_info();
    int width = video ? video->bmiHeader.biWidth : 320;
    int height = video ? std::abs(video->bmiHeader.biHeight) : 240;
    std::lock_guard guard(m_window_lock);
    if (m_window && m_window->handle())
        return;
    m_window = std::make_unique<detail::VideoWindow>(width, height);
    m_owner = nullptr;
}

void VideoRenderer::drop_window()
{
    std::unique_ptr<detail::VideoWindow> window;
    {
        std::lock_guard guard(m_window_lock);
        window = std::move(m_window);
        m_owner = nullptr;
    }
}

HWND VideoRenderer::window() const
{
    std::lock_guard guard(m_window_lock);
    return m_window ? m_window->handle() : nullptr;
}

ULONG VideoRenderer::frames_shown() const
{
    std::lock_guard guard(m_play_lock);
    return m_frames;
}

HWND VideoRenderer::connected_window(HRESULT& result) const
{
    if (!m_input->is_connected()) {
        result = VFW_E_NOT_CONNECTED;
        return nullptr;
    }
    HWND handle = window();
    result = handle ? S_OK : E_UNEXPECTED;
    return handle;
}

// Any size can be drawn: the video's own is the ideal at both ends (IVideoWindow).
STDMETHODIMP VideoRenderer::GetMinIdealImageSize(LONG* width, LONG* height)
{
    if (!width || !height)
        return E_POINTER;
    HRESULT hr = S_OK;
    if (!connected_window(hr))
        return hr;
    if (is_stopped())
        return VFW_E_WRONG_STATE;
    MediaType type = m_input->connection_type();
    const VIDEOINFOHEADER* video = type.video_info();
    if (!video)
        return E_UNEXPECTED;
    *width = video->bmiHeader.biWidth;
    *height = std::abs(video->bmiHeader.biHeight);
    return S_OK;
}

HRESULT VideoRenderer::on_pause()
{
    bool from_stopped = state() == State_Stopped;
    ScheduledRenderer::on_pause();
    if (from_stopped && m_input->is_connected()) {
        std::lock_guard guard(m_window_lock);
        if (m_auto_show && m_window)
            m_window->show_from_any_thread();
    }
    return S_OK;
}

HRESULT VideoRenderer::present(IMediaSample* sample)
{
    std::lock_guard play(m_play_lock);
    if (!convert(sample, *m_next))
        return S_OK; // a short sample is skipped, the stream goes on
    {
        // The window keeps this frame and hands back the one it showed, to convert the next into.
        std::lock_guard guard(m_window_lock);
        if (m_window)
            m_window->show_frame(*m_next);
    }
    // The sample shown before goes back to its allocator now.
    m_next->sample.Release();
    m_next->rows = nullptr;
    ++m_frames;
    return S_OK;
}

}
