#pragma once

#include <user/User.h>

// A top-level window of a plain class, for a callback or owner window.
inline HWND plain_window(const char* title)
{
    static const ATOM atom = [] {
        WNDCLASSA wc {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "PlainTestWindow";
        return RegisterClassA(&wc);
    }();
    (void)atom;
    return CreateWindowExA(0, "PlainTestWindow", title, 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}
