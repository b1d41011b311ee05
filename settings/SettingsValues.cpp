#include "SettingsValues.h"

#include <base/Text.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

bool ParseDecimal(const char* text, LONG& value)
{
    if (!text)
        return false;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return false;
    std::int64_t number = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        number = number * 10 + (*p - '0');
        if (number > std::int64_t { INT32_MAX } + 1)
            return false;
    }
    if (negative)
        number = -number;
    if (number > INT32_MAX || number < INT32_MIN)
        return false;
    value = static_cast<LONG>(number);
    return true;
}

namespace {

// Reads exactly `size` bytes into `data`; a shorter value fails too.
LONG read_exact(HKEY key, const char* name, BYTE* data, DWORD size)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    DWORD got = size;
    LONG result = RegQueryValueExA(key, name, nullptr, nullptr, data, &got);
    if (result == ERROR_SUCCESS && got != size)
        return ERROR_INVALID_DATA;
    return result;
}

}

LONG ReadByteValue(HKEY key, const char* name, BYTE& value)
{
    BYTE data;
    LONG result = read_exact(key, name, &data, 1);
    if (result == ERROR_SUCCESS)
        value = data;
    return result;
}

LONG ReadLongValue(HKEY key, const char* name, LONG& value)
{
    BYTE data[4];
    LONG result = read_exact(key, name, data, sizeof data);
    if (result == ERROR_SUCCESS)
        value = static_cast<LONG>(DWORD { data[0] } | DWORD { data[1] } << 8 | DWORD { data[2] } << 16 | DWORD { data[3] } << 24);
    return result;
}

LONG ReadTextValue(HKEY key, const char* name, char* dest, std::size_t capacity, DWORD limit)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    std::vector<BYTE> data(limit);
    DWORD got = limit;
    LONG result = RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &got);
    if (result != ERROR_SUCCESS)
        return result;
    std::string_view text(reinterpret_cast<const char*>(data.data()), got);
    text = text.substr(0, text.find('\0'));
    base::copy_bounded(dest, capacity, text);
    return ERROR_SUCCESS;
}

LONG ReadDecimalValue(HKEY key, const char* name, LONG& value)
{
    char text[260];
    LONG result = ReadTextValue(key, name, text, sizeof text, sizeof text);
    if (result == ERROR_SUCCESS && !ParseDecimal(text, value))
        return ERROR_INVALID_DATA;
    return result;
}

LONG WriteByteValue(HKEY key, const char* name, BYTE value)
{
    return RegSetValueExA(key, name, 0, REG_BINARY, &value, 1);
}

namespace {

LONG write_long(HKEY key, const char* name, DWORD type, LONG value)
{
    DWORD bits = static_cast<DWORD>(value);
    const BYTE data[4] = { static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
        static_cast<BYTE>(bits >> 24) };
    return RegSetValueExA(key, name, 0, type, data, sizeof data);
}

}

LONG WriteDwordValue(HKEY key, const char* name, LONG value)
{
    return write_long(key, name, REG_DWORD, value);
}

LONG WriteBinaryLongValue(HKEY key, const char* name, LONG value)
{
    return write_long(key, name, REG_BINARY, value);
}

LONG WriteTextValue(HKEY key, const char* name, const char* text)
{
    if (!text)
        text = "";
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
}

LONG WriteFixedTextValue(HKEY key, const char* name, const char* text, DWORD length)
{
    std::vector<char> data(length, '\0');
    if (length > 0)
        base::copy_bounded(data.data(), length, text ? text : "");
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()), length);
}

LONG WriteDecimalValue(HKEY key, const char* name, LONG value)
{
    char text[16];
    wsprintfA(text, "%ld", value);
    return WriteTextValue(key, name, text);
}
