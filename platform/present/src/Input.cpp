// X events as window messages.

#include <present/Keys.h>
#include <user/Desktop.h>
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

// The mouse message at a screen (root) point over the X window, posted in client coordinates of
// the window that has the capture, or else of the window there. The cursor position follows. Without a window
// manager, a left press on the caption drags the window until the button is released.
void post_mouse(Session& s, XWin& w, UINT message, POINT screen, WPARAM keys)
{
    SetCursorPos(screen.x, screen.y);
    if (s.drag.hwnd == w.hwnd) {
        if (message == WM_MOUSEMOVE) {
            SetWindowPos(w.hwnd, nullptr, s.drag.start.left + screen.x - s.drag.grab.x,
                s.drag.start.top + screen.y - s.drag.grab.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
            return;
        }
        if (message == WM_LBUTTONUP)
            s.drag.hwnd = nullptr;
    }
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
            if (hit == HTCAPTION && message == WM_LBUTTONDOWN && !s.managed && !IsZoomed(target)) {
                RECT start;
                GetWindowRect(target, &start);
                s.drag = { target, screen, start };
            }
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

void button(Session& s, XWin& w, const XButtonEvent& e, bool down)
{
    UINT message = 0;
    switch (e.button) {
    case Button1: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case Button3: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case Button2: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    case Button4:
    case Button5:
        if (down) {
            POINT screen { e.x_root, e.y_root };
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
    post_mouse(s, w, message, { e.x_root, e.y_root }, mouse_keys(state));
}

void key(XKeyEvent& e, bool down)
{
    UINT vk = vk_from_keysym(XLookupKeysym(&e, 0));
    if (vk)
        user::key_input(vk, down);
}

// Notes that a message asking the window to follow is being posted: the window's ShowWindow
// count now, not the count the last sync saw, since a show the window made after that sync (a
// system command asked earlier) would otherwise read as its answer to this one.
void note_asked(XWin& w)
{
    for (const auto& t : user::top_level_windows())
        if (t.handle == w.hwnd)
            w.show_calls = t.show_calls;
    w.asked_at = w.show_calls;
}

// Where the X window is on the root, whether or not a window manager framed it; the window
// rectangle around it. While the manager's maximised state and the window's differ, the window
// keeps its rectangle: the system command that follows the state moves it.
void configured(Session& s, XWin& w, const XConfigureEvent& e)
{
    if (e.serial < w.configure_serial)
        return; // answers a request older than the last one
    if (w.resize_pending) {
        // A real configure at the size from before the resize asked is the manager's own change
        // made before it took the request (a restore's last maximised step): the window keeps its
        // rectangle. Its answer has another size, or is synthetic (it kept the size).
        if (!e.send_event && e.width == w.size_before_width && e.height == w.size_before_height)
            return;
        w.resize_pending = false;
    }
    w.zoom_requested = false;
    int x = e.x, y = e.y;
    if (!e.send_event) {
        Window child;
        XTranslateCoordinates(s.display, w.id, s.root, 0, 0, &x, &y, &child);
    }
    RECT now { x - w.inset.left, y - w.inset.top, x + e.width + w.inset.right, y + e.height + w.inset.bottom };
    if (now.left == w.rect.left && now.top == w.rect.top && now.right == w.rect.right && now.bottom == w.rect.bottom)
        return;
    if (IsIconic(w.hwnd))
        return;
    w.rect = now;
    if (s.managed && !w.bare && x_maximised(s, w.id) != (IsZoomed(w.hwnd) != FALSE))
        return;
    SetWindowPos(w.hwnd, nullptr, now.left, now.top, now.right - now.left, now.bottom - now.top,
        SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

// The manager maximised or restored the X window: the window is asked to follow.
void state_changed(Session& s, XWin& w)
{
    if (!s.managed || w.bare || IsIconic(w.hwnd))
        return;
    bool zoomed = x_maximised(s, w.id);
    if (zoomed == w.zoomed)
        return;
    w.zoomed = zoomed;
    if (zoomed == (IsZoomed(w.hwnd) != FALSE))
        return;
    w.zoom_asked = true;
    note_asked(w);
    PostMessageA(w.hwnd, WM_SYSCOMMAND, zoomed ? SC_MAXIMIZE : SC_RESTORE, 0);
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

constexpr long kNormalState = 1;
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
        note_asked(w);
        PostMessageA(w.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
}

// A manager that iconifies without unmapping (or restores) says so in WM_STATE.
void wm_state_changed(Session& s, XWin& w)
{
    long state = wm_state(s, w.id);
    if (state == kIconicState && !w.iconic && IsWindowVisible(w.hwnd) && !IsIconic(w.hwnd)) {
        w.iconic = true;
        w.asked = XWin::Asked::Minimise;
        note_asked(w);
        PostMessageA(w.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (state == kNormalState && w.iconic && w.asked != XWin::Asked::Minimise && IsIconic(w.hwnd)) {
        w.iconic = false;
        w.asked = XWin::Asked::Restore;
        note_asked(w);
        PostMessageA(w.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

void mapped(XWin& w)
{
    bool was_iconic = w.iconic;
    w.mapped = true;
    w.iconic = false;
    if (IsIconic(w.hwnd) && was_iconic && w.asked != XWin::Asked::Minimise) {
        w.asked = XWin::Asked::Restore;
        note_asked(w);
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
    if (event.type == PropertyNotify && event.xproperty.window == s.root) {
        if (event.xproperty.atom == s.net_supporting_wm_check)
            s.managed = window_manager_runs(s);
        return;
    }
    XWin* w = s.by_id(event.xany.window);
    if (!w)
        return;
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            repaint(s, *w);
        break;
    case ButtonPress: button(s, *w, event.xbutton, true); break;
    case ButtonRelease: button(s, *w, event.xbutton, false); break;
    case MotionNotify:
        post_mouse(s, *w, WM_MOUSEMOVE, { event.xmotion.x_root, event.xmotion.y_root }, mouse_keys(event.xmotion.state));
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
    case PropertyNotify:
        if (event.xproperty.atom == s.net_wm_state)
            state_changed(s, *w);
        else if (event.xproperty.atom == s.wm_state)
            wm_state_changed(s, *w);
        break;
    case ClientMessage:
        if (event.xclient.message_type == s.wm_protocols
            && static_cast<Atom>(event.xclient.data.l[0]) == s.wm_delete_window)
            PostMessageA(w->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    default: break;
    }
}

}
