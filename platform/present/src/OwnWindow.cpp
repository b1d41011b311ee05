#include "OwnWindow.h"

#include <base/Text.h>
#include <gdi/Gdi.h>

#include <cstring>

namespace present::detail {

void register_own_class(const char* name, WNDPROC proc, int background_color)
{
    WNDCLASSA wc {};
    if (GetClassInfoA(nullptr, name, &wc))
        return;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    wc.hbrBackground = GetSysColorBrush(background_color);
    RegisterClassA(&wc);
}

bool contains(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool is_mnemonic(const char* label, WPARAM vk)
{
    const char* amp = std::strchr(label, '&');
    return amp && amp[1] && static_cast<WPARAM>(static_cast<unsigned char>(base::upper_ascii(amp[1]))) == vk;
}

}
