// Per-thread message queues: posting, sending within and across threads, retrieving and
// dispatching, WM_QUIT, and waits that combine queue input with kernel objects.

#include "Ops.h"
#include "Queue.h"

#include <base/Clock.h>
#include <base/Errors.h>
#include <base/Sync.h>
#include <base/Threads.h>

#include <algorithm>
#include <map>

namespace user::detail {

namespace {

std::map<DWORD, std::shared_ptr<Queue>>& queues()
{
    static std::map<DWORD, std::shared_ptr<Queue>> table;
    return table;
}

// Ends the thread's queue when the thread ends: senders waiting on it get 0.
struct QueueOwner {
    std::shared_ptr<Queue> queue;
    ~QueueOwner()
    {
        if (!queue)
            return;
        std::lock_guard guard(base::sync_mutex());
        queue->alive = false;
        for (auto& s : queue->sent)
            s->done = true;
        queue->sent.clear();
        queues().erase(queue->thread);
        touch(*queue);
    }
};

thread_local QueueOwner t_owner;
thread_local int t_in_send = 0;
thread_local DWORD t_last_time = 0;
thread_local POINT t_last_pos { 0, 0 };

bool window_matches(HWND filter, HWND window)
{
    if (!filter)
        return true;
    if (filter == reinterpret_cast<HWND>(-1))
        return window == nullptr;
    return window == filter || IsChild(filter, window);
}

bool range_matches(UINT first, UINT last, UINT message)
{
    if (first == 0 && last == 0)
        return true;
    if (first > last)
        return message >= first || message <= last;
    return message >= first && message <= last;
}

// Handles every message other threads sent to this one; returns whether there was any.
bool serve_sent(Queue& q)
{
    bool any = false;
    for (;;) {
        std::shared_ptr<Sent> s;
        {
            std::lock_guard guard(base::sync_mutex());
            if (q.sent.empty())
                return any;
            s = q.sent.front();
            q.sent.pop_front();
        }
        any = true;
        ++t_in_send;
        LRESULT result = s->task ? s->task() : call(s->window, s->message, s->wparam, s->lparam);
        --t_in_send;
        std::lock_guard guard(base::sync_mutex());
        s->result = result;
        s->done = true;
        touch(q);
        base::sync_changed().notify_all();
    }
}

// The earliest due time of the queue's timers, or -1 (under sync_mutex()).
std::int64_t next_due(const Queue& q)
{
    std::int64_t due = -1;
    for (auto& t : q.timers)
        if (due < 0 || t.due < due)
            due = t.due;
    return due;
}

// Finds the next message without waiting; serves sent messages on the way.
bool take(Queue& q, LPMSG msg, HWND filter, UINT first, UINT last, UINT remove, std::uint64_t* serial)
{
    serve_sent(q);
    // Window matching asks the window table, so the posted list is copied out of the sync lock.
    std::deque<MSG> posted;
    {
        std::lock_guard guard(base::sync_mutex());
        if (serial)
            *serial = q.serial;
        posted = q.posted;
    }
    for (std::size_t i = 0; i < posted.size(); ++i) {
        const MSG& m = posted[i];
        if (!range_matches(first, last, m.message) || !window_matches(filter, m.hwnd))
            continue;
        *msg = m;
        if (remove & PM_REMOVE) {
            std::lock_guard guard(base::sync_mutex());
            auto it = std::find_if(q.posted.begin(), q.posted.end(), [&](const MSG& p) {
                return p.hwnd == m.hwnd && p.message == m.message && p.wParam == m.wParam && p.lParam == m.lParam && p.time == m.time;
            });
            if (it != q.posted.end())
                q.posted.erase(it);
        }
        return true;
    }
    {
        std::lock_guard guard(base::sync_mutex());
        if (q.quit && range_matches(first, last, WM_QUIT)) {
            *msg = { nullptr, WM_QUIT, static_cast<WPARAM>(q.quit_code), 0, GetTickCount(), cursor_position() };
            if (remove & PM_REMOVE)
                q.quit = false;
            return true;
        }
    }
    if (range_matches(first, last, WM_PAINT)) {
        if (HWND h = paint_candidate(q.thread, filter)) {
            *msg = { h, WM_PAINT, 0, 0, GetTickCount(), cursor_position() };
            return true;
        }
    }
    if (range_matches(first, last, WM_TIMER) || range_matches(first, last, WM_SYSTIMER)) {
        std::vector<Timer> timers;
        {
            std::lock_guard guard(base::sync_mutex());
            timers = q.timers;
        }
        std::int64_t now = base::Clock::ticks_ms();
        for (auto& t : timers) {
            UINT message = t.system ? WM_SYSTIMER : WM_TIMER;
            if (t.due > now || !range_matches(first, last, message) || !window_matches(filter, t.window))
                continue;
            *msg = { t.window, message, t.id, reinterpret_cast<LPARAM>(t.proc), GetTickCount(), cursor_position() };
            if (remove & PM_REMOVE) {
                std::lock_guard guard(base::sync_mutex());
                for (auto& live : q.timers)
                    if (live.system == t.system && live.window == t.window && live.id == t.id)
                        live.due = now + live.elapse;
            }
            return true;
        }
    }
    return false;
}

// Waits until the queue changes after `serial`, or its next timer is due.
void wait_change(Queue& q, std::uint64_t serial)
{
    std::unique_lock lk(base::sync_mutex());
    auto changed = [&] { return q.serial != serial || !q.sent.empty(); };
    std::int64_t due = next_due(q);
    if (due >= 0)
        base::Clock::wait_until(lk, base::sync_changed(), due, changed);
    else
        base::sync_changed().wait(lk, changed);
}

void retrieved(const MSG& msg)
{
    t_last_time = msg.time;
    t_last_pos = msg.pt;
    note_input(msg);
}

std::shared_ptr<Sent> make_sent(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto s = std::make_shared<Sent>();
    s->window = window;
    s->message = message;
    s->wparam = wparam;
    s->lparam = lparam;
    return s;
}

// Sends to another thread's window and waits, serving this thread's sent messages meanwhile.
bool send_across(Queue& target, std::shared_ptr<Sent> s, DWORD timeout, LRESULT* result)
{
    auto own = current_queue();
    std::int64_t deadline = timeout == INFINITE ? -1 : base::Clock::ticks_ms() + timeout;
    {
        std::lock_guard guard(base::sync_mutex());
        if (!target.alive)
            return false;
        target.sent.push_back(s);
        touch(target);
    }
    for (;;) {
        serve_sent(*own);
        std::unique_lock lk(base::sync_mutex());
        auto ready = [&] { return s->done || !own->sent.empty(); };
        if (deadline < 0)
            base::sync_changed().wait(lk, ready);
        else if (!base::Clock::wait_until(lk, base::sync_changed(), deadline, ready)) {
            auto it = std::find(target.sent.begin(), target.sent.end(), s);
            if (it != target.sent.end())
                target.sent.erase(it);
            SetLastError(ERROR_TIMEOUT);
            return false;
        }
        if (s->done) {
            *result = s->result;
            return true;
        }
    }
}

}

void touch(Queue& q)
{
    ++q.serial;
    base::sync_changed().notify_all();
}

bool run_on_window_thread(HWND window, std::function<LRESULT()> task, DWORD timeout, LRESULT* result)
{
    auto w = find(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (w->thread == 0 || w->thread == GetCurrentThreadId()) {
        *result = task();
        return true;
    }
    auto q = queue_of(w->thread);
    if (!q)
        return false;
    auto s = std::make_shared<Sent>();
    s->window = window;
    s->task = std::move(task);
    return send_across(*q, std::move(s), timeout, result);
}

std::shared_ptr<Queue> queue_of(DWORD thread)
{
    std::lock_guard guard(base::sync_mutex());
    auto it = queues().find(thread);
    return it == queues().end() ? nullptr : it->second;
}

std::shared_ptr<Queue> current_queue()
{
    if (!t_owner.queue) {
        auto q = std::make_shared<Queue>();
        q->thread = GetCurrentThreadId();
        std::lock_guard guard(base::sync_mutex());
        queues()[q->thread] = q;
        t_owner.queue = q;
    }
    return t_owner.queue;
}

void ensure_queue()
{
    current_queue();
}

void wake_thread(DWORD thread)
{
    if (auto q = queue_of(thread)) {
        std::lock_guard guard(base::sync_mutex());
        touch(*q);
    }
}

}

using namespace user::detail;

BOOL PostThreadMessageA(DWORD thread_id, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto q = queue_of(thread_id);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    std::lock_guard guard(base::sync_mutex());
    q->posted.push_back({ nullptr, message, wparam, lparam, GetTickCount(), cursor_position() });
    touch(*q);
    return TRUE;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!window)
        return PostThreadMessageA(GetCurrentThreadId(), message, wparam, lparam);
    if (window == reinterpret_cast<HWND>(0xFFFF)) {
        std::vector<HWND> top;
        {
            Guard guard(lock());
            top = desktop().children;
        }
        for (HWND h : top)
            PostMessageA(h, message, wparam, lparam);
        return TRUE;
    }
    auto w = find(window);
    if (!w) {
        if (auto f = foreign(); f && !user::is_local_window(window))
            return f->post(window, message, wparam, lparam) ? TRUE : FALSE;
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto q = queue_of(w->thread);
    if (!q) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::lock_guard guard(base::sync_mutex());
    q->posted.push_back({ window, message, wparam, lparam, GetTickCount(), cursor_position() });
    touch(*q);
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    DWORD_PTR result = 0;
    if (!find(window) && !(foreign() && !user::is_local_window(window))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto w = find(window);
    if (w && (w->thread == 0 || w->thread == GetCurrentThreadId()))
        return call(window, message, wparam, lparam);
    SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, INFINITE, &result);
    return static_cast<LRESULT>(result);
}

LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT, UINT timeout, DWORD_PTR* result)
{
    LRESULT r = 0;
    auto w = find(window);
    if (!w) {
        if (auto f = foreign(); f && !user::is_local_window(window)) {
            if (!f->send(window, message, wparam, lparam, timeout, &r))
                return 0;
            if (result)
                *result = static_cast<DWORD_PTR>(r);
            return 1;
        }
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->thread == 0 || w->thread == GetCurrentThreadId()) {
        r = call(window, message, wparam, lparam);
    } else {
        auto q = queue_of(w->thread);
        if (!q || !send_across(*q, make_sent(window, message, wparam, lparam), timeout, &r))
            return 0;
    }
    if (result)
        *result = static_cast<DWORD_PTR>(r);
    return 1;
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove)
{
    if (!msg)
        return FALSE;
    auto q = current_queue();
    if (!take(*q, msg, window, first, last, remove, nullptr))
        return FALSE;
    if (remove & PM_REMOVE)
        retrieved(*msg);
    return TRUE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT first, UINT last)
{
    if (!msg)
        return -1;
    if (window && window != reinterpret_cast<HWND>(-1) && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    auto q = current_queue();
    for (;;) {
        std::uint64_t serial = 0;
        if (take(*q, msg, window, first, last, PM_REMOVE, &serial)) {
            retrieved(*msg);
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        wait_change(*q, serial);
    }
}

BOOL WaitMessage()
{
    auto q = current_queue();
    MSG msg;
    std::uint64_t serial = 0;
    if (take(*q, &msg, nullptr, 0, 0, PM_NOREMOVE, &serial))
        return TRUE;
    wait_change(*q, serial);
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only a procedure SetTimer registered for this window and timer is called: a forged
        // lParam is no address to jump to.
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        if (!timer_has_proc(msg->hwnd, msg->wParam, proc))
            return 0;
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    if (msg->message == WM_SYSTIMER) {
        if (GetWindowThreadProcessId(msg->hwnd, nullptr) == GetCurrentThreadId())
            caret_blink(msg->hwnd, msg->wParam);
        return 0;
    }
    auto w = checked(msg->hwnd);
    if (!w)
        return 0;
    if (w->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return 0;
    }
    return call(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    char c = char_for_key(static_cast<UINT>(msg->wParam));
    if (!c)
        return FALSE;
    PostMessageA(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, static_cast<BYTE>(c), msg->lParam);
    return TRUE;
}

void PostQuitMessage(int exit_code)
{
    auto q = current_queue();
    std::lock_guard guard(base::sync_mutex());
    q->quit = true;
    q->quit_code = exit_code;
    touch(*q);
}

BOOL InSendMessage()
{
    return t_in_send > 0 ? TRUE : FALSE;
}

DWORD GetMessagePos()
{
    return static_cast<DWORD>(MAKELONG(static_cast<WORD>(t_last_pos.x), static_cast<WORD>(t_last_pos.y)));
}

LONG GetMessageTime()
{
    return static_cast<LONG>(t_last_time);
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all, DWORD milliseconds, DWORD wake_mask)
{
    if (count > MAXIMUM_WAIT_OBJECTS || (count && !handles)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<base::Waitable>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto o = base::Handles::get<base::Waitable>(handles[i]);
        if (!o) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(o);
    }
    auto q = current_queue();
    std::int64_t deadline = milliseconds == INFINITE ? -1 : base::Clock::ticks_ms() + milliseconds;
    for (;;) {
        bool paint = (wake_mask & QS_PAINT) && paint_candidate(q->thread, nullptr);
        std::unique_lock lk(base::sync_mutex());
        DWORD which = WAIT_TIMEOUT;
        auto check = [&] {
            if (wait_all && count) {
                if (std::all_of(objects.begin(), objects.end(), [](auto& o) { return o->signalled(); })) {
                    for (auto& o : objects)
                        o->consume();
                    which = WAIT_OBJECT_0;
                    return true;
                }
            } else {
                for (DWORD i = 0; i < count; ++i)
                    if (objects[i]->signalled()) {
                        objects[i]->consume();
                        which = WAIT_OBJECT_0 + i;
                        return true;
                    }
            }
            std::int64_t due = next_due(*q);
            bool input = ((wake_mask & (QS_POSTMESSAGE | QS_INPUT)) && !q->posted.empty())
                || ((wake_mask & QS_SENDMESSAGE) && !q->sent.empty())
                || ((wake_mask & QS_TIMER) && due >= 0 && due <= base::Clock::ticks_ms()) || paint;
            if (input) {
                which = WAIT_OBJECT_0 + count;
                return true;
            }
            return false;
        };
        std::uint64_t serial = q->serial;
        auto ready = [&] { return check() || q->serial != serial; };
        std::int64_t until = deadline;
        std::int64_t due = (wake_mask & QS_TIMER) ? next_due(*q) : -1;
        if (due >= 0 && (until < 0 || due < until))
            until = due;
        if (until < 0)
            base::sync_changed().wait(lk, ready);
        else
            base::Clock::wait_until(lk, base::sync_changed(), until, ready);
        if (which != WAIT_TIMEOUT)
            return which;
        if (check())
            return which;
        if (deadline >= 0 && base::Clock::ticks_ms() >= deadline)
            return WAIT_TIMEOUT;
    }
}
