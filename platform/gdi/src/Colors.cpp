#include <gdi/Colors.h>

#include "Handles.h"

#include <array>
#include <mutex>

namespace {

constexpr std::array<COLORREF, gdi::kSysColorCount> kScheme = {
    RGB(192, 192, 192), // COLOR_SCROLLBAR
    RGB(0, 128, 128),   // COLOR_BACKGROUND
    RGB(0, 0, 128),     // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(212, 208, 200), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(212, 208, 200), // COLOR_ACTIVEBORDER
    RGB(212, 208, 200), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(10, 36, 106),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(212, 208, 200), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),    // COLOR_3DDKSHADOW
    RGB(212, 208, 200), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(181, 181, 181), // 25, unused
    RGB(0, 0, 255),     // COLOR_HOTLIGHT
    RGB(166, 202, 240), // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192), // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),   // COLOR_MENUHILIGHT
    RGB(212, 208, 200), // COLOR_MENUBAR
};

}

DWORD GetSysColor(int index)
{
    if (index < 0 || index >= gdi::kSysColorCount)
        return 0;
    return kScheme[static_cast<std::size_t>(index)];
}

HBRUSH GetSysColorBrush(int index)
{
    if (index < 0 || index >= gdi::kSysColorCount)
        return nullptr;
    static std::once_flag once;
    static std::array<HBRUSH, gdi::kSysColorCount> brushes {};
    std::call_once(once, [] {
        for (int i = 0; i < gdi::kSysColorCount; ++i) {
            auto brush = std::make_shared<gdi::detail::Brush>();
            brush->color = kScheme[static_cast<std::size_t>(i)];
            brush->stock = true;
            brushes[static_cast<std::size_t>(i)] = static_cast<HBRUSH>(gdi::detail::add(brush));
        }
    });
    return brushes[static_cast<std::size_t>(index)];
}
