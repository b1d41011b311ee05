#include "FileNames.h"

#include <base/Files.h>

#include <algorithm>
#include <cctype>

namespace comdlg::detail {

namespace {

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == separator) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

std::string normal(const std::string& path)
{
    std::vector<std::string> kept;
    for (auto& part : split(path, '\\')) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string out;
    for (auto& part : kept)
        out += "\\" + part;
    return out.empty() ? "\\" : out;
}

}

std::string absolute_from(const std::string& folder, std::string typed)
{
    std::replace(typed.begin(), typed.end(), '/', '\\');
    if (typed.size() >= 2 && typed[1] == ':' && std::isalpha(static_cast<unsigned char>(typed[0])))
        typed.erase(0, 2);
    if (typed.empty() || typed[0] != '\\')
        typed = folder + "\\" + typed;
    return normal(typed);
}

std::string parent_of(const std::string& path)
{
    auto slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash == 0)
        return "\\";
    return path.substr(0, slash);
}

std::string name_of(const std::string& path)
{
    auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string join(const std::string& folder, const std::string& name)
{
    return folder == "\\" ? "\\" + name : folder + "\\" + name;
}

bool is_folder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_file(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::pair<std::string, std::string>> parse_filter(const char* filter)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    if (!filter)
        return pairs;
    while (*filter) {
        std::string description = filter;
        filter += description.size() + 1;
        if (!*filter)
            break;
        std::string pattern = filter;
        filter += pattern.size() + 1;
        pairs.emplace_back(description, pattern);
    }
    return pairs;
}

std::vector<std::string> split_patterns(const std::string& pattern)
{
    std::vector<std::string> parts;
    for (auto& part : split(pattern, ';'))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

}
