#pragma once

// One entry of the station table: a channel number and the station's name.
//
// Channel 2 and above is a tuner channel, 0 and 1 are the external input lines L1 and L2,
// and -1 marks an entry that is not in use.

#include <base/Types.h>

struct StationEntry {
    LONG Channel;
    char Name[40]; // at most 39 characters and the terminator
};
