#pragma once

// SMixer: one sound card's mixer, chosen by the name of one of its wave devices, driven by line
// names: the volume and mute of a playback source, the recording source and its volume, and the
// list of recording sources.
//
// A line name finds a line on its own side: the playback operations search the speakers
// destination's sources, the recording volume operations the wave-in destination's sources. On
// either side a source whose short or full name equals the name (any case) is taken first;
// otherwise the names table ("Line", "Line-In", "LineIn" / "Microphone", "Mike", "Mic" / "Aux",
// "Auxiliary") gives a component type and the first source of that type is taken. On the
// recording side the type of the playback source of that name comes before the table's.
// Levels run from 0 to 127. Every operation answers false or -1 on failure; nothing is shown.
//
//     SMixer mixer(MIXER_OBJECTF_WAVEIN, "<default>", window);
//     if (mixer.GetHandle())
//         mixer.SetVolume("Line-In", 80);

#include <base/Types.h>
#include <mm/Mixer.h>

#include <optional>

class SMixer {
public:
    // `kind` is MIXER_OBJECTF_WAVEIN or MIXER_OBJECTF_WAVEOUT; any other opens nothing. An empty
    // or missing name, "<default>", "-1" or a name containing "Mapper" means device 0.
    SMixer(int kind, const char* device_name, HWND callback_window);
    virtual ~SMixer();

    SMixer(const SMixer&) = delete;
    SMixer& operator=(const SMixer&) = delete;

    // The open mixer; null when nothing could be opened.
    HMIXER GetHandle() const { return m_handle; }
    // The mixer's number; 0xFFFF when it has none.
    int GetMixerId() const;

    bool SetVolume(const char* line_name, int level);
    int GetVolume(const char* line_name) const;
    bool SetMute(const char* line_name, bool on);

    bool SelectRecordSource(const char* name);
    bool SetRecordVolume(const char* line_name, int level);
    int GetRecordVolume(const char* line_name) const;

    // The number of recording sources; -1 when the card tells none.
    int GetRecordSourceCount() const;
    // Copies the name of recording source `index` into `name` (`size` bytes, always terminated).
    // A recording destination with a single source and a mute control gives its own name and
    // false; an index outside the count gives false and leaves `name` as it was.
    bool GetRecordSourceName(int index, char* name, int size) const;

private:
    std::optional<MIXERLINEA> destination(DWORD component_type) const;
    std::optional<MIXERLINEA> source_by_name(const MIXERLINEA& destination, const char* name) const;
    std::optional<MIXERLINEA> source_by_type(const MIXERLINEA& destination, DWORD component_type) const;
    std::optional<DWORD> playback_line(const char* name) const;
    std::optional<DWORD> record_line(const char* name) const;
    std::optional<MIXERCONTROLA> control(DWORD line_id, DWORD control_type) const;
    bool set_value(DWORD control_id, DWORD value);
    std::optional<DWORD> get_value(DWORD control_id) const;
    bool set_level(std::optional<DWORD> line_id, int level);
    int get_level(std::optional<DWORD> line_id) const;

    // The recording destination with its first selector control, if it has one.
    struct RecordControls {
        MIXERLINEA line;
        std::optional<MIXERCONTROLA> selector;
        bool has_mute = false;
    };
    std::optional<RecordControls> record_controls() const;

    HMIXER m_handle = nullptr;
    HWND m_callback = nullptr;
};
