#include <base/Clock.h>
#include <base/FileTime.h>

#include <atomic>
#include <ctime>
#include <thread>

namespace base {

namespace {

std::atomic<bool> s_virtual { false };
std::atomic<std::int64_t> s_virtual_ticks { 0 };
std::atomic<std::int64_t> s_virtual_wall_offset { 0 }; // wall = ticks + offset
std::atomic<int> s_virtual_wait_grace_ms { 20 };

std::int64_t real_ticks()
{
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

std::int64_t real_wall()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void fill_systemtime(LPSYSTEMTIME out, const std::tm& tm, int ms)
{
    out->wYear = static_cast<WORD>(tm.tm_year + 1900);
    out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    out->wDay = static_cast<WORD>(tm.tm_mday);
    out->wHour = static_cast<WORD>(tm.tm_hour);
    out->wMinute = static_cast<WORD>(tm.tm_min);
    out->wSecond = static_cast<WORD>(tm.tm_sec);
    out->wMilliseconds = static_cast<WORD>(ms);
}

}

std::int64_t Clock::ticks_ms()
{
    return s_virtual ? s_virtual_ticks.load() : real_ticks();
}

std::int64_t Clock::wall_ms()
{
    return s_virtual ? s_virtual_ticks.load() + s_virtual_wall_offset.load() : real_wall();
}

void Clock::sleep_ms(std::int64_t ms)
{
    if (ms < 0)
        ms = 0;
    if (s_virtual) {
        s_virtual_ticks += ms;
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool Clock::is_virtual() { return s_virtual; }

int Clock::virtual_wait_grace_ms() { return s_virtual_wait_grace_ms; }

void Clock::set_virtual_wait_grace_ms(int ms) { s_virtual_wait_grace_ms = ms; }

void Clock::install_virtual(std::int64_t wall_start_ms)
{
    s_virtual_ticks = real_ticks();
    s_virtual_wall_offset = wall_start_ms - s_virtual_ticks.load();
    s_virtual = true;
}

void Clock::install_real() { s_virtual = false; }

void Clock::advance_ms(std::int64_t ms)
{
    if (s_virtual && ms > 0)
        s_virtual_ticks += ms;
}

void Clock::advance_to_ticks(std::int64_t ticks)
{
    if (!s_virtual)
        return;
    auto now = s_virtual_ticks.load();
    while (now < ticks && !s_virtual_ticks.compare_exchange_weak(now, ticks)) { }
}

void Clock::set_wall_ms(std::int64_t wall)
{
    if (!s_virtual)
        return;
    advance_ms(wall - wall_ms());
}

std::int64_t Clock::make_wall_ms(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(mktime(&tm)) * 1000;
}

}

DWORD GetTickCount() { return static_cast<DWORD>(base::Clock::ticks_ms()); }

ULONGLONG GetTickCount64() { return static_cast<ULONGLONG>(base::Clock::ticks_ms()); }

void Sleep(DWORD milliseconds) { base::Clock::sleep_ms(milliseconds); }

DWORD SleepEx(DWORD milliseconds, BOOL)
{
    base::Clock::sleep_ms(milliseconds);
    return 0;
}

void GetLocalTime(LPSYSTEMTIME out)
{
    auto ms = base::Clock::wall_ms();
    std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm tm {};
    localtime_r(&seconds, &tm);
    base::fill_systemtime(out, tm, static_cast<int>(ms % 1000));
}

void GetSystemTime(LPSYSTEMTIME out)
{
    auto ms = base::Clock::wall_ms();
    std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm tm {};
    gmtime_r(&seconds, &tm);
    base::fill_systemtime(out, tm, static_cast<int>(ms % 1000));
}

void GetSystemTimeAsFileTime(LPFILETIME out)
{
    *out = base::filetime_from_unix_ms(base::Clock::wall_ms());
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    count->QuadPart = base::Clock::ticks_ms() * 1000;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    frequency->QuadPart = 1000000;
    return TRUE;
}
