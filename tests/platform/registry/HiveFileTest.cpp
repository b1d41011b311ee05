#include "RegistryFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using HiveFile = RegistryTest;

TEST_F(HiveFile, IsPlainTextInThePlatformHome)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    set(key, "Volume", REG_BINARY, { 50 });
    set(key, "Country", REG_DWORD, { 0xff, 0xff, 0xff, 0xff });
    set(key, "Channel", REG_SZ, bytes(std::string_view("5\0", 2)));
    RegCloseKey(key);

    EXPECT_EQ(registry::hive_path(HKEY_CURRENT_USER), home + "/HKEY_CURRENT_USER.hive");
    EXPECT_EQ(read_text(home + "/HKEY_CURRENT_USER.hive"),
        "Orbivane registry hive 1\n"
        "; HKEY_CURRENT_USER\n"
        "\n[Software]\n"
        "\n[Software\\Kestrelon]\n"
        "\n[Software\\Kestrelon\\Orbivane]\n"
        "\"Channel\"=sz:\"5\\0\"\n"
        "\"Country\"=dword:ffffffff\n"
        "\"Volume\"=binary:hex:32\n"
        "end\n");
    EXPECT_FALSE(std::filesystem::exists(home + "/HKEY_LOCAL_MACHINE.hive")) << "an untouched hive is not written";
}

TEST_F(HiveFile, IsNotWrittenBeforeAChangedKeyIsClosedOrFlushed)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    RegCloseKey(key);
    std::string path = registry::hive_path(HKEY_CURRENT_USER);
    std::string before = read_text(path);

    key = open(HKEY_CURRENT_USER, program_key, KEY_ALL_ACCESS);
    set(key, "Volume", REG_BINARY, { 50 });
    EXPECT_EQ(read_text(path), before);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_NE(read_text(path).find("\"Volume\""), std::string::npos);
    set(key, "Mute", REG_BINARY, { 1 });
    registry::forget_hives(); // the process dies before closing the key
    EXPECT_FALSE(registry::read_value(HKEY_CURRENT_USER, program_key, "Mute"));
    EXPECT_TRUE(registry::read_value(HKEY_CURRENT_USER, program_key, "Volume"));
}

TEST_F(HiveFile, IsReplacedWholeAndLeavesNoTemporaryFiles)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    set(key, "Volume", REG_BINARY, { 1 });
    RegCloseKey(key);
    std::string path = registry::hive_path(HKEY_CURRENT_USER);
    std::string first = read_text(path);

    // A reader that opened the old file keeps seeing all of it: the new one is a new file.
    int old_fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(old_fd, 0);
    struct stat old_stat;
    fstat(old_fd, &old_stat);
    for (BYTE i = 0; i < 20; ++i) {
        key = create(HKEY_CURRENT_USER, program_key);
        set(key, ("Event" + std::to_string(i)).c_str(), REG_SZ, bytes("5 62 20 15 21 0 -1 15"));
        ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    std::string old_text(static_cast<size_t>(old_stat.st_size), '\0');
    ASSERT_EQ(pread(old_fd, old_text.data(), old_text.size(), 0), static_cast<ssize_t>(old_text.size()));
    close(old_fd);
    EXPECT_EQ(old_text, first);
    struct stat new_stat;
    stat(path.c_str(), &new_stat);
    EXPECT_NE(new_stat.st_ino, old_stat.st_ino);

    EXPECT_EQ(home_files(), (std::vector<std::string> { "HKEY_CURRENT_USER.hive", "registry.lock" }));
    EXPECT_TRUE(registry::read_value(HKEY_CURRENT_USER, program_key, "Event19"));
}

TEST_F(HiveFile, TemporariesOfProcessesThatDiedWhileSavingAreRemoved)
{
    pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    waitpid(dead, nullptr, 0);
    std::string path = registry::hive_path(HKEY_CURRENT_USER);
    std::string stale = path + ".tmp-" + std::to_string(dead) + "-1";
    std::string live = path + ".tmp-" + std::to_string(getppid()) + "-1";
    write_text(stale, "half a hive");
    write_text(live, "still being written");
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, "Software"));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live)) << "its process is running";
}

