#pragma once

// Starting a program or the desktop's opener through base's launcher (WinExec).

#include <base/Types.h>

#include <string>
#include <string_view>

namespace shell {

// `argument` quoted for a Windows command line, so that splitting gives it back unchanged.
std::string quote_argument(std::string_view argument);
// Runs `xdg-open <target>` (a Linux path or a URL); WinExec's result.
UINT open_with_desktop(const std::string& target, UINT show);
// Whether a Windows-form path names an existing regular file.
bool file_exists(const std::string& windows_path);

}
