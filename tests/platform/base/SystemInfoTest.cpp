#include <base/Errors.h>
#include <base/SystemInfo.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

TEST(SystemInfo, OsVersionIsSixUnlessATestSetsIt)
{
    EXPECT_EQ(GetOsMajorVersion(), 6);
    base::set_os_major_version(5);
    EXPECT_EQ(GetOsMajorVersion(), 5);
    base::set_os_major_version(6);
    EXPECT_EQ(GetOsMajorVersion(), 6);
}

TEST(SystemInfo, UserName)
{
    char name[260];
    DWORD size = sizeof(name);
    ASSERT_TRUE(GetUserNameA(name, &size));
    std::string expected = getpwuid(geteuid())->pw_name;
    EXPECT_EQ(std::string(name), expected);
    EXPECT_EQ(size, expected.size() + 1);

    char tiny[1];
    size = sizeof(tiny);
    EXPECT_FALSE(GetUserNameA(tiny, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, expected.size() + 1);
}

TEST(SystemInfo, ComputerName)
{
    char name[256];
    DWORD size = sizeof(name);
    ASSERT_TRUE(GetComputerNameA(name, &size));
    char host[256] = {};
    gethostname(host, sizeof(host) - 1);
    EXPECT_EQ(std::string(name), host);
    EXPECT_EQ(size, std::string(host).size());
    size = 1;
    EXPECT_FALSE(GetComputerNameA(name, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, std::string(host).size() + 1);
}

TEST(SystemInfo, EnvironmentVariables)
{
    setenv("ORBIVANE_PROBE", "value", 1);
    char buffer[16];
    EXPECT_EQ(GetEnvironmentVariableA("ORBIVANE_PROBE", buffer, sizeof(buffer)), 5u);
    EXPECT_STREQ(buffer, "value");
    EXPECT_EQ(GetEnvironmentVariableA("ORBIVANE_PROBE", buffer, 3), 6u);
    unsetenv("ORBIVANE_PROBE");
    EXPECT_EQ(GetEnvironmentVariableA("ORBIVANE_PROBE", buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

}
