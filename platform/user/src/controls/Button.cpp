// The "BUTTON" class: push buttons, check boxes, radio buttons, group boxes and owner-drawn buttons.

#include "Control.h"

#include <user/Keyboard.h>
#include <user/NonClient.h>

namespace user::controls {

namespace {

struct Button : Base {
    UINT check = BST_UNCHECKED;
    bool pushed = false;     // drawn pressed
    bool tracking = false;   // the left button went down on it
    bool space = false;      // the space bar is held
    bool focus = false;
};

constexpr int kBoxSize = 13;

UINT type_of(HWND window)
{
    return static_cast<UINT>(GetWindowLongA(window, GWL_STYLE)) & BS_TYPEMASK;
}

bool is_check(UINT type)
{
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

bool is_radio(UINT type)
{
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool has_group_style(HWND window)
{
    return (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_GROUP) != 0;
}

// Unchecks the other auto radio buttons of the window's group: from the sibling with WS_GROUP
// at or before it up to the next one with WS_GROUP.
void uncheck_group(HWND window)
{
    HWND first = window;
    while (!has_group_style(first)) {
        HWND prev = GetWindow(first, GW_HWNDPREV);
        if (!prev)
            break;
        first = prev;
    }
    for (HWND w = first; w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w != first && has_group_style(w))
            break;
        if (w == window)
            continue;
        char cls[16];
        if (GetClassNameA(w, cls, sizeof cls) && same_text(cls, "BUTTON") && type_of(w) == BS_AUTORADIOBUTTON)
            SendMessageA(w, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void click(HWND window, Button& b)
{
    UINT type = type_of(window);
    if (type == BS_AUTOCHECKBOX)
        SendMessageA(window, BM_SETCHECK, b.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    else if (type == BS_AUTO3STATE)
        SendMessageA(window, BM_SETCHECK, (b.check + 1) % 3, 0);
    else if (type == BS_AUTORADIOBUTTON) {
        SendMessageA(window, BM_SETCHECK, BST_CHECKED, 0);
        uncheck_group(window);
    }
    notify(window, BN_CLICKED);
}


std::string text_of(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void draw_owner(HWND window, Button& b, HDC dc, RECT client, UINT action = ODA_DRAWENTIRE)
{
    DRAWITEMSTRUCT item {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(window));
    item.itemAction = action;
    item.itemState = (b.pushed ? ODS_SELECTED : 0u) | (b.focus ? ODS_FOCUS : 0u) | (IsWindowEnabled(window) ? 0u : ODS_DISABLED);
    item.hwndItem = window;
    item.hDC = dc;
    item.rcItem = client;
    HWND parent = GetParent(window);
    if (parent)
        SendMessageA(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

// An owner-drawn button is asked to draw the change alone (ODA_SELECT, ODA_FOCUS) at once; the
// others repaint.
void changed(HWND window, Button& b, UINT action)
{
    if (type_of(window) != BS_OWNERDRAW || !IsWindowVisible(window)) {
        InvalidateRect(window, nullptr, FALSE);
        return;
    }
    HDC dc = GetDC(window);
    RECT client;
    GetClientRect(window, &client);
    draw_owner(window, b, dc, client, action);
    ReleaseDC(window, dc);
}

void set_pushed(HWND window, Button& b, bool pushed)
{
    if (b.pushed == pushed)
        return;
    b.pushed = pushed;
    changed(window, b, ODA_SELECT);
}

void paint(HWND window, Button& b)
{
    Painter p(window, b);
    HDC dc = p.dc();
    RECT r = p.client();
    UINT type = type_of(window);
    if (type == BS_OWNERDRAW) {
        draw_owner(window, b, dc, r);
        return;
    }
    bool enabled = IsWindowEnabled(window) != FALSE;
    std::string text = text_of(window);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));

    if (type == BS_GROUPBOX) {
        // Only the frame and its label: the controls framed show through.
        int h = line_height(b);
        RECT frame = r;
        frame.top += h / 2;
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        if (!text.empty()) {
            RECT label { r.left + 8, r.top, r.right - 8, r.top + h };
            DrawTextA(dc, text.c_str(), -1, &label, DT_SINGLELINE | DT_CALCRECT);
            RECT back { label.left - 2, label.top, label.right + 2, label.bottom };
            FillRect(dc, &back, parent_brush(window, dc, WM_CTLCOLORSTATIC, COLOR_BTNFACE));
            DrawTextA(dc, text.c_str(), -1, &label, DT_SINGLELINE);
        }
        return;
    }

    if (is_check(type) || is_radio(type)) {
        FillRect(dc, &r, parent_brush(window, dc, WM_CTLCOLORSTATIC, COLOR_BTNFACE));
        bool left_text = (GetWindowLongA(window, GWL_STYLE) & BS_LEFTTEXT) != 0;
        int top = r.top + (r.bottom - r.top - kBoxSize) / 2;
        RECT box { r.left, top, r.left + kBoxSize, top + kBoxSize };
        if (left_text)
            box = { r.right - kBoxSize, top, r.right, top + kBoxSize };
        UINT state = is_radio(type) ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
        if (b.check == BST_CHECKED)
            state |= DFCS_CHECKED;
        if (b.check == BST_INDETERMINATE)
            state = DFCS_BUTTON3STATE | DFCS_CHECKED;
        if (b.pushed)
            state |= DFCS_PUSHED;
        if (!enabled)
            state |= DFCS_INACTIVE;
        DrawFrameControl(dc, &box, DFC_BUTTON, state);
        RECT label = left_text ? RECT { r.left, r.top, box.left - 4, r.bottom } : RECT { box.right + 4, r.top, r.right, r.bottom };
        DrawTextA(dc, text.c_str(), -1, &label, DT_SINGLELINE | DT_VCENTER | (left_text ? DT_RIGHT : DT_LEFT));
        if (b.focus && !text.empty()) {
            RECT extent = label;
            DrawTextA(dc, text.c_str(), -1, &extent, DT_SINGLELINE | DT_CALCRECT);
            int height = extent.bottom - extent.top;
            int width = extent.right - extent.left;
            int x = left_text ? label.right - width : label.left;
            int y = label.top + (label.bottom - label.top - height) / 2;
            RECT focus { x - 1, y - 1, x + width + 1, y + height + 1 };
            DrawFocusRect(dc, &focus);
        }
        return;
    }

    // Push buttons; the default one has a dark outer frame.
    if (type == BS_DEFPUSHBUTTON) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        r = inset(r, 1);
    }
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (b.pushed ? DFCS_PUSHED : 0u) | (enabled ? 0u : DFCS_INACTIVE));
    RECT label = r;
    if (b.pushed)
        label = shifted(label, 1, 1);
    DrawTextA(dc, text.c_str(), -1, &label, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (b.focus) {
        RECT focus = inset(r, 3);
        DrawFocusRect(dc, &focus);
    }
}

}

LRESULT CALLBACK button_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Button* b = state<Button>(window, message);
    if (!b)
        return DefWindowProcA(window, message, wparam, lparam);
    LRESULT result = 0;
    if (common(window, *b, message, wparam, lparam, result))
        return result;
    UINT type = type_of(window);
    switch (message) {
    case WM_NCHITTEST:
        if (type == BS_GROUPBOX)
            return HTTRANSPARENT; // the mouse goes to the controls inside
        break;
    case WM_PAINT:
        paint(window, *b);
        return 0;
    case WM_SETTEXT:
        result = DefWindowProcA(window, message, wparam, lparam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    case WM_GETDLGCODE:
        if (type == BS_GROUPBOX)
            return DLGC_STATIC;
        if (is_radio(type))
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (type == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (type == BS_PUSHBUTTON)
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        return DLGC_BUTTON;
    case WM_SETFOCUS:
        b->focus = true;
        changed(window, *b, ODA_FOCUS);
        return 0;
    case WM_KILLFOCUS:
        b->focus = false;
        b->space = false;
        if (b->tracking) {
            b->tracking = false;
            ReleaseCapture();
        }
        changed(window, *b, ODA_FOCUS);
        set_pushed(window, *b, false);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (type == BS_GROUPBOX)
            return 0;
        SetFocus(window);
        SetCapture(window);
        b->tracking = true;
        set_pushed(window, *b, true);
        return 0;
    case WM_MOUSEMOVE:
        if (b->tracking)
            set_pushed(window, *b, inside(window, lparam));
        return 0;
    case WM_LBUTTONUP:
        if (!b->tracking)
            return 0;
        b->tracking = false;
        ReleaseCapture();
        set_pushed(window, *b, false);
        if (inside(window, lparam))
            click(window, *b);
        return 0;
    case WM_CAPTURECHANGED:
        if (b->tracking) {
            b->tracking = false;
            set_pushed(window, *b, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wparam == VK_SPACE && type != BS_GROUPBOX) {
            b->space = true;
            set_pushed(window, *b, true);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wparam == VK_SPACE && b->space) {
            b->space = false;
            set_pushed(window, *b, false);
            click(window, *b);
            return 0;
        }
        break;
    case BM_GETCHECK:
        return is_check(type) || is_radio(type) ? b->check : BST_UNCHECKED;
    case BM_SETCHECK: {
        if (!is_check(type) && !is_radio(type))
            return 0;
        UINT check = static_cast<UINT>(wparam);
        if (check > BST_INDETERMINATE || (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE))
            check = BST_CHECKED;
        if (check != b->check) {
            b->check = check;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    }
    case BM_GETSTATE:
        return b->check | (b->pushed ? BST_PUSHED : 0u) | (b->focus ? BST_FOCUS : 0u);
    case BM_SETSTATE:
        set_pushed(window, *b, wparam != 0);
        return 0;
    case BM_SETSTYLE: {
        DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>((style & 0xFFFF0000u) | (static_cast<DWORD>(wparam) & 0xFFFFu)));
        if (LOWORD(lparam))
            InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
        if (IsWindowEnabled(window) && type != BS_GROUPBOX)
            click(window, *b);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}
