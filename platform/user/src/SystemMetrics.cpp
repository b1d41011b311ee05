// The fixed metrics of the virtual screen.

#include <base/Errors.h>
#include <user/SystemMetrics.h>

#include "State.h"

#include <atomic>

namespace user {

namespace {

std::atomic<int> s_width { kScreenWidth };
std::atomic<int> s_height { kScreenHeight };

}

int screen_width() { return s_width.load(); }
int screen_height() { return s_height.load(); }

void set_screen_size(int width, int height)
{
    bool fixed = width <= 0 || height <= 0;
    s_width.store(fixed ? kScreenWidth : width);
    s_height.store(fixed ? kScreenHeight : height);
    detail::Guard guard(detail::lock());
    detail::desktop().rect = { 0, 0, s_width.load(), s_height.load() };
}

}

int GetSystemMetrics(int index)
{
    using namespace user;
    const int kScreenWidth = screen_width(), kScreenHeight = screen_height();
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CXFULLSCREEN:
        return kScreenWidth;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return kScreenHeight;
    case SM_CYFULLSCREEN: return kScreenHeight - 19;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 16;
    case SM_CYCAPTION: return 19;
    case SM_CYMENU: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXMAXTRACK: return kScreenWidth + 12;
    case SM_CYMAXTRACK: return kScreenHeight + 12;
    case SM_CXMAXIMIZED: return kScreenWidth + 8;
    case SM_CYMAXIMIZED: return kScreenHeight + 8;
    case SM_CXMINIMIZED: return 160;
    case SM_CYMINIMIZED: return 31;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
        return 0;
    case SM_CMONITORS: return 1;
    }
    return 0;
}

BOOL SystemParametersInfoA(UINT action, UINT, PVOID pvparam, UINT)
{
    if (action == SPI_GETWORKAREA && pvparam) {
        *static_cast<RECT*>(pvparam) = { 0, 0, user::screen_width(), user::screen_height() };
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
