#pragma once

// The per-thread message queues (internal). Their state is guarded by base::sync_mutex() and
// changes are announced on base::sync_changed(), so queue waits and kernel-object waits combine.

#include "State.h"

#include <user/Timers.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace user::detail {

struct Sent {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    LRESULT result = 0;
    bool done = false;
    std::function<LRESULT()> task;    // run instead of the window procedure when set
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT elapse;
    std::int64_t due;
    TIMERPROC proc;
    bool system = false;              // generates WM_SYSTIMER; SetTimer and KillTimer never see it
};

struct Queue {
    DWORD thread = 0;
    bool alive = true;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<Sent>> sent;
    bool quit = false;
    int quit_code = 0;
    std::uint64_t serial = 0;         // bumped on every change a waiter may care about
    std::vector<Timer> timers;
};

// The queue of a thread (created for the calling thread on demand); null when it has none.
std::shared_ptr<Queue> queue_of(DWORD thread);
std::shared_ptr<Queue> current_queue();
// Runs task on the thread of the window and waits up to timeout ms, like a sent message.
bool run_on_window_thread(HWND window, std::function<LRESULT()> task, DWORD timeout, LRESULT* result);
// Under sync_mutex(): marks a change and wakes waiters.
void touch(Queue& q);

}
