#include "ClientSettings.h"

#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Files.h>
#include <base/Text.h>
#include <user/SystemMetrics.h>
#include <user/Window.h>

#include <algorithm>

namespace {

constexpr LONG default_window_position = 100;
constexpr LONG smallest_window_size = 64;

void load_stations(HKEY key)
{
    // The table is replaced by what the key holds, in entry order, at most MaxStations entries.
    Settings.NumStations = 0;
    for (int n = 0; n < MaxStations; ++n) {
        char value_name[32];
        char name[sizeof StationEntry::Name];
        wsprintfA(value_name, "StationName%d", n);
        if (ReadTextValue(key, value_name, name, sizeof name, sizeof name) != ERROR_SUCCESS)
            continue;
        LONG channel;
        wsprintfA(value_name, "Station%d", n);
        if (ReadDecimalValue(key, value_name, channel) != ERROR_SUCCESS)
            continue;
        Settings.AddStation(channel, name);
    }
}

void save_stations(HKEY key)
{
    for (int n = 0; n < MaxStations; ++n) {
        char channel_name[32];
        char name_name[32];
        wsprintfA(channel_name, "Station%d", n);
        wsprintfA(name_name, "StationName%d", n);
        LONG channel = Settings.StationChannel(n);
        if (channel >= 0) {
            WriteDecimalValue(key, channel_name, channel);
            WriteTextValue(key, name_name, Settings.StationName(n));
        } else {
            RegDeleteValueA(key, channel_name);
            RegDeleteValueA(key, name_name);
        }
    }
}

// A position off the screen (or too close to its far edge to grab) falls back to the default.
LONG read_position(HKEY key, const char* name, int screen_metric)
{
    LONG value;
    if (ReadLongValue(key, name, value) != ERROR_SUCCESS || value < 0 || value > GetSystemMetrics(screen_metric) - 100)
        return default_window_position;
    return value;
}

// A size below the smallest falls back to the frame's own; one larger than a screen can show is
// cut to the largest a window may be dragged to.
LONG read_size(HKEY key, const char* name, int largest_metric)
{
    LONG value;
    if (ReadLongValue(key, name, value) != ERROR_SUCCESS || value < smallest_window_size)
        return 0;
    return std::min<LONG>(value, GetSystemMetrics(largest_metric));
}

}

void LoadClientSettings(HKEY key)
{
    load_stations(key);
    BYTE byte;
    Settings.Mute = ReadByteValue(key, "Mute", byte) == ERROR_SUCCESS && byte > 0;
    // A byte above 100 is no volume the sliders, the mixer or the player take: it counts as 100.
    Settings.Volume = ReadByteValue(key, "Volume", byte) == ERROR_SUCCESS ? std::min<LONG>(byte, 100) : 80;
    LONG channel;
    Settings.Channel = ReadDecimalValue(key, "Channel", channel) == ERROR_SUCCESS ? channel : 5;
    Settings.TvState = ReadByteValue(key, "TvState", byte) == ERROR_SUCCESS ? byte : 0;
    Settings.WindowX = read_position(key, "WindowX", SM_CXSCREEN);
    Settings.WindowY = read_position(key, "WindowY", SM_CYSCREEN);
    Settings.WindowW = read_size(key, "WindowW", SM_CXMAXTRACK);
    Settings.WindowH = read_size(key, "WindowH", SM_CYMAXTRACK);
    if (ReadTextValue(key, "LatestDirectory", Settings.LatestDirectory, sizeof Settings.LatestDirectory,
            sizeof Settings.LatestDirectory) != ERROR_SUCCESS)
        Settings.LatestDirectory[0] = '\0';
}

void SaveClientSettings(HKEY key)
{
    save_stations(key);
    WriteDecimalValue(key, "Channel", Settings.Channel);
    WriteByteValue(key, "Mute", Settings.Mute);
    WriteByteValue(key, "Volume", static_cast<BYTE>(Settings.Volume));
    if (HWND active = GetActiveWindow()) {
        RECT rect;
        GetWindowRect(active, &rect);
        WriteDwordValue(key, "WindowX", rect.left);
        WriteDwordValue(key, "WindowY", rect.top);
        WriteDwordValue(key, "WindowW", rect.right - rect.left);
        WriteDwordValue(key, "WindowH", rect.bottom - rect.top);
    }
    WriteByteValue(key, "TvState", static_cast<BYTE>(Settings.TvState));
    // A current directory that does not fit leaves the remembered folder as it was.
    char current[sizeof Settings.LatestDirectory];
    DWORD length = GetCurrentDirectoryA(sizeof current, current);
    if (length > 0 && length < sizeof current)
        base::copy_bounded(Settings.LatestDirectory, sizeof Settings.LatestDirectory, current);
    WriteTextValue(key, "LatestDirectory", Settings.LatestDirectory);
}
