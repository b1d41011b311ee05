#include "FilePattern.h"

#include <base/CTime.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr const char* known_codes = "aAbBcdHIjmMpSUwWxXyYzZ%";

// The pattern with every '%' that does not start a known code doubled, so that it stays literal.
std::string guarded(const char* pattern)
{
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* code = p + 1;
        if (*code == '#')
            ++code;
        if (*code && std::strchr(known_codes, *code)) {
            out.append(p, static_cast<std::size_t>(code - p) + 1);
            p = code;
        } else {
            out += "%%";
        }
    }
    return out;
}

}

std::size_t FormatFilePattern(const char* pattern, char* out, std::size_t size)
{
    if (!out || size == 0)
        return 0;
    out[0] = '\0';
    if (!pattern)
        return 0;
    crt::_tzset();
    crt::time_t now = crt::time(nullptr);
    const crt::tm* local = crt::localtime(&now);
    std::string format = guarded(pattern);
    std::size_t length = local ? crt::strftime(out, size, format.c_str(), local) : 0;
    if (length > 0 || format.empty())
        return length;
    length = std::min(std::strlen(pattern), size - 1);
    std::memcpy(out, pattern, length);
    out[length] = '\0';
    return length;
}
