#pragma once

// Events and the waits on every waitable handle (events and threads), timed by base::Clock.
//
// Waitable objects share one lock and one condition, so a wait on several objects sees any of
// them change. A time-out runs on the clock: under a virtual clock a wait that nothing ends
// returns WAIT_TIMEOUT at once (after a short real grace) with the clock moved to its deadline.
//
//     HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
//     ... SetEvent(done) on another thread ...
//     if (WaitForSingleObject(done, 2000) == WAIT_TIMEOUT) ...

#include <base/Handles.h>

#include <condition_variable>
#include <mutex>

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64
#define STILL_ACTIVE 259

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

namespace base {

// A kernel object that can be waited on. signalled() and consume() run under sync_mutex().
class Waitable : public KernelObject {
public:
    virtual bool signalled() const = 0;
    // Called when a wait is satisfied by this object (an auto-reset event resets).
    virtual void consume() { }
};

// The lock and condition of every waitable object; notify after changing a state.
std::mutex& sync_mutex();
std::condition_variable& sync_changed();

}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manual_reset, BOOL initial_state, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all, DWORD milliseconds);
