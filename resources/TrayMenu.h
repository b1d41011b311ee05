#pragma once

// The notification-area icon's menu (menu 1200, one popup "&Tray"), registered with the window
// area once at start-up. The menu id is also the icon's id, so the icon knows which menu to load.

#include <base/Types.h>

constexpr UINT IDM_TRAYMENU = 1200;

constexpr UINT CM_TRAYMUTE = 1201;
constexpr UINT CM_TRAYABOUT = 1202;
constexpr UINT CM_TRAYEXIT = 1203;
constexpr UINT CM_TRAYRESTORE = 1204;
constexpr UINT CM_TRAYTV = 1206;

void RegisterTrayMenu();
