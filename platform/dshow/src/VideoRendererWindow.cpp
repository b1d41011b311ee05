// The video renderer's IVideoWindow: the application's control of the video window.

#include "VideoWindow.h"

#include <base/Text.h>
#include <com/BStr.h>
#include <dshow/VfwErrors.h>
#include <dshow/VideoRenderer.h>
#include <user/Messages.h>
#include <user/Window.h>

#include <cstdlib>
#include <string>

namespace dshow {

namespace {

constexpr DWORD kRefusedStyles = WS_DISABLED | WS_MINIMIZE | WS_HSCROLL | WS_VSCROLL;

bool is_bool(LONG value) { return value == OATRUE || value == OAFALSE; }

// The window's rectangle in its parent's client coordinates (screen coordinates when top-level).
RECT placement_of(HWND window)
{
    RECT rect {};
    GetWindowRect(window, &rect);
    HWND parent = GetAncestor(window, GA_PARENT);
    if (parent && parent != GetDesktopWindow())
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HRESULT move(HWND window, LONG left, LONG top, LONG width, LONG height)
{
    return SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE) ? S_OK : E_FAIL;
}

}

#define VIDEO_WINDOW_OR_FAIL(name)             \
    HRESULT hr_ = S_OK;                        \
    HWND name = connected_window(hr_);         \
    if (!name)                                 \
        return hr_;

STDMETHODIMP VideoRenderer::put_Caption(BSTR caption)
{
    VIDEO_WINDOW_OR_FAIL(window)
    std::string text = base::to_utf8(std::u16string_view(caption ? caption : u"", caption ? SysStringLen(caption) : 0));
    return SetWindowTextA(window, text.c_str()) ? S_OK : E_FAIL;
}

STDMETHODIMP VideoRenderer::get_Caption(BSTR* caption)
{
    if (!caption)
        return E_POINTER;
    *caption = nullptr;
    VIDEO_WINDOW_OR_FAIL(window)
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    std::u16string wide = base::to_utf16(text);
    *caption = SysAllocStringLen(wide.c_str(), static_cast<UINT>(wide.size()));
    return *caption ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP VideoRenderer::put_WindowStyle(LONG style)
{
    VIDEO_WINDOW_OR_FAIL(window)
    DWORD wanted = static_cast<DWORD>(style);
    if (wanted & kRefusedStyles)
        return E_INVALIDARG;
    DWORD old = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>((wanted & ~WS_VISIBLE) | (old & WS_VISIBLE)));
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return S_OK;
}

STDMETHODIMP VideoRenderer::get_WindowStyle(LONG* style)
{
    if (!style)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    *style = GetWindowLongA(window, GWL_STYLE);
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_WindowStyleEx(LONG style)
{
    VIDEO_WINDOW_OR_FAIL(window)
    DWORD wanted = static_cast<DWORD>(style);
    DWORD old = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(wanted & ~WS_EX_TOPMOST));
    if ((wanted ^ old) & WS_EX_TOPMOST) {
        HWND after = (wanted & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_NOTOPMOST;
        SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return S_OK;
}

STDMETHODIMP VideoRenderer::get_WindowStyleEx(LONG* style)
{
    if (!style)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    *style = GetWindowLongA(window, GWL_EXSTYLE);
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_AutoShow(LONG show)
{
    VIDEO_WINDOW_OR_FAIL(window)
    if (!is_bool(show))
        return E_INVALIDARG;
    std::lock_guard guard(m_window_lock);
    m_auto_show = show == OATRUE;
    return S_OK;
}

STDMETHODIMP VideoRenderer::get_AutoShow(LONG* show)
{
    if (!show)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    std::lock_guard guard(m_window_lock);
    *show = m_auto_show ? OATRUE : OAFALSE;
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_WindowState(LONG state)
{
    VIDEO_WINDOW_OR_FAIL(window)
    switch (state) {
    case SW_HIDE:
    case SW_SHOWNORMAL:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMAXIMIZED:
    case SW_SHOWNOACTIVATE:
    case SW_SHOW:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_SHOWNA:
    case SW_RESTORE:
        ShowWindow(window, state);
        return S_OK;
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP VideoRenderer::get_WindowState(LONG* state)
{
    if (!state)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    if (!(style & WS_VISIBLE))
        *state = SW_HIDE;
    else if (style & WS_MINIMIZE)
        *state = SW_SHOWMINIMIZED;
    else if (style & WS_MAXIMIZE)
        *state = SW_SHOWMAXIMIZED;
    else
        *state = SW_SHOWNORMAL;
    return S_OK;
}

// Pixels are always 32-bit here: there is no palette to realise, only the setting to keep.
STDMETHODIMP VideoRenderer::put_BackgroundPalette(LONG palette)
{
    VIDEO_WINDOW_OR_FAIL(window)
    if (!is_bool(palette))
        return E_INVALIDARG;
    std::lock_guard guard(m_window_lock);
    m_background_palette = palette;
    return S_OK;
}

STDMETHODIMP VideoRenderer::get_BackgroundPalette(LONG* palette)
{
    if (!palette)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    std::lock_guard guard(m_window_lock);
    *palette = m_background_palette;
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_Visible(LONG visible)
{
    VIDEO_WINDOW_OR_FAIL(window)
    if (!is_bool(visible))
        return E_INVALIDARG;
    ShowWindow(window, visible == OATRUE ? SW_SHOW : SW_HIDE);
    return S_OK;
}

STDMETHODIMP VideoRenderer::get_Visible(LONG* visible)
{
    if (!visible)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    *visible = (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) ? OATRUE : OAFALSE;
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_Left(LONG left)
{
    VIDEO_WINDOW_OR_FAIL(window)
    RECT r = placement_of(window);
    return move(window, left, r.top, r.right - r.left, r.bottom - r.top);
}

STDMETHODIMP VideoRenderer::get_Left(LONG* left)
{
    if (!left)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    *left = placement_of(window).left;
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_Width(LONG width)
{
    VIDEO_WINDOW_OR_FAIL(window)
    RECT r = placement_of(window);
    return move(window, r.left, r.top, width, r.bottom - r.top);
}

STDMETHODIMP VideoRenderer::get_Width(LONG* width)
{
    if (!width)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    RECT r = placement_of(window);
    *width = r.right - r.left;
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_Top(LONG top)
{
    VIDEO_WINDOW_OR_FAIL(window)
    RECT r = placement_of(window);
    return move(window, r.left, top, r.right - r.left, r.bottom - r.top);
}

STDMETHODIMP VideoRenderer::get_Top(LONG* top)
{
    if (!top)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    *top = placement_of(window).top;
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_Height(LONG height)
{
    VIDEO_WINDOW_OR_FAIL(window)
    RECT r = placement_of(window);
    return move(window, r.left, r.top, r.right - r.left, height);
}

STDMETHODIMP VideoRenderer::get_Height(LONG* height)
{
    if (!height)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    RECT r = placement_of(window);
    *height = r.bottom - r.top;
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_Owner(OAHWND owner)
{
    VIDEO_WINDOW_OR_FAIL(window)
    HWND parent = reinterpret_cast<HWND>(owner);
    if (parent && !IsWindow(parent))
        return E_INVALIDARG;
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    style = parent ? (style | WS_CHILD) : (style & ~WS_CHILD);
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
    SetParent(window, parent);
    std::lock_guard guard(m_window_lock);
    m_owner = parent;
    return S_OK;
}

STDMETHODIMP VideoRenderer::get_Owner(OAHWND* owner)
{
    if (!owner)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    std::lock_guard guard(m_window_lock);
    *owner = reinterpret_cast<OAHWND>(m_owner);
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_MessageDrain(OAHWND drain)
{
    VIDEO_WINDOW_OR_FAIL(window)
    std::lock_guard guard(m_window_lock);
    if (m_window)
        m_window->set_drain(reinterpret_cast<HWND>(drain));
    return S_OK;
}

STDMETHODIMP VideoRenderer::get_MessageDrain(OAHWND* drain)
{
    if (!drain)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    std::lock_guard guard(m_window_lock);
    *drain = reinterpret_cast<OAHWND>(m_window ? m_window->drain() : nullptr);
    return S_OK;
}

// The picture always fills the client area, so no border shows; the colour is only kept.
STDMETHODIMP VideoRenderer::get_BorderColor(LONG* color)
{
    if (!color)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    std::lock_guard guard(m_window_lock);
    *color = m_border_color;
    return S_OK;
}

STDMETHODIMP VideoRenderer::put_BorderColor(LONG color)
{
    VIDEO_WINDOW_OR_FAIL(window)
    std::lock_guard guard(m_window_lock);
    m_border_color = color;
    return S_OK;
}

STDMETHODIMP VideoRenderer::get_FullScreenMode(LONG*) { return E_NOTIMPL; }
STDMETHODIMP VideoRenderer::put_FullScreenMode(LONG) { return E_NOTIMPL; }

STDMETHODIMP VideoRenderer::SetWindowForeground(LONG focus)
{
    VIDEO_WINDOW_OR_FAIL(window)
    if (!is_bool(focus))
        return E_INVALIDARG;
    BringWindowToTop(window);
    if (focus == OATRUE)
        SetFocus(window);
    return S_OK;
}

// Palette and display changes need no work with 32-bit surfaces.
STDMETHODIMP VideoRenderer::NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR)
{
    VIDEO_WINDOW_OR_FAIL(window)
    return S_OK;
}

STDMETHODIMP VideoRenderer::SetWindowPosition(LONG left, LONG top, LONG width, LONG height)
{
    VIDEO_WINDOW_OR_FAIL(window)
    return move(window, left, top, width, height);
}

STDMETHODIMP VideoRenderer::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height)
{
    if (!left || !top || !width || !height)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    RECT r = placement_of(window);
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

STDMETHODIMP VideoRenderer::GetMaxIdealImageSize(LONG* width, LONG* height)
{
    return GetMinIdealImageSize(width, height);
}

STDMETHODIMP VideoRenderer::GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height)
{
    if (!left || !top || !width || !height)
        return E_POINTER;
    VIDEO_WINDOW_OR_FAIL(window)
    RECT r = placement_of(window);
    WINDOWPLACEMENT placement {};
    placement.length = sizeof placement;
    if ((IsIconic(window) || IsZoomed(window)) && GetWindowPlacement(window, &placement)
        && placement.rcNormalPosition.right > placement.rcNormalPosition.left)
        r = placement.rcNormalPosition;
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

// There is no mouse cursor to hide.
STDMETHODIMP VideoRenderer::HideCursor(LONG) { return E_NOTIMPL; }
STDMETHODIMP VideoRenderer::IsCursorHidden(LONG*) { return E_NOTIMPL; }

}
