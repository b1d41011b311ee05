// Keeping X windows in line with the top-level windows, and showing their surfaces.

#include <user/Desktop.h>
#include <user/NonClient.h>
#include <user/Paint.h>

#include "DirectPuts.h"
#include "Session.h"
#include "SharedSurfaces.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <gdi/Icons.h>
#include <user/Messages.h>

#include <unistd.h>

#include <algorithm>
#include <vector>

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

constexpr RECT kNoInset { 0, 0, 0, 0 };

// Captionless popups (menus, message-box-less popups) are placed and stacked by us.
bool is_bare(const user::TopLevelWindow& t)
{
    return (t.style & WS_POPUP) && (t.style & WS_CAPTION) != WS_CAPTION;
}

RECT inset_for(const Session& s, const user::TopLevelWindow& t)
{
    return s.managed && !is_bare(t) ? user::decoration_insets(t.handle) : kNoInset;
}

void set_title(Session& s, XWin& w, const std::string& title)
{
    XStoreName(s.display, w.id, title.c_str());
    XChangeProperty(s.display, w.id, s.net_wm_name, s.utf8_string, 8, PropModeReplace,
        reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    w.title = title;
}

// Where the window goes (static gravity: the manager puts its frame around that spot), and, for
// a window without a sizing border, the one size it may have.
void set_position_hints(Session& s, XWin& w, DWORD style)
{
    RECT r = x_rect(w);
    XSizeHints hints {};
    hints.flags = USPosition | USSize | PWinGravity;
    hints.x = r.left;
    hints.y = r.top;
    hints.width = static_cast<int>(width_of(r));
    hints.height = static_cast<int>(height_of(r));
    hints.win_gravity = StaticGravity;
    if (!(style & WS_THICKFRAME) && !w.bare) {
        hints.flags |= PMinSize | PMaxSize;
        hints.min_width = hints.max_width = hints.width;
        hints.min_height = hints.max_height = hints.height;
    }
    XSetWMNormalHints(s.display, w.id, &hints);
}

// The manager's buttons and functions as the styles have them (the Motif hints most managers read).
void set_frame_hints(Session& s, XWin& w, DWORD style)
{
    enum : unsigned long { kFunctions = 1, kDecorations = 2 };
    enum : unsigned long { kResize = 2, kMove = 4, kMinimise = 8, kMaximise = 16, kClose = 32 };
    enum : unsigned long { kBorder = 2, kResizeHandle = 4, kTitle = 8, kMenu = 16, kMinButton = 32, kMaxButton = 64 };
    unsigned long functions = kMove, decorations = kBorder | kTitle;
    if (style & WS_THICKFRAME) {
        functions |= kResize;
        decorations |= kResizeHandle;
    }
    if (style & WS_SYSMENU) {
        functions |= kClose;
        decorations |= kMenu;
    }
    if (style & WS_MINIMIZEBOX) {
        functions |= kMinimise;
        decorations |= kMinButton;
    }
    if (style & WS_MAXIMIZEBOX) {
        functions |= kMaximise;
        decorations |= kMaxButton;
    }
    long hints[5] = { static_cast<long>(kFunctions | kDecorations), static_cast<long>(functions),
        static_cast<long>(decorations), 0, 0 };
    XChangeProperty(s.display, w.id, s.motif_wm_hints, s.motif_wm_hints, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(hints), 5);
}

XWin create(Session& s, const user::TopLevelWindow& t)
{
    XWin w;
    w.hwnd = t.handle;
    w.rect = t.rect;
    w.bare = is_bare(t);
    w.inset = inset_for(s, t);
    RECT r = x_rect(w);
    XSetWindowAttributes attributes {};
    attributes.background_pixel = WhitePixel(s.display, s.screen);
    attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask
        | PointerMotionMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
    attributes.override_redirect = w.bare ? True : False;
    w.id = XCreateWindow(s.display, s.root, r.left, r.top, width_of(r), height_of(r), 0, s.depth, InputOutput,
        s.visual, CWBackPixel | CWEventMask | CWOverrideRedirect, &attributes);
    Atom protocols[] = { s.wm_delete_window };
    XSetWMProtocols(s.display, w.id, protocols, 1);
    set_position_hints(s, w, t.style);
    if (!w.bare)
        set_frame_hints(s, w, t.style);
    set_title(s, w, t.title);
    XClassHint class_hint { const_cast<char*>("orbivane"), const_cast<char*>(t.class_name.c_str()) };
    XSetClassHint(s.display, w.id, &class_hint);
    unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(s.display, w.id, s.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(&pid), 1);
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) == 0) {
        XTextProperty machine {};
        char* list[] = { host };
        if (XStringListToTextProperty(list, 1, &machine)) {
            XSetWMClientMachine(s.display, w.id, &machine);
            XFree(machine.value);
        }
    }
    return w;
}

