// SetTimer and KillTimer: timers kept in the owning thread's queue (see Queue.cpp for WM_TIMER).

#include "Ops.h"
#include "Queue.h"

#include <base/Clock.h>
#include <base/Errors.h>
#include <base/Sync.h>
#include <base/Threads.h>

#include <algorithm>

namespace user::detail {

namespace {

UINT_PTR s_next_thread_timer = 0x7FF0;

}

void kill_window_timers(HWND window)
{
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    auto q = queue_of(thread);
    if (!q)
        return;
    std::lock_guard guard(base::sync_mutex());
    std::erase_if(q->timers, [&](const Timer& t) { return t.window == window; });
    touch(*q);
}

void set_system_timer(HWND window, UINT_PTR id, UINT elapse)
{
    auto q = current_queue();
    std::lock_guard guard(base::sync_mutex());
    std::int64_t due = base::Clock::ticks_ms() + elapse;
    auto it = std::find_if(q->timers.begin(), q->timers.end(), [&](const Timer& t) { return t.system && t.window == window && t.id == id; });
    if (it != q->timers.end()) {
        it->elapse = elapse;
        it->due = due;
    } else {
        q->timers.push_back({ window, id, elapse, due, nullptr, true });
    }
    touch(*q);
}

void kill_system_timer(HWND window, UINT_PTR id)
{
    auto q = current_queue();
    std::lock_guard guard(base::sync_mutex());
    std::erase_if(q->timers, [&](const Timer& t) { return t.system && t.window == window && t.id == id; });
    touch(*q);
}

bool timer_has_proc(HWND window, UINT_PTR id, TIMERPROC proc)
{
    auto q = queue_of(GetCurrentThreadId());
    if (!q)
        return false;
    std::lock_guard guard(base::sync_mutex());
    return std::any_of(q->timers.begin(), q->timers.end(),
        [&](const Timer& t) { return !t.system && t.window == window && t.id == id && t.proc == proc; });
}

}

using namespace user::detail;

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (window) {
        auto w = checked(window);
        if (!w)
            return 0;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    auto q = current_queue();
    std::lock_guard guard(base::sync_mutex());
    std::int64_t due = base::Clock::ticks_ms() + elapse;
    auto it = std::find_if(q->timers.begin(), q->timers.end(), [&](const Timer& t) { return !t.system && t.window == window && t.id == id; });
    if (it != q->timers.end() && (window || id)) {
        it->elapse = elapse;
        it->due = due;
        it->proc = proc;
    } else {
        if (!window) {
            id = ++s_next_thread_timer;
        }
        q->timers.push_back({ window, id, elapse, due, proc });
    }
    touch(*q);
    return window ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    DWORD thread = GetCurrentThreadId();
    if (window) {
        auto w = checked(window);
        if (!w)
            return FALSE;
        thread = w->thread;
    }
    auto q = queue_of(thread);
    if (!q) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard guard(base::sync_mutex());
    auto before = q->timers.size();
    std::erase_if(q->timers, [&](const Timer& t) { return !t.system && t.window == window && t.id == id; });
    if (q->timers.size() == before) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    touch(*q);
    return TRUE;
}
