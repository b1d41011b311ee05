#include <base/Path.h>

#include "TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(Path, WindowsFormToLinux)
{
    struct Case {
        const char* windows;
        const char* linux_path;
    } cases[] = {
        { "\\home\\ann\\Videos\\news_1.avi", "/home/ann/Videos/news_1.avi" },
        { "C:\\data\\a.avi", "/data/a.avi" },
        { "d:rel\\x", "rel/x" },
        { ".\\tmp.avi", "./tmp.avi" },
        { "a/b\\c", "a/b/c" },
        { "\\dir\\\\doubled", "/dir//doubled" },
        { "", "" },
    };
    for (auto& c : cases)
        EXPECT_EQ(base::to_linux_path(c.windows), c.linux_path) << c.windows;
    EXPECT_EQ(base::to_windows_path("/home/ann/x.avi"), "\\home\\ann\\x.avi");
}

TEST(Path, FileNameIsAfterTheLastSeparator)
{
    EXPECT_EQ(base::file_name_of("\\a\\b\\news.avi"), "news.avi");
    EXPECT_EQ(base::file_name_of("a/b\\c"), "c");
    EXPECT_EQ(base::file_name_of("plain.wmv"), "plain.wmv");
    EXPECT_EQ(base::file_name_of("folder\\"), "");
}

TEST(Path, WildcardsIgnoreCase)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        { "News_*.avi", "news_1.AVI", true },
        { "News_*.avi", "News_.avi", true },
        { "News_*.avi", "News.avi", false },
        { "News_*.avi", "News_1.avi.bak", false },
        { "*.*", "noextension", true },
        { "*", "", true },
        { "a?c", "abc", true },
        { "a?c", "ac", false },
        { "a?c", "a\xC3\xA9" "c", true }, // ? is one character, not one byte
        { "*x*y", "axxby", true },
        { "*x*y", "axxb", false },
        { "abc", "abcd", false },
        { "ABC", "abc", true },
    };
    for (auto& c : cases)
        EXPECT_EQ(base::match_wildcard(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

TEST(Path, ResolveFindsNamesIgnoringCase)
{
    const test_support::TempDir root_dir("base-path");
    const std::string& root = root_dir.path();
    std::filesystem::create_directories(root + "/Videos");
    std::ofstream(root + "/Videos/News_1.AVI") << "x";
    std::ofstream(root + "/Videos/both") << "lower";
    std::ofstream(root + "/Videos/BOTH") << "upper";
    std::string windows_root = base::to_windows_path(root);

    EXPECT_EQ(base::resolve_path(windows_root + "\\videos\\news_1.avi"), root + "/Videos/News_1.AVI");
    // A part that does not exist keeps its spelling; the existing folder is still found.
    EXPECT_EQ(base::resolve_path(windows_root + "\\VIDEOS\\New.avi"), root + "/Videos/New.avi");
    EXPECT_EQ(base::resolve_path(windows_root + "\\missing\\x"), root + "/missing/x");
    // An exact match wins over another case.
    EXPECT_EQ(base::resolve_path(windows_root + "\\Videos\\BOTH"), root + "/Videos/BOTH");
    EXPECT_EQ(base::resolve_path(windows_root + "\\videos\\both"), root + "/Videos/both");
}

TEST(Path, ProgramFolderEndsInBackslash)
{
    std::string folder = base::program_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(folder.find('/'), std::string::npos);
}

}
