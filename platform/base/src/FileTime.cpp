// FILETIME arithmetic (base/FileTime.h).

#include <base/Errors.h>
#include <base/FileTime.h>

#include <ctime>

namespace base {

namespace {

constexpr ULONGLONG epoch_delta = 116444736000000000ull; // 100 ns units from 1601 to 1970

ULONGLONG to_u64(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

FILETIME from_u64(ULONGLONG v) { return FILETIME { static_cast<DWORD>(v), static_cast<DWORD>(v >> 32) }; }

BOOL invalid()
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// The local time zone's offset from UTC, in seconds, at a moment given in UTC seconds.
std::int64_t local_offset_at(std::int64_t utc_seconds)
{
    std::time_t t = static_cast<std::time_t>(utc_seconds);
    std::tm tm {};
    localtime_r(&t, &tm);
    return tm.tm_gmtoff;
}

std::int64_t seconds_since_1970(ULONGLONG filetime)
{
    return (static_cast<std::int64_t>(filetime) - static_cast<std::int64_t>(epoch_delta)) / 10000000;
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

}

FILETIME filetime_from_unix_ms(std::int64_t ms) { return from_u64(static_cast<ULONGLONG>(ms * 10000) + epoch_delta); }

std::int64_t unix_ms_from_filetime(const FILETIME& time)
{
    return (static_cast<std::int64_t>(to_u64(time)) - static_cast<std::int64_t>(epoch_delta)) / 10000;
}

FILETIME filetime_from_unix_time(std::int64_t seconds, std::uint32_t nanoseconds)
{
    return from_u64(static_cast<ULONGLONG>(seconds * 10000000ll + nanoseconds / 100) + epoch_delta);
}

}

using namespace base;

LONG CompareFileTime(const FILETIME* a, const FILETIME* b)
{
    ULONGLONG va = to_u64(*a), vb = to_u64(*b);
    return va < vb ? -1 : va > vb ? 1 : 0;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local)
{
    if (!utc || !local)
        return invalid();
    ULONGLONG value = to_u64(*utc);
    std::int64_t offset = local_offset_at(seconds_since_1970(value));
    *local = from_u64(value + static_cast<ULONGLONG>(offset * 10000000ll));
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc)
{
    if (!local || !utc)
        return invalid();
    ULONGLONG value = to_u64(*local);
    std::int64_t guess = seconds_since_1970(value);
    std::int64_t offset = local_offset_at(guess - local_offset_at(guess));
    *utc = from_u64(value - static_cast<ULONGLONG>(offset * 10000000ll));
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME out)
{
    if (!time || !out || (time->dwHighDateTime & 0x80000000u))
        return invalid();
    ULONGLONG value = to_u64(*time);
    ULONGLONG total_ms = value / 10000;
    std::int64_t days_since_1601 = static_cast<std::int64_t>(total_ms / 86400000ull);
    ULONGLONG ms_of_day = total_ms % 86400000ull;
    std::int64_t year;
    unsigned month, day;
    civil_from_days(days_since_1601 + days_from_civil(1601, 1, 1), year, month, day);
    out->wYear = static_cast<WORD>(year);
    out->wMonth = static_cast<WORD>(month);
    out->wDay = static_cast<WORD>(day);
    out->wDayOfWeek = static_cast<WORD>((days_since_1601 + 1) % 7); // 1601-01-01 was a Monday
    out->wHour = static_cast<WORD>(ms_of_day / 3600000);
    out->wMinute = static_cast<WORD>(ms_of_day / 60000 % 60);
    out->wSecond = static_cast<WORD>(ms_of_day / 1000 % 60);
    out->wMilliseconds = static_cast<WORD>(ms_of_day % 1000);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* in, LPFILETIME time)
{
    if (!in || !time)
        return invalid();
    static constexpr unsigned month_days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    bool leap = (in->wYear % 4 == 0 && in->wYear % 100 != 0) || in->wYear % 400 == 0;
    if (in->wYear < 1601 || in->wYear > 30827 || in->wMonth < 1 || in->wMonth > 12 || in->wDay < 1
        || in->wDay > month_days[in->wMonth - 1] + (in->wMonth == 2 && leap ? 1 : 0) || in->wHour > 23 || in->wMinute > 59
        || in->wSecond > 59 || in->wMilliseconds > 999)
        return invalid();
    std::int64_t days = days_from_civil(in->wYear, in->wMonth, in->wDay) - days_from_civil(1601, 1, 1);
    ULONGLONG ms = static_cast<ULONGLONG>(days) * 86400000ull + in->wHour * 3600000ull + in->wMinute * 60000ull
        + in->wSecond * 1000ull + in->wMilliseconds;
    *time = from_u64(ms * 10000);
    return TRUE;
}