TEST_F(HiveFile, AnUnreadableFileIsKeptAsideReportedOnceAndTheHiveStartsEmpty)
{
    std::string valid = "Orbivane registry hive 1\n[Software]\n\"Volume\"=binary:hex:32\nend\n";
    const std::string cases[] = {
        "garbage\x01\x02",
        "",
        valid.substr(0, valid.size() / 2), // cut short
        "Orbivane registry hive 1\n[Software]\n\"Volume\"=binary:hex:3\nend\n",
        "Orbivane registry hive 1\n[Software]\n\"Volume\"=binary:hex:32\n\"VOLUME\"=binary:hex:33\nend\n",
        "Orbivane registry hive 1\n[Software]\n\"Bad\\q\"=sz:\"x\"\nend\n",
        "Orbivane registry hive 1\n\"Volume\"=dword:123\nend\n",
        "Orbivane registry hive 1\n[Software]\nend\n[More]\n",
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
        registry::forget_hives();
        std::string path = registry::hive_path(HKEY_LOCAL_MACHINE);
        write_text(path, text);

        testing::internal::CaptureStderr();
        EXPECT_FALSE(registry::key_exists(HKEY_LOCAL_MACHINE, "Software"));
        HKEY key = create(HKEY_LOCAL_MACHINE, program_key);
        set(key, "Volume", REG_BINARY, { 60 });
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        EXPECT_TRUE(registry::key_exists(HKEY_LOCAL_MACHINE, program_key));
        std::string report = testing::internal::GetCapturedStderr();

        std::vector<std::string> files = home_files();
        ASSERT_EQ(files.size(), 3u);
        EXPECT_EQ(files[0], "HKEY_LOCAL_MACHINE.hive");
        EXPECT_EQ(files[1].rfind("HKEY_LOCAL_MACHINE.hive.corrupt-", 0), 0u) << files[1];
        EXPECT_EQ(read_text(home + "/" + files[1]), text) << "kept byte for byte";
        size_t first = report.find(path);
        EXPECT_NE(first, std::string::npos) << report;
        EXPECT_NE(report.find(files[1]), std::string::npos) << report;
        EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;

        registry::forget_hives();
        EXPECT_EQ(registry::read_value(HKEY_LOCAL_MACHINE, program_key, "Volume"), (registry::RawValue { REG_BINARY, { 60 } }));
    }
}

TEST_F(HiveFile, ASecondCorruptFileIsKeptBesideTheFirst)
{
    std::string path = registry::hive_path(HKEY_CURRENT_USER);
    testing::internal::CaptureStderr();
    for (const char* text : { "first bad", "second bad" }) {
        write_text(path, text);
        registry::forget_hives();
        EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, "Software"));
    }
    testing::internal::GetCapturedStderr();
    std::vector<std::string> kept;
    for (const auto& name : home_files()) {
        if (name.find(".corrupt-") != std::string::npos)
            kept.push_back(read_text(home + "/" + name));
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string> { "first bad", "second bad" }));
}

TEST_F(HiveFile, AFailedSaveIsReportedAndKeptForTheNextOne)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    std::filesystem::remove_all(home); // the folder is replaced by a file under the running process
    write_text(home, "not a folder");
    key = open(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS);
    ASSERT_EQ(set(key, "Volume", REG_BINARY, { 50 }), ERROR_SUCCESS);
    testing::internal::CaptureStderr();
    EXPECT_NE(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be saved"), std::string::npos);

    std::filesystem::remove(home);
    std::filesystem::create_directories(home);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    registry::forget_hives();
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, "", "Volume"), (registry::RawValue { REG_BINARY, { 50 } }));
}

}

namespace {

// "a\a\...\a", `depth` levels.
std::string chain(size_t depth)
{
    std::string path = "a";
    for (size_t i = 1; i < depth; ++i)
        path += "\\a";
    return path;
}

TEST_F(HiveFile, AKeyTooDeepToKeepIsReportedOnceAndDroppedAndTheRestStillSaves)
{
    std::string path = registry::hive_path(HKEY_CURRENT_USER);
    write_text(path,
        "Orbivane registry hive 1\n[Software]\n\"Volume\"=binary:hex:32\n"
        "[" + chain(512) + "]\n\"Kept\"=dword:00000001\n"
        "[" + chain(50000) + "]\n\"Lost\"=dword:00000002\n"
        "[" + chain(513) + "]\nend\n");

    testing::internal::CaptureStderr();
    EXPECT_TRUE(registry::key_exists(HKEY_CURRENT_USER, "Software"));
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    set(key, "Mute", REG_BINARY, { 1 });
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
    EXPECT_NE(report.find("deeper than 512 levels (line 6: a key 50000 levels deep and 1 more)"), std::string::npos) << report;

    std::string saved = read_text(path);
    EXPECT_LT(saved.size(), 600000u);
    EXPECT_EQ(saved.find("Lost"), std::string::npos);
    registry::forget_hives();
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, chain(512).c_str(), "Kept"), (registry::RawValue { REG_DWORD, { 1, 0, 0, 0 } }));
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, program_key, "Mute"), (registry::RawValue { REG_BINARY, { 1 } }));
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, chain(513).c_str()));

    // Creating keys stops at the same depth, one level at a time or all at once.
    HKEY deepest = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, chain(512).c_str(), 0, KEY_ALL_ACCESS, &deepest), ERROR_SUCCESS);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExA(deepest, "b", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, chain(600).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                  nullptr, &child, nullptr),
        ERROR_INVALID_PARAMETER);
    RegCloseKey(deepest);
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, (chain(512) + "\\b").c_str()));
}

}

namespace {

TEST_F(HiveFile, AKeyNameHoldingABackslashIsWrittenBackEscaped)
{
    std::string path = registry::hive_path(HKEY_CURRENT_USER);
    write_text(path, "Orbivane registry hive 1\n[a%5cb]\n\"Kept\"=dword:00000001\nend\n");
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    set(key, "Mute", REG_BINARY, { 1 });
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    std::string saved = read_text(path);
    EXPECT_NE(saved.find("\n[a%5cb]\n\"Kept\"=dword:00000001\n"), std::string::npos) << saved;
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, "a\\b")) << "one key named a\\b, not b below a";
}

}
