#pragma once

// How many bytes a second of recorded TV takes, on which the File page's time estimate rests.
//
// The sound takes the rate of the application's default recording sound format when one is set,
// else that of 16-bit stereo PCM at 44.1 kHz (176,400), as the wave input records it. An AVI
// recording (format 0) also holds the capture device's picture as the device delivers it: the
// rate of the capture pin's current stream format (its stated bit rate, else a frame's size times
// the frames a second). The other formats compress the picture to a rate that is not known here,
// so their estimate rests on the sound alone.
//
//     DWORD rate = RecordingRate(format, Settings.Tuner);   // 0: nothing to estimate with

#include <base/Types.h>

// The sound's bytes per second.
DWORD DefaultRecordingRate();
// The bytes per second of the capture pin's stream format of the video input device `deviceName`
// (whole name, case ignored; empty: the first device); 0 when there is no such device or its
// format cannot be read.
DWORD CaptureVideoRate(const char* deviceName);
// The bytes per second of a TV recording in `format` (DefaultMediaFormat) from `deviceName`.
DWORD RecordingRate(LONG format, const char* deviceName);
