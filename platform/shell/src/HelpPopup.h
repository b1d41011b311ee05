#pragma once

// The help text popup (internal): one window at a time, shown by HtmlHelpA's HH_DISPLAY_TEXT_POPUP.

#include <shell/Help.h>

#include <string>

namespace shell::detail {

// The text of popup `id` in a popup text file ("x.chm::/texts.txt"), read from the text file
// beside the help file when the help file exists; empty when there is none.
std::string popup_text(const std::string& file, UINT id);
// Replaces the popup on screen by one showing `text` as the record says; the new window.
HWND show_help_popup(HWND owner, const HH_POPUP& popup, const std::string& text);
HWND current_help_popup();
void close_help_popup();

}
