#include <shell/KnownFolders.h>

#include <base/Errors.h>
#include <base/Modules.h>
#include <base/Path.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Points HOME and XDG_CONFIG_HOME at a fresh folder for the test.
class KnownFoldersTest : public testing::Test {
protected:
    void SetUp() override
    {
        home = std::string(std::getenv("ORBIVANE_HOME")) + "/" + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(home + "/.config");
        keep("HOME", home);
        keep("XDG_CONFIG_HOME", "");
        keep("XDG_DATA_HOME", "");
    }
    void TearDown() override
    {
        for (auto& [name, value] : saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    void keep(const std::string& name, const std::string& value)
    {
        const char* old = std::getenv(name.c_str());
        saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    std::string windows(const std::string& linux_path) { return base::to_windows_path(linux_path); }

    std::string home;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(KnownFoldersTest, FoldersFollowXdgAndAreCreatedOnlyWhenAsked)
{
    char path[MAX_PATH] = "junk";
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, path), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(std::filesystem::exists(home + "/Documents"));

    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
    EXPECT_EQ(path, windows(home + "/Documents"));
    EXPECT_TRUE(std::filesystem::is_directory(home + "/Documents"));

    struct Case {
        int csidl;
        std::string expected;
    } cases[] = {
        { CSIDL_MYVIDEO, home + "/Videos" },
        { CSIDL_APPDATA, home + "/.config" },
        { CSIDL_LOCAL_APPDATA, home + "/.local/share" },
        { CSIDL_COMMON_APPDATA, home + "/.local/share" },
    };
    for (const auto& c : cases) {
        ASSERT_EQ(SHGetFolderPathA(nullptr, c.csidl | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK) << c.csidl;
        EXPECT_EQ(path, windows(c.expected));
    }
    EXPECT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_MYVIDEO, FALSE));
    EXPECT_EQ(SHGetFolderPathA(nullptr, 0x0014 /* fonts */, nullptr, 0, path), E_INVALIDARG);

    // Program files holds the program's folder.
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path), S_OK);
    std::string program = base::program_folder();
    EXPECT_EQ(program.rfind(std::string(path) + "\\", 0), 0u) << program << " in " << path;
}

TEST_F(KnownFoldersTest, UserDirsFileNamesDocumentsAndVideos)
{
    std::ofstream(home + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                     << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                                                     << "XDG_VIDEOS_DIR=\"" << home << "/media/videos/\"\n"
                                                     << "XDG_MUSIC_DIR=\"relative\"\n";
    EXPECT_EQ(*shell::known_folder(CSIDL_PERSONAL), home + "/Dokumente");
    EXPECT_EQ(*shell::known_folder(CSIDL_MYVIDEO | CSIDL_FLAG_CREATE), home + "/media/videos");

    // An explicit XDG_CONFIG_HOME is where the file is read.
    std::filesystem::create_directories(home + "/other");
    std::ofstream(home + "/other/user-dirs.dirs") << "XDG_VIDEOS_DIR=\"$HOME/Filme\"\n";
    setenv("XDG_CONFIG_HOME", (home + "/other").c_str(), 1);
    EXPECT_EQ(*shell::known_folder(CSIDL_MYVIDEO), home + "/Filme");
    EXPECT_EQ(*shell::known_folder(CSIDL_PERSONAL), home + "/Documents");
    EXPECT_EQ(*shell::known_folder(CSIDL_APPDATA), home + "/other");
}

TEST_F(KnownFoldersTest, SubFolderIsAppendedAndCreatedThroughShell32Lookup)
{
    HMODULE shell32 = LoadLibraryA("shell32.dll");
    ASSERT_NE(shell32, nullptr);
    using Function = HRESULT (*)(HWND, int, HANDLE, DWORD, LPCSTR, LPSTR);
    auto function = reinterpret_cast<Function>(GetProcAddress(shell32, "SHGetFolderPathAndSubDirA"));
    ASSERT_NE(function, nullptr);

    char path[MAX_PATH] {};
    EXPECT_EQ(function(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, "Orbivane", path),
        HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(function(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, "Orbivane", path), S_OK);
    EXPECT_EQ(path, windows(home + "/.local/share/Orbivane"));
    EXPECT_TRUE(std::filesystem::is_directory(home + "/.local/share/Orbivane"));
    EXPECT_EQ(function(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, "orbivane", path), S_OK); // case ignored
    EXPECT_EQ(function(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, "\\abs", path), E_INVALIDARG);
    EXPECT_TRUE(FreeLibrary(shell32));

    HMODULE help = LoadLibraryA("hhctrl.ocx");
    ASSERT_NE(help, nullptr);
    EXPECT_NE(GetProcAddress(help, "HtmlHelpA"), nullptr);
    FreeLibrary(help);
}

TEST_F(KnownFoldersTest, CreationFailureAndOverlongPathsAreErrors)
{
    // A file where the folder should be.
    std::ofstream(home + "/Videos") << "not a folder";
    char path[MAX_PATH] = "junk";
    EXPECT_LT(SHGetFolderPathA(nullptr, CSIDL_MYVIDEO | CSIDL_FLAG_CREATE, nullptr, 0, path), 0);
    EXPECT_STREQ(path, "");

    std::string deep(300, 'd');
    EXPECT_EQ(SHGetFolderPathAndSubDirA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, deep.c_str(), path),
        HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
}

}
