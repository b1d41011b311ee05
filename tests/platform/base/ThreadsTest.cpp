#include <base/Clock.h>
#include <base/Errors.h>
#include <base/Files.h>
#include <base/Threads.h>

#include <atomic>
#include <gtest/gtest.h>

namespace {

// Every case runs under the real clock and under a virtual one.
struct Waits : testing::TestWithParam<bool> {
    void SetUp() override
    {
        if (GetParam())
            base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 9, 20, 15, 0));
    }
    void TearDown() override { base::Clock::install_real(); }
    bool is_virtual() const { return GetParam(); }
};

struct Job {
    HANDLE go;
    HANDLE done;
    std::atomic<DWORD> seen_id { 0 };
};

DWORD worker(LPVOID parameter)
{
    auto* job = static_cast<Job*>(parameter);
    job->seen_id = GetCurrentThreadId();
    WaitForSingleObject(job->go, INFINITE);
    if (job->done)
        SetEvent(job->done);
    return 42;
}

TEST_P(Waits, ThreadHandleSignalsWhenTheRoutineReturns)
{
    Job job;
    job.go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    job.done = nullptr;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, worker, &job, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());

    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    auto before = base::Clock::ticks_ms();
    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    if (is_virtual()) {
        EXPECT_EQ(base::Clock::ticks_ms() - before, 50);
    }

    SetEvent(job.go);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(job.seen_id.load(), id);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "a finished thread stays signalled";
    CloseHandle(thread);
    CloseHandle(job.go);
}

TEST_P(Waits, ClosingTheHandleDoesNotEndTheThread)
{
    Job job;
    job.go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    job.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, worker, &job, 0, nullptr);
    ASSERT_TRUE(CloseHandle(thread));
    SetEvent(job.go);
    EXPECT_EQ(WaitForSingleObject(job.done, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(job.go);
    CloseHandle(job.done);
}

TEST_P(Waits, AutoAndManualResetEvents)
{
    HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT) << "an auto-reset event lets one wait through";
    SetEvent(automatic);
    EXPECT_EQ(WaitForSingleObject(automatic, 10), WAIT_OBJECT_0);

    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    CloseHandle(automatic);
    CloseHandle(manual);
}

TEST_P(Waits, TimeOutsRunOnTheClock)
{
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD timeout = is_virtual() ? 2000 : 30;
    auto before = base::Clock::ticks_ms();
    EXPECT_EQ(WaitForSingleObject(never, timeout), WAIT_TIMEOUT);
    auto elapsed = base::Clock::ticks_ms() - before;
    EXPECT_GE(elapsed, timeout);
    if (is_virtual()) {
        EXPECT_EQ(elapsed, timeout);
    }
    CloseHandle(never);
}

DWORD signal_later(LPVOID parameter)
{
    Sleep(100);
    SetEvent(static_cast<HANDLE>(parameter));
    return 0;
}

TEST_P(Waits, AnotherThreadEndsAWait)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, signal_later, event, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(event);
}

TEST_P(Waits, WaitForSeveral)
{
    HANDLE events[3] = {
        CreateEventA(nullptr, TRUE, FALSE, nullptr),
        CreateEventA(nullptr, FALSE, FALSE, nullptr),
        CreateEventA(nullptr, TRUE, FALSE, nullptr),
    };
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(events[1]);
    SetEvent(events[2]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 10), WAIT_OBJECT_0 + 1); // the lowest signalled one
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 10), WAIT_OBJECT_0 + 2); // event 1 has reset itself
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 10), WAIT_TIMEOUT);
    SetEvent(events[0]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 10), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(events[1], 0), WAIT_TIMEOUT) << "the wait for all consumed the auto-reset event";
    for (HANDLE e : events)
        CloseHandle(e);
}

TEST_P(Waits, WaitsOnWrongHandlesFail)
{
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x7777), 10), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    HANDLE none[1] = { nullptr };
    EXPECT_EQ(WaitForMultipleObjects(0, none, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

INSTANTIATE_TEST_SUITE_P(Clock, Waits, testing::Values(false, true),
    [](const testing::TestParamInfo<bool>& info) { return info.param ? "Virtual" : "Real"; });

TEST(Events, NamedEventsAreShared)
{
    HANDLE first = CreateEventA(nullptr, TRUE, FALSE, "OrbivaneReady");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateEventA(nullptr, TRUE, FALSE, "orbivaneready");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(first, second);
    SetEvent(first);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    CloseHandle(first);
    CloseHandle(second);
    HANDLE fresh = CreateEventA(nullptr, TRUE, FALSE, "OrbivaneReady");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "the last close ended the event";
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_TIMEOUT);
    CloseHandle(fresh);
}

TEST(Threads, IdsAreStablePerThread)
{
    EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
    EXPECT_NE(GetCurrentThreadId(), 0u);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

}
