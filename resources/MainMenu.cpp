#include "MainMenu.h"

#include <user/Accelerators.h>
#include <user/Keyboard.h>
#include <user/Menus.h>

using user::menu_item;
using user::menu_popup;
using user::menu_separator;

void RegisterMainMenu()
{
    user::register_menu(IDM_MAINMENU, {
        menu_popup("&File", {
            menu_item("&Open...", 24332),
            menu_item("&Archives...", 1801),
            menu_item("&Close", 24339),
            menu_separator(),
            menu_item("&Properties...", 25020),
            menu_separator(),
            menu_item("E&xit\tAlt+F4", 24310),
        }),
        menu_popup("&Control", {
            menu_item("Full Screen\tAlt+Enter", 25094),
            menu_item("Full Window\tAlt+Enter", 25095),
            menu_item("Normal Screen\tAlt+Enter", 25096),
            menu_separator(),
            menu_item("&TV\tHome-cursor", 1800),
            menu_item("TV audio only", 1827),
            menu_item("Channel &up\tPgUp", 1803),
            menu_item("Channel &down\tPgDn", 1804),
            menu_item("&Channels...", 1825),
            menu_item("VCR archives...", 1801),
            menu_item("VCR timer...", 1802),
            menu_separator(),
            menu_item("&Mute\tCtrl+Home", 1816),
            menu_item("Volume up\tAlt+Up-cursor", 1828),
            menu_item("Volume down\tAlt+Down-cursor", 1829),
            menu_separator(),
            menu_item("&Play\tCtrl+P", 1806),
            menu_item("&Stop\tCtrl+S", 1807),
            menu_item("Toggle play\tSpace", 1826),
            menu_item("Skip &forward\tRight-cursor", 1810),
            menu_item("Skip &backward\tLeft-cursor", 1811),
            menu_separator(),
            menu_item("&Record\tCtrl+R", 1808),
            menu_item("Record &audio", 1819),
        }),
        menu_popup("&Options", {
            menu_item("&Preferences...", 25006),
            menu_separator(),
            menu_item("&TV Tuner...", 27000),
            menu_item("Video &Capture...", 27001),
            menu_item("Video Capture &Out...", 27002),
            menu_item("Video Crossbar...", 27003),
            menu_separator(),
            menu_item("Mixer Pla&y control...\tCtrl+Shift+P", 25001),
            menu_item("Mixer &Record control...\tCtrl+Shift+R", 25002),
            menu_item("Sound card &Volume...\tCtrl+V", 25003),
            menu_item("System Multimedia P&roperties...", 25015),
        }),
        menu_popup("&Help", {
            menu_item("&Contents", 2001),
            menu_item("&Using help", 2002),
            menu_separator(),
            menu_item("&About...", 2009),
        }),
    });
}

void RegisterMainAccelerators()
{
    constexpr BYTE key = FVIRTKEY;
    constexpr BYTE ctrl = FVIRTKEY | FCONTROL;
    constexpr BYTE shift = FVIRTKEY | FSHIFT;
    constexpr BYTE alt = FVIRTKEY | FALT;
    constexpr BYTE ctrl_shift = FVIRTKEY | FCONTROL | FSHIFT;
    user::register_accelerators(IDA_MAINACCELERATORS, {
        { ctrl, 'P', 1806 },
        { ctrl, 'S', 1807 },
        { ctrl, 'R', 1808 },
        { key, VK_RIGHT, 1810 },
        { ctrl, VK_RIGHT, 1810 },
        { shift, VK_RIGHT, 1810 },
        { key, VK_LEFT, 1811 },
        { ctrl, VK_LEFT, 1811 },
        { shift, VK_LEFT, 1811 },
        { key, VK_HOME, 1800 },
        { ctrl, VK_HOME, 1816 },
        { ctrl_shift, 'P', 25001 },
        { ctrl_shift, 'R', 25002 },
        { ctrl, 'V', 25003 },
        { alt, VK_UP, 1828 },
        { alt, VK_DOWN, 1829 },
        { key, VK_PRIOR, 1803 },
        { key, VK_NEXT, 1804 },
        { key, VK_SPACE, 1826 },
        { alt, VK_RETURN, 25094 },
    });
}
