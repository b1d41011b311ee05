// Popup menus on screen.

#include "OwnWindow.h"
#include "PopupMenuWindow.h"

#include <gdi/Gdi.h>
#include <user/User.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace present::detail {

namespace {

constexpr int kPadding = 2;
constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 8;
constexpr int kTextLeft = 22;
constexpr int kTextRight = 22;
constexpr int kKeyGap = 24;
constexpr char kClassName[] = "OrbivanePopupMenu";

struct Item {
    std::string text;   // before "\t"
    std::string keys;   // after "\t"
    UINT id = 0;
    UINT state = 0;
    HMENU submenu = nullptr;
    RECT rect {};
    bool separator() const { return state & MF_SEPARATOR; }
    bool greyed() const { return state & (MF_GRAYED | MF_DISABLED); }
};

struct Popup {
    std::vector<Item> items;
    UINT flags = 0;
    int hot = -1;
    bool done = false;
    UINT chosen = 0;
    HWND window = nullptr;
};

UINT run_popup(HMENU menu, HWND owner, int x, int y, UINT flags, bool keyboard);

int item_at(const Popup& p, int x, int y)
{
    for (std::size_t i = 0; i < p.items.size(); ++i)
        if (contains(p.items[i].rect, x, y) && !p.items[i].separator())
            return static_cast<int>(i);
    return -1;
}

void paint(HWND window, Popup& p)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
    DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < p.items.size(); ++i) {
        const Item& item = p.items[i];
        RECT r = item.rect;
        if (item.separator()) {
            RECT line { r.left + 1, (r.top + r.bottom) / 2 - 1, r.right - 1, (r.top + r.bottom) / 2 + 1 };
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        bool hot = static_cast<int>(i) == p.hot;
        if (hot)
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(item.greyed() ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        if (item.state & MF_CHECKED) {
            RECT mark { r.left + 7, r.top + 7, r.left + 13, r.top + 13 };
            FillRect(dc, &mark, GetSysColorBrush(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        }
        RECT t { r.left + kTextLeft, r.top, r.right - kTextRight, r.bottom };
        DrawTextA(dc, item.text.c_str(), -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        if (!item.keys.empty())
            DrawTextA(dc, item.keys.c_str(), -1, &t, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (item.submenu) {
            RECT a { r.right - kTextRight, r.top, r.right - 6, r.bottom };
            DrawTextA(dc, ">", 1, &a, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    SelectObject(dc, old);
    EndPaint(window, &ps);
}

// Chooses item i: a command ends the menu, a submenu opens beside it.
void choose(Popup& p, int i, bool keyboard)
{
    if (i < 0)
        return;
    const Item& item = p.items[static_cast<std::size_t>(i)];
    if (item.separator() || item.greyed())
        return;
    if (!item.submenu) {
        p.chosen = item.id;
        p.done = true;
        return;
    }
    RECT screen = item.rect;
    MapWindowPoints(p.window, nullptr, reinterpret_cast<POINT*>(&screen), 2);
    UINT chosen = run_popup(item.submenu, p.window, screen.right - kPadding, screen.top - kPadding,
        p.flags & ~(TPM_RIGHTALIGN | TPM_CENTERALIGN | TPM_BOTTOMALIGN | TPM_VCENTERALIGN), keyboard);
    if (chosen) {
        p.chosen = chosen;
        p.done = true;
    } else {
        SetForegroundWindow(p.window);
        SetFocus(p.window);
    }
}

void move_hot(Popup& p, int step)
{
    int count = static_cast<int>(p.items.size());
    int at = p.hot;
    for (int n = 0; n < count; ++n) {
        at = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
        if (!p.items[static_cast<std::size_t>(at)].separator()) {
            p.hot = at;
            return;
        }
    }
}

int item_for_letter(const Popup& p, WPARAM vk)
{
    for (std::size_t i = 0; i < p.items.size(); ++i)
        if (is_mnemonic(p.items[i].text.c_str(), vk))
            return static_cast<int>(i);
    return -1;
}

LRESULT CALLBACK popup_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* p = reinterpret_cast<Popup*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!p)
        return DefWindowProcA(window, message, wparam, lparam);
    int x = static_cast<SHORT>(LOWORD(lparam)), y = static_cast<SHORT>(HIWORD(lparam));
    switch (message) {
    case WM_PAINT: paint(window, *p); return 0;
    case WM_MOUSEMOVE:
        if (int at = item_at(*p, x, y); at != p->hot && at >= 0) {
            p->hot = at;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP: choose(*p, item_at(*p, x, y), false); return 0;
    case WM_RBUTTONUP:
        if (p->flags & TPM_RIGHTBUTTON)
            choose(*p, item_at(*p, x, y), false);
        return 0;
    case WM_KEYDOWN:
        switch (wparam) {
        case VK_DOWN: move_hot(*p, 1); break;
        case VK_UP: move_hot(*p, -1); break;
        case VK_RETURN: choose(*p, p->hot, true); break;
        case VK_RIGHT:
            if (p->hot >= 0 && p->items[static_cast<std::size_t>(p->hot)].submenu)
                choose(*p, p->hot, true);
            break;
        case VK_LEFT:
        case VK_ESCAPE: p->done = true; break;
        default: choose(*p, item_for_letter(*p, wparam), true); break;
        }
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_CLOSE: p->done = true; return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

std::vector<Item> read_items(HMENU menu)
{
    std::vector<Item> items;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        Item item;
        UINT pos = static_cast<UINT>(i);
        item.state = GetMenuState(menu, pos, MF_BYPOSITION);
        item.submenu = GetSubMenu(menu, i);
        item.id = item.submenu ? 0 : GetMenuItemID(menu, i);
        char text[256] = "";
        GetMenuStringA(menu, pos, text, sizeof text, MF_BYPOSITION);
        std::string all = text;
        auto tab = all.find('\t');
        item.text = all.substr(0, tab);
        if (tab != std::string::npos)
            item.keys = all.substr(tab + 1);
        items.push_back(std::move(item));
    }
    return items;
}

// Whether a mouse press went to a window other than this menu and its open submenus.
bool pressed_outside(const MSG& msg, HWND window)
{
    if (msg.message != WM_LBUTTONDOWN && msg.message != WM_RBUTTONDOWN && msg.message != WM_NCLBUTTONDOWN)
        return false;
    char name[64] = "";
    GetClassNameA(msg.hwnd, name, sizeof name);
    return msg.hwnd != window && std::strcmp(name, kClassName) != 0;
}

UINT run_popup(HMENU menu, HWND owner, int x, int y, UINT flags, bool keyboard)
{
    register_own_class(kClassName, popup_proc, COLOR_MENU);
    Popup p;
    p.flags = flags;
    p.items = read_items(menu);
    if (p.items.empty())
        return 0;

    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    int text_width = 0, keys_width = 0;
    for (const auto& item : p.items) {
        RECT t { 0, 0, 0, 0 };
        DrawTextA(screen, item.text.c_str(), -1, &t, DT_CALCRECT | DT_SINGLELINE);
        text_width = std::max<int>(text_width, t.right);
        if (!item.keys.empty()) {
            RECT k { 0, 0, 0, 0 };
            DrawTextA(screen, item.keys.c_str(), -1, &k, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            keys_width = std::max<int>(keys_width, k.right);
        }
    }
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    int width = kPadding * 2 + kTextLeft + text_width + (keys_width ? kKeyGap + keys_width : 0) + kTextRight;
    int top = kPadding;
    for (auto& item : p.items) {
        int h = item.separator() ? kSeparatorHeight : kItemHeight;
        item.rect = { kPadding, top, width - kPadding, top + h };
        top += h;
    }
    int height = top + kPadding;

    if (flags & TPM_RIGHTALIGN)
        x -= width;
    else if (flags & TPM_CENTERALIGN)
        x -= width / 2;
    if (flags & TPM_BOTTOMALIGN)
        y -= height;
    else if (flags & TPM_VCENTERALIGN)
        y -= height / 2;
    x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - width));
    y = std::clamp(y, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - height));

    p.window = CreateWindowExA(WS_EX_TOPMOST, kClassName, "", WS_POPUP, x, y, width, height, owner, nullptr, nullptr,
        nullptr);
    if (!p.window)
        return 0;
    if (keyboard)
        move_hot(p, 1);
    SetWindowLongPtrA(p.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&p));
    ShowWindow(p.window, SW_SHOW);
    SetForegroundWindow(p.window);
    SetFocus(p.window);

    while (!p.done) {
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (pressed_outside(msg, p.window))
            break;
        // The innermost open menu takes the keyboard wherever the focus went.
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)
            msg.hwnd = p.window;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    SetWindowLongPtrA(p.window, GWLP_USERDATA, 0);
    DestroyWindow(p.window);
    return p.chosen;
}

}

UINT show_popup_menu(const user::PopupMenuCall& call)
{
    UINT chosen = run_popup(call.menu, call.owner, call.x, call.y, call.flags, false);
    if (call.owner && IsWindow(call.owner))
        SetForegroundWindow(call.owner);
    return chosen;
}

}
