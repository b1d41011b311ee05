#include <base/Clock.h>

#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {

struct VirtualClock : testing::Test {
    void SetUp() override { base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 7, 20, 15, 0)); }
    void TearDown() override { base::Clock::install_real(); }
};

TEST_F(VirtualClock, SleepAdvancesAtOnce)
{
    auto before = GetTickCount();
    auto real_before = std::chrono::steady_clock::now();
    for (int i = 0; i < 7; ++i)
        Sleep(1000);
    EXPECT_EQ(GetTickCount() - before, 7000u);
    EXPECT_LT(std::chrono::steady_clock::now() - real_before, std::chrono::seconds(2));
}

TEST_F(VirtualClock, LocalTimeFollowsTheClock)
{
    SYSTEMTIME t {};
    GetLocalTime(&t);
    EXPECT_EQ(t.wYear, 2026);
    EXPECT_EQ(t.wMonth, 12);
    EXPECT_EQ(t.wDay, 7);
    EXPECT_EQ(t.wDayOfWeek, 1); // a Monday
    EXPECT_EQ(t.wHour, 20);
    EXPECT_EQ(t.wMinute, 15);
    base::Clock::advance_ms(6 * 60 * 1000);
    GetLocalTime(&t);
    EXPECT_EQ(t.wHour, 20);
    EXPECT_EQ(t.wMinute, 21);
}

TEST_F(VirtualClock, TimedWaitEndsEarlyWhenSignalled)
{
    std::mutex mutex;
    std::condition_variable cv;
    bool ready = false;
    std::atomic<bool> waiting { false };
    // The signaller is running and queued on the mutex before the wait begins, so it needs
    // only the wake-up, not its own start-up, inside the grace.
    std::thread other([&] {
        while (!waiting.load())
            std::this_thread::yield();
        std::lock_guard lock(mutex);
        ready = true;
        cv.notify_all();
    });
    std::unique_lock lock(mutex);
    waiting = true;
    auto start = base::Clock::ticks_ms();
    EXPECT_TRUE(base::Clock::wait_until(lock, cv, start + 60000, [&] { return ready; }));
    lock.unlock();
    other.join();
    EXPECT_LT(base::Clock::ticks_ms() - start, 60000);
}

TEST_F(VirtualClock, TimedWaitJumpsToItsDeadline)
{
    std::mutex mutex;
    std::condition_variable cv;
    std::unique_lock lock(mutex);
    auto start = base::Clock::ticks_ms();
    EXPECT_FALSE(base::Clock::wait_until(lock, cv, start + 5000, [] { return false; }));
    EXPECT_EQ(base::Clock::ticks_ms(), start + 5000);
}

}
