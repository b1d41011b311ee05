#pragma once

// What tests read of the shell: the journal of help requests (the tray and DDE keep theirs in
// shell/TrayIcon.h and shell/Dde.h). Programs started through ShellExecuteA are journalled by
// replacing base's launcher (base/Process.h). reset() clears all of it between tests.
//
//     shell::testing::clear_help_journal();
//     ... F1 ...
//     EXPECT_EQ(shell::testing::help_journal().at(0).command, UINT(HH_DISPLAY_TEXT_POPUP));

#include <shell/Help.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace shell::testing {

enum class HelpApi { HtmlHelp, WinHelp };

struct HelpCall {
    HelpApi api = HelpApi::HtmlHelp;
    HWND window = nullptr;
    std::string file;
    UINT command = 0;
    DWORD_PTR data = 0;
    std::string topic;               // HH_DISPLAY_TOPIC: the topic `data` names, if any
    std::optional<HH_POPUP> popup;   // HH_DISPLAY_TEXT_POPUP: the popup record (pointers not kept)
    std::string popup_text;          // its pszText, if any
    std::string shown_text;          // the text the popup window shows
    std::vector<std::pair<DWORD, DWORD>> pairs; // HELP_WM_HELP / HELP_CONTEXTMENU: (control, topic) pairs
    bool shown = false;              // whether the help was opened
};

std::vector<HelpCall> help_journal();
void clear_help_journal();
// The help text popup on screen, or null.
HWND help_popup();

// Closes the help popup; clears the help and DDE journals, the tray icons, their call journal and the tray observer.
void reset();

}
