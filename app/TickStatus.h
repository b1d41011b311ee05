#pragma once

// The texts the one-second tick shows in the control bar's status field: a recording's elapsed
// time and file size, and the dropped-frame ratio while TV shows video.
//
//     RecordingStatusText(3725, 12897484);   // " 1:02:05   12.30MB"
//     DropStatusText(0.0123f);               // "  drops=1.23%"

#include <base/Types.h>

#include <string>

// " h:mm:ss" (" m:ss" under an hour) for the seconds, then three blanks and the size in MB with
// three, two or no decimals (below 1, below 100, from 100 MB); either part is left out when its
// value is 0 or -1 (unknown). The size is the low 32 bits of the byte count, read unsigned.
std::string RecordingStatusText(LONG seconds, LONG bytes);
// "  drops=%.2f%" of the ratio (0..1) as a percentage.
std::string DropStatusText(float ratio);
