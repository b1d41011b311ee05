#pragma once

// The virtual sound card: its wave devices and its mixer, built from a description, with the
// values of its controls and switches that make it fail the way real drivers do.
//
// A description lists the destinations (speakers, wave-in ...) with their sources and controls.
// Line ids, control ids and list items are filled in by the card: destination d gets line id
// 0xFFFF0000 + d, source s of it (s << 16) + d, unless the description gives one; controls are
// numbered from 0 in order; a list control (MUX, mixer ...) has one item per source of its line,
// named after the source. Installing cards numbers their devices in order, and registers each
// wave-in device with the system device enumerator as an audio capture device of the same name
// (CLSID_AudioInputDeviceCategory), which records the tone of the line input L1.
//
//     auto cards = sim::install_sound_cards({ sim::default_sound_card() });
//     cards[0]->set_value(cards[0]->control_id(speakers_line_in_id, MIXERCONTROL_CONTROLTYPE_VOLUME), { 30000 });

#include <mm/Mixer.h>
#include <mm/SoundDriver.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sim {

struct ControlDescription {
    DWORD type = MIXERCONTROL_CONTROLTYPE_VOLUME;
    DWORD minimum = 0;  // booleans and lists are 0..1 whatever is given
    DWORD maximum = 65535;
    DWORD value = 0;    // initial value; for a list, the index of the selected item
};

struct LineDescription {
    DWORD component_type = 0;
    std::string short_name;
    std::string name;
    std::optional<DWORD> line_id;
    DWORD channels = 2;
    std::vector<ControlDescription> controls;
    std::vector<LineDescription> sources; // a destination's sources
};

struct SoundCardDescription {
    std::optional<mm::WaveDevice> wave_in;
    std::optional<mm::WaveDevice> wave_out;
    bool has_mixer = true;
    std::string mixer_name;
    bool mixer_open_fails = false;
    std::vector<LineDescription> destinations;
};

// A volume control and a mute control, the pair most lines carry.
std::vector<ControlDescription> volume_and_mute(DWORD volume = 49152, bool muted = false);

// A line with its controls and no sources.
LineDescription line(DWORD component_type, std::string short_name, std::string name, DWORD channels, std::vector<ControlDescription> controls);

// The sound card of the default machine, "Virtual Sound Card": a speakers destination with the
// sources "Line In", "Microphone", "CD Audio", "Wave" and "Auxiliary" (each with volume 0..65535
// and mute) and a wave-in destination "Recording Control" whose MUX selects one of "Line In",
// "Microphone", "CD Audio" and "Auxiliary" (each with a volume).
SoundCardDescription default_sound_card();

class SoundCard final : public mm::SoundDriver {
public:
    explicit SoundCard(const SoundCardDescription& description);

    const std::optional<mm::WaveDevice>& wave_in() const override { return m_wave_in; }
    const std::optional<mm::WaveDevice>& wave_out() const override { return m_wave_out; }
    const std::optional<mm::MixerLayout>& mixer() const override { return m_layout; }
    MMRESULT open_mixer() override;
    MMRESULT read(DWORD control_id, std::vector<DWORD>& values) override;
    MMRESULT write(DWORD control_id, const std::vector<DWORD>& values) override;

    // The first control of `type` on line `line_id`; nullopt when there is none.
    std::optional<DWORD> control_id(DWORD line_id, DWORD type) const;
    // The id of the first line (destination, then its sources) of a component type.
    std::optional<DWORD> line_id(DWORD component_type) const;
    std::vector<DWORD> value(DWORD control_id) const;
    // Changes a value from outside the program (the system's volume tool); notifies like a write.
    void set_value(DWORD control_id, std::vector<DWORD> values);
    // Fault switches per control.
    void fail_reads(DWORD control_id, bool fail = true);
    void fail_writes(DWORD control_id, bool fail = true);
    // Every write that reached the card, in order.
    struct Write {
        DWORD control_id;
        std::vector<DWORD> values;
    };
    std::vector<Write> writes() const;

private:
    void store(DWORD control_id, std::vector<DWORD> values);

    std::optional<mm::WaveDevice> m_wave_in;
    std::optional<mm::WaveDevice> m_wave_out;
    std::optional<mm::MixerLayout> m_layout;
    bool m_open_fails = false;
    mutable std::mutex m_lock;
    std::map<DWORD, std::vector<DWORD>> m_values;
    std::set<DWORD> m_read_failures;
    std::set<DWORD> m_write_failures;
    std::vector<Write> m_writes;
};

// Builds the cards and installs them as the machine's sound cards, in order.
std::vector<std::shared_ptr<SoundCard>> install_sound_cards(const std::vector<SoundCardDescription>& descriptions);

}
