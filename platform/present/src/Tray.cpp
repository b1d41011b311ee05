// The notification-area icons in the desktop's system tray, through the freedesktop system-tray
// protocol: one small X window per icon, docked with the tray manager of the screen.

#include <gdi/Icons.h>
#include <shell/TrayIcon.h>
#include <user/Messages.h>

#include "Session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <string>

namespace present::detail {

namespace {

using gdi::Pixel;

constexpr long kDockRequest = 0;       // SYSTEM_TRAY_REQUEST_DOCK
constexpr long kXembedMapped = 1;      // XEMBED_MAPPED in _XEMBED_INFO flags
constexpr int kIconSize = 22;          // until the tray manager sizes the window
constexpr Pixel kBackground = 0xFFC0C0C0u;
constexpr Pixel kPlaceholder = 0xFF3070C0u; // drawn for an icon whose image cannot be read
constexpr Time kDoubleClickMs = 500;

Pixel blend(Pixel over, Pixel under)
{
    unsigned a = over >> 24;
    auto channel = [&](int shift) {
        unsigned o = (over >> shift) & 0xFFu, u = (under >> shift) & 0xFFu;
        return ((o * a + u * (255 - a) + 127) / 255) << shift;
    };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

void set_tip(Session& s, TrayWin& t, const std::string& tip)
{
    XStoreName(s.display, t.window, tip.c_str());
    XChangeProperty(s.display, t.window, s.net_wm_name, s.utf8_string, 8, PropModeReplace,
        reinterpret_cast<const unsigned char*>(tip.data()), static_cast<int>(tip.size()));
    t.tip = tip;
}

void dock(Session& s, TrayWin& t)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = s.tray_manager;
    event.xclient.message_type = s.tray_opcode;
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = kDockRequest;
    event.xclient.data.l[2] = static_cast<long>(t.window);
    XSendEvent(s.display, s.tray_manager, False, NoEventMask, &event);
}

TrayWin create(Session& s, const shell::TrayIcon& icon)
{
    TrayWin t;
    t.owner = icon.owner;
    t.id = icon.id;
    t.icon = icon.icon;
    XSetWindowAttributes attributes {};
    attributes.background_pixel = kBackground & 0xFFFFFFu;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    t.window = XCreateWindow(s.display, s.root, 0, 0, kIconSize, kIconSize, 0, s.depth, InputOutput, s.visual,
        CWBackPixel | CWEventMask, &attributes);
    long info[2] = { 0, kXembedMapped };
    XChangeProperty(s.display, t.window, s.xembed_info, s.xembed_info, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(info), 2);
    // Embedders size the icon from its size hints (without them, some make it 1 pixel wide).
    XSizeHints hints {};
    hints.flags = PMinSize | PBaseSize;
    hints.min_width = hints.base_width = kIconSize;
    hints.min_height = hints.base_height = kIconSize;
    XSetWMNormalHints(s.display, t.window, &hints);
    XClassHint class_hint { const_cast<char*>("orbivane"), const_cast<char*>("OrbivaneTrayIcon") };
    XSetClassHint(s.display, t.window, &class_hint);
    set_tip(s, t, icon.tip);
    dock(s, t);
    return t;
}

void paint(Session& s, TrayWin& t)
{
    if (t.width <= 0 || t.height <= 0)
        return;
    gdi::Surface out(t.width, t.height, kBackground);
    auto image = gdi::icon_surface(t.icon);
    if (image && !image->empty()) {
        for (int y = 0; y < t.height; ++y)
            for (int x = 0; x < t.width; ++x) {
                Pixel p = image->pixel(x * image->width() / t.width, y * image->height() / t.height);
                out.row(y)[x] = blend(p, kBackground);
            }
    } else {
        int inset = std::max(1, std::min(t.width, t.height) / 6);
        for (int y = inset; y < t.height - inset; ++y)
            for (int x = inset; x < t.width - inset; ++x)
                out.row(y)[x] = kPlaceholder;
    }
    XImage* ximage = XCreateImage(s.display, s.visual, static_cast<unsigned>(s.depth), ZPixmap, 0,
        reinterpret_cast<char*>(out.pixels()), static_cast<unsigned>(out.width()),
        static_cast<unsigned>(out.height()), 32, static_cast<int>(out.stride()));
    if (!ximage)
        return;
    XPutImage(s.display, t.window, s.gc, ximage, 0, 0, 0, 0, static_cast<unsigned>(out.width()),
        static_cast<unsigned>(out.height()));
    ximage->data = nullptr; // `out` owns the pixels
    XDestroyImage(ximage);
}

void button(TrayWin& t, const XButtonEvent& event, bool down)
{
    UINT message = 0;
    if (event.button == Button1) {
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        if (down) {
            bool second = t.last_press != 0 && event.time - t.last_press < kDoubleClickMs;
            if (second)
                message = WM_LBUTTONDBLCLK;
            t.last_press = second ? 0 : event.time;
        }
    } else if (event.button == Button3) {
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    } else {
        return;
    }
    shell::tray_click(t.owner, t.id, message);
}

}

void sync_tray(Session& s)
{
    auto icons = shell::tray_icons();
    if (icons.empty() && s.tray.empty())
        return;
    // A tray that went away, or a new one, takes every icon afresh.
    Window manager = XGetSelectionOwner(s.display, s.tray_selection);
    if (manager != s.tray_manager) {
        destroy_tray(s);
        s.tray_manager = manager;
    }
    if (!s.tray_manager)
        return;
    std::vector<TrayWin> kept;
    for (const auto& icon : icons) {
        auto it = std::find_if(s.tray.begin(), s.tray.end(),
            [&](const TrayWin& t) { return t.owner == icon.owner && t.id == icon.id; });
        if (it == s.tray.end()) {
            kept.push_back(create(s, icon));
            continue;
        }
        TrayWin t = *it;
        s.tray.erase(it);
        if (t.tip != icon.tip)
            set_tip(s, t, icon.tip);
        if (t.icon != icon.icon) {
            t.icon = icon.icon;
            paint(s, t);
        }
        kept.push_back(t);
    }
    for (auto& gone : s.tray)
        XDestroyWindow(s.display, gone.window);
    s.tray = std::move(kept);
}

bool tray_event(Session& s, XEvent& event)
{
    auto it = std::find_if(s.tray.begin(), s.tray.end(), [&](const TrayWin& t) { return t.window == event.xany.window; });
    if (it == s.tray.end())
        return false;
    TrayWin& t = *it;
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            paint(s, t);
        break;
    case ConfigureNotify:
        t.width = event.xconfigure.width;
        t.height = event.xconfigure.height;
        break;
    case ButtonPress: button(t, event.xbutton, true); break;
    case ButtonRelease: button(t, event.xbutton, false); break;
    default: break;
    }
    return true;
}

void destroy_tray(Session& s)
{
    for (auto& t : s.tray)
        XDestroyWindow(s.display, t.window);
    s.tray.clear();
}

}
