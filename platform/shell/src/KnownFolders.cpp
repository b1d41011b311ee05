#include <shell/KnownFolders.h>

#include <base/Errors.h>
#include <base/Path.h>
#include <base/Text.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace shell {
namespace {

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string home()
{
    std::string home = env("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid()))
            home = entry->pw_dir;
    }
    return home;
}

std::string config_home()
{
    std::string config = env("XDG_CONFIG_HOME");
    return config.empty() ? home() + "/.config" : config;
}

std::string data_home()
{
    std::string data = env("XDG_DATA_HOME");
    return data.empty() ? home() + "/.local/share" : data;
}

// A folder from user-dirs.dirs (lines `XDG_VIDEOS_DIR="$HOME/Videos"`), else `fallback` in home.
std::string user_dir(const std::string& key, const char* fallback)
{
    std::ifstream in(config_home() + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#' || line.compare(start, key.size(), key) != 0)
            continue;
        auto rest = line.substr(start + key.size());
        auto equals = rest.find_first_not_of(" \t");
        if (equals == std::string::npos || rest[equals] != '=')
            continue;
        auto value = rest.substr(equals + 1);
        auto open = value.find('"');
        auto close = value.rfind('"');
        if (open == std::string::npos || close == open)
            continue;
        value = value.substr(open + 1, close - open - 1);
        if (value.rfind("$HOME", 0) == 0)
            value = home() + value.substr(5);
        else if (value.empty() || value[0] != '/')
            continue; // only absolute or home-relative paths are valid
        while (value.size() > 1 && value.back() == '/')
            value.pop_back();
        return value;
    }
    return home() + "/" + fallback;
}

std::string program_files()
{
    std::string folder = base::to_linux_path(base::program_folder());
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    auto slash = folder.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

}

static HRESULT from_error(const std::error_code& error)
{
    if (error == std::errc::permission_denied || error == std::errc::read_only_file_system)
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    if (error == std::errc::filename_too_long)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

std::optional<std::string> known_folder(int csidl)
{
    switch (csidl & ~CSIDL_FLAG_MASK) {
    case CSIDL_PERSONAL:
        return user_dir("XDG_DOCUMENTS_DIR", "Documents");
    case CSIDL_MYVIDEO:
        return user_dir("XDG_VIDEOS_DIR", "Videos");
    case CSIDL_APPDATA:
        return config_home();
    case CSIDL_LOCAL_APPDATA:
    case CSIDL_COMMON_APPDATA:
        return data_home();
    case CSIDL_PROGRAM_FILES:
        return program_files();
    default:
        return std::nullopt;
    }
}

}

HRESULT SHGetFolderPathAndSubDirA(HWND, int csidl, HANDLE, DWORD, LPCSTR sub_folder, LPSTR path)
{
    if (!path)
        return E_INVALIDARG;
    *path = '\0';
    auto folder = shell::known_folder(csidl);
    if (!folder)
        return E_INVALIDARG;
    std::string linux_path = *folder;
    if (sub_folder && *sub_folder) {
        if (sub_folder[0] == '\\' || sub_folder[0] == '/' || (sub_folder[0] && sub_folder[1] == ':'))
            return E_INVALIDARG;
        linux_path = base::resolve_path(base::to_windows_path(linux_path) + "\\" + sub_folder);
    }
    while (linux_path.size() > 1 && linux_path.back() == '/')
        linux_path.pop_back();
    std::string windows_path = base::to_windows_path(linux_path);
    if (windows_path.size() >= MAX_PATH)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

    std::error_code error;
    if (!std::filesystem::is_directory(linux_path, error)) {
        if (!(csidl & CSIDL_FLAG_CREATE))
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        std::filesystem::create_directories(linux_path, error);
        if (error || !std::filesystem::is_directory(linux_path, error))
            return error ? shell::from_error(error) : HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
    base::copy_bounded(path, MAX_PATH, windows_path);
    return S_OK;
}

HRESULT SHGetFolderPathA(HWND window, int csidl, HANDLE token, DWORD flags, LPSTR path)
{
    return SHGetFolderPathAndSubDirA(window, csidl, token, flags, nullptr, path);
}

BOOL SHGetSpecialFolderPathA(HWND window, LPSTR path, int csidl, BOOL create)
{
    int flags = create ? CSIDL_FLAG_CREATE : 0;
    return SHGetFolderPathA(window, csidl | flags, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK;
}
