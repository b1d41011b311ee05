// Keeping X windows in line with the top-level windows, and showing their surfaces.

#include <user/Desktop.h>
#include <user/Paint.h>

#include "Session.h"

#include <X11/Xutil.h>

#include <cstring>
#include <set>

namespace present::detail {

XWin* Session::by_id(Window id)
{
    for (auto& [hwnd, w] : windows)
        if (w.id == id)
            return &w;
    return nullptr;
}

namespace {

bool same_rect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

unsigned width_of(const RECT& r) { return static_cast<unsigned>(std::max<LONG>(1, r.right - r.left)); }
unsigned height_of(const RECT& r) { return static_cast<unsigned>(std::max<LONG>(1, r.bottom - r.top)); }

void set_title(Session& s, XWin& w, const std::string& title)
{
    XStoreName(s.display, w.id, title.c_str());
    XChangeProperty(s.display, w.id, s.net_wm_name, s.utf8_string, 8, PropModeReplace,
        reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    w.title = title;
}

void set_position_hints(Session& s, XWin& w)
{
    XSizeHints hints {};
    hints.flags = USPosition | USSize;
    hints.x = w.rect.left;
    hints.y = w.rect.top;
    hints.width = static_cast<int>(width_of(w.rect));
    hints.height = static_cast<int>(height_of(w.rect));
    XSetWMNormalHints(s.display, w.id, &hints);
}

XWin create(Session& s, const user::TopLevelWindow& t)
{
    XWin w;
    w.hwnd = t.handle;
    w.rect = t.rect;
    XSetWindowAttributes attributes {};
    attributes.background_pixel = WhitePixel(s.display, s.screen);
    attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask
        | PointerMotionMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
    // Captionless popups (menus) are placed and stacked by us, not framed by the window manager.
    bool bare = (t.style & WS_POPUP) && (t.style & WS_CAPTION) != WS_CAPTION;
    attributes.override_redirect = bare ? True : False;
    w.id = XCreateWindow(s.display, s.root, t.rect.left, t.rect.top, width_of(t.rect), height_of(t.rect), 0,
        s.depth, InputOutput, s.visual, CWBackPixel | CWEventMask | CWOverrideRedirect, &attributes);
    Atom protocols[] = { s.wm_delete_window };
    XSetWMProtocols(s.display, w.id, protocols, 1);
    set_position_hints(s, w);
    set_title(s, w, t.title);
    XClassHint class_hint { const_cast<char*>("orbivane"), const_cast<char*>(t.class_name.c_str()) };
    XSetClassHint(s.display, w.id, &class_hint);
    return w;
}

// Shows the surface when its pixels or size changed since last shown (or always, when forced).
void show_surface(Session& s, XWin& w, bool force)
{
    gdi::Surface now;
    if (!user::copy_window_surface(w.hwnd, now) || now.empty())
        return;
    if (!force && now.same_pixels(w.shown))
        return;
    w.shown = std::move(now);
    repaint(s, w);
}

}

void repaint(Session& s, XWin& w)
{
    if (w.shown.empty() || !w.mapped)
        return;
    XImage* image = XCreateImage(s.display, s.visual, static_cast<unsigned>(s.depth), ZPixmap, 0,
        reinterpret_cast<char*>(w.shown.pixels()), static_cast<unsigned>(w.shown.width()),
        static_cast<unsigned>(w.shown.height()), 32, static_cast<int>(w.shown.stride()));
    if (!image)
        return;
    XPutImage(s.display, w.id, s.gc, image, 0, 0, 0, 0, static_cast<unsigned>(w.shown.width()),
        static_cast<unsigned>(w.shown.height()));
    image->data = nullptr; // the surface keeps its pixels
    XDestroyImage(image);
}

void sync_windows(Session& s)
{
    std::set<HWND> present;
    for (const auto& t : user::top_level_windows()) {
        bool visible = (t.style & WS_VISIBLE) != 0;
        bool minimised = (t.style & WS_MINIMIZE) != 0;
        auto it = s.windows.find(t.handle);
        if (it == s.windows.end()) {
            if (!visible)
                continue;
            it = s.windows.emplace(t.handle, create(s, t)).first;
        }
        present.insert(t.handle);
        XWin& w = it->second;
        if (w.title != t.title)
            set_title(s, w, t.title);
        if (!minimised && !same_rect(w.rect, t.rect)) {
            w.rect = t.rect;
            w.configure_serial = NextRequest(s.display);
            set_position_hints(s, w);
            XMoveResizeWindow(s.display, w.id, t.rect.left, t.rect.top, width_of(t.rect), height_of(t.rect));
        }
        if (!visible) {
            if (w.mapped || w.iconic)
                XWithdrawWindow(s.display, w.id, s.screen);
            w.mapped = false;
            w.iconic = false;
            w.asked = XWin::Asked::Nothing;
        } else if (minimised) {
            if (w.asked == XWin::Asked::Minimise)
                w.asked = XWin::Asked::Nothing;
            if (w.asked == XWin::Asked::Nothing && !w.iconic) {
                w.iconic = true;
                XIconifyWindow(s.display, w.id, s.screen);
            }
        } else {
            if (w.asked == XWin::Asked::Restore)
                w.asked = XWin::Asked::Nothing;
            if (w.asked == XWin::Asked::Minimise)
                continue;
            if (!w.mapped || w.iconic) {
                w.iconic = false;
                w.mapped = true;
                XMapRaised(s.display, w.id);
            }
            show_surface(s, w, false);
        }
    }
    for (auto it = s.windows.begin(); it != s.windows.end();) {
        if (present.count(it->first)) {
            ++it;
            continue;
        }
        XDestroyWindow(s.display, it->second.id);
        it = s.windows.erase(it);
    }
}

void destroy_all(Session& s)
{
    for (auto& [hwnd, w] : s.windows)
        XDestroyWindow(s.display, w.id);
    s.windows.clear();
}

}
