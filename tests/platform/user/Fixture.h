#pragma once

// A window class whose procedure journals every message it gets, and helpers to read the journal.

#include <user/User.h>
#include <user/Testing.h>
#include <gdi/Gdi.h>
#include <gdi/Surface.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

struct Logged {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

inline std::vector<Logged>& message_log()
{
    static std::vector<Logged> log;
    return log;
}

inline LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    message_log().push_back({ window, message, wparam, lparam });
    return DefWindowProcA(window, message, wparam, lparam);
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc {};
            wc.lpfnWndProc = LoggingProc;
            wc.cbWndExtra = 16;
            wc.lpszClassName = "TestWindow";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        message_log().clear();
    }
    void TearDown() override
    {
        for (HWND w : created)
            if (IsWindow(w))
                DestroyWindow(w);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ;
        user::testing::reset();
    }
    HWND make(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr, int id = 0, const char* title = "test",
        RECT r = { 10, 20, 410, 320 })
    {
        HWND w = CreateWindowExA(0, "TestWindow", title, style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        created.push_back(w);
        return w;
    }
    // The messages of one kind a window got, in order.
    static std::vector<Logged> got(HWND window, UINT message)
    {
        std::vector<Logged> out;
        for (auto& l : message_log())
            if (l.window == window && l.message == message)
                out.push_back(l);
        return out;
    }
    static void pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    std::vector<HWND> created;
};
