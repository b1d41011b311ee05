// The main of every test program: a fresh platform home, headless windows, then GoogleTest;
// the temporary folders go at its end, or with the janitor when it is killed.

#include "TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    test_support::start_temp_dir_janitor();
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
    test_support::remove_temp_dirs();
    return result;
}
