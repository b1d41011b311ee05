#include "MainMenu.h"

#include "CommandIds.h"

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
            menu_item("&Open...", CM_FILEOPEN),
            menu_item("&Archives...", CM_ARCHIVES),
            menu_item("&Close", CM_FILECLOSE),
            menu_separator(),
            menu_item("&Properties...", CM_PROPERTIES),
            menu_separator(),
            menu_item("E&xit\tAlt+F4", CM_EXIT),
        }),
        menu_popup("&Control", {
            menu_item("Full Screen\tAlt+Enter", CM_FULLSCREEN),
            menu_item("Full Window\tAlt+Enter", CM_FULLWINDOW),
            menu_item("Normal Screen\tAlt+Enter", CM_NORMALSCREEN),
            menu_separator(),
            menu_item("&TV\tHome-cursor", CM_TV),
            menu_item("TV audio only", CM_TVAUDIOONLY),
            menu_item("Channel &up\tPgUp", CM_CHANNELUP),
            menu_item("Channel &down\tPgDn", CM_CHANNELDOWN),
            menu_item("&Channels...", CM_CHANNELS),
            menu_item("VCR archives...", CM_ARCHIVES),
            menu_item("VCR timer...", CM_VCRTIMER),
            menu_separator(),
            menu_item("&Mute\tCtrl+Home", CM_MUTE),
            menu_item("Volume up\tAlt+Up-cursor", CM_VOLUMEUP),
            menu_item("Volume down\tAlt+Down-cursor", CM_VOLUMEDOWN),
            menu_separator(),
            menu_item("&Play\tCtrl+P", CM_PLAY),
            menu_item("&Stop\tCtrl+S", CM_STOP),
            menu_item("Toggle play\tSpace", CM_TOGGLEPLAY),
            menu_item("Skip &forward\tRight-cursor", CM_SKIPFORWARD),
            menu_item("Skip &backward\tLeft-cursor", CM_SKIPBACKWARD),
            menu_separator(),
            menu_item("&Record\tCtrl+R", CM_RECORD),
            menu_item("Record &audio", CM_RECORDAUDIO),
        }),
        menu_popup("&Options", {
            menu_item("&Preferences...", CM_PREFERENCES),
            menu_separator(),
            menu_item("&TV Tuner...", CM_TUNERPAGE),
            menu_item("Video &Capture...", CM_CAPTUREFILTERPAGE),
            menu_item("Video Capture &Out...", CM_CAPTUREPINPAGE),
            menu_item("Video Crossbar...", CM_CROSSBARPAGE),
            menu_separator(),
            menu_item("Mixer Pla&y control...\tCtrl+Shift+P", CM_MIXERPLAY),
            menu_item("Mixer &Record control...\tCtrl+Shift+R", CM_MIXERRECORD),
            menu_item("Sound card &Volume...\tCtrl+V", CM_SOUNDVOLUME),
            menu_item("System Multimedia P&roperties...", CM_MMPROPERTIES),
        }),
        menu_popup("&Help", {
            menu_item("&Contents", CM_HELPCONTENTS),
            menu_item("&Using help", CM_HELPUSING),
            menu_separator(),
            menu_item("&About...", CM_ABOUT),
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
        { ctrl, 'P', CM_PLAY },
        { ctrl, 'S', CM_STOP },
        { ctrl, 'R', CM_RECORD },
        { key, VK_RIGHT, CM_SKIPFORWARD },
        { ctrl, VK_RIGHT, CM_SKIPFORWARD },
        { shift, VK_RIGHT, CM_SKIPFORWARD },
        { key, VK_LEFT, CM_SKIPBACKWARD },
        { ctrl, VK_LEFT, CM_SKIPBACKWARD },
        { shift, VK_LEFT, CM_SKIPBACKWARD },
        { key, VK_HOME, CM_TV },
        { ctrl, VK_HOME, CM_MUTE },
        { ctrl_shift, 'P', CM_MIXERPLAY },
        { ctrl_shift, 'R', CM_MIXERRECORD },
        { ctrl, 'V', CM_SOUNDVOLUME },
        { alt, VK_UP, CM_VOLUMEUP },
        { alt, VK_DOWN, CM_VOLUMEDOWN },
        { key, VK_PRIOR, CM_CHANNELUP },
        { key, VK_NEXT, CM_CHANNELDOWN },
        { key, VK_SPACE, CM_TOGGLEPLAY },
        { alt, VK_RETURN, CM_FULLSCREEN },
    });
}
