// The main of every test program: a fresh platform home, headless windows, then GoogleTest.

#include "TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    std::string home = test_support::make_temp_dir("orbivane-test");
    std::filesystem::create_directories(home + "/run");
    setenv("ORBIVANE_HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
    // Known folders (documents, videos, application data) live below HOME: keep them in the test home.
    std::filesystem::create_directories(home + "/user");
    setenv("HOME", (home + "/user").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("ORBIVANE_HEADLESS", "1", 1);
    setenv("ORBIVANE_AUDIO", "none", 1);
    test_support::set_temp_home(home);
    int result = RUN_ALL_TESTS();
    if (!std::getenv("ORBIVANE_KEEP_TEST_HOME")) {
        std::error_code error;
        for (const auto& dir : test_support::made_temp_dirs())
            std::filesystem::remove_all(dir, error);
    }
    return result;
}
