// The tab control ("SysTabControl32"): a row of tabs over a display area. A click on another tab
// (or Left/Right) sends TCN_SELCHANGING (non-zero refuses), selects it and sends TCN_SELCHANGE;
// TCM_SETCURSEL selects without notifying.
//
// Layout: tabs 20 pixels high in one row from x = 2, each its text's width plus 12 pixels; the
// selected tab is drawn in the window colour, the others in the button face. With TCS_MULTILINE,
// tabs that do not fit the control's width go on to further rows, and the row of the selected
// tab is the one next to the display area (the rows above it keep their order, rotated).

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

int tab_width(HWND w, const Tabs& t, int index)
{
    return user::common::text_width(w, t.tabs[static_cast<std::size_t>(index)].text) + 12;
}

// The row of each tab and the number of rows (one without TCS_MULTILINE).
std::vector<int> tab_rows(HWND w, const Tabs& t, int& rows)
{
    std::vector<int> row(t.tabs.size(), 0);
    rows = 1;
    if (!(GetWindowLongA(w, GWL_STYLE) & TCS_MULTILINE)) {
        return row;
    }
    RECT c;
    GetClientRect(w, &c);
    int x = 2;
    for (int i = 0; i < static_cast<int>(t.tabs.size()); ++i) {
        int width = tab_width(w, t, i);
        if (x > 2 && x + width > c.right - 2) {
            ++rows;
            x = 2;
        }
        row[static_cast<std::size_t>(i)] = rows - 1;
        x += width;
    }
    return row;
}

int row_count(HWND w, const Tabs& t)
{
    int rows = 1;
    tab_rows(w, t, rows);
    return rows;
}

RECT tab_rect(HWND w, const Tabs& t, int index)
{
    int rows = 1;
    std::vector<int> row = tab_rows(w, t, rows);
    int mine = row[static_cast<std::size_t>(index)];
    int x = 2;
    for (int i = 0; i < index; ++i) {
        if (row[static_cast<std::size_t>(i)] == mine)
            x += tab_width(w, t, i);
    }
    // The selected tab's row is shown last, next to the display area.
    int selected = t.current >= 0 && t.current < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(t.current)] : rows - 1;
    int shown = (mine - selected - 1 + 2 * rows) % rows;
    int top = shown * kTabHeight;
    return RECT { x, top, x + tab_width(w, t, index), top + kTabHeight };
}

int tab_at(HWND w, const Tabs& t, int x, int y)
{
    for (int i = 0; i < static_cast<int>(t.tabs.size()); ++i) {
        RECT r = tab_rect(w, t, i);
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
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
    int band = row_count(w, t) * kTabHeight;
    RECT panel { 0, band - 1, c.right, c.bottom };
    FrameRect(dc, &panel, GetSysColorBrush(COLOR_BTNSHADOW));
    for (int i = 0; i < static_cast<int>(t.tabs.size()); ++i) {
        RECT r = tab_rect(w, t, i);
        bool selected = i == t.current;
        if (!selected)
            r.top += 2;
        fill(dc, r, selected ? COLOR_WINDOW : COLOR_BTNFACE);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        if (selected) {
            RECT join { r.left + 1, r.bottom - 1, r.right - 1, r.bottom };
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
    case TCM_GETROWCOUNT: return row_count(w, t);
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
            r.top += (row_count(w, t) * kTabHeight + 2) * sign;
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
