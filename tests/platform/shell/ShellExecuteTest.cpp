#include <shell/ShellExecute.h>

#include <base/Path.h>
#include <base/Process.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

class ShellExecuteTest : public testing::Test {
protected:
    void SetUp() override
    {
        previous = base::set_launcher([this](const std::string& line, UINT show) {
            launched.push_back(line);
            shows.push_back(show);
            return launcher_result;
        });
        folder = std::string(std::getenv("ORBIVANE_HOME")) + "/files";
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/News_1.avi") << "RIFF";
        std::ofstream(folder + "/tool") << "#!/bin/sh\n";
        chmod((folder + "/tool").c_str(), 0755);
        std::ofstream(folder + "/marked.txt") << "text with the execute bit";
        chmod((folder + "/marked.txt").c_str(), 0755);
    }
    void TearDown() override { base::set_launcher(previous); }
    static UINT_PTR code(HINSTANCE result) { return reinterpret_cast<UINT_PTR>(result); }
    std::string windows(const std::string& name) { return base::to_windows_path(folder + "/" + name); }

    base::Launcher previous;
    std::vector<std::string> launched;
    std::vector<UINT> shows;
    UINT launcher_result = 42;
    std::string folder;
};

TEST_F(ShellExecuteTest, OpenGivesDocumentsFoldersAndUrlsToTheDesktopOpener)
{
    // Found without regard to case, handed over by its real name.
    std::string avi = base::to_windows_path(folder) + "\\news_1.AVI";
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", avi.c_str(), nullptr, nullptr, 7)), 42u);
    EXPECT_EQ(code(ShellExecuteA(nullptr, nullptr, "News_1.avi", nullptr, base::to_windows_path(folder).c_str(), 1)), 42u);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "explore", base::to_windows_path(folder).c_str(), nullptr, nullptr, 1)), 42u);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "OPEN", "http://example.org/a b", nullptr, nullptr, 1)), 42u);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", windows("marked.txt").c_str(), nullptr, nullptr, 1)), 42u);
    std::vector<std::string> expected {
        "xdg-open \"" + folder + "/News_1.avi\"",
        "xdg-open \"" + folder + "/News_1.avi\"",
        "xdg-open \"" + folder + "\"",
        "xdg-open \"http://example.org/a b\"",
        "xdg-open \"" + folder + "/marked.txt\"",
    };
    EXPECT_EQ(launched, expected);
    EXPECT_EQ(shows.at(0), 7u);
}

TEST_F(ShellExecuteTest, ProgramsRunDirectlyWithTheirParameters)
{
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", windows("tool").c_str(), "-m \"a b\"", nullptr, 1)), 42u);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], std::string("\"").append(windows("tool")).append("\" -m \"a b\""));
    EXPECT_EQ(base::split_command_line(launched[0]).at(0), windows("tool"));

    // A bare name that is no file is a program on PATH.
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", "sh", "-c true", nullptr, 1)), 42u);
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_NE(launched[1].find("sh\" -c true"), std::string::npos);
}

TEST_F(ShellExecuteTest, FailuresGiveWindowsCodes)
{
    struct Case {
        const char* verb;
        std::string file;
        UINT_PTR expected;
    } cases[] = {
        { "open", windows("missing.avi"), 2 },
        { "open", windows("no-folder\\missing.avi"), 3 },
        { "open", "sndvol.exe", 2 },
        { "open", "", 2 },
        { "print", windows("News_1.avi"), SE_ERR_NOASSOC },
    };
    for (const auto& c : cases)
        EXPECT_EQ(code(ShellExecuteA(nullptr, c.verb, c.file.c_str(), nullptr, nullptr, 1)), c.expected) << c.file;
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, 1)), 2u);
    EXPECT_TRUE(launched.empty());

    // No opener on this machine: nothing is associated with the document.
    launcher_result = 2;
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", windows("News_1.avi").c_str(), nullptr, nullptr, 1)),
        UINT_PTR(SE_ERR_NOASSOC));
    launcher_result = 5;
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", windows("tool").c_str(), nullptr, nullptr, 1)), 5u);
}

}
