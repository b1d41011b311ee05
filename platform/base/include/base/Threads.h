#pragma once

// Threads started with CreateThread: real threads whose handles can be waited on.
//
// A thread's handle becomes signalled when its routine returns; GetExitCodeThread gives
// STILL_ACTIVE until then and the routine's result afterwards. Closing the handle does not end
// the thread. Thread ids are small numbers given out in order, also to threads the layer did not
// start (the main thread included), and never reused.
//
//     DWORD id;
//     HANDLE h = CreateThread(nullptr, 0, Worker, this, 0, &id);
//     WaitForSingleObject(h, 2000);
//     CloseHandle(h);

#include <base/Sync.h>

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stack_size, LPTHREAD_START_ROUTINE start, LPVOID parameter,
    DWORD creation_flags, LPDWORD thread_id);
DWORD GetCurrentThreadId();
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exit_code);
