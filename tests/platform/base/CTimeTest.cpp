#include <base/CTime.h>
#include <base/Clock.h>
#include <base/Files.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

// Wednesday 9 December 2026, 20:15:30 in a fixed zone, on a virtual clock.
struct CTime : testing::Test {
    std::string saved_tz;
    bool had_tz = false;
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ")) {
            had_tz = true;
            saved_tz = tz;
        }
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        crt::_tzset();
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 9, 20, 15, 30));
    }
    void TearDown() override
    {
        base::Clock::install_real();
        if (had_tz)
            setenv("TZ", saved_tz.c_str(), 1);
        else
            unsetenv("TZ");
        crt::_tzset();
    }
    std::string format(const char* pattern, std::size_t size = 260)
    {
        crt::time_t now = crt::time(nullptr);
        std::string buffer(size, '#');
        std::size_t n = crt::strftime(buffer.data(), size, pattern, crt::localtime(&now));
        EXPECT_EQ(n, std::strlen(buffer.c_str()));
        return buffer.c_str();
    }
};

TEST_F(CTime, TimeAndLocalTimeFollowTheClock)
{
    crt::time_t stored = 0;
    crt::time_t now = crt::time(&stored);
    EXPECT_EQ(now, stored);
    EXPECT_EQ(now, base::Clock::wall_seconds());
    crt::tm* date = crt::localtime(&now);
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->tm_year, 126);
    EXPECT_EQ(date->tm_mon, 11);
    EXPECT_EQ(date->tm_mday, 9);
    EXPECT_EQ(date->tm_wday, 3);
    EXPECT_EQ(date->tm_hour, 20);
    EXPECT_EQ(date->tm_min, 15);
    EXPECT_EQ(crt::gmtime(&now)->tm_hour, 19);

    Sleep(61000);
    now = crt::time(nullptr);
    EXPECT_EQ(crt::localtime(&now)->tm_min, 16);
    crt::time_t before_1970 = -1;
    EXPECT_EQ(crt::localtime(&before_1970), nullptr);
}

TEST_F(CTime, OneClockAndOneZoneForEveryTimeCall)
{
    crt::time_t now = crt::time(nullptr);
    crt::tm date = *crt::localtime(&now);
    SYSTEMTIME local;
    GetLocalTime(&local);
    EXPECT_EQ(local.wHour, date.tm_hour);
    EXPECT_EQ(local.wMinute, date.tm_min);
    FILETIME utc, local_ft;
    GetSystemTimeAsFileTime(&utc);
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local_ft));
    SYSTEMTIME from_file;
    FileTimeToSystemTime(&local_ft, &from_file);
    EXPECT_EQ(from_file.wDay, local.wDay);
    EXPECT_EQ(from_file.wHour, local.wHour);
    EXPECT_EQ(from_file.wMinute, local.wMinute);
}

TEST_F(CTime, StrftimeCodes)
{
    struct Case {
        const char* pattern;
        const char* expected;
    } cases[] = {
        { "News_%Y%m%d_%H%M%S", "News_20261209_201530" },
        { "%a %A %b %B", "Wed Wednesday Dec December" },
        { "%d %#d %j %#j", "09 9 343 343" },
        { "%I%p %H %#H", "08PM 20 20" },
        { "%w %y %U %W", "3 26 49 49" },
        { "%c", "12/09/26 20:15:30" },
        { "%x|%X", "12/09/26|20:15:30" },
        { "%#x", "Wednesday, December 9, 2026" },
        { "%Z", "CET" },
        { "100%% sure", "100% sure" },
        { "plain", "plain" },
    };
    for (auto& c : cases)
        EXPECT_EQ(format(c.pattern), c.expected) << c.pattern;
}

TEST_F(CTime, StrftimeIsSafeOnBadPatterns)
{
    for (const char* pattern : { "%q", "Late%", "a%Eb", "%#" }) {
        errno = 0;
        EXPECT_EQ(format(pattern), "") << pattern;
        EXPECT_EQ(errno, EINVAL) << pattern;
    }
    errno = 0;
    EXPECT_EQ(format("%Y%m%d", 8), "") << "nine bytes do not fit in eight";
    EXPECT_EQ(errno, ERANGE);
    EXPECT_EQ(format("%Y%m%d", 9), "20261209");

    crt::tm broken {};
    broken.tm_mon = 12;
    broken.tm_mday = 1;
    char buffer[32] = "untouched";
    EXPECT_EQ(crt::strftime(buffer, sizeof(buffer), "%b", &broken), 0u);
    EXPECT_STREQ(buffer, "");
}

}
