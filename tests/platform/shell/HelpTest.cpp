#include <shell/Help.h>
#include <shell/Testing.h>

#include <base/Path.h>
#include <base/Process.h>
#include <user/Window.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class HelpTest : public testing::Test {
protected:
    void SetUp() override
    {
        shell::testing::clear_help_journal();
        previous = base::set_launcher([this](const std::string& line, UINT) {
            launched.push_back(line);
            return launcher_result;
        });
        folder = std::string(std::getenv("ORBIVANE_HOME")) + "/help";
        std::filesystem::create_directories(folder);
        chm = folder + "/orbivane.chm";
        std::ofstream(chm) << "ITSF";
    }
    void TearDown() override
    {
        base::set_launcher(previous);
        shell::testing::clear_help_journal();
    }
    std::string windows(const std::string& linux_path) { return base::to_windows_path(linux_path); }
    base::Launcher previous;
    std::vector<std::string> launched;
    UINT launcher_result = 33;
    std::string folder, chm;
    HWND frame = reinterpret_cast<HWND>(0x4321);
};

TEST_F(HelpTest, DisplayTopicOpensAnExistingFileWithTheDesktopViewer)
{
    std::string file = windows(chm);
    EXPECT_EQ(HtmlHelpA(frame, file.c_str(), HH_DISPLAY_TOPIC, 0), frame);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], "xdg-open \"" + chm + "\"");

    // A topic inside the file opens the file itself.
    std::string topic = file + "::/Controls.html";
    EXPECT_NE(HtmlHelpA(frame, topic.c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
    EXPECT_EQ(launched.size(), 2u);

    auto journal = shell::testing::help_journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0].window, frame);
    EXPECT_EQ(journal[0].file, file);
    EXPECT_EQ(journal[0].command, UINT(HH_DISPLAY_TOPIC));
    EXPECT_TRUE(journal[0].shown);
    EXPECT_EQ(journal[1].file, topic);
}

TEST_F(HelpTest, MissingFileOrViewerGivesNull)
{
    std::string missing = windows(folder + "/none.chm");
    EXPECT_EQ(HtmlHelpA(frame, missing.c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
    EXPECT_EQ(HtmlHelpA(frame, nullptr, HH_DISPLAY_TOPIC, 0), nullptr);
    EXPECT_EQ(HtmlHelpA(frame, windows(folder).c_str(), HH_DISPLAY_TOPIC, 0), nullptr); // a folder
    EXPECT_TRUE(launched.empty());

    launcher_result = 2; // no xdg-open on this machine
    EXPECT_EQ(HtmlHelpA(frame, windows(chm).c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
    auto journal = shell::testing::help_journal();
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_FALSE(journal[3].shown);
}

TEST_F(HelpTest, TextPopupShowsTheNumberedTextOfThePopupFileInAWindowAtThePoint)
{
    std::ofstream(folder + "/CSOrbivane.txt") << ".topic 57\r\nThe list of events.\r\n.topic 1258\r\n"
                                                 "Shows the channel.\r\nSecond line.\r\n\r\n.topic 12580\r\nOther.\r\n";
    HH_POPUP popup {};
    popup.cbStruct = sizeof popup;
    popup.idString = 1258;
    popup.pt = { 40, 50 };
    popup.clrForeground = 0xFFFFFFFF;
    popup.clrBackground = 0xD0FFFF;
    popup.rcMargins = { 5, 5, 5, 5 };
    std::string file = windows(chm) + "::/CSOrbivane.txt";
    HWND shown = HtmlHelpA(frame, file.c_str(), HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown, shell::testing::help_popup());
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_TRUE(launched.empty());
    char text[100] = {};
    GetWindowTextA(shown, text, sizeof text);
    EXPECT_STREQ(text, "Shows the channel.\nSecond line.");
    RECT r;
    GetWindowRect(shown, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
    auto call = shell::testing::help_journal().at(0);
    ASSERT_TRUE(call.popup.has_value());
    EXPECT_EQ(call.popup->idString, 1258u);
    EXPECT_EQ(call.popup->clrBackground, 0xD0FFFFu);
    EXPECT_EQ(call.shown_text, "Shows the channel.\nSecond line.");
    EXPECT_TRUE(call.shown);

    // A second popup replaces the first; an unknown number shows the standard text.
    popup.idString = 99;
    HWND second = HtmlHelpA(frame, file.c_str(), HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
    EXPECT_FALSE(IsWindow(shown));
    EXPECT_EQ(shell::testing::help_journal().at(1).shown_text, "No help topic is associated with this item.");

    // The next click closes it.
    SendMessageA(second, WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(shell::testing::help_popup(), nullptr);

    // Without the help file there are no texts.
    std::filesystem::remove(chm);
    popup.idString = 57;
    HtmlHelpA(frame, file.c_str(), HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
    EXPECT_EQ(shell::testing::help_journal().at(2).shown_text, "No help topic is associated with this item.");
    shell::testing::reset();
    EXPECT_EQ(shell::testing::help_popup(), nullptr);
}

TEST_F(HelpTest, WinHelpJournalsPairsAndOpensOnlyContents)
{
    const DWORD pairs[] = { 706, 705, 134, DWORD(-1), 0, 0 };
    std::string file = windows(chm);
    EXPECT_FALSE(WinHelpA(frame, file.c_str(), HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(pairs)));
    EXPECT_FALSE(WinHelpA(frame, file.c_str(), HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(pairs)));
    EXPECT_TRUE(launched.empty());
    EXPECT_TRUE(WinHelpA(frame, file.c_str(), HELP_CONTENTS, 0));
    EXPECT_EQ(launched.size(), 1u);
    EXPECT_TRUE(WinHelpA(frame, file.c_str(), HELP_QUIT, 0));
    EXPECT_FALSE(WinHelpA(frame, "\\nowhere\\x.hlp", HELP_CONTEXT, 3));

    auto journal = shell::testing::help_journal();
    ASSERT_EQ(journal.size(), 5u);
    EXPECT_EQ(journal[0].api, shell::testing::HelpApi::WinHelp);
    std::vector<std::pair<DWORD, DWORD>> expected { { 706, 705 }, { 134, DWORD(-1) } };
    EXPECT_EQ(journal[0].pairs, expected);
    EXPECT_EQ(journal[1].command, UINT(HELP_CONTEXTMENU));
}

}
