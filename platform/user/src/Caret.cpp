// The thread's caret: its shape, position, hide count and blink, drawn by inverting the owner's
// pixels (see user/Caret.h).

#include "Ops.h"

#include <base/Clock.h>
#include <base/Errors.h>
#include <base/Sync.h>
#include <base/Threads.h>
#include <gdi/Blit.h>
#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Objects.h>
#include <user/Caret.h>
#include <user/Paint.h>
#include <user/SystemMetrics.h>

#include <atomic>
#include <cstdint>

namespace user::detail {

namespace {

constexpr UINT_PTR kBlinkTimer = 0xCA7E;
constexpr std::int64_t kBlinkTimeout = 10000;   // ms without a move or show before blinking stops
const HBITMAP kGrey = reinterpret_cast<HBITMAP>(1);

std::atomic<UINT> s_blink_time { 530 };

struct Caret {
    HWND window = nullptr;       // the owner; null: the thread has no caret
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    POINT pos { 0, 0 };
    int hidden = 1;              // HideCaret count (a new caret is hidden)
    int lifted = 0;              // paints of the owner or an ancestor under way
    bool on = false;             // inverted on the owner's pixels now
    std::int64_t active = 0;     // when it was last moved or shown
};

thread_local Caret t_caret;

void invert(const Caret& c)
{
    HDC dc = GetDC(c.window);
    if (!dc)
        return;
    if (c.bitmap == kGrey) {
        for (int y = 0; y < c.height; ++y)
            for (int x = (y & 1); x < c.width; x += 2)
                PatBlt(dc, c.pos.x + x, c.pos.y + y, 1, 1, DSTINVERT);
    } else if (c.bitmap) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, c.bitmap);
        BitBlt(dc, c.pos.x, c.pos.y, c.width, c.height, memory, 0, 0, SRCINVERT);
        SelectObject(memory, old);
        DeleteDC(memory);
    } else {
        PatBlt(dc, c.pos.x, c.pos.y, c.width, c.height, DSTINVERT);
    }
    ReleaseDC(c.window, dc);
}

// Draws or takes off the caret; it is drawn only on a visible owner.
void set_drawn(Caret& c, bool on)
{
    if (c.on == on || (on && !IsWindowVisible(c.window)))
        return;
    invert(c);
    c.on = on;
}

bool showing(const Caret& c)
{
    return c.window && c.hidden == 0 && c.lifted == 0;
}

// Blinks from now on, starting with a full phase drawn.
void start_blink(Caret& c)
{
    c.active = base::Clock::ticks_ms();
    UINT blink = s_blink_time;
    if (blink == INFINITE)
        kill_system_timer(c.window, kBlinkTimer);
    else
        set_system_timer(c.window, kBlinkTimer, blink);
}

void show_now(Caret& c)
{
    set_drawn(c, true);
    start_blink(c);
}

void take_off(Caret& c)
{
    set_drawn(c, false);
    kill_system_timer(c.window, kBlinkTimer);
}

// The caret is the thread's and the window (when given) owns it.
bool owned_by(const Caret& c, HWND window)
{
    if (!c.window || (window && window != c.window)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool paints_over(const Caret& c, HWND window)
{
    return c.window && (window == c.window || IsChild(window, c.window));
}

}

void caret_blink(HWND window, UINT_PTR id)
{
    Caret& c = t_caret;
    if (id != kBlinkTimer || window != c.window || !showing(c))
        return;
    if (base::Clock::ticks_ms() - c.active >= kBlinkTimeout) {
        set_drawn(c, true);
        kill_system_timer(window, kBlinkTimer);
        return;
    }
    set_drawn(c, !c.on);
}

void caret_owner_destroyed(HWND window)
{
    if (t_caret.window == window)
        DestroyCaret();
}

void caret_paint_begins(HWND window)
{
    Caret& c = t_caret;
    if (!paints_over(c, window))
        return;
    set_drawn(c, false);
    ++c.lifted;
}

void caret_paint_ends(HWND window)
{
    Caret& c = t_caret;
    if (!paints_over(c, window) || c.lifted == 0)
        return;
    if (--c.lifted == 0 && c.hidden == 0)
        set_drawn(c, true);
}

}

using namespace user::detail;

BOOL CreateCaret(HWND window, HBITMAP bitmap, int width, int height)
{
    auto w = checked(window);
    if (!w)
        return FALSE;
    if (w->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (bitmap && bitmap != kGrey) {
        BITMAP info {};
        if (!GetObjectA(bitmap, sizeof info, &info)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        width = info.bmWidth;
        height = info.bmHeight;
    }
    DestroyCaret();
    Caret& c = t_caret;
    c.window = window;
    c.bitmap = bitmap;
    c.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
    c.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
    return TRUE;
}

BOOL DestroyCaret()
{
    Caret& c = t_caret;
    if (!owned_by(c, nullptr))
        return FALSE;
    take_off(c);
    c = Caret {};
    return TRUE;
}

BOOL ShowCaret(HWND window)
{
    Caret& c = t_caret;
    if (!owned_by(c, window))
        return FALSE;
    if (c.hidden > 0 && --c.hidden == 0 && c.lifted == 0)
        show_now(c);
    return TRUE;
}

BOOL HideCaret(HWND window)
{
    Caret& c = t_caret;
    if (!owned_by(c, window))
        return FALSE;
    if (c.hidden++ == 0)
        take_off(c);
    return TRUE;
}

BOOL SetCaretPos(int x, int y)
{
    Caret& c = t_caret;
    if (!owned_by(c, nullptr))
        return FALSE;
    if (c.pos.x == x && c.pos.y == y)
        return TRUE;
    set_drawn(c, false);
    c.pos = { x, y };
    if (c.hidden == 0) {
        if (c.lifted == 0)
            set_drawn(c, true);   // else when the paint ends
        start_blink(c);
    }
    return TRUE;
}

BOOL GetCaretPos(LPPOINT point)
{
    Caret& c = t_caret;
    if (!point || !owned_by(c, nullptr))
        return FALSE;
    *point = c.pos;
    return TRUE;
}

UINT GetCaretBlinkTime()
{
    return s_blink_time;
}

BOOL SetCaretBlinkTime(UINT milliseconds)
{
    s_blink_time = milliseconds;
    Caret& c = t_caret;
    if (showing(c))
        show_now(c);
    return TRUE;
}
