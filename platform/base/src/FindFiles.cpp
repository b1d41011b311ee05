// Finding files by wildcard and reading and setting their attributes (base/Files.h).

#include <base/Files.h>
#include <base/Handles.h>
#include <base/Path.h>
#include <base/Text.h>

#include "FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace base {

namespace {

using namespace files;

// A snapshot of the names that matched; each entry's data is read when it is returned.
class Find final : public KernelObject {
public:
    std::string folder;
    std::vector<std::string> names;
    std::size_t next = 0;
};

// The attributes, times and size that WIN32_FIND_DATAA and WIN32_FILE_ATTRIBUTE_DATA share.
template<typename Data>
void copy_attributes(const Info& info, Data& data)
{
    data.dwFileAttributes = info.attributes;
    data.ftCreationTime = info.created;
    data.ftLastAccessTime = info.accessed;
    data.ftLastWriteTime = info.written;
    data.nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(info.size);
}

bool fill_find_data(const Find& find, const std::string& name, LPWIN32_FIND_DATAA data)
{
    Info info;
    std::string full = find.folder == "/" ? "/" + name : find.folder + "/" + name;
    if (!query(full, info))
        return false;
    std::memset(data, 0, sizeof(*data));
    copy_attributes(info, *data);
    copy_bounded(data->cFileName, sizeof(data->cFileName), name);
    return true;
}

bool next_entry(Find& find, LPWIN32_FIND_DATAA data)
{
    while (find.next < find.names.size()) {
        if (fill_find_data(find, find.names[find.next++], data))
            return true;
    }
    return false;
}

}

}

using namespace base;
using namespace base::files;

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    if (!pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string_view text(pattern);
    auto cut = text.find_last_of("\\/");
    std::string leaf(cut == std::string_view::npos ? text : text.substr(cut + 1));
    auto find = std::make_shared<Find>();
    if (cut == std::string_view::npos)
        find->folder.assign(1, '.');
    else if (cut == 0 || (cut == 2 && text[1] == ':'))
        find->folder.assign(1, '/');
    else
        find->folder = resolve_path(text.substr(0, cut));
    if (!is_directory(find->folder)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!leaf.empty()) {
        if (DIR* dir = opendir(find->folder.c_str())) {
            while (auto* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name.size() < MAX_PATH && match_wildcard(leaf, name) && !(find->folder == "/" && (name == "." || name == "..")))
                    find->names.push_back(std::move(name));
            }
            closedir(dir);
        }
    }
    // A stable order: the dot entries, then by name ignoring case.
    std::sort(find->names.begin(), find->names.end(), [](const std::string& a, const std::string& b) {
        auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
        if (rank(a) != rank(b))
            return rank(a) < rank(b);
        auto fa = folded_ascii(a), fb = folded_ascii(b);
        return fa != fb ? fa < fb : a < b;
    });
    if (!next_entry(*find, data)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return Handles::add(std::move(find));
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data)
{
    auto find = Handles::get<Find>(handle);
    if (!find || !data)
        return fail(ERROR_INVALID_HANDLE);
    if (!next_entry(*find, data))
        return fail(ERROR_NO_MORE_FILES);
    return TRUE;
}

BOOL FindClose(HANDLE handle)
{
    if (!Handles::get<Find>(handle))
        return fail(ERROR_INVALID_HANDLE);
    Handles::remove(handle);
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR path)
{
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string linux_path = resolve_path(path);
    Info info;
    if (!query(linux_path, info)) {
        SetLastError(missing_error(linux_path));
        return INVALID_FILE_ATTRIBUTES;
    }
    return info.attributes;
}

BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID out)
{
    if (!path || !out || level != GetFileExInfoStandard)
        return fail(ERROR_INVALID_PARAMETER);
    std::string linux_path = resolve_path(path);
    Info info;
    if (!query(linux_path, info))
        return fail(missing_error(linux_path));
    auto* data = static_cast<LPWIN32_FILE_ATTRIBUTE_DATA>(out);
    copy_attributes(info, *data);
    return TRUE;
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes)
{
    if (!path)
        return fail(ERROR_INVALID_PARAMETER);
    std::string linux_path = resolve_path(path);
    struct stat st;
    if (stat(linux_path.c_str(), &st) != 0)
        return fail(missing_error(linux_path));
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (mode | S_IWUSR);
    if (chmod(linux_path.c_str(), mode) != 0)
        return fail(error_from_errno(errno));
    return TRUE;
}
