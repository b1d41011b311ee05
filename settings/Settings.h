#pragma once

// SSettings: every persisted option of the program, in one process-wide object, `Settings`.
//
// Every part of the program reads and writes its fields directly. The constructor gives every
// field its default and an empty station table; LoadAllSettings fills it from the registry at
// start and SaveAllSettings writes it to both hives (SettingsSequence.h), each group of values
// through the loader/saver pair of the page or window that edits it.

#include "StationEntry.h"
#include "TimerEvent.h"

#include <base/Types.h>

constexpr int MaxTimerEvents = 50;
constexpr int MaxStations = 200;

class SSettings {
public:
    SSettings();
    ~SSettings() = default;

    SSettings(const SSettings&) = delete;
    SSettings& operator=(const SSettings&) = delete;

    // Station table operations; i and j are entry indexes. Entries 0 to count - 1 are in use;
    // an index outside them changes nothing. Names are cut to 39 bytes.
    LONG StationCount() const;
    const char* StationName(int i) const;          // null when i is not in use
    LONG StationChannel(int i) const;              // -1 when i is not in use
    bool AddStation(LONG channel, const char* name); // false when the table is full
    void DeleteStation(int i); // later entries move down one place
    void SwapStations(int i, int j);
    void SetStationChannel(int i, LONG channel);
    char* SetStationName(int i, const char* name); // the entry's name, null when i is not in use

    LONG Volume;
    BYTE MinimizeOnStart;
    BYTE StartMinimized;
    BYTE OnTop;
    BYTE TrayIcon;
    BYTE AlwaysStart;
    BYTE TaskHide;
    BYTE TimerEnable;
    LONG EventCount;
    TimerEvent Events[MaxTimerEvents];
    BYTE Mute;
    LONG ActivityState; // 1 idle, 2 TV on, 3 playing a file, 4 recording
    BYTE Ratio;
    BYTE Shrink;
    BYTE DebugMode;
    LONG DefaultMediaFormat; // 0 AVI/WAV, 1 mp3, 2 ogg, 3 Windows Media
    BYTE* AudioFormat;
    LONG AudioFormatSize;
    char WaveOutDriver[260];
    char WaveInDriver[260];
    char MixerInput[260];
    BYTE ChangeMixer;
    BYTE MixerStream;
    char DefaultDirectory[260];
    LONG FileSize; // recording size limit in MB
    char LatestDirectory[260];
    char ImprovedFilePattern[260];
    BYTE FileInstanceMode;
    char Tuner[260];
    char OpenedDeviceName[260];
    LONG TvStart; // 0 off, 1 on, 2 last state
    LONG TvState;
    LONG TvAntenna; // 1 antenna, 0 cable
    LONG ChannelListOnly;
    LONG Country;
    char VideoCodec[260];
    char AudioCodec[260];
    char WMVideoProfile[260];
    char WMAudioProfile[260];
    LONG Channel;
    LONG WindowX;
    LONG WindowY;
    LONG WindowW;
    LONG WindowH;
    StationEntry Stations[MaxStations];
    LONG NumStations; // the station count (read it through StationCount())
};

// ActivityState values.
enum : LONG {
    ActivityIdle = 1,
    ActivityTv = 2,
    ActivityPlaying = 3,
    ActivityRecording = 4,
};

extern SSettings Settings;
