// Message boxes on screen: a window of its own with the text and a row of buttons, run modally.

#include "MessageBoxWindow.h"
#include "OwnWindow.h"

#include <gdi/Gdi.h>
#include <user/User.h>

#include <algorithm>
#include <string>
#include <vector>

namespace present::detail {

namespace {

constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 8;
constexpr int kTextWidth = 360;
constexpr char kClassName[] = "OrbivaneMessageBox";

struct Box {
    std::string text;
    std::vector<int> buttons;
    std::vector<RECT> button_rects;
    RECT text_rect {};
    int focus = 0;          // index into buttons
    int pressed = -1;       // index of the button held down by the mouse
    int answer = 0;
};

const char* label(int id)
{
    switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "&Abort";
    case IDRETRY: return "&Retry";
    case IDIGNORE: return "&Ignore";
    case IDYES: return "&Yes";
    case IDNO: return "&No";
    case IDTRYAGAIN: return "&Try Again";
    case IDCONTINUE: return "&Continue";
    default: return "";
    }
}

// The answer for Escape and the close box: Cancel where there is one, OK when it is the only button.
int cancel_answer(const Box& box)
{
    for (int id : box.buttons)
        if (id == IDCANCEL)
            return id;
    return box.buttons.size() == 1 ? box.buttons.front() : 0;
}

int button_at(const Box& box, int x, int y)
{
    for (std::size_t i = 0; i < box.button_rects.size(); ++i) {
        if (contains(box.button_rects[i], x, y))
            return static_cast<int>(i);
    }
    return -1;
}

void paint(HWND window, Box& box)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT text = box.text_rect;
    DrawTextA(dc, box.text.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
    for (std::size_t i = 0; i < box.buttons.size(); ++i) {
        RECT r = box.button_rects[i];
        bool pushed = static_cast<int>(i) == box.pressed;
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
        RECT t = r;
        DrawTextA(dc, label(box.buttons[i]), -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (static_cast<int>(i) == box.focus) {
            RECT f { r.left + 3, r.top + 3, r.right - 3, r.bottom - 3 };
            DrawFocusRect(dc, &f);
        }
    }
    SelectObject(dc, old);
    EndPaint(window, &ps);
}

// The button whose label's "&" letter is `vk`, or -1.
int button_for_letter(const Box& box, WPARAM vk)
{
    for (std::size_t i = 0; i < box.buttons.size(); ++i)
        if (is_mnemonic(label(box.buttons[i]), vk))
            return static_cast<int>(i);
    return -1;
}

LRESULT CALLBACK box_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* box = reinterpret_cast<Box*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!box)
        return DefWindowProcA(window, message, wparam, lparam);
    int count = static_cast<int>(box->buttons.size());
    switch (message) {
    case WM_PAINT: paint(window, *box); return 0;
    case WM_LBUTTONDOWN:
        box->pressed = button_at(*box, static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)));
        if (box->pressed >= 0)
            box->focus = box->pressed;
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        int at = button_at(*box, static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)));
        if (at >= 0 && at == box->pressed)
            box->answer = box->buttons[static_cast<std::size_t>(at)];
        box->pressed = -1;
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_KEYDOWN:
        switch (wparam) {
        case VK_RETURN:
        case VK_SPACE: box->answer = box->buttons[static_cast<std::size_t>(box->focus)]; return 0;
        case VK_ESCAPE: box->answer = cancel_answer(*box); return 0;
        case VK_TAB:
        case VK_RIGHT: box->focus = (box->focus + 1) % count; break;
        case VK_LEFT: box->focus = (box->focus + count - 1) % count; break;
        default:
            if (int i = button_for_letter(*box, wparam); i >= 0)
                box->answer = box->buttons[static_cast<std::size_t>(i)];
            return 0;
        }
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_CLOSE: box->answer = cancel_answer(*box); return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}

int show_message_box(const user::MessageBoxCall& call)
{
    register_own_class(kClassName, box_proc, COLOR_BTNFACE);
    Box box;
    box.text = call.text;
    box.buttons = user::message_box_buttons(call.type);
    int fallback = user::message_box_default(call.type);
    box.focus = static_cast<int>(std::find(box.buttons.begin(), box.buttons.end(), fallback) - box.buttons.begin());

    // Layout: the text on top, the buttons centred under it.
    RECT text { 0, 0, kTextWidth, 0 };
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(screen, box.text.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    int count = static_cast<int>(box.buttons.size());
    int row = count * kButtonWidth + (count - 1) * kButtonGap;
    int width = std::max<int>(text.right, row) + 2 * kMargin;
    int height = kMargin + std::max<int>(text.bottom, 13) + kMargin + kButtonHeight + kMargin;
    box.text_rect = { kMargin, kMargin, width - kMargin, kMargin + text.bottom };
    int x = (width - row) / 2, y = height - kMargin - kButtonHeight;
    for (int i = 0; i < count; ++i)
        box.button_rects.push_back({ x + i * (kButtonWidth + kButtonGap), y,
            x + i * (kButtonWidth + kButtonGap) + kButtonWidth, y + kButtonHeight });

    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame { 0, 0, width, height };
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    RECT around { 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    if (call.owner && IsWindow(call.owner))
        GetWindowRect(call.owner, &around);
    int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    int fx = std::max<int>(0, around.left + (around.right - around.left - fw) / 2);
    int fy = std::max<int>(0, around.top + (around.bottom - around.top - fh) / 2);
    DWORD ex_style = WS_EX_DLGMODALFRAME | ((call.type & (MB_TOPMOST | MB_SYSTEMMODAL)) ? WS_EX_TOPMOST : 0);
    HWND window = CreateWindowExA(ex_style, kClassName, call.caption.c_str(), style, fx, fy, fw, fh,
        call.owner && IsWindow(call.owner) ? call.owner : nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return fallback;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);

    bool quit = false;
    int quit_code = 0;
    while (!box.answer) {
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            quit = true;
            quit_code = static_cast<int>(msg.wParam);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    if (call.owner && IsWindow(call.owner))
        SetForegroundWindow(call.owner);
    if (quit) {
        PostQuitMessage(quit_code); // the caller's loop sees it too
        return fallback;
    }
    return box.answer;
}

}
