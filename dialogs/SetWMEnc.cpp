#include "SetWMEnc.h"

#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Text.h>

namespace {

constexpr DWORD profile_length = sizeof SSettings::WMVideoProfile;
constexpr const char* default_video_profile = "Video for e-mail and dual-channel ISDN (128 Kbps)";
constexpr const char* default_audio_profile = "Audio for FM radio quality for dial-up modems (28.8 Kbps stereo)";

void read_profile(HKEY key, const char* name, char* field, const char* fallback)
{
    if (ReadTextValue(key, name, field, profile_length, profile_length) != ERROR_SUCCESS)
        base::copy_bounded(field, profile_length, fallback);
}

}

LONG LoadWMEncSettings(HKEY key)
{
    read_profile(key, "WMVideoProfile", Settings.WMVideoProfile, default_video_profile);
    read_profile(key, "WMAudioProfile", Settings.WMAudioProfile, default_audio_profile);
    BYTE format;
    LONG result = ReadByteValue(key, "DefaultMediaFormat", format);
    Settings.DefaultMediaFormat = result == ERROR_SUCCESS ? format : 3;
    return result;
}

LONG SaveWMEncSettings(HKEY key)
{
    WriteFixedTextValue(key, "WMVideoProfile", Settings.WMVideoProfile, profile_length);
    WriteFixedTextValue(key, "WMAudioProfile", Settings.WMAudioProfile, profile_length);
    return WriteByteValue(key, "DefaultMediaFormat", static_cast<BYTE>(Settings.DefaultMediaFormat));
}
