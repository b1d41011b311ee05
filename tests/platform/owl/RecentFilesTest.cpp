#include <owl/Application.h>
#include <owl/RecentFiles.h>

#include <registry/Registry.h>
#include <registry/Testing.h>
#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <string>

using namespace OWL;

namespace {

// Each test keeps its own key: the hive files live on through the test program.
constexpr const char* Key = "Software\\Kestrelon\\OwlTest";
constexpr const char* MenuKey = "Software\\Kestrelon\\OwlTestMenu";

struct MruApp : TApplication, TRecentFiles {
    MruApp() : TApplication("Orbivane"), TRecentFiles(MenuKey, 6, 80)
    {
        OnRegisteredMessage("MRUFILEMESSAGE", [this](WPARAM id, LPARAM) {
            char path[260];
            GetMenuText(static_cast<UINT>(id), path, sizeof(path));
            opened = path;
            return LRESULT(0);
        });
        OnCommand(24310, [] { });
    }
    void InitMainWindow() override
    {
        SetMainWindow(new TFrameWindow(nullptr, "Orbivane"));
        GetMainWindow()->AssignMenu(910);
    }
    std::string opened;
};

class RecentFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry::reset_for_test();
        user::register_menu(910, {
            user::menu_popup("&File", { user::menu_item("&Open...", 24332), user::menu_separator(),
                                          user::menu_item("E&xit\tAlt+F4", 24310) }),
        });
    }
    void TearDown() override { registry::reset_for_test(); }
};

}

TEST_F(RecentFilesTest, MostRecentFirstDuplicatesMergedSixKeptAcrossRestarts)
{
    const std::string long_path = "/home/me/" + std::string(200, 'v') + "/news.avi";
    {
        TRecentFiles mru(Key, 6, 80);
        for (int i = 1; i <= 7; ++i)
            mru.SaveMenuChoice(("/home/me/rec" + std::to_string(i) + ".avi").c_str());
        mru.SaveMenuChoice("/home/me/rec5.avi");
        mru.SaveMenuChoice(long_path.c_str());
        ASSERT_EQ(mru.GetEntries().size(), 6u);
        EXPECT_EQ(mru.GetEntries()[0], long_path);
        EXPECT_EQ(mru.GetEntries()[1], "/home/me/rec5.avi");
        EXPECT_EQ(mru.GetEntries()[2], "/home/me/rec7.avi");
        EXPECT_EQ(mru.GetEntries()[5], "/home/me/rec3.avi");
    }
    registry::restart();
    TRecentFiles again(Key, 6, 80);
    ASSERT_EQ(again.GetEntries().size(), 6u);
    // The stored path is whole; only the menu text is shortened.
    char text[260];
    EXPECT_EQ(again.GetMenuText(TRecentFiles::MruFirstId, text, sizeof(text)), static_cast<int>(long_path.size()));
    EXPECT_EQ(std::string(text), long_path);
    std::string label = again.MenuLabel(0);
    EXPECT_EQ(label.substr(0, 3), "&1 ");
    EXPECT_EQ(label.size(), 3u + 80u);
    EXPECT_EQ(label.substr(label.size() - 9), "/news.avi");
    EXPECT_EQ(again.GetMenuText(TRecentFiles::MruFirstId + 6, text, sizeof(text)), 0);
    EXPECT_STREQ(text, "");
    // A short buffer gets a bounded copy.
    char small[8];
    EXPECT_EQ(again.GetMenuText(TRecentFiles::MruFirstId + 1, small, sizeof(small)), 7);
    EXPECT_STREQ(small, "/home/m");
}

TEST_F(RecentFilesTest, EntriesShowBeforeExitAndChoosingOneDeliversTheMessage)
{
    MruApp app;
    app.SaveMenuChoice("/home/me/a&b.avi");
    app.SaveMenuChoice("/home/me/c.avi");
    app.InitMainWindow();
    ASSERT_TRUE(app.GetMainWindow()->Create());
    HWND frame = app.GetMainWindow()->GetHandle();
    HMENU file = GetSubMenu(GetMenu(frame), 0);
    for (int round = 0; round < 2; ++round) {
        SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        ASSERT_EQ(GetMenuItemCount(file), 6) << round;
        char text[128];
        GetMenuStringA(file, 2, text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(text, "&1 /home/me/c.avi");
        GetMenuStringA(file, 3, text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(text, "&2 /home/me/a&&b.avi");
        EXPECT_TRUE(GetMenuState(file, 4, MF_BYPOSITION) & MF_SEPARATOR);
        EXPECT_EQ(GetMenuItemID(file, 5), 24310u);
        EXPECT_EQ(GetMenuState(file, 3, MF_BYPOSITION) & MF_GRAYED, 0u);
    }
    SendMessageA(frame, WM_COMMAND, TRecentFiles::MruFirstId + 1, 0);
    EXPECT_EQ(app.opened, "/home/me/a&b.avi");

    app.RemoveMenuChoice("/home/me/c.avi");
    app.RemoveMenuChoice("/home/me/A&B.AVI");
    SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_EQ(GetMenuItemCount(file), 3);
}
