// Non-client geometry, hit testing and painting of top-level windows.

#include "NonClient.h"
#include "Ops.h"

#include <gdi/Colors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Icons.h>
#include <gdi/Drawing.h>
#include <gdi/Objects.h>
#include <gdi/Text.h>
#include <user/Menus.h>
#include <user/NonClient.h>
#include <user/Paint.h>
#include <user/SystemMetrics.h>

#include <algorithm>

namespace user::detail {

namespace {

// A window's non-client layout in window coordinates.
struct Frame {
    bool valid = false;
    bool top = false;
    int width = 0;
    int height = 0;
    RECT insets {};
    RECT caption {};   // empty without WS_CAPTION
    RECT menu {};      // empty without a menu
    // The caption's buttons; each empty where the styles give none.
    RECT sysmenu {}, minimise {}, maximise {}, close {};
    DWORD style = 0;
    DWORD ex_style = 0;
};

constexpr RECT kNone { 0, 0, 0, 0 };

bool empty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT shifted(const RECT& r, int dx)
{
    return { r.left + dx, r.top, r.right + dx, r.bottom };
}

// The system menu icon at the caption's left, the close button at its right and, when the window
// has either box, the maximise and minimise buttons left of it.
void place_buttons(Frame& f)
{
    if (empty(f.caption) || !(f.style & WS_SYSMENU))
        return;
    int size = std::max(8, static_cast<int>(f.caption.bottom - f.caption.top) - 4);
    int top = f.caption.top + 2;
    f.close = { f.caption.right - 2 - size, top, f.caption.right - 2, top + size };
    bool tool = (f.ex_style & WS_EX_TOOLWINDOW) != 0;
    if (!tool && !(f.ex_style & WS_EX_DLGMODALFRAME))
        f.sysmenu = { f.caption.left + 2, top, f.caption.left + 2 + size, top + size };
    if (!tool && (f.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) {
        f.maximise = shifted(f.close, -(size + 2));
        f.minimise = shifted(f.maximise, -size);
    }
}

bool contains(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

Frame frame_of(HWND window)
{
    Frame f;
    Guard guard(lock());
    auto w = find(window);
    if (!w)
        return f;
    f.valid = true;
    f.top = is_top_level(*w) && !(w->style & WS_CHILD);
    f.style = w->style;
    f.ex_style = w->ex_style;
    f.width = w->rect.right - w->rect.left;
    f.height = w->rect.bottom - w->rect.top;
    f.insets = insets(*w);
    RECT edge = insets_for(w->style & ~(WS_VSCROLL | WS_HSCROLL), w->ex_style, false);
    if ((w->style & WS_CAPTION) == WS_CAPTION) {
        int caption = (w->ex_style & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
        edge.top -= caption;
        f.caption = { edge.left, edge.top, f.width - edge.right, edge.top + caption };
    }
    int below_caption = f.caption.bottom > f.caption.top ? f.caption.bottom : edge.top;
    if (w->menu && !(w->style & WS_CHILD))
        f.menu = { edge.left, below_caption, f.width - edge.right, below_caption + GetSystemMetrics(SM_CYMENU) };
    place_buttons(f);
    return f;
}

// A button face with its glyph: 0 minimise, 1 maximise (or restore), 2 close.
void paint_button(HDC dc, const RECT& r, int glyph, bool enabled, bool zoomed)
{
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    HBRUSH ink = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    int size = r.right - r.left;
    int pad = std::max(2, size / 4);
    RECT in { r.left + pad, r.top + pad, r.right - pad, r.bottom - pad };
    switch (glyph) {
    case 0: {
        RECT bar { in.left, in.bottom - 2, in.right, in.bottom };
        FillRect(dc, &bar, ink);
        break;
    }
    case 1: {
        RECT box = in;
        if (zoomed) // two overlapping windows
            box = { in.left, in.top + 2, in.right - 2, in.bottom };
        FrameRect(dc, &box, ink);
        RECT top { box.left, box.top, box.right, box.top + 2 };
        FillRect(dc, &top, ink);
        break;
    }
    default: {
        COLORREF color = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
        int n = in.right - in.left;
        for (int i = 0; i < n; ++i)
            for (int t = 0; t < 2 && i + t < n; ++t) {
                SetPixel(dc, in.left + i + t, in.top + i, color);
                SetPixel(dc, in.right - 1 - i - t, in.top + i, color);
            }
        break;
    }
    }
}

HICON small_icon_of(HWND window)
{
    HICON icon = user::window_icon(window, ICON_SMALL);
    if (!icon)
        icon = user::window_icon(window, ICON_BIG);
    if (!icon)
        icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM));
    if (!icon)
        icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
    return icon;
}

void paint_buttons(HWND window, HDC dc, const Frame& f)
{
    bool zoomed = (f.style & WS_MAXIMIZE) != 0;
    if (!empty(f.sysmenu)) {
        if (HICON icon = small_icon_of(window))
            DrawIconEx(dc, f.sysmenu.left, f.sysmenu.top, icon, f.sysmenu.right - f.sysmenu.left,
                f.sysmenu.bottom - f.sysmenu.top, 0, nullptr, DI_NORMAL);
        else
            paint_button(dc, f.sysmenu, 0, true, false);
    }
    if (!empty(f.minimise))
        paint_button(dc, f.minimise, 0, (f.style & WS_MINIMIZEBOX) != 0, false);
    if (!empty(f.maximise))
        paint_button(dc, f.maximise, 1, (f.style & WS_MAXIMIZEBOX) != 0, zoomed);
    if (!empty(f.close))
        paint_button(dc, f.close, 2, true, false);
}

}

bool has_non_client(HWND window)
{
    Frame f = frame_of(window);
    return f.valid && f.top && (f.insets.left || f.insets.top || f.insets.right || f.insets.bottom);
}

void paint_non_client(HWND window)
{
    Frame f = frame_of(window);
    if (!f.valid || !f.top)
        return;
    HDC dc = GetWindowDC(window);
    if (!dc)
        return;
    RECT whole { 0, 0, f.width, f.height };
    RECT client { f.insets.left, f.insets.top, f.width - f.insets.right, f.height - f.insets.bottom };
    // The frame: face colour between the outer line and the client area.
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    RECT bands[] = {
        { 0, 0, f.width, client.top },
        { 0, client.bottom, f.width, f.height },
        { 0, client.top, client.left, client.bottom },
        { client.right, client.top, f.width, client.bottom },
    };
    for (const RECT& band : bands)
        if (band.right > band.left && band.bottom > band.top)
            FillRect(dc, &band, face);
    if (f.insets.left > 0)
        FrameRect(dc, &whole, GetSysColorBrush(COLOR_WINDOWFRAME));

    HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    if (f.caption.right > f.caption.left) {
        FillRect(dc, &f.caption, GetSysColorBrush(COLOR_ACTIVECAPTION));
        paint_buttons(window, dc, f);
        char text[256] = "";
        GetWindowTextA(window, text, sizeof text);
        RECT r = f.caption;
        r.left = (empty(f.sysmenu) ? f.caption.left : f.sysmenu.right) + 6;
        r.right = (empty(f.minimise) ? empty(f.close) ? f.caption.right : f.close.left : f.minimise.left) - 6;
        SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
        DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (f.menu.right > f.menu.left) {
        FillRect(dc, &f.menu, GetSysColorBrush(COLOR_MENU));
        HMENU menu = GetMenu(window);
        auto items = user::menu_bar_items(window);
        int hot = user::tracked_menu_bar_item(window);
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            char text[256] = "";
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            RECT r = items[static_cast<std::size_t>(i)];
            COLORREF color = GetSysColor(COLOR_MENUTEXT);
            if (i == hot) {
                FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
                color = GetSysColor(COLOR_HIGHLIGHTTEXT);
            } else if (state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED))) {
                color = GetSysColor(COLOR_GRAYTEXT);
            }
            SetTextColor(dc, color);
            DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
        // A line parting the menu bar from the client area.
        RECT line { f.menu.left, f.menu.bottom - 1, f.menu.right, f.menu.bottom };
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    }
    SelectObject(dc, old_font);
    ReleaseDC(window, dc);
}

}

