// The "LISTBOX" class: a single-selection list of strings with item data, sorted or in insertion
// order, scrolled by keys, wheel and WM_VSCROLL codes.

#include "Control.h"
#include "ListSearch.h"

#include <base/Text.h>
#include <user/Keyboard.h>
#include <user/SystemMetrics.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace user::controls {

namespace {

struct ListBox : Base {
    std::vector<ListItem> items;
    int selection = -1;
    int top = 0;
    bool focus = false;
    bool tracking = false;
};

DWORD style_of(HWND window)
{
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

int count_of(const ListBox& l)
{
    return static_cast<int>(l.items.size());
}

int rows_of(HWND window, const ListBox& l)
{
    RECT client;
    GetClientRect(window, &client);
    return std::max(1, (client.bottom - client.top) / line_height(l));
}

void set_top(HWND window, ListBox& l, int top)
{
    top = std::clamp(top, 0, std::max(0, count_of(l) - rows_of(window, l)));
    if (top != l.top) {
        l.top = top;
        InvalidateRect(window, nullptr, TRUE);
    }
}

void show_item(HWND window, ListBox& l, int index)
{
    if (index < 0)
        return;
    int rows = rows_of(window, l);
    if (index < l.top)
        set_top(window, l, index);
    else if (index >= l.top + rows)
        set_top(window, l, index - rows + 1);
}

void send_notify(HWND window, int code)
{
    if (style_of(window) & LBS_NOTIFY)
        notify(window, code);
}

// Moves the selection (user action: the parent hears LBN_SELCHANGE when it changed).
void select_by_user(HWND window, ListBox& l, int index)
{
    if (count_of(l) == 0)
        return;
    index = std::clamp(index, 0, count_of(l) - 1);
    show_item(window, l, index);
    if (index == l.selection)
        return;
    l.selection = index;
    InvalidateRect(window, nullptr, FALSE);
    send_notify(window, LBN_SELCHANGE);
}

int item_at(HWND window, const ListBox& l, int y)
{
    if (y < 0)
        return -1;
    int index = l.top + y / line_height(l);
    (void)window;
    return index < count_of(l) ? index : -1;
}

LRESULT insert(HWND window, ListBox& l, int index, const char* text)
{
    std::string s = text ? text : "";
    if (index < 0 || index > count_of(l))
        index = count_of(l);
    l.items.insert(l.items.begin() + index, ListItem { s, 0 });
    if (l.selection >= index)
        ++l.selection;
    InvalidateRect(window, nullptr, TRUE);
    return index;
}

constexpr LRESULT kHitVScroll = 7;   // HTVSCROLL

// The list's own vertical bar (WS_VSCROLL) right of the client area, in screen coordinates.
RECT bar_on_screen(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    POINT origin { 0, 0 };
    ClientToScreen(window, &origin);
    int width = GetSystemMetrics(SM_CXVSCROLL);
    return { origin.x + client.right, origin.y, origin.x + client.right + width, origin.y + client.bottom };
}

SCROLLINFO bar_info(HWND window, const ListBox& l)
{
    SCROLLINFO info { sizeof info, SIF_ALL, 0, std::max(0, count_of(l) - 1), static_cast<UINT>(rows_of(window, l)), l.top, l.top };
    return info;
}

bool has_bar(HWND window)
{
    return (style_of(window) & WS_VSCROLL) != 0;
}

void paint_bar(HWND window, const ListBox& l)
{
    RECT bar = bar_on_screen(window);
    RECT wr;
    GetWindowRect(window, &wr);
    bar = shifted(bar, -wr.left, -wr.top);
    HDC dc = GetWindowDC(window);
    bool scrolls = count_of(l) > rows_of(window, l);
    draw_scroll_bar(dc, bar, true, bar_info(window, l), scrolls && IsWindowEnabled(window));
    ReleaseDC(window, dc);
}

void paint(HWND window, ListBox& l)
{
    Painter p(window, l);
    HDC dc = p.dc();
    RECT r = p.client();
    bool enabled = IsWindowEnabled(window) != FALSE;
    FillRect(dc, &r, parent_brush(window, dc, WM_CTLCOLORLISTBOX, COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    int h = line_height(l);
    for (int i = l.top, y = r.top; i < count_of(l) && y < r.bottom; ++i, y += h) {
        RECT row { r.left, y, r.right, y + h };
        bool selected = i == l.selection;
        if (selected)
            FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT text = row;
        text.left += 2;
        DrawTextA(dc, l.items[static_cast<std::size_t>(i)].text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (selected && l.focus)
            DrawFocusRect(dc, &row);
    }
    if (has_bar(window))
        paint_bar(window, l);
}

bool valid(const ListBox& l, WPARAM index)
{
    return static_cast<INT_PTR>(index) >= 0 && static_cast<INT_PTR>(index) < count_of(l);
}

// One handler per message. A handler answers the message's result, or nothing to leave the
// message to DefWindowProc.
using Result = std::optional<LRESULT>;
using Handler = Result (*)(HWND window, ListBox& l, UINT message, WPARAM wparam, LPARAM lparam);

Result on_paint(HWND window, ListBox& l, UINT, WPARAM, LPARAM)
{
    paint(window, l);
    return 0;
}

Result on_get_dlg_code(HWND, ListBox&, UINT, WPARAM, LPARAM) { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

Result on_focus(HWND window, ListBox& l, UINT message, WPARAM, LPARAM)
{
    l.focus = message == WM_SETFOCUS;
    InvalidateRect(window, nullptr, FALSE);
    send_notify(window, l.focus ? LBN_SETFOCUS : LBN_KILLFOCUS);
    return 0;
}

Result on_button_down(HWND window, ListBox& l, UINT, WPARAM, LPARAM lparam)
{
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_POPUP))
        SetFocus(window);
    SetCapture(window);
    l.tracking = true;
    int index = item_at(window, l, mouse_y(lparam));
    if (index >= 0)
        select_by_user(window, l, index);
    return 0;
}

Result on_mouse_move(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM lparam)
{
    if (l.tracking && (wparam & MK_LBUTTON)) {
        int index = item_at(window, l, mouse_y(lparam));
        if (mouse_y(lparam) < 0)
            index = l.top - 1;
        if (index >= 0 || mouse_y(lparam) < 0)
            select_by_user(window, l, std::max(index, 0));
    }
    return 0;
}

Result on_button_up(HWND, ListBox& l, UINT, WPARAM, LPARAM)
{
    if (l.tracking) {
        l.tracking = false;
        ReleaseCapture();
    }
    return 0;
}

Result on_capture_changed(HWND, ListBox& l, UINT, WPARAM, LPARAM)
{
    l.tracking = false;
    return 0;
}

Result on_double_click(HWND window, ListBox& l, UINT, WPARAM, LPARAM lparam)
{
    if (item_at(window, l, mouse_y(lparam)) >= 0)
        send_notify(window, LBN_DBLCLK);
    return 0;
}

Result on_key_down(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    int rows = rows_of(window, l);
    int at = l.selection;
    switch (wparam) {
    case VK_UP: select_by_user(window, l, at < 0 ? 0 : at - 1); return 0;
    case VK_DOWN: select_by_user(window, l, at + 1); return 0;
    case VK_PRIOR: select_by_user(window, l, at - (rows - 1)); return 0;
    case VK_NEXT: select_by_user(window, l, at < 0 ? rows - 1 : at + rows - 1); return 0;
    case VK_HOME: select_by_user(window, l, 0); return 0;
    case VK_END: select_by_user(window, l, count_of(l) - 1); return 0;
    default: return std::nullopt;
    }
}

// A typed character selects the next item starting with it.
Result on_char(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    char c[2] = { static_cast<char>(wparam), 0 };
    if (static_cast<unsigned char>(c[0]) >= 0x20) {
        int found = find_item(l.items, l.selection, c, false);
        if (found >= 0)
            select_by_user(window, l, found);
    }
    return 0;
}

Result on_vscroll(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    int rows = rows_of(window, l);
    switch (LOWORD(wparam)) {
    case SB_LINEUP: set_top(window, l, l.top - 1); break;
    case SB_LINEDOWN: set_top(window, l, l.top + 1); break;
    case SB_PAGEUP: set_top(window, l, l.top - rows); break;
    case SB_PAGEDOWN: set_top(window, l, l.top + rows); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: set_top(window, l, HIWORD(wparam)); break;
    case SB_TOP: set_top(window, l, 0); break;
    case SB_BOTTOM: set_top(window, l, count_of(l)); break;
    default: break;
    }
    return 0;
}

Result on_nc_hit_test(HWND window, ListBox&, UINT, WPARAM, LPARAM lparam)
{
    RECT bar = bar_on_screen(window);
    POINT p { mouse_x(lparam), mouse_y(lparam) };
    if (has_bar(window) && p.x >= bar.left && p.x < bar.right && p.y >= bar.top && p.y < bar.bottom)
        return kHitVScroll;
    return std::nullopt;
}

Result on_nc_button_down(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM lparam)
{
    if (wparam != static_cast<WPARAM>(kHitVScroll) || count_of(l) <= rows_of(window, l))
        return std::nullopt;
    int code = scroll_code_at(bar_on_screen(window), true, bar_info(window, l), POINT { mouse_x(lparam), mouse_y(lparam) });
    if (code >= 0)
        SendMessageA(window, WM_VSCROLL, static_cast<WPARAM>(code), 0);
    return 0;
}

Result on_mouse_wheel(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    set_top(window, l, l.top - 3 * static_cast<short>(HIWORD(wparam)) / 120);
    return 0;
}

Result on_add_string(HWND window, ListBox& l, UINT, WPARAM, LPARAM lparam)
{
    const char* text = reinterpret_cast<const char*>(lparam);
    int index = count_of(l);
    if (style_of(window) & LBS_SORT)
        index = sorted_position(l.items, text ? text : "");
    return insert(window, l, index, text);
}

Result on_insert_string(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM lparam)
{
    return insert(window, l, static_cast<int>(static_cast<INT_PTR>(wparam)), reinterpret_cast<const char*>(lparam));
}

Result on_delete_string(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    if (!valid(l, wparam))
        return LB_ERR;
    int index = static_cast<int>(wparam);
    l.items.erase(l.items.begin() + index);
    if (l.selection == index)
        l.selection = -1;
    else if (l.selection > index)
        --l.selection;
    set_top(window, l, l.top);
    InvalidateRect(window, nullptr, TRUE);
    return count_of(l);
}

Result on_reset_content(HWND window, ListBox& l, UINT, WPARAM, LPARAM)
{
    l.items.clear();
    l.selection = -1;
    l.top = 0;
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

Result on_get_count(HWND, ListBox& l, UINT, WPARAM, LPARAM) { return count_of(l); }

Result on_get_cur_sel(HWND, ListBox& l, UINT, WPARAM, LPARAM) { return l.selection; }

// -1 clears the selection; an index out of range clears it and fails.
Result on_set_cur_sel(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    if (!valid(l, wparam)) {
        l.selection = -1;
        InvalidateRect(window, nullptr, FALSE);
        return LB_ERR;
    }
    l.selection = static_cast<int>(wparam);
    show_item(window, l, l.selection);
    InvalidateRect(window, nullptr, FALSE);
    return l.selection;
}

Result on_get_text(HWND, ListBox& l, UINT, WPARAM wparam, LPARAM lparam)
{
    if (!valid(l, wparam))
        return LB_ERR;
    const std::string& s = l.items[wparam].text;
    if (lparam)
        std::memcpy(reinterpret_cast<char*>(lparam), s.c_str(), s.size() + 1);
    return static_cast<LRESULT>(s.size());
}

Result on_get_text_len(HWND, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    return valid(l, wparam) ? static_cast<LRESULT>(l.items[wparam].text.size()) : LB_ERR;
}

Result on_get_item_data(HWND, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    return valid(l, wparam) ? static_cast<LRESULT>(l.items[wparam].data) : LB_ERR;
}

Result on_set_item_data(HWND, ListBox& l, UINT, WPARAM wparam, LPARAM lparam)
{
    if (!valid(l, wparam))
        return LB_ERR;
    l.items[wparam].data = static_cast<ULONG_PTR>(lparam);
    return TRUE;
}

Result on_find_string(HWND, ListBox& l, UINT message, WPARAM wparam, LPARAM lparam)
{
    return find_item(l.items, static_cast<int>(static_cast<INT_PTR>(wparam)), reinterpret_cast<const char*>(lparam),
        message == LB_FINDSTRINGEXACT);
}

Result on_select_string(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM lparam)
{
    int found = find_item(l.items, static_cast<int>(static_cast<INT_PTR>(wparam)), reinterpret_cast<const char*>(lparam), false);
    if (found < 0)
        return LB_ERR; // the selection stays
    l.selection = found;
    show_item(window, l, found);
    InvalidateRect(window, nullptr, FALSE);
    return found;
}

Result on_get_top_index(HWND, ListBox& l, UINT, WPARAM, LPARAM) { return l.top; }

Result on_set_top_index(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM)
{
    if (!valid(l, wparam) && !(wparam == 0 && l.items.empty()))
        return LB_ERR;
    set_top(window, l, static_cast<int>(wparam));
    return 0;
}

Result on_get_item_height(HWND, ListBox& l, UINT, WPARAM, LPARAM) { return line_height(l); }

Result on_get_item_rect(HWND window, ListBox& l, UINT, WPARAM wparam, LPARAM lparam)
{
    if (!valid(l, wparam) || !lparam)
        return LB_ERR;
    RECT client;
    GetClientRect(window, &client);
    int h = line_height(l);
    int y = (static_cast<int>(wparam) - l.top) * h;
    *reinterpret_cast<RECT*>(lparam) = { client.left, y, client.right, y + h };
    return 1;
}

Result on_item_from_point(HWND window, ListBox& l, UINT, WPARAM, LPARAM lparam)
{
    int index = item_at(window, l, mouse_y(lparam));
    if (index < 0)
        return MAKELONG(std::max(0, count_of(l) - 1), 1);
    return MAKELONG(index, 0);
}

const std::map<UINT, Handler>& handlers()
{
    static const std::map<UINT, Handler> table {
        { WM_PAINT, on_paint },
        { WM_GETDLGCODE, on_get_dlg_code },
        { WM_SETFOCUS, on_focus },
        { WM_KILLFOCUS, on_focus },
        { WM_LBUTTONDOWN, on_button_down },
        { WM_MOUSEMOVE, on_mouse_move },
        { WM_LBUTTONUP, on_button_up },
        { WM_CAPTURECHANGED, on_capture_changed },
        { WM_LBUTTONDBLCLK, on_double_click },
        { WM_KEYDOWN, on_key_down },
        { WM_CHAR, on_char },
        { WM_VSCROLL, on_vscroll },
        { WM_NCHITTEST, on_nc_hit_test },
        { WM_NCLBUTTONDOWN, on_nc_button_down },
        { WM_NCLBUTTONDBLCLK, on_nc_button_down },
        { WM_MOUSEWHEEL, on_mouse_wheel },
        { LB_ADDSTRING, on_add_string },
        { LB_INSERTSTRING, on_insert_string },
        { LB_DELETESTRING, on_delete_string },
        { LB_RESETCONTENT, on_reset_content },
        { LB_GETCOUNT, on_get_count },
        { LB_GETCURSEL, on_get_cur_sel },
        { LB_SETCURSEL, on_set_cur_sel },
        { LB_GETTEXT, on_get_text },
        { LB_GETTEXTLEN, on_get_text_len },
        { LB_GETITEMDATA, on_get_item_data },
        { LB_SETITEMDATA, on_set_item_data },
        { LB_FINDSTRING, on_find_string },
        { LB_FINDSTRINGEXACT, on_find_string },
        { LB_SELECTSTRING, on_select_string },
        { LB_GETTOPINDEX, on_get_top_index },
        { LB_SETTOPINDEX, on_set_top_index },
        { LB_GETITEMHEIGHT, on_get_item_height },
        { LB_GETITEMRECT, on_get_item_rect },
        { LB_ITEMFROMPOINT, on_item_from_point },
    };
    return table;
}

}

LRESULT CALLBACK listbox_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    ListBox* l = state<ListBox>(window, message);
    if (!l)
        return DefWindowProcA(window, message, wparam, lparam);
    LRESULT result = 0;
    if (common(window, *l, message, wparam, lparam, result))
        return result;
    auto handler = handlers().find(message);
    if (handler != handlers().end())
        if (Result answer = handler->second(window, *l, message, wparam, lparam))
            return *answer;
    return DefWindowProcA(window, message, wparam, lparam);
}

}
