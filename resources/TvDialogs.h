#pragma once

// The templates of the TV page (dialog 1400) and the advanced tuner dialog "TV Tuner Advanced
// Properties" (dialog 1450). RegisterTvDialogs() registers whichever is missing; the page and the
// dialog call it as they are made.

#include <base/Types.h>

constexpr UINT IDD_SET_TV = 1400;
constexpr UINT IDD_TV_ADVANCED = 1450;

void RegisterTvDialogs();
