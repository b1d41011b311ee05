#pragma once

// TThread: a thread of the program's own, as an object. A class derives from it, overrides Run
// and calls Start, which runs Run on a new thread; the object then tells whether Run is still
// running, and Run can poll ShouldTerminate to end early when asked.
//
//     class Worker : public OWL::TThread {
//         int Run() override { while (!ShouldTerminate()) ...; return 1; }
//     };
//     Worker worker;
//     worker.Start();
//     if (worker.GetStatus() == OWL::TThread::Finished) ...
//     worker.TerminateAndWait(5);
//
// Run uses the object, so the object must outlive it: the destructor waits for a Run that is
// still going. A derived class whose Run uses the derived class's own members waits in its own
// destructor (WaitForExit) before they go.

#include <base/Sync.h>

#include <atomic>

namespace OWL {

class TThread {
public:
    enum TStatus {
        Created, // Start not called yet
        Running,
        Finished, // Run has returned
        Invalid, // Start could not make the thread
    };
    static constexpr DWORD NoLimit = INFINITE;

    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Asks Run to end: ShouldTerminate() answers true from now on.
    virtual void Terminate();
    // Waits until Run has returned.
    virtual ~TThread();

    // Runs Run on a new thread; its handle (owned by the object), or null when it cannot start or
    // was started before.
    HANDLE Start();
    // Waits up to `timeout` ms for Run to return: WAIT_OBJECT_0, or WAIT_TIMEOUT; WAIT_OBJECT_0
    // when never started.
    DWORD WaitForExit(DWORD timeout = NoLimit);
    // Terminate, then WaitForExit.
    DWORD TerminateAndWait(DWORD timeout = NoLimit);
    TStatus GetStatus() const;
    // What Run returned; 0 before.
    int GetExitCode() const { return m_exitCode; }

protected:
    TThread() = default;
    bool ShouldTerminate() const { return m_terminate; }
    // The thread's work; its result becomes the exit code.
    virtual int Run() = 0;

private:
    static DWORD Execute(LPVOID thread);

    HANDLE m_handle { nullptr };
    bool m_invalid { false };
    std::atomic<bool> m_terminate { false };
    std::atomic<int> m_exitCode { 0 };
};

}
