// The "COMBOBOX" class: a selection field (CBS_DROPDOWNLIST) or an edit field (CBS_DROPDOWN)
// over a drop-down list. The items live in a "ComboLBox" popup, a list box owned by the combo
// box, whose notifications the combo box turns into its own.

#include "Control.h"

#include <base/Text.h>
#include <user/Keyboard.h>

#include <algorithm>
#include <map>
#include <optional>

namespace user::controls {

namespace {

// Sent by the drop-down list to its combo box: wparam TRUE when an item was chosen.
constexpr UINT kListDone = WM_USER + 0x3F0;
constexpr int kEditId = 1001;
constexpr int kButtonWidth = 16;

struct Combo : Base {
    HWND list = nullptr;
    HWND edit = nullptr;
    int drop_height = 100;
    bool dropped = false;
    bool focus = false;
    bool internal = false;   // the combo box itself is changing the edit's text
};

DWORD style_of(HWND window)
{
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

int field_height(const Combo& c)
{
    return line_height(c) + 8;
}

LRESULT to_list(const Combo& c, UINT message, WPARAM wparam, LPARAM lparam)
{
    return SendMessageA(c.list, message, wparam, lparam);
}

std::string item_text(const Combo& c, int index)
{
    LRESULT n = to_list(c, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 0)
        return {};
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    to_list(c, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(n));
    return s;
}

std::string field_text(const Combo& c)
{
    if (c.edit) {
        std::string s(static_cast<std::size_t>(GetWindowTextLengthA(c.edit)) + 1, '\0');
        s.resize(static_cast<std::size_t>(GetWindowTextA(c.edit, s.data(), static_cast<int>(s.size()))));
        return s;
    }
    int sel = static_cast<int>(to_list(c, LB_GETCURSEL, 0, 0));
    return sel >= 0 ? item_text(c, sel) : std::string();
}

// Shows the selected item in the field.
void selection_to_field(HWND window, Combo& c)
{
    if (c.edit) {
        int sel = static_cast<int>(to_list(c, LB_GETCURSEL, 0, 0));
        c.internal = true;
        SetWindowTextA(c.edit, sel >= 0 ? item_text(c, sel).c_str() : "");
        SendMessageA(c.edit, EM_SETSEL, 0, -1);
        c.internal = false;
    }
    InvalidateRect(window, nullptr, FALSE);
}

void close_up(HWND window, Combo& c, bool chosen)
{
    if (!c.dropped)
        return;
    c.dropped = false;
    if (GetCapture() == c.list)
        ReleaseCapture();
    ShowWindow(c.list, SW_HIDE);
    InvalidateRect(window, nullptr, FALSE);
    notify(window, chosen ? CBN_SELENDOK : CBN_SELENDCANCEL);
    notify(window, CBN_CLOSEUP);
}

void drop_down(HWND window, Combo& c)
{
    if (c.dropped)
        return;
    notify(window, CBN_DROPDOWN);
    RECT r;
    GetWindowRect(window, &r);
    int h = static_cast<int>(to_list(c, LB_GETITEMHEIGHT, 0, 0));
    int count = static_cast<int>(to_list(c, LB_GETCOUNT, 0, 0));
    int height = std::max(h, std::min(c.drop_height - (r.bottom - r.top), count * h)) + 2;
    SetWindowPos(c.list, HWND_TOPMOST, r.left, r.bottom, r.right - r.left, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    int sel = static_cast<int>(to_list(c, LB_GETCURSEL, 0, 0));
    if (sel >= 0)
        to_list(c, LB_SETCURSEL, static_cast<WPARAM>(sel), 0);
    c.dropped = true;
    SetCapture(c.list);
    InvalidateRect(window, nullptr, FALSE);
}

void layout_edit(HWND window, const Combo& c)
{
    if (!c.edit)
        return;
    RECT r;
    GetClientRect(window, &r);
    MoveWindow(c.edit, 3, 3, std::max(0, r.right - 6 - kButtonWidth), std::max(0, r.bottom - 6), TRUE);
}

// The user moved the selection (keys on a closed list field).
void select_by_user(HWND window, Combo& c, int index)
{
    int count = static_cast<int>(to_list(c, LB_GETCOUNT, 0, 0));
    if (count == 0)
        return;
    index = std::clamp(index, 0, count - 1);
    if (index == to_list(c, LB_GETCURSEL, 0, 0))
        return;
    to_list(c, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    selection_to_field(window, c);
    notify(window, CBN_SELCHANGE);
}

void paint(HWND window, Combo& c)
{
    Painter p(window, c);
    HDC dc = p.dc();
    RECT r = p.client();
    bool enabled = IsWindowEnabled(window) != FALSE;
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(dc, &r, enabled ? GetSysColorBrush(COLOR_WINDOW) : GetSysColorBrush(COLOR_BTNFACE));
    RECT button { r.right - kButtonWidth, r.top, r.right, r.bottom };
    DrawFrameControl(dc, &button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (c.dropped ? DFCS_PUSHED : 0u) | (enabled ? 0u : DFCS_INACTIVE));
    if (c.edit)
        return;
    RECT field { r.left + 1, r.top + 1, button.left - 1, r.bottom - 1 };
    bool highlight = c.focus && !c.dropped;
    if (highlight)
        FillRect(dc, &field, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : highlight ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = field;
    text.left += 2;
    DrawTextA(dc, field_text(c).c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (highlight)
        DrawFocusRect(dc, &field);
}

LRESULT on_create(HWND window, Combo& c, const CREATESTRUCTA& cs)
{
    DWORD style = style_of(window);
    c.drop_height = cs.cy;
    DWORD list_style = WS_POPUP | WS_BORDER | LBS_NOTIFY | ((style & CBS_SORT) ? LBS_SORT : 0u);
    c.list = CreateWindowExA(WS_EX_TOOLWINDOW, "ComboLBox", "", list_style, 0, 0, cs.cx, 100, window, nullptr,
        cs.hInstance, nullptr);
    if (!c.list)
        return -1;
    if (Base* list = base_of(c.list))
        list->listener = window;
    int height = field_height(c);
    SetWindowPos(window, nullptr, 0, 0, cs.cx, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if ((style & 3u) == CBS_DROPDOWN || (style & 3u) == CBS_SIMPLE) {
        c.edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ((style & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0u),
            3, 3, 10, 10, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), cs.hInstance, nullptr);
        layout_edit(window, c);
    }
    return 0;
}

LRESULT on_command(HWND window, Combo& c, WPARAM wparam, LPARAM lparam)
{
    HWND from = reinterpret_cast<HWND>(lparam);
    int code = HIWORD(wparam);
    if (from == c.edit && c.edit && !c.internal) {
        if (code == EN_CHANGE)
            notify(window, CBN_EDITCHANGE);
        else if (code == EN_UPDATE)
            notify(window, CBN_EDITUPDATE);
        else if (code == EN_SETFOCUS) {
            c.focus = true;
            notify(window, CBN_SETFOCUS);
        } else if (code == EN_KILLFOCUS) {
            c.focus = false;
            close_up(window, c, false);
            notify(window, CBN_KILLFOCUS);
        }
    } else if (from == c.list && code == LBN_SELCHANGE) {
        selection_to_field(window, c);
        notify(window, CBN_SELCHANGE);
    } else if (from == c.list && code == LBN_DBLCLK) {
        notify(window, CBN_DBLCLK);
    }
    return 0;
}

// One handler per message. A handler answers the message's result, or nothing to leave the
// message to DefWindowProc.
using Result = std::optional<LRESULT>;
using Handler = Result (*)(HWND window, Combo& c, UINT message, WPARAM wparam, LPARAM lparam);

Result on_create_message(HWND window, Combo& c, UINT, WPARAM, LPARAM lparam)
{
    return on_create(window, c, *reinterpret_cast<CREATESTRUCTA*>(lparam));
}

// The window is as tall as its field; a height asked for is the dropped height.
Result on_window_pos_changing(HWND, Combo& c, UINT, WPARAM, LPARAM lparam)
{
    auto* wp = reinterpret_cast<WINDOWPOS*>(lparam);
    if (!(wp->flags & SWP_NOSIZE) && wp->cy != field_height(c)) {
        c.drop_height = wp->cy;
        wp->cy = field_height(c);
    }
    return 0;
}

Result on_size(HWND window, Combo& c, UINT, WPARAM, LPARAM)
{
    layout_edit(window, c);
    return 0;
}

Result on_paint(HWND window, Combo& c, UINT, WPARAM, LPARAM)
{
    paint(window, c);
    return 0;
}

Result on_command_message(HWND window, Combo& c, UINT, WPARAM wparam, LPARAM lparam)
{
    return on_command(window, c, wparam, lparam);
}

Result on_list_done(HWND window, Combo& c, UINT, WPARAM wparam, LPARAM)
{
    close_up(window, c, wparam != 0);
    return 0;
}

Result on_get_dlg_code(HWND, Combo&, UINT, WPARAM, LPARAM) { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

Result on_set_focus(HWND window, Combo& c, UINT, WPARAM, LPARAM)
{
    if (c.edit) {
        SetFocus(c.edit);
        return 0;
    }
    c.focus = true;
    InvalidateRect(window, nullptr, FALSE);
    notify(window, CBN_SETFOCUS);
    return 0;
}

Result on_kill_focus(HWND window, Combo& c, UINT, WPARAM, LPARAM)
{
    if (c.edit)
        return 0;
    c.focus = false;
    close_up(window, c, false);
    InvalidateRect(window, nullptr, FALSE);
    notify(window, CBN_KILLFOCUS);
    return 0;
}

Result on_button_down(HWND window, Combo& c, UINT, WPARAM, LPARAM lparam)
{
    SetFocus(window);
    RECT r;
    GetClientRect(window, &r);
    bool on_button = mouse_x(lparam) >= r.right - kButtonWidth - 2;
    if (c.dropped)
        close_up(window, c, false);
    else if (!c.edit || on_button)
        drop_down(window, c);
    return 0;
}

Result on_key_down(HWND window, Combo& c, UINT, WPARAM wparam, LPARAM lparam)
{
    int sel = static_cast<int>(to_list(c, LB_GETCURSEL, 0, 0));
    if (wparam == VK_F4) {
        c.dropped ? close_up(window, c, true) : drop_down(window, c);
        return 0;
    }
    if (c.dropped) {
        if (wparam == VK_RETURN || wparam == VK_ESCAPE)
            close_up(window, c, wparam == VK_RETURN);
        else
            to_list(c, WM_KEYDOWN, wparam, lparam);
        return 0;
    }
    switch (wparam) {
    case VK_UP: select_by_user(window, c, sel - 1); return 0;
    case VK_DOWN: select_by_user(window, c, sel + 1); return 0;
    case VK_HOME: select_by_user(window, c, 0); return 0;
    case VK_END: select_by_user(window, c, static_cast<int>(to_list(c, LB_GETCOUNT, 0, 0)) - 1); return 0;
    default: return std::nullopt;
    }
}

Result on_char(HWND window, Combo& c, UINT, WPARAM wparam, LPARAM)
{
    if (!c.edit && static_cast<unsigned char>(wparam) >= 0x20) {
        char s[2] = { static_cast<char>(wparam), 0 };
        int found = static_cast<int>(to_list(c, LB_FINDSTRING, to_list(c, LB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(s)));
        if (found >= 0)
            select_by_user(window, c, found);
    }
    return 0;
}

Result on_set_text(HWND window, Combo& c, UINT, WPARAM, LPARAM lparam)
{
    const char* text = reinterpret_cast<const char*>(lparam);
    if (c.edit) {
        c.internal = true;
        SetWindowTextA(c.edit, text);
        c.internal = false;
        return TRUE;
    }
    int found = static_cast<int>(to_list(c, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lparam));
    if (found < 0)
        return CB_ERR;
    to_list(c, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
    selection_to_field(window, c);
    return TRUE;
}

Result on_get_text(HWND, Combo& c, UINT, WPARAM wparam, LPARAM lparam)
{
    return static_cast<LRESULT>(base::copy_bounded(reinterpret_cast<char*>(lparam), wparam, field_text(c)));
}

Result on_get_text_length(HWND, Combo& c, UINT, WPARAM, LPARAM) { return static_cast<LRESULT>(field_text(c).size()); }

// The combo box messages the list answers as they are.
const std::map<UINT, UINT>& list_messages()
{
    static const std::map<UINT, UINT> table {
        { CB_ADDSTRING, LB_ADDSTRING },
        { CB_INSERTSTRING, LB_INSERTSTRING },
        { CB_GETCOUNT, LB_GETCOUNT },
        { CB_GETCURSEL, LB_GETCURSEL },
        { CB_GETLBTEXT, LB_GETTEXT },
        { CB_GETLBTEXTLEN, LB_GETTEXTLEN },
        { CB_FINDSTRING, LB_FINDSTRING },
        { CB_FINDSTRINGEXACT, LB_FINDSTRINGEXACT },
        { CB_GETITEMDATA, LB_GETITEMDATA },
        { CB_SETITEMDATA, LB_SETITEMDATA },
        { CB_GETITEMHEIGHT, LB_GETITEMHEIGHT },
    };
    return table;
}

Result on_list_message(HWND, Combo& c, UINT message, WPARAM wparam, LPARAM lparam)
{
    return to_list(c, list_messages().at(message), wparam, lparam);
}

Result on_delete_string(HWND window, Combo& c, UINT, WPARAM wparam, LPARAM lparam)
{
    LRESULT result = to_list(c, LB_DELETESTRING, wparam, lparam);
    InvalidateRect(window, nullptr, FALSE);
    return result;
}

Result on_reset_content(HWND window, Combo& c, UINT, WPARAM, LPARAM)
{
    to_list(c, LB_RESETCONTENT, 0, 0);
    selection_to_field(window, c);
    return CB_OKAY;
}

Result on_set_cur_sel(HWND window, Combo& c, UINT, WPARAM wparam, LPARAM)
{
    LRESULT result = to_list(c, LB_SETCURSEL, wparam, 0);
    selection_to_field(window, c);
    return result;
}

Result on_select_string(HWND window, Combo& c, UINT, WPARAM wparam, LPARAM lparam)
{
    LRESULT result = to_list(c, LB_SELECTSTRING, wparam, lparam);
    if (result >= 0)
        selection_to_field(window, c);
    return result;
}

Result on_limit_text(HWND, Combo& c, UINT, WPARAM wparam, LPARAM)
{
    if (c.edit)
        SendMessageA(c.edit, EM_LIMITTEXT, wparam, 0);
    return TRUE;
}

Result on_get_edit_sel(HWND, Combo& c, UINT, WPARAM wparam, LPARAM lparam)
{
    return c.edit ? SendMessageA(c.edit, EM_GETSEL, wparam, lparam) : CB_ERR;
}

Result on_set_edit_sel(HWND, Combo& c, UINT, WPARAM, LPARAM lparam)
{
    if (!c.edit)
        return CB_ERR;
    SendMessageA(c.edit, EM_SETSEL, static_cast<WPARAM>(static_cast<short>(LOWORD(lparam))), static_cast<short>(HIWORD(lparam)));
    return TRUE;
}

Result on_show_drop_down(HWND window, Combo& c, UINT, WPARAM wparam, LPARAM)
{
    wparam ? drop_down(window, c) : close_up(window, c, false);
    return TRUE;
}

Result on_get_dropped_state(HWND, Combo& c, UINT, WPARAM, LPARAM) { return c.dropped; }

Result on_get_dropped_control_rect(HWND window, Combo& c, UINT, WPARAM, LPARAM lparam)
{
    if (!lparam)
        return CB_ERR;
    RECT r;
    GetWindowRect(window, &r);
    r.bottom = r.top + c.drop_height;
    *reinterpret_cast<RECT*>(lparam) = r;
    return TRUE;
}

const std::map<UINT, Handler>& handlers()
{
    static const std::map<UINT, Handler> table = [] {
        std::map<UINT, Handler> t {
            { WM_CREATE, on_create_message },
            { WM_WINDOWPOSCHANGING, on_window_pos_changing },
            { WM_SIZE, on_size },
            { WM_PAINT, on_paint },
            { WM_COMMAND, on_command_message },
            { kListDone, on_list_done },
            { WM_GETDLGCODE, on_get_dlg_code },
            { WM_SETFOCUS, on_set_focus },
            { WM_KILLFOCUS, on_kill_focus },
            { WM_LBUTTONDOWN, on_button_down },
            { WM_KEYDOWN, on_key_down },
            { WM_CHAR, on_char },
            { WM_SETTEXT, on_set_text },
            { WM_GETTEXT, on_get_text },
            { WM_GETTEXTLENGTH, on_get_text_length },
            { CB_DELETESTRING, on_delete_string },
            { CB_RESETCONTENT, on_reset_content },
            { CB_SETCURSEL, on_set_cur_sel },
            { CB_SELECTSTRING, on_select_string },
            { CB_LIMITTEXT, on_limit_text },
            { CB_GETEDITSEL, on_get_edit_sel },
            { CB_SETEDITSEL, on_set_edit_sel },
            { CB_SHOWDROPDOWN, on_show_drop_down },
            { CB_GETDROPPEDSTATE, on_get_dropped_state },
            { CB_GETDROPPEDCONTROLRECT, on_get_dropped_control_rect },
        };
        for (const auto& [message, list_message] : list_messages())
            t.emplace(message, on_list_message);
        return t;
    }();
    return table;
}

}

LRESULT CALLBACK combolist_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Base* base = base_of(window);
    HWND combo = base ? base->listener : nullptr;
    switch (message) {
    case WM_LBUTTONDOWN:
        if (!inside(window, lparam)) {
            SendMessageA(combo, kListDone, FALSE, 0);
            return 0;
        }
        break;
    case WM_LBUTTONUP: {
        bool chosen = inside(window, lparam);
        LRESULT result = listbox_proc(window, message, wparam, lparam);
        if (chosen)
            SendMessageA(combo, kListDone, TRUE, 0);
        return result;
    }
    case WM_MOUSEACTIVATE:
        return 3;   // MA_NOACTIVATE
    default:
        break;
    }
    return listbox_proc(window, message, wparam, lparam);
}

LRESULT CALLBACK combobox_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Combo* c = state<Combo>(window, message);
    if (!c)
        return DefWindowProcA(window, message, wparam, lparam);
    LRESULT result = 0;
    if (message == WM_SETFONT) {
        if (c->edit)
            SendMessageA(c->edit, WM_SETFONT, wparam, FALSE);
        if (c->list)
            SendMessageA(c->list, WM_SETFONT, wparam, FALSE);
    }
    if (message == WM_NCDESTROY && c->list) {
        DestroyWindow(c->list);
        c->list = nullptr;
    }
    if (common(window, *c, message, wparam, lparam, result))
        return result;
    auto handler = handlers().find(message);
    if (handler != handlers().end())
        if (Result answer = handler->second(window, *c, message, wparam, lparam))
            return *answer;
    return DefWindowProcA(window, message, wparam, lparam);
}

}
