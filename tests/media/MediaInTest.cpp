#include "media/MediaIn.h"

#include "TempHome.h"

#include <base/Files.h>
#include <base/Path.h>
#include <user/Testing.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A target that records nothing: the base versions of the interface stay as they are.
class NullTarget : public SMediaIn {
public:
    explicit NullTarget(const std::string& path, int* deleted = nullptr)
        : SMediaIn(path.c_str())
        , m_deleted(deleted)
    {
    }
    ~NullTarget() override
    {
        if (m_deleted)
            ++*m_deleted;
    }
    bool Start() override { return false; }
    bool Stop() override { return false; }
    LONG GetFileSize() override { return -1; }
    LONG GetElapsed() override { return -1; }
    void ShowPreview(bool) override { }

    bool full_screen() const { return m_fullScreen != 0; }

private:
    int* m_deleted;
};

class MediaIn : public testing::Test {
protected:
    void SetUp() override
    {
        user::testing::reset();
        folder = test_support::make_temp_dir("mediain");
        char current[MAX_PATH];
        GetCurrentDirectoryA(sizeof current, current);
        previous_directory = current;
        SetCurrentDirectoryA(base::to_windows_path(folder).c_str());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(previous_directory.c_str());
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(folder);
        user::testing::reset();
    }

    // The Windows form of a path under the test folder.
    std::string windows(const std::string& name) const { return base::to_windows_path(folder) + "\\" + name; }
    std::string linux(const std::string& name) const { return folder + "/" + name; }

    std::string folder;
    std::string previous_directory;
};

TEST_F(MediaIn, KeepsThePathAndTheNameAfterItsLastBackslash)
{
    struct Case {
        std::string path;
        std::string file_name;
    };
    for (const Case& c : {
             Case { windows("News.wmv"), "News.wmv" },
             Case { "Film.wmv", "Film.wmv" }, // no backslash: the whole path
             Case { "C:\\missing\\dir\\Late show.wma", "Late show.wma" },
             Case { windows(""), "" },
         }) {
        SCOPED_TRACE(c.path);
        NullTarget target(c.path);
        EXPECT_STREQ(target.GetPath(), c.path.c_str());
        EXPECT_STREQ(target.GetFileName(), c.file_name.c_str());
        EXPECT_FALSE(target.full_screen());
    }
    // The relative name was created in the current folder.
    EXPECT_TRUE(std::filesystem::exists(linux("Film.wmv")));
}

TEST_F(MediaIn, CreatesTheOutputFileEmptyingOneThatExists)
{
    NullTarget fresh(windows("News.wmv"));
    EXPECT_TRUE(fresh.IsUsable());
    ASSERT_TRUE(std::filesystem::exists(linux("News.wmv")));
    EXPECT_EQ(std::filesystem::file_size(linux("News.wmv")), 0u);
    // Closed again at once: the file can go while the target lives.
    EXPECT_FALSE(base::is_open_in_process(windows("News.wmv").c_str()));

    std::ofstream(linux("Old.wmv")) << "yesterday's recording";
    NullTarget over(windows("Old.wmv"));
    EXPECT_TRUE(over.IsUsable());
    EXPECT_EQ(std::filesystem::file_size(linux("Old.wmv")), 0u);
}

TEST_F(MediaIn, PlacesThatCannotTakeAFileGiveAnUnusableTargetAndNoFile)
{
    std::filesystem::create_directories(linux("ReadOnly"));
    std::filesystem::permissions(linux("ReadOnly"), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    std::filesystem::create_directories(linux("Folder"));
    for (const std::string& path : { windows("Missing\\News.wmv"), windows("ReadOnly\\News.wmv"), windows("Folder") }) {
        SCOPED_TRACE(path);
        NullTarget target(path);
        EXPECT_FALSE(target.IsUsable());
        EXPECT_STREQ(target.GetPath(), path.c_str());
    }
    EXPECT_FALSE(std::filesystem::exists(linux("Missing")));
    EXPECT_TRUE(std::filesystem::is_empty(linux("ReadOnly")));
    EXPECT_TRUE(std::filesystem::is_empty(linux("Folder")));
}

TEST_F(MediaIn, APathLongerThanItsBufferIsRefusedNotCut)
{
    // 259 bytes fit and are created.
    std::string prefix = windows("");
    std::string fitting = prefix + std::string(259 - prefix.size(), 'a');
    ASSERT_EQ(fitting.size(), 259u);
    NullTarget fits(fitting);
    EXPECT_TRUE(fits.IsUsable());
    EXPECT_STREQ(fits.GetPath(), fitting.c_str());
    EXPECT_TRUE(std::filesystem::exists(linux(std::string(259 - prefix.size(), 'a'))));

    // 260 bytes and more would name another file once cut: nothing is created.
    for (std::size_t length : { std::size_t(260), std::size_t(300) }) {
        SCOPED_TRACE(length);
        std::string name = std::string(length - prefix.size() - 4, 'b') + ".wmv";
        std::string path = prefix + name;
        NullTarget refused(path);
        EXPECT_FALSE(refused.IsUsable());
        EXPECT_EQ(std::string(refused.GetPath()), path.substr(0, 259));
        EXPECT_EQ(std::string(refused.GetFileName()), name.substr(0, 259));
    }
    std::size_t files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder))
        ++files;
    EXPECT_EQ(files, 1u);

    // Cuts keep whole characters: "é" is two bytes here.
    std::string accented = prefix + std::string(258 - prefix.size(), 'c') + "\xC3\xA9.wmv";
    NullTarget cut(accented);
    EXPECT_EQ(std::string(cut.GetPath()), accented.substr(0, 258));
}

TEST_F(MediaIn, BaseVersionsKeepNothing)
{
    NullTarget target(windows("News.wmv"));
    SMediaIn& base = target;
    EXPECT_FALSE(base.SetAttribute("Title", "News"));
    base.SetFullScreen(true);
    EXPECT_FALSE(target.full_screen());
    base.FitPreview();
    EXPECT_TRUE(user::testing::message_box_journal().empty());
}

TEST_F(MediaIn, ReportErrorShowsTheMessageWithItsReturnCode)
{
    NullTarget target(windows("News.wmv"));
    std::string long_message(400, 'x');
    struct Case {
        std::string message;
        HRESULT code;
        std::string text;
    };
    for (const Case& c : {
             Case { "Autostop", 0, "Autostop" },
             Case { "Autostop", 0x1F, "Autostop\n    Return code = 1F" },
             Case { "start archive", static_cast<HRESULT>(0x80004005), "start archive\n    Return code = 80004005" },
             // The return-code line always fits; the message gives way.
             Case { long_message, 0x1F, std::string(259 - 21, 'x') + "\n    Return code = 1F" },
             Case { long_message, 0, std::string(259, 'x') },
         }) {
        SCOPED_TRACE(c.text);
        user::testing::reset();
        static_cast<SMediaIn&>(target).ReportError(c.message.c_str(), c.code);
        auto shown = user::testing::message_box_journal();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].box.text, c.text);
        EXPECT_EQ(shown[0].box.caption, "Orbivane");
        EXPECT_EQ(shown[0].box.type, UINT(MB_ICONHAND));
        EXPECT_EQ(shown[0].box.owner, nullptr);
    }
}

TEST_F(MediaIn, AnOwnerDeletesTheWholeTargetThroughTheInterface)
{
    int deleted = 0;
    SMediaIn* target = new NullTarget(windows("News.wmv"), &deleted);
    delete target;
    EXPECT_EQ(deleted, 1);
}

}
