#include "Settings.h"

#include <base/Text.h>

#include <cstring>
#include <utility>

SSettings Settings;

SSettings::SSettings()
{
    // Every field zero first (the object is plain data), then the defaults a loader would give.
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    Volume = 50;
    TimerEnable = 1;
    Ratio = 1;
    DefaultMediaFormat = 3;
    AudioFormatSize = 2000;
    base::copy_bounded(WaveOutDriver, sizeof WaveOutDriver, "-1");
    base::copy_bounded(WaveInDriver, sizeof WaveInDriver, "-1");
    base::copy_bounded(MixerInput, sizeof MixerInput, "Line-In");
    ChangeMixer = 1;
    FileSize = 200;
    TvAntenna = 1;
    Country = -1;
    base::copy_bounded(WMVideoProfile, sizeof WMVideoProfile, "Video for e-mail and dual-channel ISDN (128 Kbps)");
    base::copy_bounded(WMAudioProfile, sizeof WMAudioProfile, "Audio for FM radio quality for dial-up modems (28.8 Kbps stereo)");
    Channel = 5;
    WindowX = 100;
    WindowY = 100;
    for (StationEntry& station : Stations)
        station.Channel = -1;
    NumStations = 0;
}

namespace {

bool in_use(LONG count, int i) { return i >= 0 && i < count; }

}

LONG SSettings::StationCount() const
{
    return NumStations;
}

const char* SSettings::StationName(int i) const
{
    return in_use(NumStations, i) ? Stations[i].Name : nullptr;
}

LONG SSettings::StationChannel(int i) const
{
    return in_use(NumStations, i) ? Stations[i].Channel : -1;
}

bool SSettings::AddStation(LONG channel, const char* name)
{
    if (NumStations < 0 || NumStations >= MaxStations)
        return false;
    StationEntry& station = Stations[NumStations];
    station.Channel = channel;
    base::copy_bounded(station.Name, sizeof station.Name, name ? name : "");
    ++NumStations;
    return true;
}

void SSettings::DeleteStation(int i)
{
    if (!in_use(NumStations, i))
        return;
    for (int k = i; k + 1 < NumStations; ++k)
        Stations[k] = Stations[k + 1];
    --NumStations;
}

void SSettings::SwapStations(int i, int j)
{
    if (!in_use(NumStations, i) || !in_use(NumStations, j))
        return;
    std::swap(Stations[i], Stations[j]);
}

void SSettings::SetStationChannel(int i, LONG channel)
{
    if (in_use(NumStations, i))
        Stations[i].Channel = channel;
}

char* SSettings::SetStationName(int i, const char* name)
{
    if (!in_use(NumStations, i))
        return nullptr;
    base::copy_bounded(Stations[i].Name, sizeof Stations[i].Name, name ? name : "");
    return Stations[i].Name;
}
