#include <base/Clock.h>

#include <gtest/gtest.h>
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
    // A grace no loaded machine outlasts: the signal must end the wait, not the deadline.
    int grace = base::Clock::virtual_wait_grace_ms();
    base::Clock::set_virtual_wait_grace_ms(60000);
    std::thread other([&] {
        std::lock_guard lock(mutex);
        ready = true;
        cv.notify_all();
    });
    std::unique_lock lock(mutex);
    auto start = base::Clock::ticks_ms();
    EXPECT_TRUE(base::Clock::wait_until(lock, cv, start + 60000, [&] { return ready; }));
    lock.unlock();
    other.join();
    base::Clock::set_virtual_wait_grace_ms(grace);
    EXPECT_EQ(base::Clock::ticks_ms(), start);
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
