#include <shell/ShellExecute.h>

#include "Open.h"

#include <base/Errors.h>
#include <base/Path.h>
#include <base/Process.h>
#include <base/Text.h>

#include <cctype>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

HINSTANCE result(UINT code) { return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(code)); }

// "http://host", "mailto:x": a scheme of two or more letters (one letter would be a drive).
bool is_url(std::string_view text)
{
    auto colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2)
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = text[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

bool is_absolute(std::string_view path)
{
    if (path.size() >= 2 && path[1] == ':')
        path.remove_prefix(2);
    return !path.empty() && (path[0] == '\\' || path[0] == '/');
}

// A program rather than a document: executable and an ELF image or a script.
bool is_program(const std::string& linux_path)
{
    if (access(linux_path.c_str(), X_OK) != 0)
        return false;
    char head[4] {};
    std::ifstream in(linux_path, std::ios::binary);
    in.read(head, sizeof head);
    if (in.gcount() >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
        return true;
    return in.gcount() >= 2 && head[0] == '#' && head[1] == '!';
}

std::string command_line(const std::string& program, LPCSTR parameters)
{
    std::string line = shell::quote_argument(program);
    if (parameters && *parameters)
        line += std::string(" ") + parameters;
    return line;
}

}

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    if (verb && *verb && !base::equals_ignoring_case(verb, "open") && !base::equals_ignoring_case(verb, "explore"))
        return result(SE_ERR_NOASSOC);
    if (!file || !*file)
        return result(ERROR_FILE_NOT_FOUND);
    auto ui_show = static_cast<UINT>(show);
    std::string name = file;
    if (is_url(name)) {
        UINT code = shell::open_with_desktop(name, ui_show);
        return result(code == ERROR_FILE_NOT_FOUND ? SE_ERR_NOASSOC : code);
    }

    std::string path = name;
    if (!is_absolute(path) && directory && *directory)
        path = std::string(directory) + "\\" + path;
    std::string linux_path = base::resolve_path(path);
    struct stat info {};
    if (stat(linux_path.c_str(), &info) != 0) {
        // A bare name may be a program on PATH.
        if (base::file_name_of(name) == name) {
            std::string program;
            if (base::find_program(name, program) == 0)
                return result(WinExec(command_line(base::to_windows_path(program), parameters).c_str(), ui_show));
            return result(ERROR_FILE_NOT_FOUND);
        }
        std::string folder = linux_path.substr(0, linux_path.find_last_of('/'));
        struct stat folder_info {};
        bool folder_exists = folder.empty() || (stat(folder.c_str(), &folder_info) == 0 && S_ISDIR(folder_info.st_mode));
        return result(folder_exists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    }
    if (S_ISREG(info.st_mode) && is_program(linux_path))
        return result(WinExec(command_line(base::to_windows_path(linux_path), parameters).c_str(), ui_show));
    UINT code = shell::open_with_desktop(linux_path, ui_show);
    // Without an opener nothing is associated with the document.
    return result(code == ERROR_FILE_NOT_FOUND ? SE_ERR_NOASSOC : code);
}