// The window's icons (WM_SETICON, big then small) as _NET_WM_ICON: width, height, then ARGB rows.
void set_icon(Session& s, XWin& w)
{
    HICON big = user::window_icon(w.hwnd, ICON_BIG), small = user::window_icon(w.hwnd, ICON_SMALL);
    if (big == w.icon_big && small == w.icon_small)
        return;
    w.icon_big = big;
    w.icon_small = small;
    std::vector<unsigned long> data;
    for (HICON icon : { big, small }) {
        auto image = icon ? gdi::icon_surface(icon) : nullptr;
        if (!image || image->empty())
            continue;
        data.push_back(static_cast<unsigned long>(image->width()));
        data.push_back(static_cast<unsigned long>(image->height()));
        for (int y = 0; y < image->height(); ++y)
            for (int x = 0; x < image->width(); ++x)
                data.push_back(image->pixel(x, y));
    }
    if (data.empty())
        XDeleteProperty(s.display, w.id, s.net_wm_icon);
    else
        XChangeProperty(s.display, w.id, s.net_wm_icon, XA_CARDINAL, 32, PropModeReplace,
            reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
}

// Asks the manager to maximise or restore the X window (the _NET_WM_STATE client message).
void request_zoom(Session& s, XWin& w, bool zoomed)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = w.id;
    event.xclient.message_type = s.net_wm_state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = zoomed ? 1 : 0; // add, remove
    event.xclient.data.l[1] = static_cast<long>(s.net_wm_state_max_vert);
    event.xclient.data.l[2] = static_cast<long>(s.net_wm_state_max_horz);
    event.xclient.data.l[3] = 1; // from an application
    XSendEvent(s.display, s.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    w.zoomed = zoomed;
    w.zoom_requested = true;
}

void move_x_window(Session& s, XWin& w, const user::TopLevelWindow& t)
{
    RECT before = x_rect(w);
    w.rect = t.rect;
    RECT r = x_rect(w);
    w.resize_pending = width_of(before) != width_of(r) || height_of(before) != height_of(r);
    w.size_before_width = static_cast<int>(width_of(before));
    w.size_before_height = static_cast<int>(height_of(before));
    w.configure_serial = NextRequest(s.display);
    set_position_hints(s, w, t.style);
    XMoveResizeWindow(s.display, w.id, r.left, r.top, width_of(r), height_of(r));
}

// The rectangle follows: the X window is moved to the window's, except that a window the manager
// maximised takes the manager's rectangle.
void follow_rect(Session& s, XWin& w, const user::TopLevelWindow& t)
{
    bool zoomed = (t.style & WS_MAXIMIZE) != 0;
    if (s.managed && !w.bare) {
        if (w.zoom_asked)
            return; // the window has not followed the manager yet
        if (zoomed != w.zoomed) {
            request_zoom(s, w, zoomed);
            if (zoomed)
                return;
        }
        if (zoomed) {
            if (!w.zoom_requested && !same_rect(w.rect, t.rect))
                SetWindowPos(w.hwnd, nullptr, w.rect.left, w.rect.top, w.rect.right - w.rect.left,
                    w.rect.bottom - w.rect.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
            return;
        }
    }
    if (!same_rect(w.rect, t.rect))
        move_x_window(s, w, t);
}

// The part of the window's surface its X window shows (all of it but the manager's frame).
RECT visible_part(const XWin& w, const gdi::Surface& pixels)
{
    return { w.inset.left, w.inset.top, pixels.width() - w.inset.right, pixels.height() - w.inset.bottom };
}

// Puts the changed rectangles that the X window shows.
void put_changed(Session& s, XWin& w)
{
    if (w.image->put_shown(s.display, w.id, s.gc, s.changed, visible_part(w, w.image->pixels()), w.inset.left,
            w.inset.top))
        s.shm_busy = s.shm_busy || w.image->shared();
}

// Lets the window's image go, once the drawing threads can no longer put through it.
void drop_image(XWin& w)
{
    withdraw_direct(w.hwnd);
    w.image.reset();
    w.surface_segment.reset();
}

// Hands the drawing threads (DirectPuts.h) what they need to put the window's surface, while it
// is a shared segment on a window shown as it is; otherwise withdraws it.
void publish(const XWin& w)
{
    if (w.image && w.surface_segment && w.mapped && !w.iconic && w.asked == XWin::Asked::Nothing) {
        publish_direct(w.hwnd,
            { w.id, w.image.get(), w.surface_segment.get(), visible_part(w, w.image->pixels()), w.inset.left, w.inset.top });
    } else {
        withdraw_direct(w.hwnd);
    }
}

// A surface in shared memory (SharedSurfaces.h) is put from where it is: true when it was. When
// the server cannot attach one, surfaces are plain memory from then on, shown through copies.
bool show_shared_surface(Session& s, XWin& w)
{
    std::shared_ptr<gdi::Surface> surface;
    if (!user::take_surface_damage(w.hwnd, surface, s.changed))
        return false;
    auto segment = segment_of(*surface);
    if (segment && segment == w.surface_segment) {
        put_changed(s, w);
        return true;
    }
    drop_image(w);
    std::unique_ptr<Image> image;
    if (segment)
        image = std::make_unique<Image>(s.display, s.visual, s.depth, segment);
    if (!image || !*image) {
        s.shared_surfaces = false;
        user::set_surface_maker(nullptr);
        return false; // the copying path makes its image and takes the surface whole
    }
    w.image = std::move(image);
    w.surface_segment = std::move(segment);
    repaint(s, w);
    return true;
}

// Puts what changed in the window's surface since last shown; a new or resized surface whole.
void show_surface(Session& s, XWin& w)
{
    if (s.shared_surfaces && show_shared_surface(s, w))
        return;
    if (w.surface_segment)
        drop_image(w);
    // A surface resized between asking its size and taking its damage is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SIZE size = user::window_surface_size(w.hwnd);
        if (size.cx <= 0 || size.cy <= 0)
            return;
        bool fresh = !w.image || w.image->pixels().width() != size.cx || w.image->pixels().height() != size.cy;
        if (fresh) {
            w.image.reset();
            auto image = std::make_unique<Image>(s.display, s.visual, s.depth, size.cx, size.cy, s.shm);
            if (!*image)
                return;
            s.shm = s.shm && image->shared(); // a server that refused a segment is asked no more
            w.image = std::move(image);
        }
        if (w.image->shared() && s.shm_busy) {
            XSync(s.display, False);
            s.shm_busy = false;
        }
        if (!user::take_window_damage(w.hwnd, w.image->pixels(), s.changed, fresh))
            continue;
        if (fresh) {
            repaint(s, w);
            return;
        }
        put_changed(s, w);
        return;
    }
}

}

