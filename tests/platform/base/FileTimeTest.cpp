#include <base/FileTime.h>

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(FileTimes, SystemTimeAndUnixTimeRoundTrip)
{
    SYSTEMTIME in { 2026, 12, 0, 9, 20, 15, 30, 250 };
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&in, &ft));
    SYSTEMTIME out;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &out));
    EXPECT_EQ(out.wYear, 2026);
    EXPECT_EQ(out.wMonth, 12);
    EXPECT_EQ(out.wDay, 9);
    EXPECT_EQ(out.wDayOfWeek, 3); // a Wednesday
    EXPECT_EQ(out.wHour, 20);
    EXPECT_EQ(out.wMinute, 15);
    EXPECT_EQ(out.wSecond, 30);
    EXPECT_EQ(out.wMilliseconds, 250);

    SYSTEMTIME epoch { 1970, 1, 0, 1, 0, 0, 0, 0 };
    ASSERT_TRUE(SystemTimeToFileTime(&epoch, &ft));
    EXPECT_EQ((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime, 116444736000000000ull);
    FILETIME unix_zero = base::filetime_from_unix_ms(0);
    EXPECT_EQ(CompareFileTime(&ft, &unix_zero), 0);
    EXPECT_EQ(base::unix_ms_from_filetime(base::filetime_from_unix_ms(1765400000123)), 1765400000123);
    FILETIME precise = base::filetime_from_unix_time(1, 999);
    EXPECT_EQ(base::unix_ms_from_filetime(precise), 1000);
    EXPECT_EQ(precise.dwLowDateTime - ft.dwLowDateTime, 10000009u); // 1 s and 9 intervals of 100 ns
    SYSTEMTIME leap { 2024, 2, 0, 29, 0, 0, 0, 0 };
    EXPECT_TRUE(SystemTimeToFileTime(&leap, &ft));

    SYSTEMTIME bad[] = {
        { 2026, 13, 0, 1, 0, 0, 0, 0 },
        { 2026, 0, 0, 1, 0, 0, 0, 0 },
        { 2025, 2, 0, 29, 0, 0, 0, 0 },
        { 2026, 1, 0, 1, 24, 0, 0, 0 },
        { 1600, 1, 0, 1, 0, 0, 0, 0 },
    };
    for (auto& b : bad)
        EXPECT_FALSE(SystemTimeToFileTime(&b, &ft)) << b.wYear << "-" << b.wMonth << "-" << b.wDay;
    FILETIME negative { 0, 0x80000000u };
    EXPECT_FALSE(FileTimeToSystemTime(&negative, &out));
}

TEST(FileTimes, LocalTimeFollowsTheZoneOfTheDate)
{
    const char* saved = std::getenv("TZ");
    std::string saved_tz = saved ? saved : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    struct Case {
        SYSTEMTIME utc;
        WORD local_hour;
    } cases[] = {
        { { 2026, 12, 0, 9, 19, 0, 0, 0 }, 20 }, // winter: UTC+1
        { { 2026, 7, 0, 9, 19, 0, 0, 0 }, 21 },  // summer: UTC+2
    };
    for (auto& c : cases) {
        FILETIME utc, local, back;
        ASSERT_TRUE(SystemTimeToFileTime(&c.utc, &utc));
        ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
        SYSTEMTIME shown;
        FileTimeToSystemTime(&local, &shown);
        EXPECT_EQ(shown.wHour, c.local_hour);
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
        EXPECT_EQ(CompareFileTime(&back, &utc), 0);
    }
    if (saved)
        setenv("TZ", saved_tz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(FileTimes, Compare)
{
    FILETIME a { 5, 1 }, b { 6, 1 }, c { 0, 2 };
    EXPECT_EQ(CompareFileTime(&a, &b), -1);
    EXPECT_EQ(CompareFileTime(&b, &a), 1);
    EXPECT_EQ(CompareFileTime(&a, &a), 0);
    EXPECT_EQ(CompareFileTime(&b, &c), -1); // the high part counts first
}

}
