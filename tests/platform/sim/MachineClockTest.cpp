#include <sim/MachineClock.h>

#include <base/Clock.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(MachineClock, ClockFileOfTheHomeStartsAVirtualClockAtItsLocalTime)
{
    std::filesystem::remove(sim::machine_clock_path());
    EXPECT_FALSE(sim::install_machine_clock());
    EXPECT_FALSE(base::Clock::is_virtual());

    for (const char* bad : { "tomorrow", "2026-13-01 20:00:00", "2026-03-01 20:00" }) {
        std::ofstream(sim::machine_clock_path()) << bad << "\n";
        EXPECT_FALSE(sim::install_machine_clock()) << bad;
        EXPECT_FALSE(base::Clock::is_virtual()) << bad;
    }

    std::ofstream(sim::machine_clock_path()) << "2026-03-01 20:00:30\n";
    ASSERT_TRUE(sim::install_machine_clock());
    EXPECT_TRUE(base::Clock::is_virtual());
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, 2026);
    EXPECT_EQ(now.wDayOfWeek, 0);
    EXPECT_EQ(now.wHour, 20);
    EXPECT_EQ(now.wSecond, 30);
    Sleep(60000); // costs no real time
    GetLocalTime(&now);
    EXPECT_EQ(now.wMinute, 1);
    base::Clock::install_real();
    std::filesystem::remove(sim::machine_clock_path());
}

}
