#include "VideoWindow.h"

#include <base/Threads.h>
#include <gdi/Blit.h>
#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Yuy2.h>
#include <user/Messages.h>
#include <user/Paint.h>
#include <user/Window.h>

#include <algorithm>
#include <mutex>

namespace dshow::detail {

namespace {

constexpr char kClassName[] = "VideoRenderer";
constexpr char kTitle[] = "ActiveMovie Window";
constexpr DWORD kInitialStyle = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// Posted to the window's own thread when the window must go and another thread asks.
constexpr UINT kDestroyMessage = WM_USER + 0x100;
constexpr UINT kShowMessage = WM_USER + 0x101;

bool is_input(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}

VideoWindow::VideoWindow(int width, int height)
{
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA wc {};
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = &VideoWindow::procedure;
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
    });
    RECT frame { 0, 0, std::max(width, 1), std::max(height, 1) };
    AdjustWindowRectEx(&frame, kInitialStyle, FALSE, 0);
    m_window = CreateWindowExA(0, kClassName, kTitle, kInitialStyle, CW_USEDEFAULT, CW_USEDEFAULT,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    if (!m_window)
        return;
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

VideoWindow::~VideoWindow()
{
    HWND window = m_window.exchange(nullptr);
    if (!window || !IsWindow(window))
        return;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        DestroyWindow(window);
    else
        PostMessageA(window, kDestroyMessage, 0, 0);
}

HWND VideoWindow::handle() const
{
    return m_window.load();
}

void VideoWindow::show_frame(VideoFrame& frame)
{
    std::lock_guard guard(m_lock);
    std::swap(m_frame, frame);
    // Hidden, the window shows the frame kept when WM_PAINT comes.
    if (HWND window = m_window.load())
        user::paint_now(window, [this](HDC dc, const RECT& client) { draw(dc, client); });
}

void VideoWindow::show_from_any_thread()
{
    HWND window = handle();
    if (!window)
        return;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        ShowWindow(window, SW_SHOW);
    else
        PostMessageA(window, kShowMessage, 0, 0);
}

void VideoWindow::set_drain(HWND drain)
{
    m_drain.store(drain);
}

HWND VideoWindow::drain() const
{
    return m_drain.load();
}

void VideoWindow::paint()
{
    HWND window = m_window.load();
    PAINTSTRUCT ps {};
    HDC dc = BeginPaint(window, &ps);
    if (!dc)
        return;
    RECT client {};
    GetClientRect(window, &client);
    {
        std::lock_guard guard(m_lock);
        draw(dc, client);
    }
    EndPaint(window, &ps);
}

void VideoWindow::draw(HDC dc, const RECT& client)
{
    if (m_frame.yuy2 && !m_frame.empty()) {
        gdi::draw_yuy2(dc, 0, 0, client.right, client.bottom, m_frame.rows, m_frame.stride, m_frame.width,
            m_frame.height);
    } else if (!m_frame.empty()) {
        const gdi::Surface& pixels = m_frame.pixels;
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = pixels.width();
        info.bmiHeader.biHeight = -pixels.height(); // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, pixels.width(), pixels.height(), pixels.pixels(),
            &info, DIB_RGB_COLORS, SRCCOPY);
    } else {
        HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        FillRect(dc, &client, black);
    }
}

LRESULT CALLBACK VideoWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == kDestroyMessage) {
        DestroyWindow(window);
        return 0;
    }
    if (message == kShowMessage) {
        ShowWindow(window, SW_SHOW);
        return 0;
    }
    auto* self = reinterpret_cast<VideoWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wparam, lparam);
    if (is_input(message)) {
        if (HWND drain = self->drain()) {
            PostMessageA(drain, message, wparam, lparam);
            return 0;
        }
        return DefWindowProcA(window, message, wparam, lparam);
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the picture covers the whole client area
    case WM_PAINT:
        self->paint();
        return 0;
    case WM_CLOSE:
        // Closing the window only hides the picture; the renderer owns the window.
        ShowWindow(window, SW_HIDE);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

}

namespace dshow {

bool copy_video_picture(HWND window, gdi::Surface& out)
{
    HWND root = GetAncestor(window, GA_ROOT);
    RECT root_rect {}, client {};
    if (!root || !GetWindowRect(root, &root_rect) || !GetClientRect(window, &client))
        return false;
    gdi::Surface whole;
    if (!user::copy_window_surface(window, whole))
        return false;
    POINT origin { 0, 0 };
    ClientToScreen(window, &origin);
    LONG x = origin.x - root_rect.left, y = origin.y - root_rect.top;
    out = whole.copy(RECT { x, y, x + client.right, y + client.bottom });
    return true;
}

}
