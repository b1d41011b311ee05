#include <base/Errors.h>
#include <base/Path.h>
#include <base/Process.h>

#include "TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsAsWindowsDoes)
{
    struct Case {
        const char* line;
        Args args;
    } cases[] = {
        { "control.exe mmsys.cpl,,1", { "control.exe", "mmsys.cpl,,1" } },
        { "  sndvol.exe   -f  ", { "sndvol.exe", "-f" } },
        { "\"C:\\Program Files\\x.exe\" -a \"b c\"", { "C:\\Program Files\\x.exe", "-a", "b c" } },
        { "prog a\\\\b", { "prog", "a\\\\b" } },
        { "prog a\\\"b", { "prog", "a\"b" } },
        { "prog \"a\\\\\" b", { "prog", "a\\", "b" } },
        { "prog \"a\"\"b\"", { "prog", "a\"b" } },
        { "prog \"\"", { "prog", "" } },
        { "C:\\dir\\tool.exe", { "C:\\dir\\tool.exe" } },
        { "", {} },
    };
    for (auto& c : cases)
        EXPECT_EQ(base::split_command_line(c.line), c.args) << c.line;
}

TEST(WinExec, WindowsToolsHaveNoCounterpartHere)
{
    for (const char* line : { "sndvol.exe", "sndvol32.exe /r", "control.exe mmsys.cpl", "sndvol.exe -f" })
        EXPECT_EQ(WinExec(line, 1), static_cast<UINT>(ERROR_FILE_NOT_FOUND)) << line;
    EXPECT_EQ(WinExec("\\no\\such\\folder\\prog", 1), static_cast<UINT>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(WinExec("", 1), static_cast<UINT>(ERROR_FILE_NOT_FOUND));

    const test_support::TempDir root_dir("base-process");
    const std::string& root = root_dir.path();
    std::ofstream(root + "/notes.txt") << "not a program";
    EXPECT_EQ(WinExec(base::to_windows_path(root + "/notes.txt").c_str(), 1), static_cast<UINT>(ERROR_BAD_FORMAT));
    EXPECT_EQ(WinExec(base::to_windows_path(root + "/absent").c_str(), 1), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
}

bool appears(const std::string& path)
{
    // Waits for another process, not for the clock: a generous real bound.
    for (int i = 0; i < 1000; ++i) {
        if (std::filesystem::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(WinExec, StartsARealProcess)
{
    const test_support::TempDir root_dir("base-process");
    const std::string& root = root_dir.path();
    std::string marker = root + "/started";
    EXPECT_GT(WinExec(("touch " + marker).c_str(), 1), 31u);
    EXPECT_TRUE(appears(marker));
    // Named by a Windows-form path, with a quoted argument holding a space.
    std::string spaced = root + "/with space";
    EXPECT_GT(WinExec(("\\usr\\bin\\touch \"" + spaced + "\"").c_str(), 1), 31u);
    EXPECT_TRUE(appears(spaced));
}

TEST(WinExec, TestsReplaceTheLauncher)
{
    std::vector<std::string> journal;
    base::Launcher previous = base::set_launcher([&](const std::string& line, UINT show) {
        journal.push_back(line + " @" + std::to_string(show));
        return 33u;
    });
    EXPECT_FALSE(previous);
    EXPECT_EQ(WinExec("control.exe mmsys.cpl", 1), 33u);
    EXPECT_EQ(WinExec("sndvol.exe -f", 5), 33u);
    EXPECT_EQ(journal, (std::vector<std::string> { "control.exe mmsys.cpl @1", "sndvol.exe -f @5" }));
    base::set_launcher(previous);
    EXPECT_EQ(WinExec("control.exe mmsys.cpl", 1), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
}

TEST(Process, Id)
{
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
}

}
