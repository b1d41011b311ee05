#include "SetTv.h"

#include <settings/Settings.h>
#include <settings/SettingsValues.h>

namespace {

constexpr DWORD tuner_length = sizeof SSettings::Tuner;

}

LONG LoadTvSettings(HKEY key)
{
    if (ReadTextValue(key, "Tuner", Settings.Tuner, tuner_length, tuner_length) != ERROR_SUCCESS)
        Settings.Tuner[0] = '\0';
    BYTE byte;
    Settings.Shrink = ReadByteValue(key, "Shrink", byte) == ERROR_SUCCESS && byte != 0;
    Settings.Ratio = ReadByteValue(key, "Ratio", byte) == ERROR_SUCCESS ? byte != 0 : 1;
    Settings.TvStart = ReadByteValue(key, "TvStart", byte) == ERROR_SUCCESS ? byte : 0;
    Settings.TvAntenna = ReadByteValue(key, "TvAntenna", byte) == ERROR_SUCCESS ? byte : 1;
    LONG country;
    LONG result = ReadLongValue(key, "Country", country);
    Settings.Country = result == ERROR_SUCCESS ? country : -1;
    return result;
}

LONG SaveTvSettings(HKEY key)
{
    WriteFixedTextValue(key, "Tuner", Settings.Tuner, tuner_length);
    WriteByteValue(key, "Ratio", Settings.Ratio);
    WriteByteValue(key, "Shrink", Settings.Shrink);
    WriteByteValue(key, "TvStart", static_cast<BYTE>(Settings.TvStart));
    WriteByteValue(key, "TvAntenna", static_cast<BYTE>(Settings.TvAntenna));
    return WriteBinaryLongValue(key, "Country", Settings.Country);
}
