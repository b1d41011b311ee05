// The list view ("SysListView32") in report view: columns with headings and widths, rows with a
// text per column, item data and a state (selected, focused). A click selects the row under it
// (Ctrl toggles it, unless LVS_SINGLESEL), sending LVN_ITEMCHANGED for every row whose state
// changed and then NM_CLICK; a double click sends NM_DBLCLK; a click on a heading sends
// LVN_COLUMNCLICK. LVM_SETITEMSTATE also sends LVN_ITEMCHANGED, as on Windows.
//
// Layout: a 20-pixel heading row, then rows of 17 pixels from the top; selected rows are drawn
// in the highlight colour, across every column with LVS_EX_FULLROWSELECT, else the first only.
// LVM_SORTITEMS orders the rows by a comparator of their item data (equal rows keep their order).

#include "Common.h"

#include <user/Keyboard.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kHeaderHeight = 20;
constexpr int kRowHeight = 17;

struct Column {
    std::string text;
    int width = 60;
    int format = LVCFMT_LEFT;
};

struct Row {
    std::vector<std::string> texts;
    LPARAM param = 0;
    UINT state = 0;
};

struct ListView {
    std::vector<Column> columns;
    std::vector<Row> rows;
    DWORD ex_style = 0;
};

using CompareFunction = int (*)(LPARAM, LPARAM, LPARAM);

bool valid(const ListView& l, int item)
{
    return item >= 0 && item < static_cast<int>(l.rows.size());
}

Row& row(ListView& l, int item)
{
    return l.rows[static_cast<std::size_t>(item)];
}

std::string text_of(const Row& r, int sub)
{
    return sub >= 0 && sub < static_cast<int>(r.texts.size()) ? r.texts[static_cast<std::size_t>(sub)] : std::string();
}

void set_text(Row& r, int sub, const char* text)
{
    if (sub < 0)
        return;
    if (static_cast<int>(r.texts.size()) <= sub)
        r.texts.resize(static_cast<std::size_t>(sub) + 1);
    r.texts[static_cast<std::size_t>(sub)] = text ? text : "";
}

int columns_width(const ListView& l)
{
    int w = 0;
    for (const auto& c : l.columns)
        w += c.width;
    return w;
}

void item_changed(HWND w, ListView& l, int item, UINT old_state)
{
    NMLISTVIEW nm {};
    nm.iItem = item;
    nm.uOldState = old_state;
    nm.uNewState = row(l, item).state;
    nm.uChanged = LVIF_STATE;
    nm.lParam = row(l, item).param;
    user::common::notify(w, nm.hdr, LVN_ITEMCHANGED);
}

// Sets the masked state bits of one row (or all for -1), notifying each change.
void set_state(HWND w, ListView& l, int item, UINT state, UINT mask)
{
    bool single = (GetWindowLongA(w, GWL_STYLE) & LVS_SINGLESEL) != 0;
    for (int i = 0; i < static_cast<int>(l.rows.size()); ++i) {
        UINT old = row(l, i).state;
        UINT now = old;
        if (item < 0 || i == item)
            now = (old & ~mask) | (state & mask);
        else {
            // One selected row with LVS_SINGLESEL; one focused row always.
            if (single && (mask & state & LVIS_SELECTED))
                now &= ~LVIS_SELECTED;
            if (mask & state & LVIS_FOCUSED)
                now &= ~LVIS_FOCUSED;
        }
        if (now != old) {
            row(l, i).state = now;
            item_changed(w, l, i, old);
        }
    }
    user::common::redraw(w);
}

int row_at(const ListView& l, int y)
{
    if (y < kHeaderHeight)
        return -1;
    int item = (y - kHeaderHeight) / kRowHeight;
    return item < static_cast<int>(l.rows.size()) ? item : -1;
}

int column_at(const ListView& l, int x)
{
    int left = 0;
    for (int i = 0; i < static_cast<int>(l.columns.size()); ++i) {
        left += l.columns[static_cast<std::size_t>(i)].width;
        if (x < left)
            return i;
    }
    return -1;
}

void activate(HWND w, ListView& l, UINT code, LPARAM lparam, WPARAM keys)
{
    NMITEMACTIVATE nm {};
    nm.ptAction = { static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)) };
    nm.iItem = row_at(l, nm.ptAction.y);
    nm.iSubItem = std::max(0, column_at(l, nm.ptAction.x));
    if (nm.iItem >= 0)
        nm.lParam = row(l, nm.iItem).param;
    nm.uKeyFlags = (keys & MK_CONTROL) ? 0x0001u /* LVKF_CONTROL */ : 0;
    user::common::notify(w, nm.hdr, code);
}