namespace user {

using namespace user::detail;

std::vector<RECT> menu_bar_items(HWND window)
{
    std::vector<RECT> rects;
    Frame f = frame_of(window);
    HMENU menu = f.valid ? GetMenu(window) : nullptr;
    if (!menu || f.menu.right <= f.menu.left)
        return rects;
    HDC dc = GetWindowDC(window);
    if (!dc)
        return rects;
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    constexpr int kPadding = 7;
    int x = f.menu.left + 1;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        RECT extent { 0, 0, 0, 0 };
        DrawTextA(dc, text, -1, &extent, DT_SINGLELINE | DT_CALCRECT);
        int width = (extent.right - extent.left) + 2 * kPadding;
        rects.push_back({ x, f.menu.top + 1, x + width, f.menu.bottom - 2 });
        x += width;
    }
    SelectObject(dc, old_font);
    ReleaseDC(window, dc);
    return rects;
}

int non_client_hit(HWND window, POINT screen)
{
    RECT wr;
    if (!GetWindowRect(window, &wr) || !contains(wr, screen))
        return HTNOWHERE;
    POINT c = screen;
    ScreenToClient(window, &c);
    RECT cr;
    GetClientRect(window, &cr);
    if (contains(cr, c))
        return HTCLIENT;
    Frame f = frame_of(window);
    POINT p { screen.x - wr.left, screen.y - wr.top };
    if (contains(f.menu, p))
        return HTMENU;
    if (contains(f.caption, p)) {
        if (contains(f.close, p))
            return HTCLOSE;
        if (contains(f.maximise, p))
            return (f.style & WS_MAXIMIZEBOX) ? HTMAXBUTTON : HTCAPTION;
        if (contains(f.minimise, p))
            return (f.style & WS_MINIMIZEBOX) ? HTMINBUTTON : HTCAPTION;
        if (contains(f.sysmenu, p))
            return HTSYSMENU;
        return HTCAPTION;
    }
    if (!(f.style & WS_THICKFRAME))
        return f.insets.left > 0 || f.insets.top > 0 ? HTBORDER : HTCAPTION;
    int corner = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CYCAPTION);
    bool left = p.x < f.insets.left, right = p.x >= f.width - f.insets.right;
    bool top = p.y < GetSystemMetrics(SM_CYFRAME), bottom = p.y >= f.height - f.insets.bottom;
    bool near_left = p.x < corner, near_right = p.x >= f.width - corner;
    bool near_top = p.y < corner, near_bottom = p.y >= f.height - corner;
    if ((top && near_left) || (left && near_top))
        return HTTOPLEFT;
    if ((top && near_right) || (right && near_top))
        return HTTOPRIGHT;
    if ((bottom && near_left) || (left && near_bottom))
        return HTBOTTOMLEFT;
    if ((bottom && near_right) || (right && near_bottom))
        return HTBOTTOMRIGHT;
    if (left)
        return HTLEFT;
    if (right)
        return HTRIGHT;
    if (top)
        return HTTOP;
    if (bottom)
        return HTBOTTOM;
    return HTBORDER;
}

RECT caption_button(HWND window, int hit)
{
    Frame f = frame_of(window);
    switch (hit) {
    case HTSYSMENU: return f.sysmenu;
    case HTMINBUTTON: return f.minimise;
    case HTMAXBUTTON: return f.maximise;
    case HTCLOSE: return f.close;
    default: return kNone;
    }
}

HICON window_icon(HWND window, int which)
{
    Guard guard(lock());
    auto w = find(window);
    if (!w)
        return nullptr;
    return which == ICON_BIG ? w->icon_big : w->icon_small;
}

RECT decoration_insets(HWND window)
{
    Frame f = frame_of(window);
    if (!f.valid || empty(f.caption))
        return kNone;
    RECT edge = f.insets;
    return { edge.left, f.caption.bottom, edge.right, edge.bottom };
}

int menu_bar_item_at(HWND window, POINT screen)
{
    RECT wr;
    if (!GetWindowRect(window, &wr))
        return -1;
    POINT p { screen.x - wr.left, screen.y - wr.top };
    auto items = menu_bar_items(window);
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (contains(items[static_cast<std::size_t>(i)], p))
            return i;
    return -1;
}

}
