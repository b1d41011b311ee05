// The tab control ("SysTabControl32"): a row of tabs over a display area. A click on another tab
// (or Left/Right) sends TCN_SELCHANGING (non-zero refuses), selects it and sends TCN_SELCHANGE;
// TCM_SETCURSEL selects without notifying.
//
// Layout: tabs 20 pixels high in one row from x = 2, each its text's width plus 12 pixels; the
// selected tab is drawn in the window colour, the others in the button face.

#include "Common.h"

#include <user/Keyboard.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kTabHeight = 20;

struct Tab {
    std::string text;
    LPARAM param = 0;
};

struct Tabs {
    std::vector<Tab> tabs;
    int current = -1;
};

RECT tab_rect(HWND w, const Tabs& t, int index)
{
    int x = 2;
    for (int i = 0; i < index; ++i)
        x += user::common::text_width(w, t.tabs[static_cast<std::size_t>(i)].text) + 12;
    int width = user::common::text_width(w, t.tabs[static_cast<std::size_t>(index)].text) + 12;
    return RECT { x, 0, x + width, kTabHeight };
}

int tab_at(HWND w, const Tabs& t, int x, int y)
{
    if (y < 0 || y >= kTabHeight)
        return -1;
    for (int i = 0; i < static_cast<int>(t.tabs.size()); ++i) {
        RECT r = tab_rect(w, t, i);
        if (x >= r.left && x < r.right)
            return i;
    }
    return -1;
}

void choose(HWND w, Tabs& t, int index)
{
    if (index < 0 || index >= static_cast<int>(t.tabs.size()) || index == t.current)
        return;
    NMHDR nm {};
    if (user::common::notify(w, nm, TCN_SELCHANGING))
        return;
    t.current = index;
    user::common::redraw(w);
    user::common::notify(w, nm, TCN_SELCHANGE);
}

void paint(HWND w, const Tabs& t)
{
    using namespace user::common;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT c;
    GetClientRect(w, &c);
    fill(dc, c, COLOR_BTNFACE);
    RECT panel { 0, kTabHeight - 1, c.right, c.bottom };
    FrameRect(dc, &panel, GetSysColorBrush(COLOR_BTNSHADOW));
    for (int i = 0; i < static_cast<int>(t.tabs.size()); ++i) {
        RECT r = tab_rect(w, t, i);
        bool selected = i == t.current;
        if (!selected)
            r.top += 2;
        fill(dc, r, selected ? COLOR_WINDOW : COLOR_BTNFACE);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        if (selected) {
            RECT join { r.left + 1, kTabHeight - 1, r.right - 1, kTabHeight };
            fill(dc, join, COLOR_WINDOW);
        }
        text(dc, t.tabs[static_cast<std::size_t>(i)].text, r, COLOR_BTNTEXT, DT_CENTER);
    }
    EndPaint(w, &ps);
}

void fill_item(const Tab& tab, TCITEMA& item)
{
    if (item.mask & TCIF_TEXT)
        user::common::copy_out(item.pszText, item.cchTextMax, tab.text);
    if (item.mask & TCIF_PARAM)
        item.lParam = tab.param;
}

void take_item(Tab& tab, const TCITEMA& item)
{
    if ((item.mask & TCIF_TEXT) && item.pszText)
        tab.text = item.pszText;
    if (item.mask & TCIF_PARAM)
        tab.param = item.lParam;
}

LRESULT tab_control(Tabs& t, HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    int count = static_cast<int>(t.tabs.size());
    int index = static_cast<int>(wparam);
    switch (message) {
    case TCM_GETITEMCOUNT: return count;
    case TCM_INSERTITEMA: {
        if (!lparam || index < 0)
            return -1;
        index = std::min(index, count);
        Tab tab;
        take_item(tab, *reinterpret_cast<const TCITEMA*>(lparam));
        t.tabs.insert(t.tabs.begin() + index, tab);
        if (t.current < 0)
            t.current = 0;
        else if (index <= t.current && count > 0)
            ++t.current;
        user::common::redraw(w);
        return index;
    }
    case TCM_GETITEMA:
    case TCM_SETITEMA:
        if (!lparam || index < 0 || index >= count)
            return FALSE;
        if (message == TCM_GETITEMA)
            fill_item(t.tabs[static_cast<std::size_t>(index)], *reinterpret_cast<TCITEMA*>(lparam));
        else {
            take_item(t.tabs[static_cast<std::size_t>(index)], *reinterpret_cast<const TCITEMA*>(lparam));
            user::common::redraw(w);
        }
        return TRUE;
    case TCM_DELETEITEM:
        if (index < 0 || index >= count)
            return FALSE;
        t.tabs.erase(t.tabs.begin() + index);
        if (t.current == index)
            t.current = -1;
        else if (t.current > index)
            --t.current;
        user::common::redraw(w);
        return TRUE;
    case TCM_DELETEALLITEMS:
        t.tabs.clear();
        t.current = -1;
        user::common::redraw(w);
        return TRUE;
    case TCM_GETCURSEL: return t.current;
    case TCM_SETCURSEL: {
        if (index < 0 || index >= count)
            return -1;
        int old = t.current;
        t.current = index;
        user::common::redraw(w);
        return old;
    }
    case TCM_GETITEMRECT:
        if (!lparam || index < 0 || index >= count)
            return FALSE;
        *reinterpret_cast<RECT*>(lparam) = tab_rect(w, t, index);
        return TRUE;
    case TCM_ADJUSTRECT:
        if (lparam) {
            RECT& r = *reinterpret_cast<RECT*>(lparam);
            int sign = wparam ? -1 : 1;
            r.left += 2 * sign;
            r.right -= 2 * sign;
            r.top += (kTabHeight + 2) * sign;
            r.bottom -= 2 * sign;
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (wparam == VK_LEFT || wparam == VK_RIGHT) {
            choose(w, t, t.current + (wparam == VK_LEFT ? -1 : 1));
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        SetFocus(w);
        choose(w, t, tab_at(w, t, static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam))));
        return 0;
    case WM_PAINT:
        paint(w, t);
        return 0;
    }
    return DefWindowProcA(w, message, wparam, lparam);
}

LRESULT CALLBACK TabControlProc(HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    return user::common::with_data<Tabs>(w, message, wparam, lparam, tab_control);
}

}

void user::common::register_tab_control()
{
    register_control_class(WC_TABCONTROLA, TabControlProc, COLOR_BTNFACE);
}
