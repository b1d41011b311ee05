#include "Names.h"

#include <base/Errors.h>

namespace registry {

LONG split_path(std::string_view path, std::vector<std::string>& names)
{
    names.clear();
    if (path.empty())
        return ERROR_SUCCESS;
    if (path.front() == '\\')
        return ERROR_BAD_PATHNAME;
    if (path.back() == '\\')
        path.remove_suffix(1);
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view name = path.substr(start, end - start);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        if (name.size() > max_key_name)
            return ERROR_INVALID_PARAMETER;
        names.emplace_back(name);
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

std::string join_path(const std::vector<std::string>& names)
{
    std::string path;
    for (const auto& name : names) {
        if (!path.empty())
            path += '\\';
        path += name;
    }
    return path;
}

}
