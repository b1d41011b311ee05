#include <owl/Thread.h>

#include <base/Threads.h>

#include <gtest/gtest.h>

#include <atomic>

using namespace OWL;

namespace {

// Runs until released (or asked to terminate), on a thread of its own.
class GatedThread : public TThread {
public:
    explicit GatedThread(std::atomic<bool>* finished = nullptr)
        : m_gate(CreateEventA(nullptr, TRUE, FALSE, nullptr))
        , m_finished(finished)
    {
    }
    ~GatedThread() override
    {
        WaitForExit();
        CloseHandle(m_gate);
    }

    void Release() { SetEvent(m_gate); }
    std::atomic<DWORD> ranOn { 0 };
    std::atomic<bool> sawTerminate { false };

protected:
    int Run() override
    {
        ranOn = GetCurrentThreadId();
        while (WaitForSingleObject(m_gate, 1) == WAIT_TIMEOUT) {
            if (ShouldTerminate()) {
                sawTerminate = true;
                break;
            }
        }
        if (m_finished)
            *m_finished = true;
        return sawTerminate ? 2 : 7;
    }

private:
    HANDLE m_gate;
    std::atomic<bool>* m_finished;
};

TEST(ThreadTest, RunRunsOnItsOwnThreadAndItsResultIsTheExitCode)
{
    GatedThread thread;
    EXPECT_EQ(thread.GetStatus(), TThread::Created);
    EXPECT_EQ(thread.WaitForExit(0), WAIT_OBJECT_0);
    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(thread.Start(), nullptr); // once only
    EXPECT_EQ(thread.GetStatus(), TThread::Running);
    EXPECT_EQ(thread.WaitForExit(5), WAIT_TIMEOUT);

    thread.Release();
    EXPECT_EQ(thread.WaitForExit(), WAIT_OBJECT_0);
    EXPECT_EQ(thread.GetStatus(), TThread::Finished);
    EXPECT_EQ(thread.GetExitCode(), 7);
    EXPECT_NE(thread.ranOn.load(), 0u);
    EXPECT_NE(thread.ranOn.load(), GetCurrentThreadId());
}

TEST(ThreadTest, ATerminateRequestIsSeenByRun)
{
    GatedThread thread;
    thread.Start();
    EXPECT_EQ(thread.TerminateAndWait(), WAIT_OBJECT_0);
    EXPECT_TRUE(thread.sawTerminate);
    EXPECT_EQ(thread.GetExitCode(), 2);
}

TEST(ThreadTest, DeletingAThreadWhoseRunIsGoingWaitsForRunToEnd)
{
    std::atomic<bool> finished { false };
    auto* thread = new GatedThread(&finished);
    thread->Start();
    EXPECT_EQ(thread->WaitForExit(5), WAIT_TIMEOUT);
    // The terminate request ends Run while the destructor waits.
    thread->Terminate();
    delete thread;
    EXPECT_TRUE(finished);
}

}
