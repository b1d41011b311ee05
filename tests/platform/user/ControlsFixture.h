#pragma once

// A parent window that journals its WM_COMMAND/WM_xSCROLL/WM_DRAWITEM messages, controls created
// in it, and helpers to paint and read pixels of the parent's surface.

#include "Fixture.h"

#include <user/Controls.h>
#include <gdi/Png.h>

class ControlsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        parent = make(WS_POPUP | WS_VISIBLE, nullptr, 0, "controls", { 0, 0, 320, 240 });
    }
    HWND control(const char* cls, const char* text, DWORD style, RECT r, int id = 100)
    {
        HWND w = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
            r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        EXPECT_NE(w, nullptr) << cls;
        return w;
    }
    static LPARAM at(int x, int y) { return MAKELPARAM(x, y); }
    void click(HWND w, int x, int y)
    {
        SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
        SendMessageA(w, WM_LBUTTONUP, 0, at(x, y));
    }
    // Paints everything pending and returns the parent's surface.
    std::shared_ptr<gdi::Surface> paint()
    {
        pump();
        return user::window_surface(parent);
    }
    // The pixel at a point of a control's client area, as a COLORREF.
    COLORREF pixel(HWND w, int x, int y)
    {
        POINT p { x, y };
        MapWindowPoints(w, parent, &p, 1);
        POINT origin { 0, 0 };
        RECT wr;
        GetWindowRect(parent, &wr);
        ClientToScreen(parent, &origin);
        auto surface = user::window_surface(parent);
        return gdi::colorref_from_pixel(surface->pixel(p.x + origin.x - wr.left, p.y + origin.y - wr.top));
    }
    // How many pixels in a control's client rectangle have a colour.
    int count(HWND w, RECT r, COLORREF colour)
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += pixel(w, x, y) == colour;
        return n;
    }
    void save(const char* name)
    {
        paint();
        gdi::write_png(*user::window_surface(parent), std::string(getenv("ORBIVANE_HOME")) + "/" + name + ".png");
    }
    // The notification codes a control sent its parent through WM_COMMAND.
    std::vector<int> commands(HWND w)
    {
        std::vector<int> out;
        for (auto& l : got(parent, WM_COMMAND))
            if (reinterpret_cast<HWND>(l.lparam) == w)
                out.push_back(HIWORD(l.wparam));
        return out;
    }
    HWND parent = nullptr;
};
