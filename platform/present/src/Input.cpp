// X events as window messages.

#include <present/Keys.h>
#include <user/Keyboard.h>
#include <user/Messages.h>
#include <user/NonClient.h>

#include "Session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace present::detail {

namespace {

constexpr int kWheelDelta = 120;

bool contains(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The deepest visible, enabled child under a screen point, topmost first; the window itself
// when no child is there.
HWND window_at(HWND window, POINT screen)
{
    for (;;) {
        HWND found = nullptr;
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            RECT r;
            if (IsWindowVisible(c) && IsWindowEnabled(c) && GetWindowRect(c, &r) && contains(r, screen)
                && SendMessageA(c, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)))
                    != HTTRANSPARENT) {
                found = c;
                break;
            }
        }
        if (!found)
            return window;
        window = found;
    }
}

WPARAM mouse_keys(unsigned state)
{
    WPARAM keys = 0;
    if (state & Button1Mask) keys |= MK_LBUTTON;
    if (state & Button2Mask) keys |= MK_MBUTTON;
    if (state & Button3Mask) keys |= MK_RBUTTON;
    if (state & ShiftMask) keys |= MK_SHIFT;
    if (state & ControlMask) keys |= MK_CONTROL;
    return keys;
}

unsigned button_mask(unsigned button)
{
    switch (button) {
    case Button1: return Button1Mask;
    case Button2: return Button2Mask;
    case Button3: return Button3Mask;
    default: return 0;
    }
}

// The mouse message at (x, y) in the X window, posted in client coordinates of the window that
// has the capture, or else of the window there. The cursor position follows.
void post_mouse(XWin& w, UINT message, int x, int y, WPARAM keys)
{
    POINT screen { w.rect.left + x, w.rect.top + y };
    SetCursorPos(screen.x, screen.y);
    HWND target = GetCapture();
    if (!target)
        target = window_at(w.hwnd, screen);
    if (target == w.hwnd && target != GetCapture()) {
        // Outside the client area: the non-client message with its hit code, in screen coordinates.
        int hit = user::non_client_hit(target, screen);
        UINT nc = message == WM_MOUSEMOVE ? WM_NCMOUSEMOVE
            : message == WM_LBUTTONDOWN   ? WM_NCLBUTTONDOWN
            : message == WM_LBUTTONUP     ? WM_NCLBUTTONUP
            : message == WM_RBUTTONDOWN   ? WM_NCRBUTTONDOWN
            : message == WM_RBUTTONUP     ? WM_NCRBUTTONUP
                                          : 0;
        if (hit != HTCLIENT && hit != HTNOWHERE && nc) {
            PostMessageA(target, nc, static_cast<WPARAM>(hit),
                MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
            return;
        }
    }
    POINT client = screen;
    ScreenToClient(target, &client);
    PostMessageA(target, message, keys, MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y)));
}

void activate(XWin& w)
{
    if (GetForegroundWindow() != w.hwnd && IsWindowEnabled(w.hwnd))
        SetForegroundWindow(w.hwnd);
}

void button(XWin& w, const XButtonEvent& e, bool down)
{
    UINT message = 0;
    switch (e.button) {
    case Button1: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case Button3: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case Button2: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    case Button4:
    case Button5:
        if (down) {
            POINT screen { w.rect.left + e.x, w.rect.top + e.y };
            WORD delta = static_cast<WORD>(e.button == Button4 ? kWheelDelta : -kWheelDelta);
            HWND target = window_at(w.hwnd, screen);
            PostMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(mouse_keys(e.state)), delta),
                MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
        }
        return;
    default: return;
    }
    if (down)
        activate(w);
    unsigned state = down ? (e.state | button_mask(e.button)) : (e.state & ~button_mask(e.button));
    post_mouse(w, message, e.x, e.y, mouse_keys(state));
}

void key(XKeyEvent& e, bool down)
{
    UINT vk = vk_from_keysym(XLookupKeysym(&e, 0));
    if (vk)
        user::key_input(vk, down);
}

// Where the X window is on the root, whether or not a window manager framed it.
void configured(Session& s, XWin& w, const XConfigureEvent& e)
{
    if (e.serial < w.configure_serial)
        return; // answers a request older than the last one
    int x = e.x, y = e.y;
    if (!e.send_event) {
        Window child;
        XTranslateCoordinates(s.display, w.id, s.root, 0, 0, &x, &y, &child);
    }
    RECT now { x, y, x + e.width, y + e.height };
    if (now.left == w.rect.left && now.top == w.rect.top && now.right == w.rect.right && now.bottom == w.rect.bottom)
        return;
    if (IsIconic(w.hwnd))
        return;
    w.rect = now;
    SetWindowPos(w.hwnd, nullptr, x, y, e.width, e.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// WM_STATE's state: 1 normal, 3 iconic, 0 withdrawn (or not known).
long wm_state(Session& s, Window id)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long state = 0;
    if (XGetWindowProperty(s.display, id, s.wm_state, 0, 2, False, s.wm_state, &type, &format, &count, &after, &data)
            == Success
        && data && count >= 1 && format == 32)
        state = reinterpret_cast<long*>(data)[0];
    if (data)
        XFree(data);
    return state;
}

constexpr long kIconicState = 3;

void unmapped(Session& s, XWin& w)
{
    bool expected = !w.mapped || w.iconic; // our own withdraw or iconify
    w.mapped = false;
    if (expected || !IsWindowVisible(w.hwnd) || IsIconic(w.hwnd))
        return;
    if (wm_state(s, w.id) == kIconicState) {
        w.iconic = true;
        w.asked = XWin::Asked::Minimise;
        PostMessageA(w.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
}

void mapped(XWin& w)
{
    bool was_iconic = w.iconic;
    w.mapped = true;
    w.iconic = false;
    if (IsIconic(w.hwnd) && was_iconic && w.asked != XWin::Asked::Minimise) {
        w.asked = XWin::Asked::Restore;
        PostMessageA(w.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    if (w.asked == XWin::Asked::Minimise)
        w.asked = XWin::Asked::Nothing;
}

}

void handle_event(Session& s, XEvent& event)
{
    if (tray_event(s, event))
        return;
    XWin* w = s.by_id(event.xany.window);
    if (!w)
        return;
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            repaint(s, *w);
        break;
    case ButtonPress: button(*w, event.xbutton, true); break;
    case ButtonRelease: button(*w, event.xbutton, false); break;
    case MotionNotify:
        post_mouse(*w, WM_MOUSEMOVE, event.xmotion.x, event.xmotion.y, mouse_keys(event.xmotion.state));
        break;
    case KeyPress: key(event.xkey, true); break;
    case KeyRelease: key(event.xkey, false); break;
    case FocusIn:
        if (event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed)
            activate(*w);
        break;
    case ConfigureNotify: configured(s, *w, event.xconfigure); break;
    case UnmapNotify: unmapped(s, *w); break;
    case MapNotify: mapped(*w); break;
    case ClientMessage:
        if (event.xclient.message_type == s.wm_protocols
            && static_cast<Atom>(event.xclient.data.l[0]) == s.wm_delete_window)
            PostMessageA(w->hwnd, WM_CLOSE, 0, 0);
        break;
    default: break;
    }
}

}