void click(HWND w, ListView& l, WPARAM keys, LPARAM lparam)
{
    int x = static_cast<SHORT>(LOWORD(lparam));
    int y = static_cast<SHORT>(HIWORD(lparam));
    if (y < kHeaderHeight) {
        int column = column_at(l, x);
        if (column >= 0 && !(GetWindowLongA(w, GWL_STYLE) & LVS_NOSORTHEADER)) {
            NMLISTVIEW nm {};
            nm.iItem = -1;
            nm.iSubItem = column;
            user::common::notify(w, nm.hdr, LVN_COLUMNCLICK);
        }
        return;
    }
    int item = row_at(l, y);
    bool single = (GetWindowLongA(w, GWL_STYLE) & LVS_SINGLESEL) != 0;
    if (item >= 0 && (keys & MK_CONTROL) && !single) {
        set_state(w, l, item, (row(l, item).state ^ LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        for (int i = 0; i < static_cast<int>(l.rows.size()); ++i)
            if (i != item && (row(l, i).state & LVIS_SELECTED))
                set_state(w, l, i, 0, LVIS_SELECTED);
        if (item >= 0)
            set_state(w, l, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    activate(w, l, NM_CLICK, lparam, keys);
}

void paint(HWND w, const ListView& l)
{
    using namespace user::common;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT c;
    GetClientRect(w, &c);
    fill(dc, c, COLOR_WINDOW);
    int x = 0;
    for (const auto& col : l.columns) {
        RECT head { x, 0, x + col.width, kHeaderHeight };
        fill(dc, head, COLOR_BTNFACE);
        FrameRect(dc, &head, GetSysColorBrush(COLOR_BTNSHADOW));
        RECT label { head.left + 4, head.top, head.right - 4, head.bottom };
        text(dc, col.text, label, COLOR_BTNTEXT);
        x += col.width;
    }
    bool full_row = (l.ex_style & LVS_EX_FULLROWSELECT) != 0;
    for (int i = 0; i < static_cast<int>(l.rows.size()); ++i) {
        const Row& r = l.rows[static_cast<std::size_t>(i)];
        int top = kHeaderHeight + i * kRowHeight;
        if (top >= c.bottom)
            break;
        bool selected = (r.state & LVIS_SELECTED) != 0;
        if (selected) {
            int width = full_row ? columns_width(l) : (l.columns.empty() ? 0 : l.columns[0].width);
            fill(dc, RECT { 0, top, width, top + kRowHeight }, COLOR_HIGHLIGHT);
        }
        int left = 0;
        for (std::size_t col = 0; col < l.columns.size(); ++col) {
            RECT cell { left + 4, top, left + l.columns[col].width - 4, top + kRowHeight };
            UINT align = l.columns[col].format == LVCFMT_RIGHT ? DT_RIGHT : l.columns[col].format == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
            bool lit = selected && (full_row || col == 0);
            text(dc, text_of(r, static_cast<int>(col)), cell, lit ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT, align);
            left += l.columns[col].width;
        }
    }
    EndPaint(w, &ps);
}

// One handler per message; each gets the message's parameters.

LRESULT insert_column(ListView& l, HWND w, WPARAM wparam, LPARAM lparam)
{
    int index = static_cast<int>(wparam);
    if (!lparam || index < 0)
        return -1;
    const auto& in = *reinterpret_cast<const LVCOLUMNA*>(lparam);
    Column col;
    if ((in.mask & LVCF_TEXT) && in.pszText)
        col.text = in.pszText;
    if (in.mask & LVCF_WIDTH)
        col.width = in.cx;
    if (in.mask & LVCF_FMT)
        col.format = in.fmt;
    index = std::min(index, static_cast<int>(l.columns.size()));
    l.columns.insert(l.columns.begin() + index, col);
    user::common::redraw(w);
    return index;
}

LRESULT insert_item(ListView& l, HWND w, WPARAM, LPARAM lparam)
{
    if (!lparam)
        return -1;
    const auto& in = *reinterpret_cast<const LVITEMA*>(lparam);
    if (in.iSubItem != 0)
        return -1;
    Row r;
    if (in.mask & LVIF_TEXT)
        set_text(r, 0, in.pszText);
    if (in.mask & LVIF_PARAM)
        r.param = in.lParam;
    if (in.mask & LVIF_STATE)
        r.state = in.state & in.stateMask;
    int at = std::max(0, std::min(in.iItem, static_cast<int>(l.rows.size())));
    l.rows.insert(l.rows.begin() + at, r);
    user::common::redraw(w);
    return at;
}

LRESULT set_item_text(ListView& l, HWND w, WPARAM wparam, LPARAM lparam)
{
    int index = static_cast<int>(wparam);
    if (!lparam || !valid(l, index))
        return FALSE;
    const auto& in = *reinterpret_cast<const LVITEMA*>(lparam);
    set_text(row(l, index), in.iSubItem, in.pszText);
    user::common::redraw(w);
    return TRUE;
}

LRESULT get_item_text(ListView& l, HWND, WPARAM wparam, LPARAM lparam)
{
    int index = static_cast<int>(wparam);
    if (!lparam || !valid(l, index))
        return 0;
    auto& in = *reinterpret_cast<LVITEMA*>(lparam);
    return user::common::copy_out(in.pszText, in.cchTextMax, text_of(row(l, index), in.iSubItem));
}

LRESULT get_item(ListView& l, HWND, WPARAM, LPARAM lparam)
{
    if (!lparam)
        return FALSE;
    auto& in = *reinterpret_cast<LVITEMA*>(lparam);
    if (!valid(l, in.iItem))
        return FALSE;
    const Row& r = row(l, in.iItem);
    if (in.mask & LVIF_TEXT)
        user::common::copy_out(in.pszText, in.cchTextMax, text_of(r, in.iSubItem));
    if (in.mask & LVIF_PARAM)
        in.lParam = r.param;
    if (in.mask & LVIF_STATE)
        in.state = r.state & in.stateMask;
    return TRUE;
}

LRESULT set_item(ListView& l, HWND w, WPARAM, LPARAM lparam)
{
    if (!lparam)
        return FALSE;
    const auto& in = *reinterpret_cast<const LVITEMA*>(lparam);
    if (!valid(l, in.iItem))
        return FALSE;
    Row& r = row(l, in.iItem);
    if (in.mask & LVIF_TEXT)
        set_text(r, in.iSubItem, in.pszText);
    if (in.mask & LVIF_PARAM)
        r.param = in.lParam;
    if (in.mask & LVIF_STATE)
        set_state(w, l, in.iItem, in.state, in.stateMask);
    user::common::redraw(w);
    return TRUE;
}

LRESULT delete_item(ListView& l, HWND w, WPARAM wparam, LPARAM)
{
    int index = static_cast<int>(wparam);
    if (!valid(l, index))
        return FALSE;
    l.rows.erase(l.rows.begin() + index);
    user::common::redraw(w);
    return TRUE;
}

LRESULT delete_all_items(ListView& l, HWND w, WPARAM, LPARAM)
{
    l.rows.clear();
    user::common::redraw(w);
    return TRUE;
}

LRESULT get_next_item(ListView& l, HWND, WPARAM wparam, LPARAM lparam)
{
    UINT want = static_cast<UINT>(lparam) & (LVNI_SELECTED | LVNI_FOCUSED);
    int count = static_cast<int>(l.rows.size());
    for (int i = std::max(-1, static_cast<int>(wparam)) + 1; i < count; ++i)
        if ((row(l, i).state & want) == want)
            return i;
    return -1;
}

LRESULT set_item_state(ListView& l, HWND w, WPARAM wparam, LPARAM lparam)
{
    int index = static_cast<int>(wparam);
    if (!lparam || (index != -1 && !valid(l, index)))
        return FALSE;
    const auto& in = *reinterpret_cast<const LVITEMA*>(lparam);
    set_state(w, l, index, in.state, in.stateMask);
    return TRUE;
}

LRESULT get_item_state(ListView& l, HWND, WPARAM wparam, LPARAM lparam)
{
    int index = static_cast<int>(wparam);
    return valid(l, index) ? static_cast<LRESULT>(row(l, index).state & static_cast<UINT>(lparam)) : 0;
}

LRESULT get_selected_count(ListView& l, HWND, WPARAM, LPARAM)
{
    return std::count_if(l.rows.begin(), l.rows.end(), [](const Row& r) { return (r.state & LVIS_SELECTED) != 0; });
}

LRESULT set_extended_style(ListView& l, HWND w, WPARAM wparam, LPARAM lparam)
{
    DWORD old = l.ex_style;
    DWORD mask = wparam ? static_cast<DWORD>(wparam) : 0xFFFFFFFFu;
    l.ex_style = (l.ex_style & ~mask) | (static_cast<DWORD>(lparam) & mask);
    user::common::redraw(w);
    return old;
}

LRESULT get_extended_style(ListView& l, HWND, WPARAM, LPARAM)
{
    return l.ex_style;
}

LRESULT sort_items(ListView& l, HWND w, WPARAM wparam, LPARAM lparam)
{
    auto compare = reinterpret_cast<PFNLVCOMPARE>(lparam);
    if (!compare)
        return FALSE;
    std::stable_sort(l.rows.begin(), l.rows.end(),
        [&](const Row& a, const Row& b) { return compare(a.param, b.param, static_cast<LPARAM>(wparam)) < 0; });
    user::common::redraw(w);
    return TRUE;
}

LRESULT get_item_rect(ListView& l, HWND, WPARAM wparam, LPARAM lparam)
{
    int index = static_cast<int>(wparam);
    if (!lparam || !valid(l, index))
        return FALSE;
    *reinterpret_cast<RECT*>(lparam) = RECT { 0, kHeaderHeight + index * kRowHeight, columns_width(l),
        kHeaderHeight + (index + 1) * kRowHeight };
    return TRUE;
}

LRESULT get_dialog_code(ListView&, HWND, WPARAM, LPARAM)
{
    return DLGC_WANTARROWS;
}

// Up and Down move the selection and the focus one row; other keys are the default's.
LRESULT key_down(ListView& l, HWND w, WPARAM wparam, LPARAM lparam)
{
    int count = static_cast<int>(l.rows.size());
    if ((wparam != VK_UP && wparam != VK_DOWN) || count == 0)
        return DefWindowProcA(w, WM_KEYDOWN, wparam, lparam);
    int focus = -1;
    for (int i = 0; i < count; ++i)
        if (row(l, i).state & LVIS_FOCUSED)
            focus = i;
    int next = std::max(0, std::min(count - 1, focus + (wparam == VK_UP ? -1 : 1)));
    for (int i = 0; i < count; ++i)
        if (i != next && (row(l, i).state & LVIS_SELECTED))
            set_state(w, l, i, 0, LVIS_SELECTED);
    set_state(w, l, next, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return 0;
}

LRESULT button_down(ListView& l, HWND w, WPARAM wparam, LPARAM lparam)
{
    SetFocus(w);
    click(w, l, wparam, lparam);
    return 0;
}

LRESULT double_click(ListView& l, HWND w, WPARAM wparam, LPARAM lparam)
{
    activate(w, l, NM_DBLCLK, lparam, wparam);
    return 0;
}

LRESULT paint_message(ListView& l, HWND w, WPARAM, LPARAM)
{
    paint(w, l);
    return 0;
}

using Handler = LRESULT (*)(ListView&, HWND, WPARAM, LPARAM);

struct MessageHandler {
    UINT message;
    Handler handler;
};

constexpr MessageHandler Handlers[] = {
    { LVM_GETITEMCOUNT, [](ListView& l, HWND, WPARAM, LPARAM) -> LRESULT { return static_cast<LRESULT>(l.rows.size()); } },
    { LVM_INSERTCOLUMNA, insert_column },
    { LVM_INSERTITEMA, insert_item },
    { LVM_SETITEMTEXTA, set_item_text },
    { LVM_GETITEMTEXTA, get_item_text },
    { LVM_GETITEMA, get_item },
    { LVM_SETITEMA, set_item },
    { LVM_DELETEITEM, delete_item },
    { LVM_DELETEALLITEMS, delete_all_items },
    { LVM_GETNEXTITEM, get_next_item },
    { LVM_SETITEMSTATE, set_item_state },
    { LVM_GETITEMSTATE, get_item_state },
    { LVM_GETSELECTEDCOUNT, get_selected_count },
    { LVM_SETEXTENDEDLISTVIEWSTYLE, set_extended_style },
    { LVM_GETEXTENDEDLISTVIEWSTYLE, get_extended_style },
    { LVM_SORTITEMS, sort_items },
    { LVM_GETITEMRECT, get_item_rect },
    { WM_GETDLGCODE, get_dialog_code },
    { WM_KEYDOWN, key_down },
    { WM_LBUTTONDOWN, button_down },
    { WM_LBUTTONDBLCLK, double_click },
    { WM_PAINT, paint_message },
};

LRESULT list_view(ListView& l, HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    for (const MessageHandler& entry : Handlers) {
        if (entry.message == message)
            return entry.handler(l, w, wparam, lparam);
    }
    return DefWindowProcA(w, message, wparam, lparam);
}

LRESULT CALLBACK ListViewProc(HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    return user::common::with_data<ListView>(w, message, wparam, lparam, list_view);
}

}

void user::common::register_list_view()
{
    register_control_class(WC_LISTVIEWA, ListViewProc, COLOR_WINDOW);
}
