#pragma once

// The templates of the Stations page (dialog 1700) and the station editor (dialog 700).
// RegisterStationDialogs() registers whichever is missing; the page and the editor call it as
// they are made.

#include <base/Types.h>

constexpr UINT IDD_STATION = 700;
constexpr UINT IDD_SET_STATION = 1700;

void RegisterStationDialogs();
