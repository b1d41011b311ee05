#include <base/Errors.h>
#include <base/Threads.h>

#include <atomic>
#include <thread>

namespace base {

namespace {

std::atomic<DWORD> s_next_thread_id { 1 };
thread_local DWORD t_thread_id = 0;

class Thread final : public Waitable {
public:
    bool signalled() const override { return m_finished; }
    void finish(DWORD code)
    {
        m_exit_code = code;
        m_finished = true;
    }
    DWORD exit_code() const { return m_finished ? m_exit_code : STILL_ACTIVE; }

private:
    bool m_finished = false;
    DWORD m_exit_code = 0;
};

}

}

DWORD GetCurrentThreadId()
{
    if (!base::t_thread_id)
        base::t_thread_id = base::s_next_thread_id++;
    return base::t_thread_id;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD creation_flags,
    LPDWORD thread_id)
{
    using namespace base;
    if (!start || creation_flags != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<Thread>();
    DWORD id = s_next_thread_id++;
    HANDLE handle = Handles::add(thread);
    try {
        std::thread([thread, start, parameter, id] {
            t_thread_id = id;
            DWORD code = start(parameter);
            {
                std::lock_guard lock(sync_mutex());
                thread->finish(code);
            }
            sync_changed().notify_all();
        }).detach();
    } catch (const std::system_error&) {
        Handles::remove(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (thread_id)
        *thread_id = id;
    return handle;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exit_code)
{
    auto thread = base::Handles::get<base::Thread>(handle);
    if (!thread || !exit_code) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(base::sync_mutex());
    *exit_code = thread->exit_code();
    return TRUE;
}
