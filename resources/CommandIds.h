#pragma once

// The application-level command identifiers of the main menu and its accelerators.

#include <base/Types.h>

constexpr UINT CM_HELPCONTENTS = 2001;
constexpr UINT CM_HELPUSING = 2002;
constexpr UINT CM_ABOUT = 2009;
constexpr UINT CM_PREFERENCES = 25006;
constexpr UINT CM_MIXERPLAY = 25001;
constexpr UINT CM_MIXERRECORD = 25002;
constexpr UINT CM_SOUNDVOLUME = 25003;
constexpr UINT CM_MMPROPERTIES = 25015;
constexpr UINT CM_SAVESETTINGS = 18999;
constexpr UINT CM_EXIT = 24310;

// The main window's own commands: TV, channels, sound, playback, recording, screen modes and the
// capture device's pages.
constexpr UINT CM_TV = 1800;
constexpr UINT CM_ARCHIVES = 1801;
constexpr UINT CM_VCRTIMER = 1802;
constexpr UINT CM_CHANNELUP = 1803;
constexpr UINT CM_CHANNELDOWN = 1804;
constexpr UINT CM_PLAY = 1806;
constexpr UINT CM_STOP = 1807;
constexpr UINT CM_RECORD = 1808;
constexpr UINT CM_SKIPFORWARD = 1810;
constexpr UINT CM_SKIPBACKWARD = 1811;
constexpr UINT CM_POSITIONSTATUS = 1814;
constexpr UINT CM_MUTE = 1816;
constexpr UINT CM_MUTEOTHER = 1817; // a second mute command without a menu item
constexpr UINT CM_RECORDAUDIO = 1819;
constexpr UINT CM_CHANNELS = 1825;
constexpr UINT CM_TOGGLEPLAY = 1826;
constexpr UINT CM_TVAUDIOONLY = 1827;
constexpr UINT CM_VOLUMEUP = 1828;
constexpr UINT CM_VOLUMEDOWN = 1829;
constexpr UINT CM_HALFRATE = 1830;
constexpr UINT CM_RESETPLAYBACK = 24331;
constexpr UINT CM_FILEOPEN = 24332;
constexpr UINT CM_REFRESHPLAYBACK = 24333;
constexpr UINT CM_FILESAVEAS = 24334;
constexpr UINT CM_FILECLOSE = 24339;
constexpr UINT CM_PROPERTIES = 25020;
constexpr UINT CM_FULLSCREEN = 25094;
constexpr UINT CM_FULLWINDOW = 25095;
constexpr UINT CM_NORMALSCREEN = 25096;
constexpr UINT CM_TUNERPAGE = 27000;
constexpr UINT CM_CAPTUREFILTERPAGE = 27001;
constexpr UINT CM_CAPTUREPINPAGE = 27002;
constexpr UINT CM_CROSSBARPAGE = 27003;
constexpr UINT CM_NOACTION = 28000; // handled, and does nothing
