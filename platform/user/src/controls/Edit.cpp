// The "EDIT" class: a single-line field (or a read-only multi-line text) with caret, selection,
// text limit, number-only, read-only and password styles. A focused single-line field owns the
// thread's caret (user/Caret.h), which each paint puts where typing goes.

#include "Control.h"

#include <base/Text.h>
#include <user/Caret.h>
#include <user/Keyboard.h>
#include <user/MessageBox.h>

#include <algorithm>

namespace user::controls {

namespace {

struct Edit : Base {
    std::string text;
    std::size_t anchor = 0;   // the selection is anchor .. caret, either way round
    std::size_t caret = 0;
    std::size_t limit = 0x7FFFFFFE;
    char password = '*';
    bool focus = false;
    bool dragging = false;
    bool modified = false;
    int scroll = 0;           // pixels scrolled to the left
};

DWORD style_of(HWND window)
{
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

std::size_t sel_start(const Edit& e) { return std::min(e.anchor, e.caret); }
std::size_t sel_end(const Edit& e) { return std::max(e.anchor, e.caret); }

// The text as shown: password characters instead of the text.
std::string shown(HWND window, const Edit& e)
{
    if ((style_of(window) & ES_PASSWORD) && e.password)
        return std::string(e.text.size(), e.password);
    return e.text;
}

int width_of(HWND window, const Edit& e, std::size_t chars)
{
    std::string s = shown(window, e).substr(0, chars);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font_of(e));
    SIZE size {};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

constexpr int kMargin = 2;

// The character boundary nearest to an x position (client coordinates).
std::size_t index_at(HWND window, const Edit& e, int x)
{
    int target = x - kMargin + e.scroll;
    std::size_t best = 0;
    int best_distance = std::abs(target);
    for (std::size_t i = 1; i <= e.text.size(); ++i) {
        int d = std::abs(width_of(window, e, i) - target);
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    return best;
}

void keep_caret_visible(HWND window, Edit& e)
{
    RECT client;
    GetClientRect(window, &client);
    int visible = client.right - client.left - 2 * kMargin;
    int x = width_of(window, e, e.caret);
    if (x - e.scroll > visible)
        e.scroll = x - visible;
    if (x < e.scroll)
        e.scroll = x;
}

void changed(HWND window, Edit& e, bool notify_parent)
{
    e.modified = true;
    keep_caret_visible(window, e);
    InvalidateRect(window, nullptr, TRUE);
    if (notify_parent) {
        notify(window, EN_UPDATE);
        notify(window, EN_CHANGE);
    }
}

bool single_line(HWND window)
{
    return !(style_of(window) & ES_MULTILINE);
}

// Replaces the selection with text, cut to the limit; false when nothing could be inserted.
bool replace_selection(HWND window, Edit& e, std::string insert)
{
    DWORD style = style_of(window);
    if (single_line(window)) {
        insert.erase(std::remove_if(insert.begin(), insert.end(), [](char c) { return c == '\r' || c == '\n'; }), insert.end());
    }
    if (style & ES_UPPERCASE)
        for (char& c : insert)
            c = base::upper_ascii(c);
    if (style & ES_LOWERCASE)
        for (char& c : insert)
            c = base::fold_ascii(c);
    std::size_t start = sel_start(e), end = sel_end(e);
    std::size_t room = e.limit > e.text.size() - (end - start) ? e.limit - (e.text.size() - (end - start)) : 0;
    bool cut = insert.size() > room;
    if (cut)
        insert.resize(base::utf8_cut(insert, room));
    e.text.replace(start, end - start, insert);
    e.anchor = e.caret = start + insert.size();
    if (cut)
        notify(window, EN_MAXTEXT);
    return !insert.empty() || start != end;
}

void type_char(HWND window, Edit& e, char c)
{
    DWORD style = style_of(window);
    if (style & ES_READONLY)
        return;
    if (c == '\b') {
        if (sel_start(e) == sel_end(e) && e.caret > 0) {
            std::size_t back = e.caret - 1;
            while (back > 0 && (static_cast<unsigned char>(e.text[back]) & 0xC0) == 0x80)
                --back;
            e.anchor = back;
        }
        if (replace_selection(window, e, ""))
            changed(window, e, true);
        return;
    }
    if (static_cast<unsigned char>(c) < 0x20)
        return;
    if ((style & ES_NUMBER) && !(c >= '0' && c <= '9')) {
        MessageBeep(MB_OK);
        return;
    }
    if (replace_selection(window, e, std::string(1, c)))
        changed(window, e, true);
}

std::size_t next_boundary(const Edit& e, std::size_t i)
{
    if (i >= e.text.size())
        return e.text.size();
    ++i;
    while (i < e.text.size() && (static_cast<unsigned char>(e.text[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

std::size_t previous_boundary(const Edit& e, std::size_t i)
{
    if (i == 0)
        return 0;
    --i;
    while (i > 0 && (static_cast<unsigned char>(e.text[i]) & 0xC0) == 0x80)
        --i;
    return i;
}

bool key(HWND window, Edit& e, WPARAM vk)
{
    bool shift = GetKeyState(VK_SHIFT) < 0;
    std::size_t to = e.caret;
    switch (vk) {
    case VK_LEFT:
        to = !shift && sel_start(e) != sel_end(e) ? sel_start(e) : previous_boundary(e, e.caret);
        break;
    case VK_RIGHT:
        to = !shift && sel_start(e) != sel_end(e) ? sel_end(e) : next_boundary(e, e.caret);
        break;
    case VK_HOME:
        to = 0;
        break;
    case VK_END:
        to = e.text.size();
        break;
    case VK_DELETE:
        if (style_of(window) & ES_READONLY)
            return true;
        if (sel_start(e) == sel_end(e))
            e.caret = next_boundary(e, e.caret);
        if (replace_selection(window, e, ""))
            changed(window, e, true);
        return true;
    default:
        return false;
    }
    e.caret = to;
    if (!shift)
        e.anchor = to;
    keep_caret_visible(window, e);
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

void set_selection(HWND window, Edit& e, LONG_PTR start, LONG_PTR end)
{
    std::size_t size = e.text.size();
    if (start == -1) {
        e.anchor = e.caret;   // no selection; the caret stays
    } else {
        auto clamp = [size](LONG_PTR v) { return v < 0 || static_cast<std::size_t>(v) > size ? size : static_cast<std::size_t>(v); };
        e.anchor = clamp(start);
        e.caret = clamp(end);
    }
    keep_caret_visible(window, e);
    InvalidateRect(window, nullptr, FALSE);
}

void paint(HWND window, Edit& e)
{
    Painter p(window, e);
    HDC dc = p.dc();
    RECT r = p.client();
    DWORD style = style_of(window);
    bool enabled = IsWindowEnabled(window) != FALSE;
    bool grey = !enabled || (style & ES_READONLY);
    FillRect(dc, &r, grey ? parent_brush(window, dc, WM_CTLCOLORSTATIC, COLOR_BTNFACE)
                          : parent_brush(window, dc, WM_CTLCOLOREDIT, COLOR_WINDOW));
    std::string text = shown(window, e);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    if (!single_line(window)) {
        RECT box = inset(r, kMargin);
        DrawTextA(dc, text.c_str(), -1, &box, DT_WORDBREAK | DT_NOPREFIX);
        return;
    }
    int height = line_height(e);
    int y = r.top + std::max(0, (r.bottom - r.top - height) / 2);
    int x = r.left + kMargin - e.scroll;
    if (style & (ES_CENTER | ES_RIGHT)) {
        int w = width_of(window, e, e.text.size());
        int room = r.right - r.left - 2 * kMargin;
        if (w < room)
            x += (style & ES_RIGHT) ? room - w : (room - w) / 2;
    }
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    bool show_selection = e.focus || (style & ES_NOHIDESEL);
    if (show_selection && sel_start(e) != sel_end(e)) {
        int x0 = x + width_of(window, e, sel_start(e));
        int x1 = x + width_of(window, e, sel_end(e));
        RECT sel { x0, y, x1, y + height };
        FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
        std::string part = text.substr(sel_start(e), sel_end(e) - sel_start(e));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        TextOutA(dc, x0, y, part.c_str(), static_cast<int>(part.size()));
    }
    if (e.focus)
        SetCaretPos(x + width_of(window, e, e.caret), y);
}

}

LRESULT CALLBACK edit_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Edit* e = state<Edit>(window, message);
    if (!e)
        return DefWindowProcA(window, message, wparam, lparam);
    LRESULT result = 0;
    if (common(window, *e, message, wparam, lparam, result))
        return result;
    switch (message) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lparam);
        e->text = cs->lpszName && !IS_INTRESOURCE(cs->lpszName) ? cs->lpszName : "";
        return 0;
    }
    case WM_PAINT:
        paint(window, *e);
        return 0;
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(lparam);
        e->text = text ? text : "";
        if (e->text.size() > e->limit)
            e->text.resize(base::utf8_cut(e->text, e->limit));
        e->anchor = e->caret = 0;
        e->scroll = 0;
        e->modified = false;
        InvalidateRect(window, nullptr, TRUE);
        if (single_line(window)) {
            notify(window, EN_UPDATE);
            notify(window, EN_CHANGE);
        }
        return TRUE;
    }
    case WM_GETTEXT:
        return static_cast<LRESULT>(base::copy_bounded(reinterpret_cast<char*>(lparam), wparam, e->text));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(e->text.size());
    case WM_GETDLGCODE:
        return DLGC_HASSETSEL | DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_SETFOCUS:
        e->focus = true;
        if (single_line(window)) {
            // Placed by the next paint.
            CreateCaret(window, nullptr, 1, line_height(*e));
            ShowCaret(window);
        }
        InvalidateRect(window, nullptr, FALSE);
        notify(window, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        e->focus = false;
        if (single_line(window))
            DestroyCaret();
        InvalidateRect(window, nullptr, FALSE);
        notify(window, EN_KILLFOCUS);
        return 0;
    case WM_CHAR:
        type_char(window, *e, static_cast<char>(wparam));
        return 0;
    case WM_KEYDOWN:
        if (key(window, *e, wparam))
            return 0;
        break;
    case WM_LBUTTONDOWN:
        SetFocus(window);
        SetCapture(window);
        e->dragging = true;
        e->caret = index_at(window, *e, mouse_x(lparam));
        if (!(wparam & MK_SHIFT))
            e->anchor = e->caret;
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (e->dragging) {
            e->caret = index_at(window, *e, mouse_x(lparam));
            keep_caret_visible(window, *e);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (e->dragging) {
            e->dragging = false;
            ReleaseCapture();
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        set_selection(window, *e, 0, -1);
        return 0;
    case WM_CAPTURECHANGED:
        e->dragging = false;
        return 0;
    case EM_GETSEL: {
        auto start = static_cast<DWORD>(sel_start(*e));
        auto end = static_cast<DWORD>(sel_end(*e));
        if (wparam)
            *reinterpret_cast<DWORD*>(wparam) = start;
        if (lparam)
            *reinterpret_cast<DWORD*>(lparam) = end;
        return static_cast<LRESULT>(MAKELONG(std::min<DWORD>(start, 0xFFFF), std::min<DWORD>(end, 0xFFFF)));
    }
    case EM_SETSEL:
        set_selection(window, *e, static_cast<INT>(wparam), static_cast<INT>(lparam));
        return 0;
    case EM_REPLACESEL: {
        const char* text = reinterpret_cast<const char*>(lparam);
        if (replace_selection(window, *e, text ? text : ""))
            changed(window, *e, single_line(window));
        return 0;
    }
    case EM_LIMITTEXT:
        e->limit = wparam ? static_cast<std::size_t>(wparam) : 0x7FFFFFFE;
        return 0;
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(e->limit);
    case EM_GETMODIFY:
        return e->modified;
    case EM_SETMODIFY:
        e->modified = wparam != 0;
        return 0;
    case EM_SETREADONLY: {
        DWORD style = style_of(window);
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(wparam ? style | ES_READONLY : style & ~static_cast<DWORD>(ES_READONLY)));
        InvalidateRect(window, nullptr, TRUE);
        return TRUE;
    }
    case EM_SETPASSWORDCHAR:
        e->password = static_cast<char>(wparam);
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case EM_GETPASSWORDCHAR:
        return static_cast<unsigned char>(e->password);
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}
