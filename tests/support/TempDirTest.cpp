// The temporary folders of the tests go with their test, and with their test program even when
// it is killed.

#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Set in the copy of this program that the kill test starts: the file to write its folders to.
constexpr const char* kProbe = "ORBIVANE_TEMP_DIR_PROBE";

TEST(TempDir, TheFolderAndWhatItHoldsGoWithTheOwnerEvenAfterAFailedAssertion)
{
    std::string path;
    [&] {
        test_support::TempDir folder("tempdir");
        path = folder.path();
        std::filesystem::create_directories(folder / "sub");
        std::ofstream(folder / "sub/file") << "data";
        ASSERT_TRUE(std::filesystem::exists(folder / "sub/file"));
        return; // a failed ASSERT returns here the same way
    }();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TempDir, AKilledTestProgramLeavesNoFolderBehind)
{
    if (const char* probe = std::getenv(kProbe)) {
        // The started copy: a folder with a file, then killed as a runner's time-out kills it.
        test_support::TempDir folder("tempdir-killed");
        std::ofstream(folder / "recording") << std::string(4096, 'x');
        std::ofstream(probe) << test_support::temp_home() << "\n" << folder.path() << "\n";
        raise(SIGKILL);
    }
    test_support::TempDir here("tempdir-probe");
    const std::string report = here / "made.txt";
    pid_t pid = fork();
    if (pid == 0) {
        setenv(kProbe, report.c_str(), 1);
        unsetenv("ORBIVANE_KEEP_TEST_HOME");
        execl("/proc/self/exe", "probe", "--gtest_filter=TempDir.AKilledTestProgramLeavesNoFolderBehind",
            static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    std::ifstream in(report);
    std::string home, folder;
    ASSERT_TRUE(std::getline(in, home) && std::getline(in, folder)) << "the copy made its folders";
    auto gone = [](const std::string& path) {
        for (int i = 0; i < 600 && std::filesystem::exists(path); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return !std::filesystem::exists(path);
    };
    EXPECT_TRUE(gone(folder)) << folder;
    EXPECT_TRUE(gone(home)) << "the killed program's home " << home;
}

}
