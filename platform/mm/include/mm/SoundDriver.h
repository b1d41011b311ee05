#pragma once

// The sound-card drivers behind the wave device lists and the mixer API.
//
// A driver describes one card: its wave-in and wave-out devices (either may be missing), and its
// mixer, if it has one, as destination lines with their source lines and the controls of each.
// The layout is fixed once the driver is installed; the controls' values live in the driver,
// which may refuse a read or a write. A driver reports every change of a control value, whoever
// made it, with notify_change(); the mixer API then tells every open handle of that card.
// Virtual cards (sim/SoundCard.h) are drivers; install() replaces the whole set of cards.
//
//     mm::install({ card_a, card_b });          // wave devices and mixers numbered in this order

#include <base/Types.h>
#include <mm/MmSystem.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mm {

struct WaveDevice {
    std::string name;         // product name, at most 31 bytes are shown
    bool caps_fail = false;   // reading its capabilities fails
};

struct ListItem {
    DWORD param1 = 0; // the line an item stands for
    DWORD param2 = 0; // that line's component type
    std::string name;
};

struct ControlLayout {
    DWORD id = 0;
    DWORD type = 0;           // MIXERCONTROL_CONTROLTYPE_*
    std::string short_name;
    std::string name;
    DWORD minimum = 0;
    DWORD maximum = 0;
    DWORD steps = 0;
    std::vector<ListItem> items; // the items of a list control; empty for any other
};

struct LineLayout {
    DWORD id = 0;
    DWORD component_type = 0; // MIXERLINE_COMPONENTTYPE_*
    DWORD channels = 2;
    std::string short_name;
    std::string name;
    std::vector<ControlLayout> controls;
    std::vector<LineLayout> sources; // a destination's sources; empty for a source
};

struct MixerLayout {
    std::string name;         // the mixer's product name
    std::vector<LineLayout> destinations;
};

class SoundDriver {
public:
    virtual ~SoundDriver() = default;

    virtual const std::optional<WaveDevice>& wave_in() const = 0;
    virtual const std::optional<WaveDevice>& wave_out() const = 0;
    // The mixer's layout; nullopt for a card without a mixer.
    virtual const std::optional<MixerLayout>& mixer() const = 0;
    // Whether the mixer can be opened now (MMSYSERR_NOERROR) or why not.
    virtual MMRESULT open_mixer() = 0;
    // One value per item of a list control, one value for any other control.
    virtual MMRESULT read(DWORD control_id, std::vector<DWORD>& values) = 0;
    virtual MMRESULT write(DWORD control_id, const std::vector<DWORD>& values) = 0;

protected:
    // Tells every handle open on this card's mixer that a control changed.
    void notify_change(DWORD control_id);
};

// Replaces the installed cards; open mixer handles of removed cards stop working.
void install(std::vector<std::shared_ptr<SoundDriver>> drivers);
std::vector<std::shared_ptr<SoundDriver>> installed();

}
