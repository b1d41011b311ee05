#include <mm/Mmio.h>

#include <base/Files.h>
#include <base/Handles.h>
#include <base/Path.h>

#include "TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr DWORD create_for_writing = MMIO_CREATE | MMIO_WRITE;

class Mmio : public testing::Test {
protected:
    void SetUp() override { folder = test_support::make_temp_dir("mmio"); }
    void TearDown() override
    {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(folder);
    }

    // The Windows form of a path under the test folder.
    std::string windows(const std::string& name) const { return base::to_windows_path(folder + "/" + name); }
    // Opens with a zeroed MMIOINFO and gives back its error.
    HMMIO open(const std::string& path, DWORD flags, UINT* error)
    {
        MMIOINFO info {};
        info.wErrorRet = 0xFFFF;
        std::string text = path;
        HMMIO file = mmioOpenA(text.data(), &info, flags);
        *error = info.wErrorRet;
        return file;
    }

    std::string folder;
};

TEST_F(Mmio, CreateMakesAnEmptyFileAndEmptiesAnExistingOne)
{
    EXPECT_EQ(create_for_writing, 0x1001u);
    UINT error = 0;
    HMMIO made = open(windows("New.wmv"), create_for_writing, &error);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(error, MMSYSERR_NOERROR);
    EXPECT_TRUE(std::filesystem::exists(folder + "/New.wmv"));
    EXPECT_EQ(mmioClose(made, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(std::filesystem::file_size(folder + "/New.wmv"), 0u);

    std::ofstream(folder + "/Old.wmv") << "an earlier recording";
    // Found ignoring case, like every file name of the layer; a '+' is part of the name.
    HMMIO emptied = mmioOpenA(windows("OLD.WMV").data(), nullptr, create_for_writing);
    ASSERT_NE(emptied, nullptr);
    EXPECT_EQ(std::filesystem::file_size(folder + "/Old.wmv"), 0u);
    EXPECT_EQ(mmioClose(emptied, 0), MMSYSERR_NOERROR);

    HMMIO plus = mmioOpenA(windows("a+b.wmv").data(), nullptr, create_for_writing);
    ASSERT_NE(plus, nullptr);
    EXPECT_EQ(mmioClose(plus, 0), MMSYSERR_NOERROR);
    EXPECT_TRUE(std::filesystem::exists(folder + "/a+b.wmv"));
}

TEST_F(Mmio, PlacesWhereNoFileCanBeMadeGiveNoHandleAndTheReason)
{
    std::filesystem::create_directories(folder + "/Locked");
    std::filesystem::create_directories(folder + "/Folder");
    std::filesystem::permissions(folder + "/Locked", std::filesystem::perms::owner_write,
        std::filesystem::perm_options::remove);
    struct Case {
        std::string path;
        UINT error;
    };
    for (const Case& c : {
             Case { windows("Missing\\x.wmv"), MMIOERR_PATHNOTFOUND },
             Case { windows("Locked\\x.wmv"), MMIOERR_ACCESSDENIED },
             Case { windows("Folder"), MMIOERR_ACCESSDENIED },
         }) {
        SCOPED_TRACE(c.path);
        UINT error = 0;
        EXPECT_EQ(open(c.path, create_for_writing, &error), nullptr);
        EXPECT_EQ(error, c.error);
    }
    EXPECT_FALSE(std::filesystem::exists(folder + "/Missing"));
    EXPECT_TRUE(std::filesystem::is_empty(folder + "/Locked"));
    EXPECT_EQ(mmioOpenA(nullptr, nullptr, create_for_writing), nullptr);
}

TEST_F(Mmio, OnlyCreationForWritingAndReadWriteOpeningAreBuilt)
{
    std::ofstream(folder + "/Kept.wav") << "data";
    for (DWORD flags : { DWORD(MMIO_READ), DWORD(MMIO_WRITE), DWORD(MMIO_CREATE | MMIO_READWRITE),
             DWORD(MMIO_CREATE | MMIO_WRITE | 0x10) /* exclusive */ }) {
        SCOPED_TRACE(flags);
        UINT error = 0;
        EXPECT_EQ(open(windows("Kept.wav"), flags, &error), nullptr);
        EXPECT_EQ(error, MMSYSERR_NOTSUPPORTED);
    }
    EXPECT_EQ(std::filesystem::file_size(folder + "/Kept.wav"), 4u);
}

TEST_F(Mmio, CloseReleasesTheFileAndRefusesAnythingElse)
{
    std::size_t handles = base::Handles::count();
    HMMIO file = mmioOpenA(windows("Held.wmv").data(), nullptr, create_for_writing);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(base::is_open_in_process(windows("Held.wmv").c_str()));
    EXPECT_EQ(mmioClose(file, 0), MMSYSERR_NOERROR);
    EXPECT_FALSE(base::is_open_in_process(windows("Held.wmv").c_str()));
    EXPECT_EQ(base::Handles::count(), handles);

    EXPECT_EQ(mmioClose(file, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioClose(nullptr, 0), MMSYSERR_INVALHANDLE);
    HANDLE plain = CreateFileA(windows("Plain.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(plain, INVALID_HANDLE_VALUE);
    EXPECT_EQ(mmioClose(reinterpret_cast<HMMIO>(plain), 0), MMSYSERR_INVALHANDLE);
    EXPECT_TRUE(CloseHandle(plain));
}

}

namespace {

TEST_F(Mmio, ExistAndDeleteAnswerWithoutOpeningAFile)
{
    std::ofstream(folder + "/News_1.wmv") << "data";
    std::filesystem::create_directory(folder + "/Folder.wmv");
    std::size_t handles = base::Handles::count();
    UINT error = 0;
    // Existence ignores letter case, as names do on this platform.
    EXPECT_NE(open(windows("news_1.WMV"), MMIO_EXIST, &error), nullptr);
    EXPECT_EQ(open(windows("News_2.wmv"), MMIO_EXIST, &error), nullptr);
    EXPECT_EQ(error, MMIOERR_FILENOTFOUND);
    EXPECT_EQ(open(windows("Folder.wmv"), MMIO_EXIST, &error), nullptr);
    EXPECT_EQ(base::Handles::count(), handles);

    HMMIO held = mmioOpenA(windows("Held.wmv").data(), nullptr, create_for_writing);
    EXPECT_EQ(open(windows("Held.wmv"), MMIO_DELETE, &error), nullptr); // open in this process
    EXPECT_EQ(error, MMIOERR_SHARINGVIOLATION);
    mmioClose(held, 0);
    EXPECT_NE(open(windows("News_1.wmv"), MMIO_DELETE, &error), nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder + "/News_1.wmv"));
    EXPECT_EQ(open(windows("News_1.wmv"), MMIO_DELETE, &error), nullptr);
    EXPECT_EQ(error, MMIOERR_FILENOTFOUND);
}

}

namespace {

TEST_F(Mmio, ReadWriteOpensAnExistingFileUnlessItIsInUseOrReadOnly)
{
    std::ofstream(folder + "/News_1.avi") << "data";
    UINT error = 0;
    HMMIO file = open(windows("news_1.AVI"), MMIO_READWRITE, &error);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(error, MMSYSERR_NOERROR);
    EXPECT_EQ(mmioClose(file, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(std::filesystem::file_size(folder + "/News_1.avi"), 4u); // opening keeps the contents

    EXPECT_EQ(open(windows("Missing.avi"), MMIO_READWRITE, &error), nullptr);
    EXPECT_EQ(error, MMIOERR_FILENOTFOUND);

    // A reader that lets others only read (as a player does) keeps the file in use.
    HANDLE reader = CreateFileA(windows("News_1.avi").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(windows("News_1.avi"), MMIO_READWRITE, &error), nullptr);
    EXPECT_EQ(error, MMIOERR_SHARINGVIOLATION);
    CloseHandle(reader);

    std::filesystem::permissions(folder + "/News_1.avi", std::filesystem::perms::owner_read);
    EXPECT_EQ(open(windows("News_1.avi"), MMIO_READWRITE, &error), nullptr);
    EXPECT_EQ(error, MMIOERR_ACCESSDENIED);
}

}
