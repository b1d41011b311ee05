#include <base/Errors.h>
#include <base/Files.h>
#include <base/Path.h>

#include "TempHome.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Files : testing::Test {
    std::string root;
    void SetUp() override { root = test_support::make_temp_dir("base-files"); }
    void TearDown() override
    {
        for (auto& entry : fs::recursive_directory_iterator(root))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
        fs::remove_all(root);
    }
    // The Windows form of a path below the test folder.
    std::string win(const std::string& relative) const { return base::to_windows_path(root + "/" + relative); }
    void make(const std::string& relative, const std::string& content = "data") const
    {
        fs::create_directories(fs::path(root + "/" + relative).parent_path());
        std::ofstream(root + "/" + relative, std::ios::binary) << content;
    }
    std::string content(const std::string& relative) const
    {
        std::ifstream in(root + "/" + relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    HANDLE open(const std::string& relative, DWORD access, DWORD share, DWORD disposition) const
    {
        return CreateFileA(win(relative).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
};

DWORD last_error() { return GetLastError(); }

TEST_F(Files, WriteSeekReadRoundTrip)
{
    HANDLE f = open("a.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(f, "hello world", 11, &done, nullptr));
    EXPECT_EQ(done, 11u);
    EXPECT_EQ(SetFilePointer(f, 6, nullptr, FILE_BEGIN), 6u);
    char buffer[16] = {};
    EXPECT_TRUE(ReadFile(f, buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(done, 5u);
    EXPECT_STREQ(buffer, "world");
    EXPECT_TRUE(ReadFile(f, buffer, sizeof(buffer), &done, nullptr)); // at the end: success, nothing read
    EXPECT_EQ(done, 0u);
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(f, &high), 11u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(SetFilePointer(f, -5, nullptr, FILE_END), 6u);
    EXPECT_TRUE(SetEndOfFile(f));
    EXPECT_TRUE(FlushFileBuffers(f));
    EXPECT_EQ(SetFilePointer(f, -100, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_TRUE(CloseHandle(f));
    EXPECT_EQ(content("a.bin"), "hello ");

    // A handle opened for reading only cannot write.
    f = open("a.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_FALSE(WriteFile(f, "x", 1, &done, nullptr));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(f);
}

TEST_F(Files, DispositionsAndTheirErrors)
{
    make("exists.txt", "old content");
    EXPECT_EQ(open("exists.txt", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(open("missing.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(open("no\\such\\folder.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    fs::create_directory(root + "/folder");
    EXPECT_EQ(open("folder", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    HANDLE f = open("EXISTS.TXT", GENERIC_WRITE, 0, CREATE_ALWAYS); // any case, truncates
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(f);
    EXPECT_EQ(content("exists.txt"), "");
    EXPECT_FALSE(fs::exists(root + "/EXISTS.TXT"));

    f = open("new.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(f);

    make("locked.txt");
    chmod((root + "/locked.txt").c_str(), 0444);
    EXPECT_EQ(open("locked.txt", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    fs::create_directory(root + "/readonly");
    chmod((root + "/readonly").c_str(), 0555);
    EXPECT_EQ(open("readonly\\new.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Files, ShareModesDecideWhoMayOpen)
{
    make("shared.avi");
    struct Case {
        DWORD held_access, held_share, access, share;
        bool allowed;
    } cases[] = {
        { GENERIC_WRITE, 0, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false },
        { GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true },
        { GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, false }, // would deny the writer
        { GENERIC_WRITE, FILE_SHARE_READ, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false },
        { GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true },
        { GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_WRITE, FILE_SHARE_READ, true },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        HANDLE held = open("shared.avi", c.held_access, c.held_share, OPEN_EXISTING);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        HANDLE second = open("Shared.AVI", c.access, c.share, OPEN_EXISTING);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.allowed);
        if (second == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        } else {
            CloseHandle(second);
        }
        CloseHandle(held);
    }
    // Once closed, the file is free again.
    HANDLE again = open("shared.avi", GENERIC_WRITE, 0, OPEN_EXISTING);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(base::is_open_in_process(win("shared.avi").c_str()));
    CloseHandle(again);
    EXPECT_FALSE(base::is_open_in_process(win("shared.avi").c_str()));
}

TEST_F(Files, AnOpenFileCannotBeDeletedOrMoved)
{
    make("News_1.avi", "recording");
    HANDLE f = open("News_1.avi", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA(win("news_1.AVI").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(MoveFileA(win("News_1.avi").c_str(), win("moved.avi").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    FILE* reader = crt::fopen(win("News_1.avi").c_str(), "r"); // the writer shares reading
    ASSERT_NE(reader, nullptr);
    std::fclose(reader);
    EXPECT_EQ(crt::fopen(win("News_1.avi").c_str(), "a"), nullptr); // but not writing
    EXPECT_TRUE(fs::exists(root + "/News_1.avi"));
    CloseHandle(f);
    EXPECT_TRUE(DeleteFileA(win("news_1.AVI").c_str()));
    EXPECT_FALSE(fs::exists(root + "/News_1.avi"));

    // An open that shares deletion does not hold the file.
    make("free.avi");
    f = open("free.avi", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
    EXPECT_TRUE(DeleteFileA(win("free.avi").c_str()));
    CloseHandle(f);
}

TEST_F(Files, DeleteFailures)
{
    EXPECT_FALSE(DeleteFileA(win("missing.avi").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA(win("no\\folder\\x.avi").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    make("readonly.avi");
    EXPECT_TRUE(SetFileAttributesA(win("readonly.avi").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA(win("readonly.avi").c_str()), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(DeleteFileA(win("readonly.avi").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(SetFileAttributesA(win("readonly.avi").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileA(win("readonly.avi").c_str()));
    fs::create_directory(root + "/folder");
    EXPECT_FALSE(DeleteFileA(win("folder").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Files, MoveAndCopy)
{
    make("a.avi", "alpha");
    make("b.avi", "beta");
    EXPECT_FALSE(MoveFileA(win("a.avi").c_str(), win("B.AVI").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(MoveFileA(win("missing").c_str(), win("c.avi").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(MoveFileA(win("A.avi").c_str(), win("c.avi").c_str()));
    EXPECT_EQ(content("c.avi"), "alpha");
    EXPECT_FALSE(fs::exists(root + "/a.avi"));
    EXPECT_TRUE(MoveFileA(win("c.avi").c_str(), win("C.avi").c_str())); // a change of case only
    EXPECT_TRUE(fs::exists(root + "/C.avi"));

    EXPECT_FALSE(CopyFileA(win("C.avi").c_str(), win("b.avi").c_str(), TRUE));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(CopyFileA(win("C.avi").c_str(), win("b.avi").c_str(), FALSE));
    EXPECT_EQ(content("b.avi"), "alpha");
    EXPECT_TRUE(CopyFileA(win("c.AVI").c_str(), win("d.avi").c_str(), TRUE));
    EXPECT_EQ(content("d.avi"), "alpha");
    EXPECT_EQ(content("C.avi"), "alpha");
    EXPECT_FALSE(CopyFileA(win("nothing").c_str(), win("e.avi").c_str(), FALSE));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    HANDLE held = open("d.avi", GENERIC_WRITE, 0, OPEN_EXISTING);
    EXPECT_FALSE(CopyFileA(win("b.avi").c_str(), win("d.avi").c_str(), FALSE));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
}

TEST_F(Files, FindMatchesIgnoringCaseInAStableOrder)
{
    make("rec/News_2.avi");
    make("rec/news_1.AVI");
    make("rec/News_Late_1.avi");
    make("rec/Other_1.avi");
    make("rec/News_1.wmv");
    fs::create_directory(root + "/rec/News_dir.avi");

    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(win("REC\\NEWS_*.avi").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::string> names { data.cFileName };
    std::vector<DWORD> attributes { data.dwFileAttributes };
    while (FindNextFileA(find, &data)) {
        names.emplace_back(data.cFileName);
        attributes.push_back(data.dwFileAttributes);
    }
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(find));
    EXPECT_EQ(names, (std::vector<std::string> { "news_1.AVI", "News_2.avi", "News_dir.avi", "News_Late_1.avi" }));
    EXPECT_EQ(attributes[2], FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(attributes[0], FILE_ATTRIBUTE_ARCHIVE);

    find = FindFirstFileA(win("rec\\*.*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, ".");
    ASSERT_TRUE(FindNextFileA(find, &data));
    EXPECT_STREQ(data.cFileName, "..");
    int rest = 0;
    while (FindNextFileA(find, &data))
        ++rest;
    EXPECT_EQ(rest, 6);
    FindClose(find);

    EXPECT_EQ(FindFirstFileA(win("rec\\*.mp3").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA(win("missing\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(Files, SizesBeyond4GiBKeepTheirHighPart)
{
    make("big.avi", "");
    ASSERT_EQ(truncate((root + "/big.avi").c_str(), (5ll << 30) + 3), 0); // sparse: nothing is written
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExA(win("BIG.avi").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(info.nFileSizeHigh, 1u);
    EXPECT_EQ(info.nFileSizeLow, (1u << 30) + 3);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(win("big.avi").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeHigh, 1u);
    EXPECT_EQ(data.nFileSizeLow, (1u << 30) + 3);
    FindClose(find);
    HANDLE f = open("big.avi", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    LARGE_INTEGER size;
    EXPECT_TRUE(GetFileSizeEx(f, &size));
    EXPECT_EQ(size.QuadPart, (5ll << 30) + 3);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(f, 16, &high, FILE_BEGIN), 16u);
    EXPECT_EQ(high, 1);
    CloseHandle(f);

    EXPECT_FALSE(GetFileAttributesExA(win("none.avi").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA(win("none\\x.avi").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, CreationTimeCanBeSetForTests)
{
    make("first.avi");
    make("second.avi");
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExA(win("first.avi").c_str(), GetFileExInfoStandard, &info));
    EXPECT_LE(CompareFileTime(&info.ftCreationTime, &info.ftLastWriteTime), 0);

    FILETIME older = base::filetime_from_unix_ms(1000000000000ll);
    FILETIME newer = base::filetime_from_unix_ms(1000000000000ll + 1);
    ASSERT_TRUE(base::set_creation_time(win("SECOND.avi").c_str(), older));
    ASSERT_TRUE(base::set_creation_time(win("first.avi").c_str(), newer));
    EXPECT_FALSE(base::set_creation_time(win("none.avi").c_str(), older));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(win("*.avi").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "first.avi");
    EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &newer), 0);
    ASSERT_TRUE(FindNextFileA(find, &data));
    EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &older), 0);
    FindClose(find);
    ASSERT_TRUE(GetFileAttributesExA(win("second.avi").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(CompareFileTime(&info.ftCreationTime, &older), 0);
    EXPECT_EQ(base::unix_ms_from_filetime(info.ftCreationTime), 1000000000000ll);
}

TEST_F(Files, CurrentDirectoryIsRealAndRelativePathsFollowIt)
{
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof(saved)), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(base::to_windows_path(root).c_str()));
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof(buffer), buffer);
    EXPECT_EQ(std::string(buffer, n), base::to_windows_path(fs::canonical(root).string()));
    EXPECT_EQ(GetCurrentDirectoryA(2, buffer), n + 1); // too small: the size needed

    HANDLE f = CreateFileA(".\\tmp.avi", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
    EXPECT_TRUE(fs::exists(root + "/tmp.avi"));
    EXPECT_EQ(crt::_access("TMP.AVI", 0), 0);
    EXPECT_EQ(crt::_access("absent", 0), -1);

    EXPECT_FALSE(SetCurrentDirectoryA("no_such_folder"));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetCurrentDirectoryA("tmp.avi"));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_DIRECTORY));
    ASSERT_EQ(chdir(saved), 0);
}

TEST_F(Files, Folders)
{
    EXPECT_TRUE(CreateDirectoryA(win("Recordings").c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(win("recordings").c_str(), nullptr));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA(win("a\\b").c_str(), nullptr));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    make("Recordings/x.avi");
    EXPECT_FALSE(RemoveDirectoryA(win("Recordings").c_str()));
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_TRUE(DeleteFileA(win("recordings\\X.avi").c_str()));
    EXPECT_TRUE(RemoveDirectoryA(win("RECORDINGS").c_str()));
    EXPECT_FALSE(fs::exists(root + "/Recordings"));

    EXPECT_TRUE(MakeSureDirectoryPathExists((win("deep\\er\\folder") + "\\").c_str()));
    EXPECT_TRUE(fs::is_directory(root + "/deep/er/folder"));
    EXPECT_TRUE(MakeSureDirectoryPathExists(win("deep\\other\\file.avi").c_str())); // the name itself is no folder
    EXPECT_TRUE(fs::is_directory(root + "/deep/other"));
    EXPECT_FALSE(fs::exists(root + "/deep/other/file.avi"));
    make("plain");
    EXPECT_FALSE(MakeSureDirectoryPathExists(win("plain\\sub\\").c_str()));
}

TEST_F(Files, TempAndShortPaths)
{
    char buffer[MAX_PATH];
    DWORD n = GetTempPathA(sizeof(buffer), buffer);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(buffer[n - 1], '\\');
    EXPECT_EQ(GetTempPathA(1, buffer), n + 1);

    make("prog");
    std::string path = win("prog");
    char short_path[MAX_PATH];
    EXPECT_EQ(GetShortPathNameA(path.c_str(), short_path, sizeof(short_path)), path.size());
    EXPECT_EQ(short_path, path);
    EXPECT_EQ(GetShortPathNameA(path.c_str(), short_path, 3), path.size() + 1);
    EXPECT_EQ(GetShortPathNameA(win("missing").c_str(), short_path, sizeof(short_path)), 0u);
    EXPECT_EQ(last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, CrtFopenTakesWindowsPaths)
{
    make("Tags/clip.wmv", "Recorded by");
    FILE* file = crt::fopen(win("tags\\CLIP.wmv").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char buffer[16] = {};
    EXPECT_EQ(std::fread(buffer, 1, sizeof(buffer), file), 11u);
    std::fclose(file);
    EXPECT_STREQ(buffer, "Recorded by");
    EXPECT_EQ(crt::fopen(win("tags\\none").c_str(), "r"), nullptr);
}

TEST(Handles, AreNeverReused)
{
    HANDLE first = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(first));
    EXPECT_FALSE(CloseHandle(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    HANDLE second = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(second, first);
    EXPECT_FALSE(SetEvent(first));
    CloseHandle(second);
}

}
