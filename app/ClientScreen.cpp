// Screen modes (normal, full screen, full window) and the video's place in the window: the
// frame's height kept for a 4:3 picture or shrunk to the bars while no picture is shown, the
// 4:3 rule for the user's resizing, the video fitted at each size, and the minimise rule of the
// Brooktree cards.

#include "Client.h"

#include "ControlBar.h"
#include "PrivateMessages.h"
#include <media/VideoFile.h>

#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <settings/Settings.h>

#include <base/Text.h>
#include <owl/DecoratedFrame.h>
#include <owl/Module.h>
#include <user/Menus.h>
#include <user/SystemMetrics.h>
#include <user/Paint.h>

#include <algorithm>

namespace {

constexpr DWORD FullWindowStyle = 0x808C0000;  // WS_POPUP | WS_BORDER | WS_SYSMENU | WS_THICKFRAME
constexpr DWORD NormalStyle = 0x12CF0000;      // WS_VISIBLE | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW
constexpr UINT MainMenuId = 100;
constexpr int MinimumSide = 30;

// The frame's height before it was shrunk to its bars; -1 when none is remembered.
int s_rememberedHeight = -1;
// The frame's minimised state at the last notice.
bool s_wasMinimized = false;

int window_height(HWND window)
{
    RECT r {};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

}

void TClient::ResetScreenState()
{
    s_rememberedHeight = -1;
    s_wasMinimized = false;
}

bool TClient::PictureShown() const
{
    return (Tv && Tv->IsVideoShown()) || PlayerShowsPicture();
}

void TClient::SetScreenMode(LONG mode)
{
    m_screenMode = mode;
    if (Tv)
        Tv->PlaceVideoWindow(mode);
    HWND frame = GetParent(GetHandle());
    auto* decorated = dynamic_cast<OWL::TDecoratedFrame*>(GetParentO());
    if (!frame || (mode != 0 && mode != 1 && mode != 2))
        return;
    bool full_window = mode == 2;
    SetWindowLongA(frame, GWL_STYLE, static_cast<LONG>(full_window ? FullWindowStyle : NormalStyle));
    ShowWindow(frame, SW_SHOWNORMAL);
    for (SControlBar* bar : { m_topBar, m_bottomBar }) {
        if (bar)
            bar->Show(full_window ? SW_HIDE : SW_SHOW);
    }
    if (decorated && m_topBar)
        decorated->Insert(*m_topBar, OWL::TDecoratedFrame::Top);
    // The menu the mode replaces is destroyed, not left behind.
    HMENU old = GetMenu(frame);
    HMENU menu = full_window ? nullptr : GetModule()->LoadMenu(MainMenuId);
    SetMenu(frame, menu);
    if (old && old != menu)
        DestroyMenu(old);
    LayoutVideo();
    InvalidateRect(frame, nullptr, TRUE);
    InvalidateRect(GetHandle(), nullptr, TRUE);
}

void TClient::LayoutVideo()
{
    HWND frame = GetParent(GetHandle());
    if (!frame || !GetHandle() || IsIconic(frame))
        return;
    RECT outer {};
    GetWindowRect(frame, &outer);
    RECT inner {};
    GetClientRect(GetHandle(), &inner);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    int extra = height - (inner.bottom - inner.top);
    int next = width * 3 / 4 + extra;
    if (Settings.Shrink) {
        if (PictureShown()) {
            if (s_rememberedHeight != -1)
                next = s_rememberedHeight;
        } else {
            if (height - extra > 10)
                s_rememberedHeight = height;
            next = extra;
        }
    }
    // A 4:3 picture of the widest frame would be taller than any frame may be.
    next = std::min(next, GetSystemMetrics(SM_CYMAXTRACK));
    SetWindowPos(frame, nullptr, 0, 0, width, next, SWP_NOMOVE);
}

bool TClient::EvSizing(UINT edge, RECT* rect)
{
    if (!rect || !Settings.Ratio)
        return true;
    HWND frame = GetParent(GetHandle());
    RECT inner {};
    if (GetHandle())
        GetClientRect(GetHandle(), &inner);
    int extra = (frame ? window_height(frame) : 0) - (inner.bottom - inner.top);
    if (Settings.Shrink && !PictureShown()) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
            rect->top = rect->bottom - extra;
        else if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT)
            rect->bottom = rect->top + extra;
        return true;
    }
    rect->bottom = std::max<LONG>(rect->bottom, rect->top + MinimumSide);
    rect->right = std::max<LONG>(rect->right, rect->left + MinimumSide);
    switch (edge) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT:
    case WMSZ_BOTTOMLEFT:
        rect->bottom = 3 * (rect->right - rect->left) / 4 + rect->top + extra;
        break;
    case WMSZ_TOP:
    case WMSZ_TOPRIGHT:
    case WMSZ_BOTTOM:
    case WMSZ_BOTTOMRIGHT:
        rect->right = (rect->bottom - (rect->top + extra)) * 4 / 3 + rect->left;
        break;
    case WMSZ_TOPLEFT:
        rect->left = rect->right - (rect->bottom - (rect->top + extra)) * 4 / 3;
        break;
    default:
        break;
    }
    return true;
}

void TClient::FrameMinimized(bool minimized)
{
    if (s_wasMinimized && !minimized && GetHandle())
        PostMessageA(GetHandle(), WM_VIDEOLAYOUT, 0, 0);
    s_wasMinimized = minimized;
    if (Tv && base::starts_with_ignoring_case(Tv->GetDeviceName(), "MSVIDEO: Brooktree") && !Tv->IsRecording()
        && Tv->IsVideoShown() && minimized) {
        Tv->STvShow(false);
        LayoutVideo();
    }
}

void TClient::FitVideo()
{
    if (Tv)
        Tv->FitVideoWindow();
    if (m_player)
        m_player->FitWindow();
}
