#include "SettingsSequence.h"

#include "ClientSettings.h"
#include "Settings.h"
#include "SettingsValues.h"
#include "TimerEventStore.h"

#include <dialogs/SetApp.h>
#include <dialogs/SetAvi.h>
#include <dialogs/SetFile.h>
#include <dialogs/SetSound.h>
#include <dialogs/SetStation.h>
#include <dialogs/SetTv.h>
#include <dialogs/SetWMEnc.h>

#include <registry/Registry.h>

namespace {

// Volume's default before the client's loader reads it again with its own.
constexpr BYTE default_volume = '2';

void write_all(HKEY key, HWND owner)
{
    (void)owner;
    WriteByteValue(key, "Volume", static_cast<BYTE>(Settings.Volume));
    SaveTimerEvents(key);
    SaveAppSettings(key);
    SaveFileSettings(key);
    SaveClientSettings(key);
    SaveTvSettings(key);
    SaveAviSettings(key);
    SaveSoundSettings(key);
    SaveWMEncSettings(key);
    SaveStationPageSettings(key);
}

HKEY create_key(HKEY hive)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(hive, SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}

void LoadAllSettings()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS
        && RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        key = nullptr;

    BYTE volume;
    Settings.Volume = ReadByteValue(key, "Volume", volume) == ERROR_SUCCESS ? volume : default_volume;

    LoadTimerEvents(key);
    LoadAppSettings(key);
    LoadFileSettings(key);
    LoadClientSettings(key);
    LoadTvSettings(key);
    LoadAviSettings(key);
    LoadSoundSettings(key, nullptr);
    LoadWMEncSettings(key);
    LoadStationPageSettings(key);

    if (key)
        RegCloseKey(key);
}

void SaveAllSettings(HWND owner)
{
    if (HKEY key = create_key(HKEY_CURRENT_USER)) {
        write_all(key, owner);
        RegCloseKey(key);
    }
    if (HKEY key = create_key(HKEY_LOCAL_MACHINE)) {
        write_all(key, owner);
        RegCloseKey(key);
    }
}
