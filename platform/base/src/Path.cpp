#include <base/Path.h>
#include <base/Text.h>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace base {

std::string to_linux_path(std::string_view path)
{
    if (path.size() >= 2 && path[1] == ':' && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        path.remove_prefix(2);
    std::string out(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string to_windows_path(std::string_view path)
{
    std::string out(path);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

namespace {

bool exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` ignoring case; the first in byte order wins.
std::string find_ignoring_case(const std::string& folder, const std::string& name)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    std::vector<std::string> found;
    while (auto* entry = readdir(dir)) {
        if (equals_ignoring_case(entry->d_name, name))
            found.emplace_back(entry->d_name);
    }
    closedir(dir);
    if (found.empty())
        return {};
    return *std::min_element(found.begin(), found.end());
}

}

std::string resolve_path(std::string_view windows_path)
{
    std::string linux_path = to_linux_path(windows_path);
    if (linux_path.empty() || exists(linux_path))
        return linux_path;
    bool absolute = linux_path[0] == '/';
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= linux_path.size()) {
        auto end = linux_path.find('/', start);
        if (end == std::string::npos)
            end = linux_path.size();
        parts.push_back(linux_path.substr(start, end - start));
        start = end + 1;
    }
    std::string current = absolute ? "/" : "";
    bool resolving = true;
    bool first = true;
    for (std::size_t i = absolute ? 1 : 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (!first && current.back() != '/')
            current += '/';
        first = false;
        if (part.empty()) {
            continue;
        }
        std::string candidate = current + part;
        if (resolving && part != "." && part != ".." && !exists(candidate)) {
            std::string match = find_ignoring_case(current, part);
            if (match.empty())
                resolving = false;
            else
                candidate = current + match;
        }
        current = candidate;
    }
    // Keep a trailing separator as written.
    if (linux_path.back() == '/' && current.back() != '/')
        current += '/';
    return current;
}

namespace {

// Length of the UTF-8 character at text[i] (1 for a malformed byte).
std::size_t char_length(std::string_view text, std::size_t i)
{
    auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
    if (i + n > text.size())
        return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 1;
    return n;
}

bool match_from(std::string_view pattern, std::size_t p, std::string_view name, std::size_t n)
{
    while (p < pattern.size()) {
        char c = pattern[p];
        if (c == '*') {
            while (p < pattern.size() && pattern[p] == '*')
                ++p;
            if (p == pattern.size())
                return true;
            for (std::size_t k = n; k <= name.size(); k += (k < name.size() ? char_length(name, k) : 1))
                if (match_from(pattern, p, name, k))
                    return true;
            return false;
        }
        if (n >= name.size())
            return false;
        if (c == '?') {
            n += char_length(name, n);
            ++p;
            continue;
        }
        if (fold_ascii(c) != fold_ascii(name[n]))
            return false;
        ++p;
        ++n;
    }
    return n == name.size();
}

}

bool match_wildcard(std::string_view pattern, std::string_view name)
{
    if (pattern == "*.*")
        return true;
    return match_from(pattern, 0, name, 0);
}

std::string_view file_name_of(std::string_view path)
{
    auto cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string program_folder()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0)
        return "\\";
    std::string path(buffer, static_cast<std::size_t>(n));
    path = to_windows_path(path);
    return path.substr(0, path.rfind('\\') + 1);
}

}
