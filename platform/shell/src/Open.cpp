#include "Open.h"

#include <base/Path.h>
#include <base/Process.h>

#include <sys/stat.h>

namespace shell {

std::string quote_argument(std::string_view argument)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal except before a quote, where each must be doubled.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

UINT open_with_desktop(const std::string& target, UINT show)
{
    std::string line = "xdg-open " + quote_argument(target);
    return WinExec(line.c_str(), show);
}

bool file_exists(const std::string& windows_path)
{
    struct stat info {};
    return stat(base::resolve_path(windows_path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}
