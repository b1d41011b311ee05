#pragma once

// FILETIME arithmetic: the Windows time stamp (100-nanosecond intervals since 1601-01-01 UTC),
// its conversion to and from Unix time, to the local time zone (TZ) and to calendar fields.
//
// Every FILETIME the layer makes (file times, the registry's key times, the system time) goes
// through these, so the 1601 epoch is written in one place.
//
//     FILETIME now = base::filetime_from_unix_ms(base::Clock::wall_ms());
//     SYSTEMTIME fields;
//     FileTimeToSystemTime(&now, &fields);

#include <base/Types.h>

#include <cstdint>

namespace base {

// FILETIME <-> milliseconds since 1970-01-01 UTC.
FILETIME filetime_from_unix_ms(std::int64_t ms);
std::int64_t unix_ms_from_filetime(const FILETIME& time);
// A Unix time stamp in seconds and nanoseconds (as struct timespec holds it).
FILETIME filetime_from_unix_time(std::int64_t seconds, std::uint32_t nanoseconds);

}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b);
BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc);
// Fails for times with the top bit set; SystemTimeToFileTime for fields out of their ranges
// or years outside 1601..30827.
BOOL FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME system_time);
BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, LPFILETIME time);
