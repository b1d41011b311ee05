#include "SettingsSequence.h"

#include "ClientSettings.h"
#include "TimerEventStore.h"

#include <dialogs/SetApp.h>
#include <dialogs/SetAvi.h>
#include <dialogs/SetFile.h>
#include <dialogs/SetSound.h>
#include <dialogs/SetStation.h>
#include <dialogs/SetTv.h>
#include <dialogs/SetWMEnc.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <registry/Registry.h>
#include <user/MessageBox.h>

namespace {

// Volume's default before the client's loader reads it again with its own.
constexpr BYTE default_volume = '2';

// Failures are shown over `owner` when `report` is set.
void write_all(HKEY key, HWND owner, bool report)
{
    if (WriteByteValue(key, "Volume", static_cast<BYTE>(Settings.Volume)) != ERROR_SUCCESS && report)
        MessageBoxA(owner, "can't save vol subkey", "savesettings", MB_OK);
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
    // Only the current user's failures are shown: a user who may not write the machine's
    // settings is not told so at every save.
    for (HKEY hive : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
        bool report = hive == HKEY_CURRENT_USER;
        HKEY key = create_key(hive);
        if (!key) {
            if (report)
                MessageBoxA(owner, "can't register key", "savesettings", MB_OK);
            continue;
        }
        write_all(key, owner, report);
        RegCloseKey(key);
    }
}
