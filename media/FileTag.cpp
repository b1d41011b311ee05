#include "media/FileTag.h"

#include <base/Files.h>
#include <base/Text.h>

#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t HeadUnits = 998;

char16_t fold(char16_t c) { return c < 0x80 ? static_cast<char16_t>(base::fold_ascii(static_cast<char>(c))) : c; }

}

bool FindFileTag(const char* path, const char* name, int size, char* out)
{
    if (!path || !name || !*name || !out || size <= 0)
        return false;
    FILE* file = crt::fopen(path, "rb");
    if (!file)
        return false;
    // The units read, then a zero unit.
    std::vector<char16_t> head(HeadUnits + 1, 0);
    std::size_t count = std::fread(head.data(), 2, HeadUnits, file);
    std::fclose(file);
    if (count == 0)
        return false;
    head[count] = 0;
    std::u16string wanted = base::to_utf16(name);
    for (std::size_t start = 0; start < count; ++start) {
        std::size_t i = 0;
        while (i < wanted.size() && start + i < count && head[start + i] != 0 && fold(head[start + i]) == fold(wanted[i]))
            ++i;
        if (i < wanted.size())
            continue;
        std::size_t end = start;
        while (head[end] != 0)
            ++end;
        // At most 259 characters of it, then cut to the caller's buffer.
        std::string text = base::to_utf8(std::u16string_view(head.data() + start, end - start));
        char bounded[260];
        base::copy_bounded(bounded, sizeof bounded, text);
        base::copy_bounded(out, static_cast<std::size_t>(size), bounded);
        return true;
    }
    return false;
}

bool FindRecordingTag(const char* path, const char* name, int size, char* out)
{
    if (!name || (lstrcmpiA(name, "orbivane") != 0 && lstrcmpiA(name, "copyright") != 0 && lstrcmpiA(name, "Recorded by") != 0))
        return false;
    return FindFileTag(path, name, size, out);
}
