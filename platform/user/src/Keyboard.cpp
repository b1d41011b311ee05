// Key state (per thread and asynchronous), key input and the cursor position.

#include "Ops.h"

#include <user/Keyboard.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>

namespace user::detail {

namespace {

thread_local std::array<BYTE, 256> t_keys {};
std::array<std::atomic<BYTE>, 256> s_async {};
std::mutex s_cursor_mutex;
POINT s_cursor { 0, 0 };

void set_key(std::array<BYTE, 256>& keys, UINT vk, bool down)
{
    vk &= 0xFF;
    if (down && !(keys[vk] & 0x80))
        keys[vk] ^= 0x01;
    keys[vk] = static_cast<BYTE>(down ? (keys[vk] | 0x80) : (keys[vk] & ~0x80));
}

// The generic key of a left or right modifier.
UINT generic_of(UINT vk)
{
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    }
    return vk;
}

}

void note_input(const MSG& msg)
{
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        UINT vk = static_cast<UINT>(msg.wParam) & 0xFF;
        set_key(t_keys, vk, down);
        if (generic_of(vk) != vk)
            set_key(t_keys, generic_of(vk), down);
        break;
    }
    case WM_LBUTTONDOWN: set_key(t_keys, VK_LBUTTON, true); break;
    case WM_LBUTTONUP: set_key(t_keys, VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: set_key(t_keys, VK_RBUTTON, true); break;
    case WM_RBUTTONUP: set_key(t_keys, VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: set_key(t_keys, VK_MBUTTON, true); break;
    case WM_MBUTTONUP: set_key(t_keys, VK_MBUTTON, false); break;
    }
}

char char_for_key(UINT vk)
{
    bool shift = (t_keys[VK_SHIFT] & 0x80) != 0;
    bool control = (t_keys[VK_CONTROL] & 0x80) != 0;
    bool caps = (t_keys[VK_CAPITAL] & 0x01) != 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (control)
            return static_cast<char>(vk - 'A' + 1);
        return static_cast<char>((shift != caps) ? vk : vk - 'A' + 'a');
    }
    if (control)
        return 0;
    if (vk >= '0' && vk <= '9')
        return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<char>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return static_cast<char>('0' + (vk - VK_NUMPAD0));
    switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    case VK_SUBTRACT: return '-';
    case VK_ADD: return '+';
    case VK_MULTIPLY: return '*';
    case VK_DIVIDE: return '/';
    case VK_DECIMAL: return '.';
    }
    return 0;
}

POINT cursor_position()
{
    std::lock_guard guard(s_cursor_mutex);
    return s_cursor;
}

}

using namespace user::detail;

SHORT GetKeyState(int vk)
{
    BYTE k = t_keys[static_cast<UINT>(vk) & 0xFF];
    return static_cast<SHORT>(((k & 0x80) ? 0xFF80 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vk)
{
    BYTE k = s_async[static_cast<UINT>(vk) & 0xFF].load();
    return static_cast<SHORT>((k & 0x80) ? 0x8000 : 0);
}

BOOL GetCursorPos(LPPOINT point)
{
    if (!point)
        return FALSE;
    *point = cursor_position();
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    std::lock_guard guard(s_cursor_mutex);
    s_cursor = { x, y };
    return TRUE;
}

namespace user {

bool key_input(UINT vk, bool down)
{
    vk &= 0xFF;
    s_async[vk].store(down ? 0x80 : 0);
    if (generic_of(vk) != vk)
        s_async[generic_of(vk)].store(down ? 0x80 : 0);
    HWND foreground = GetForegroundWindow();
    if (!foreground)
        return false;
    HWND target = foreground;
    DWORD thread = GetWindowThreadProcessId(foreground, nullptr);
    // The focus window of the foreground thread, found through the window table.
    std::vector<HWND> candidates;
    EnumChildWindows(foreground, [](HWND h, LPARAM l) {
        reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&candidates));
    HWND focus = focus_of_thread(thread);
    if (focus && (focus == foreground || std::find(candidates.begin(), candidates.end(), focus) != candidates.end()))
        target = focus;
    bool alt = (s_async[VK_MENU].load() & 0x80) != 0;
    bool sys = (alt && vk != VK_MENU) || vk == VK_F10 || (vk == VK_MENU);
    UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lparam = 1 | (alt ? (1 << 29) : 0) | (down ? 0 : (3u << 30));
    return PostMessageA(target, message, vk, lparam) != FALSE;
}

}
