#pragma once

// The one clock of the process: real time, or a virtual time that tests install.
//
// Everything that reads or waits on time goes through here: Sleep, GetTickCount, GetLocalTime,
// waits with time-outs, window timers and the media graph's reference clock. Under a virtual
// clock, time stands still until something sleeps or a test advances it; sleeping advances it
// at once, so a retry loop of many seconds costs no real time. A timed wait under a virtual
// clock first lets other threads run for a short real grace, then jumps to its deadline.
//
//     base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 7, 20, 15, 0));
//     Sleep(7000);                  // returns at once; ticks_ms() is 7000 later
//     base::Clock::install_real();

#include <base/Types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace base {

class Clock {
public:
    // Milliseconds on a monotonic scale (GetTickCount truncates it to 32 bits).
    static std::int64_t ticks_ms();
    // Milliseconds since 1970-01-01 UTC.
    static std::int64_t wall_ms();
    // Seconds since 1970-01-01 UTC (the C runtime's time()).
    static std::int64_t wall_seconds() { return wall_ms() / 1000; }

    static void sleep_ms(std::int64_t ms);

    static bool is_virtual();
    // Switches the process to a virtual clock whose wall time starts at wall_start_ms.
    static void install_virtual(std::int64_t wall_start_ms);
    static void install_real();
    // Moves a virtual clock forward; ignored under the real clock.
    static void advance_ms(std::int64_t ms);
    // Sets a virtual clock's wall time (ticks move by the same amount; never backwards).
    static void set_wall_ms(std::int64_t wall_ms);

    // Milliseconds since the epoch of a local date and time (the process's time zone).
    static std::int64_t make_wall_ms(int year, int month, int day, int hour, int minute, int second);

    // Waits on `cv` until `pred()` holds or the clock reaches `deadline_ticks`; returns pred().
    template<typename Pred>
    static bool wait_until(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, std::int64_t deadline_ticks, Pred pred)
    {
        if (!is_virtual()) {
            auto now = ticks_ms();
            if (deadline_ticks <= now)
                return pred();
            auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadline_ticks - now);
            return cv.wait_until(lock, until, pred);
        }
        // Virtual: a short real grace for other threads, then the deadline arrives.
        auto grace_end = std::chrono::steady_clock::now() + std::chrono::milliseconds(virtual_wait_grace_ms());
        while (!pred()) {
            if (ticks_ms() >= deadline_ticks)
                return false;
            if (std::chrono::steady_clock::now() >= grace_end) {
                advance_to_ticks(deadline_ticks);
                return pred();
            }
            cv.wait_for(lock, std::chrono::milliseconds(1));
        }
        return true;
    }

    // Waits on `cv` until `pred()` holds, with no time-out.
    template<typename Pred>
    static void wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Pred pred)
    {
        cv.wait(lock, pred);
    }

    // Moves a virtual clock forward to `ticks` if it is not there yet.
    static void advance_to_ticks(std::int64_t ticks);

    // Real milliseconds a timed wait under a virtual clock gives other threads before it times out
    // (20 unless a test that must not depend on scheduling sets a longer one).
    static int virtual_wait_grace_ms();
    static void set_virtual_wait_grace_ms(int ms);
};

}

// Windows time functions over the clock.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
void Sleep(DWORD milliseconds);
DWORD SleepEx(DWORD milliseconds, BOOL alertable);
void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTime(LPSYSTEMTIME time);
void GetSystemTimeAsFileTime(LPFILETIME time);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
