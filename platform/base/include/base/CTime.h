#pragma once

// The C runtime's time functions on base::Clock, in namespace `crt`.
//
// The program calls crt::time, crt::localtime and crt::strftime where its code would call the C
// runtime's time, localtime and strftime; they read the one clock (virtual in tests) and the
// process's time zone (TZ), the same as GetLocalTime and FileTimeToLocalFileTime. The names are
// in their own namespace so that they never collide with the C library's.
//
// strftime follows the Windows runtime in the "C" locale (%c is "%m/%d/%y %H:%M:%S", the `#`
// flag drops leading zeros, %z and %Z give the zone name) and is safe on any pattern: an
// unknown code, a dangling '%', an out-of-range field or a result that does not fit gives 0 with
// an empty (terminated) buffer and errno EINVAL or ERANGE.
//
//     crt::time_t now = crt::time(nullptr);
//     char name[260];
//     if (crt::strftime(name, sizeof(name), "News_%Y%m%d", crt::localtime(&now)) == 0) ...

#include <cstddef>
#include <ctime>

namespace crt {

using time_t = std::time_t;
using tm = std::tm;

// Seconds since 1970-01-01 UTC on the clock; also stored in *out when given.
time_t time(time_t* out);
// The local or UTC date of a time, in a per-thread buffer; NULL for times before 1970.
tm* localtime(const time_t* time);
tm* gmtime(const time_t* time);
time_t mktime(tm* date);
std::size_t strftime(char* buffer, std::size_t size, const char* format, const tm* date);
// Reads the time zone from the environment again.
void _tzset();

}
