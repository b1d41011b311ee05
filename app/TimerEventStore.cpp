// The event table's registry values: "TimerEnable", "EventCount", "Event%d" and "EventName%d".

#include "TimerEventStore.h"

#include <settings/Settings.h>

#include <base/Text.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// One byte of a REG_BINARY value; nothing when the key is missing or the value is not one byte.
std::optional<BYTE> read_byte(HKEY key, const char* name)
{
    if (!key)
        return std::nullopt;
    BYTE byte = 0;
    DWORD size = 1;
    if (RegQueryValueExA(key, name, nullptr, nullptr, &byte, &size) != ERROR_SUCCESS || size != 1)
        return std::nullopt;
    return byte;
}

// A text value of any length, up to its first NUL (stored with or without one).
std::optional<std::string> read_text(HKEY key, const char* name)
{
    DWORD size = 0;
    if (!key || RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> data(size + 1, 0);
    if (RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    const char* text = reinterpret_cast<const char*>(data.data());
    return std::string(text, strnlen(text, size));
}

// The next decimal number of `text` after blanks, if it lies in [low, high].
bool parse_number(std::string_view& text, std::int64_t low, std::int64_t high, std::int64_t& value)
{
    std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return false;
    text.remove_prefix(start);
    if (text.starts_with('+'))
        text.remove_prefix(1);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value < low || value > high)
        return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

// The eight numbers of an "Event%d" text in field order; false unless all eight are there and
// fit their 32-bit fields (the day mask, written signed, may be either way).
bool parse_event(std::string_view text, TimerEvent& event)
{
    constexpr std::int64_t int_min = INT32_MIN, int_max = INT32_MAX, uint_max = UINT32_MAX;
    std::int64_t n[8];
    for (int i = 0; i < 8; ++i) {
        if (!parse_number(text, int_min, i == 1 ? uint_max : int_max, n[i]))
            return false;
    }
    event.Station = static_cast<LONG>(n[0]);
    event.DayMask = static_cast<DWORD>(n[1]);
    event.StartHour = static_cast<LONG>(n[2]);
    event.StartMinute = static_cast<LONG>(n[3]);
    event.EndHour = static_cast<LONG>(n[4]);
    event.EndMinute = static_cast<LONG>(n[5]);
    event.Keep = static_cast<LONG>(n[6]);
    event.Action = static_cast<LONG>(n[7]);
    return true;
}

LONG write_text(HKEY key, const char* name, std::string_view text)
{
    std::string stored(text);
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(stored.c_str()),
        static_cast<DWORD>(stored.size() + 1));
}

LONG write_byte(HKEY key, const char* name, BYTE byte)
{
    return RegSetValueExA(key, name, 0, REG_BINARY, &byte, 1);
}

// Records in use, within the table's capacity.
int used_records()
{
    LONG count = Settings.EventCount;
    return count < 0 ? 0 : count > MaxTimerEvents ? MaxTimerEvents : static_cast<int>(count);
}

}

void LoadTimerEvents(HKEY key)
{
    Settings.TimerEnable = read_byte(key, "TimerEnable").value_or(1) != 0 ? 1 : 0;
    // The stored count is one byte and may exceed the table; the rest is not read.
    LONG count = read_byte(key, "EventCount").value_or(0);
    Settings.EventCount = count > MaxTimerEvents ? MaxTimerEvents : count;

    for (int n = 0; n < Settings.EventCount; ++n) {
        TimerEvent& event = Settings.Events[n];
        char name[32];
        wsprintfA(name, "Event%d", n);
        auto numbers = read_text(key, name);
        TimerEvent parsed = event;
        if (!numbers || !parse_event(*numbers, parsed)) {
            event = TimerEvent {}; // a free record rather than a half-filled one
            continue;
        }
        event = parsed;
        wsprintfA(name, "EventName%d", n);
        if (auto stored = read_text(key, name))
            base::copy_bounded(event.Name, sizeof(event.Name), *stored);
    }
}

LONG SaveTimerEvents(HKEY key)
{
    write_byte(key, "TimerEnable", Settings.TimerEnable);

    int saved = 0;
    for (int i = 0, count = used_records(); i < count; ++i) {
        const TimerEvent& event = Settings.Events[i];
        std::string_view event_name(event.Name, strnlen(event.Name, sizeof(event.Name) - 1));
        if (event_name.empty())
            continue;
        char name[32];
        char numbers[128];
        wsprintfA(numbers, "%ld %d %d %d %d %d %d %d", event.Station, event.DayMask, event.StartHour,
            event.StartMinute, event.EndHour, event.EndMinute, event.Keep, event.Action);
        wsprintfA(name, "Event%d", saved);
        write_text(key, name, numbers);
        wsprintfA(name, "EventName%d", saved);
        write_text(key, name, event_name);
        ++saved;
    }

    // Values numbered from `saved` up, left by an earlier save, stay: the count hides them.
    return write_byte(key, "EventCount", static_cast<BYTE>(saved));
}
