#include "SetStation.h"

#include <settings/Settings.h>
#include <settings/SettingsValues.h>

LONG LoadStationPageSettings(HKEY key)
{
    BYTE byte;
    LONG result = ReadByteValue(key, "ChannelListOnly", byte);
    Settings.ChannelListOnly = result == ERROR_SUCCESS && byte != 0;
    return result;
}

LONG SaveStationPageSettings(HKEY key)
{
    return WriteByteValue(key, "ChannelListOnly", static_cast<BYTE>(Settings.ChannelListOnly != 0));
}
