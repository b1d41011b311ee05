#pragma once

// The main frame's menu bar (menu 100) and its accelerator table (table 100), registered with the
// window area once at start-up.

#include <base/Types.h>

constexpr UINT IDM_MAINMENU = 100;
constexpr UINT IDA_MAINACCELERATORS = 100;

void RegisterMainMenu();
void RegisterMainAccelerators();
