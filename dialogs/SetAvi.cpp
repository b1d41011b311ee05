#include "SetAvi.h"

#include <settings/Settings.h>
#include <settings/SettingsValues.h>

namespace {

constexpr DWORD codec_length = sizeof SSettings::VideoCodec;

void read_codec(HKEY key, const char* name, char* codec)
{
    if (ReadTextValue(key, name, codec, codec_length, codec_length) != ERROR_SUCCESS)
        codec[0] = '\0';
}

}

void LoadAviSettings(HKEY key)
{
    read_codec(key, "VideoCodec", Settings.VideoCodec);
    read_codec(key, "AudioCodec", Settings.AudioCodec);
}

void SaveAviSettings(HKEY key)
{
    WriteFixedTextValue(key, "VideoCodec", Settings.VideoCodec, codec_length);
    WriteFixedTextValue(key, "AudioCodec", Settings.AudioCodec, codec_length);
}
