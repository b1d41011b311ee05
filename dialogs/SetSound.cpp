#include "SetSound.h"

#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Text.h>

namespace {

constexpr DWORD name_length = sizeof SSettings::WaveOutDriver;

void read_name(HKEY key, const char* name, char* field, const char* fallback)
{
    if (ReadTextValue(key, name, field, name_length, name_length) != ERROR_SUCCESS)
        base::copy_bounded(field, name_length, fallback);
}

BYTE read_flag(HKEY key, const char* name, BYTE fallback)
{
    BYTE byte;
    if (ReadByteValue(key, name, byte) != ERROR_SUCCESS)
        return fallback;
    return byte > 0;
}

}

void LoadSoundSettings(HKEY key, const char* ini_path)
{
    if (ini_path && ini_path[0])
        return; // no initialisation-file reader here: the settings stay as they are
    read_name(key, "WaveOutDriver", Settings.WaveOutDriver, "-1");
    read_name(key, "WaveInDriver", Settings.WaveInDriver, "-1");
    read_name(key, "MixerInput", Settings.MixerInput, "Line-In");
    Settings.ChangeMixer = read_flag(key, "ChangeMixer", 1);
    Settings.MixerStream = read_flag(key, "MixerStream", 0);
}

void SaveSoundSettings(HKEY key)
{
    if (!key)
        return;
    WriteTextValue(key, "WaveOutDriver", Settings.WaveOutDriver);
    WriteTextValue(key, "WaveInDriver", Settings.WaveInDriver);
    WriteTextValue(key, "MixerInput", Settings.MixerInput);
    WriteByteValue(key, "ChangeMixer", Settings.ChangeMixer);
    WriteByteValue(key, "MixerStream", Settings.MixerStream);
}
