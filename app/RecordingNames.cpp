// Recording stems and the test whether a file name is one of a stem's recordings.

#include "RecordingNames.h"

#include <base/Text.h>

#include <cctype>
#include <cstring>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The rest after the expanded stem: "_" and a number from 1 to 9999 or nothing, then "." and
// the extension, letter case aside.
bool matches_tail(const char* name, const char* extension)
{
    if (*name == '_') {
        const char* digits = name + 1;
        int count = 0;
        while (is_digit(digits[count]))
            ++count;
        if (count == 0 || count > 4 || digits[0] == '0')
            return false;
        name = digits + count;
    }
    return *name == '.' && base::equals_ignoring_case(name + 1, extension);
}

// How many digits a numeric time code gives (its fixed width), 0 for a text code.
int digits_of(char code)
{
    switch (code) {
    case 'd': case 'H': case 'I': case 'm': case 'M': case 'S': case 'y':
        return 2;
    case 'j':
        return 3;
    case 'w':
        return 1;
    case 'Y':
        return 4;
    default:
        return 0;
    }
}

bool matches(const char* stem, const char* name, const char* extension)
{
    if (!*stem)
        return matches_tail(name, extension);
    if (*stem != '%' || !stem[1]) {
        if (base::fold_ascii(*stem) != base::fold_ascii(*name) || !*name)
            return false;
        return matches(stem + 1, name + 1, extension);
    }
    const char* code = stem + 1;
    if (*code == '%')
        return *name == '%' && matches(stem + 2, name + 1, extension);
    bool unpadded = *code == '#';
    if (unpadded && code[1])
        ++code;
    const char* rest = code + 1;
    if (int width = digits_of(*code)) {
        int least = unpadded ? 1 : width;
        for (int n = least; n <= width; ++n) {
            bool all_digits = true;
            for (int i = 0; i < n && all_digits; ++i)
                all_digits = is_digit(name[i]);
            if (all_digits && matches(rest, name + n, extension))
                return true;
        }
        return false;
    }
    // A text code (names, time zone, date and time forms): one character or more.
    std::size_t length = std::strlen(name);
    for (std::size_t n = 1; n <= length; ++n) {
        if (matches(rest, name + n, extension))
            return true;
    }
    return false;
}

}

std::string MakeRecordingStem(const char* base, const char* pattern)
{
    std::string stem;
    for (const char* c = base && *base ? base : "tv"; *c; ++c) {
        if (*c == '%')
            stem += "%%";
        else if (*c == '\\' || *c == '/')
            stem += '-';
        else
            stem += *c;
    }
    if (pattern && *pattern)
        stem += std::string("_") + pattern;
    return stem;
}

std::string RecordingStemPrefix(const char* stem)
{
    std::string prefix;
    for (const char* c = stem; *c; ++c) {
        if (*c == '%') {
            if (c[1] != '%')
                break;
            ++c;
        }
        prefix += *c;
    }
    return prefix;
}

bool IsRecordingOf(const char* stem, const char* extension, const char* fileName)
{
    return stem && extension && fileName && matches(stem, fileName, extension);
}
