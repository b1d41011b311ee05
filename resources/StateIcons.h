#pragma once

// The program's icons, one pair (32 x 32 for the frame's caption and task bar, 16 x 16 for the
// small caption icon and the notification area) for each activity: idle, recording, TV or playing.
// RegisterStateIcons() draws them once and registers them with the image resources at start-up.

#include <base/Types.h>

constexpr UINT IDI_IDLE = 1003;
constexpr UINT IDI_IDLE_SMALL = 1004;
constexpr UINT IDI_RECORDING_SMALL = 1005;
constexpr UINT IDI_RECORDING = 1006;
constexpr UINT IDI_TV_SMALL = 1007;
constexpr UINT IDI_TV = 1008;

void RegisterStateIcons();
