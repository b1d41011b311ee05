#pragma once

// The template of the WinMedia page (dialog 2200). RegisterWinMediaPage() registers it when it is
// missing; the page calls it as it is made.

#include <base/Types.h>

constexpr UINT IDD_SET_WMENC = 2200;

void RegisterWinMediaPage();