RECT x_rect(const XWin& w)
{
    return { w.rect.left + w.inset.left, w.rect.top + w.inset.top, w.rect.right - w.inset.right,
        w.rect.bottom - w.inset.bottom };
}

bool window_manager_runs(Session& s)
{
    auto check_of = [&](Window id) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        Window named = 0;
        if (XGetWindowProperty(s.display, id, s.net_supporting_wm_check, 0, 1, False, XA_WINDOW, &type, &format,
                &count, &after, &data)
                == Success
            && data && count == 1 && format == 32)
            named = static_cast<Window>(reinterpret_cast<unsigned long*>(data)[0]);
        if (data)
            XFree(data);
        return named;
    };
    Window check = check_of(s.root);
    return check && check_of(check) == check;
}

bool x_maximised(Session& s, Window id)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    bool vert = false, horz = false;
    if (XGetWindowProperty(s.display, id, s.net_wm_state, 0, 32, False, XA_ATOM, &type, &format, &count, &after,
            &data)
            == Success
        && data && format == 32) {
        auto atoms = reinterpret_cast<unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            vert = vert || atoms[i] == s.net_wm_state_max_vert;
            horz = horz || atoms[i] == s.net_wm_state_max_horz;
        }
    }
    if (data)
        XFree(data);
    return vert && horz;
}

void repaint(Session& s, XWin& w)
{
    if (!w.image || !w.mapped)
        return;
    RECT visible = visible_part(w, w.image->pixels());
    if (visible.right <= visible.left || visible.bottom <= visible.top)
        return;
    w.image->put(w.id, s.gc, visible, w.inset.left, w.inset.top);
    s.shm_busy = s.shm_busy || w.image->shared();
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
        w.show_calls = t.show_calls;
        if (t.show_calls != w.asked_at) {
            w.asked = XWin::Asked::Nothing;
            w.zoom_asked = false;
        }
        if (w.title != t.title)
            set_title(s, w, t.title);
        set_icon(s, w);
        sync_cursor(s, w);
        if (!minimised) {
            RECT inset = inset_for(s, t);
            if (!same_rect(inset, w.inset)) { // a manager came or went
                withdraw_direct(w.hwnd);
                w.inset = inset;
                move_x_window(s, w, t);
                repaint(s, w);
            }
            follow_rect(s, w, t);
        }
        if (!visible) {
            if (w.mapped || w.iconic)
                XWithdrawWindow(s.display, w.id, s.screen);
            w.mapped = false;
            w.iconic = false;
            w.asked = XWin::Asked::Nothing;
        } else if (minimised) {
            if (w.asked == XWin::Asked::Nothing && !w.iconic) {
                w.iconic = true;
                XIconifyWindow(s.display, w.id, s.screen);
            }
        } else {
            if (w.asked == XWin::Asked::Minimise) {
                withdraw_direct(w.hwnd);
                continue;
            }
            if (!w.mapped || w.iconic) {
                w.iconic = false;
                w.mapped = true;
                XMapRaised(s.display, w.id);
            }
            show_surface(s, w);
        }
        publish(w);
    }
    for (auto it = s.windows.begin(); it != s.windows.end();) {
        if (present.count(it->first)) {
            ++it;
            continue;
        }
        withdraw_direct(it->first);
        XDestroyWindow(s.display, it->second.id);
        it = s.windows.erase(it);
    }
}

void destroy_all(Session& s)
{
    for (auto& [hwnd, w] : s.windows) {
        withdraw_direct(hwnd);
        XDestroyWindow(s.display, w.id);
    }
    s.windows.clear();
}

}
