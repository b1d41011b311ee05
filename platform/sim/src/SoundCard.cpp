#include <sim/SoundCard.h>

#include "WaveInFilter.h"

#include <base/Text.h>
#include <dshow/DeviceEnumerator.h>

namespace sim {

namespace {

bool is_list(DWORD type)
{
    return (type & MIXERCONTROL_CT_CLASS_MASK) == MIXERCONTROL_CT_CLASS_LIST;
}

bool is_boolean(DWORD type)
{
    return (type & MIXERCONTROL_CT_UNITS_MASK) == MIXERCONTROL_CT_UNITS_BOOLEAN;
}

const char* control_name(DWORD type)
{
    switch (type) {
    case MIXERCONTROL_CONTROLTYPE_VOLUME:
        return "Volume";
    case MIXERCONTROL_CONTROLTYPE_MUTE:
        return "Mute";
    case MIXERCONTROL_CONTROLTYPE_MUX:
    case MIXERCONTROL_CONTROLTYPE_SINGLESELECT:
        return "Select";
    case MIXERCONTROL_CONTROLTYPE_MIXER:
    case MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT:
        return "Mix";
    default:
        return "Control";
    }
}

struct Builder {
    DWORD next_control = 0;
    std::map<DWORD, std::vector<DWORD>> values;

    mm::LineLayout line(const LineDescription& description, DWORD id, const std::vector<mm::LineLayout>& sources)
    {
        mm::LineLayout out;
        out.id = description.line_id.value_or(id);
        out.component_type = description.component_type;
        out.channels = description.channels;
        out.short_name = description.short_name;
        out.name = description.name;
        out.sources = sources;
        for (const auto& control : description.controls) {
            mm::ControlLayout layout;
            layout.id = next_control++;
            layout.type = control.type;
            layout.short_name = control_name(control.type);
            layout.name = description.short_name + " " + control_name(control.type);
            std::vector<DWORD> initial { control.value };
            if (is_list(control.type)) {
                for (const auto& source : sources)
                    layout.items.push_back({ source.id, source.component_type, source.name });
                initial.assign(layout.items.size(), 0);
                if (control.value < initial.size())
                    initial[control.value] = 1;
            }
            if (is_boolean(control.type)) {
                layout.minimum = 0;
                layout.maximum = 1;
                if (!is_list(control.type))
                    initial = { control.value != 0 ? 1u : 0u };
            } else {
                layout.minimum = control.minimum;
                layout.maximum = control.maximum;
                layout.steps = control.maximum - control.minimum;
            }
            values[layout.id] = initial;
            out.controls.push_back(std::move(layout));
        }
        return out;
    }
};

}

std::vector<ControlDescription> volume_and_mute(DWORD volume, bool muted)
{
    return {
        { MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, volume },
        { MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, muted ? 1u : 0u },
    };
}

LineDescription line(DWORD component_type, std::string short_name, std::string name, DWORD channels, std::vector<ControlDescription> controls)
{
    LineDescription out;
    out.component_type = component_type;
    out.short_name = std::move(short_name);
    out.name = std::move(name);
    out.channels = channels;
    out.controls = std::move(controls);
    return out;
}

SoundCardDescription default_sound_card()
{
    SoundCardDescription card;
    card.wave_in = mm::WaveDevice { "Virtual Sound Card" };
    card.wave_out = mm::WaveDevice { "Virtual Sound Card" };
    card.mixer_name = "Virtual Sound Card";

    LineDescription speakers = line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Volume", "Volume Control", 2, volume_and_mute());
    speakers.sources = {
        line(MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In", "Line In", 2, volume_and_mute()),
        line(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "Microphone", "Microphone", 1, volume_and_mute(32768, true)),
        line(MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, "CD Audio", "CD Audio", 2, volume_and_mute()),
        line(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "Wave", "Wave", 2, volume_and_mute()),
        line(MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, "Aux", "Auxiliary", 2, volume_and_mute()),
    };

    std::vector<ControlDescription> record_volume { { MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 49152 } };
    LineDescription recording = line(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Recording", "Recording Control", 2, { { MIXERCONTROL_CONTROLTYPE_MUX, 0, 1, 0 } });
    recording.sources = {
        line(MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In", "Line In", 2, record_volume),
        line(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "Microphone", "Microphone", 1, record_volume),
        line(MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, "CD Audio", "CD Audio", 2, record_volume),
        line(MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, "Aux", "Auxiliary", 2, record_volume),
    };
    card.destinations = { speakers, recording };
    return card;
}

SoundCard::SoundCard(const SoundCardDescription& description)
    : m_wave_in(description.wave_in)
    , m_wave_out(description.wave_out)
    , m_open_fails(description.mixer_open_fails)
{
    if (!description.has_mixer)
        return;
    Builder builder;
    mm::MixerLayout layout;
    layout.name = description.mixer_name;
    for (DWORD d = 0; d < description.destinations.size(); ++d) {
        const auto& destination = description.destinations[d];
        std::vector<mm::LineLayout> sources;
        for (DWORD s = 0; s < destination.sources.size(); ++s)
            sources.push_back(builder.line(destination.sources[s], (s << 16) | d, {}));
        layout.destinations.push_back(builder.line(destination, 0xFFFF0000u | d, sources));
    }
    m_layout = std::move(layout);
    m_values = std::move(builder.values);
}

MMRESULT SoundCard::open_mixer()
{
    return m_open_fails ? MMSYSERR_NODRIVER : MMSYSERR_NOERROR;
}

MMRESULT SoundCard::read(DWORD control_id, std::vector<DWORD>& values)
{
    std::lock_guard guard(m_lock);
    auto found = m_values.find(control_id);
    if (found == m_values.end())
        return MIXERR_INVALCONTROL;
    if (m_read_failures.count(control_id))
        return MMSYSERR_ERROR;
    values = found->second;
    return MMSYSERR_NOERROR;
}

MMRESULT SoundCard::write(DWORD control_id, const std::vector<DWORD>& values)
{
    {
        std::lock_guard guard(m_lock);
        auto found = m_values.find(control_id);
        if (found == m_values.end() || found->second.size() != values.size())
            return MIXERR_INVALCONTROL;
        if (m_write_failures.count(control_id))
            return MMSYSERR_ERROR;
        m_writes.push_back({ control_id, values });
    }
    store(control_id, values);
    return MMSYSERR_NOERROR;
}

void SoundCard::store(DWORD control_id, std::vector<DWORD> values)
{
    {
        std::lock_guard guard(m_lock);
        auto& current = m_values[control_id];
        if (current == values)
            return;
        current = std::move(values);
    }
    notify_change(control_id);
}

std::optional<DWORD> SoundCard::control_id(DWORD line_id, DWORD type) const
{
    if (!m_layout)
        return std::nullopt;
    auto search = [&](const mm::LineLayout& line) -> std::optional<DWORD> {
        if (line.id != line_id)
            return std::nullopt;
        for (const auto& control : line.controls)
            if (control.type == type)
                return control.id;
        return std::nullopt;
    };
    for (const auto& destination : m_layout->destinations) {
        if (auto found = search(destination))
            return found;
        for (const auto& source : destination.sources)
            if (auto found = search(source))
                return found;
    }
    return std::nullopt;
}

std::optional<DWORD> SoundCard::line_id(DWORD component_type) const
{
    if (!m_layout)
        return std::nullopt;
    for (const auto& destination : m_layout->destinations) {
        if (destination.component_type == component_type)
            return destination.id;
        for (const auto& source : destination.sources)
            if (source.component_type == component_type)
                return source.id;
    }
    return std::nullopt;
}

std::vector<DWORD> SoundCard::value(DWORD control_id) const
{
    std::lock_guard guard(m_lock);
    auto found = m_values.find(control_id);
    return found == m_values.end() ? std::vector<DWORD> {} : found->second;
}

void SoundCard::set_value(DWORD control_id, std::vector<DWORD> values)
{
    store(control_id, std::move(values));
}

void SoundCard::fail_reads(DWORD control_id, bool fail)
{
    std::lock_guard guard(m_lock);
    if (fail)
        m_read_failures.insert(control_id);
    else
        m_read_failures.erase(control_id);
}

void SoundCard::fail_writes(DWORD control_id, bool fail)
{
    std::lock_guard guard(m_lock);
    if (fail)
        m_write_failures.insert(control_id);
    else
        m_write_failures.erase(control_id);
}

std::vector<SoundCard::Write> SoundCard::writes() const
{
    std::lock_guard guard(m_lock);
    return m_writes;
}

namespace {

std::vector<int> g_wave_in_devices;

// Each card's wave-in device is also an audio capture device, under the same name.
void register_wave_in_devices(const std::vector<std::shared_ptr<SoundCard>>& cards)
{
    for (int id : g_wave_in_devices)
        dshow::unregister_device(id);
    g_wave_in_devices.clear();
    for (const auto& card : cards) {
        if (!card->wave_in())
            continue;
        std::u16string name = base::to_utf16(card->wave_in()->name);
        g_wave_in_devices.push_back(dshow::register_device({ CLSID_AudioInputDeviceCategory, name, CLSID_SimWaveIn, {},
            [](IUnknown*, REFIID iid, void** out) { return com::create_instance<detail::WaveInFilter>(nullptr, iid, out); } }));
    }
}

}

std::vector<std::shared_ptr<SoundCard>> install_sound_cards(const std::vector<SoundCardDescription>& descriptions)
{
    std::vector<std::shared_ptr<SoundCard>> cards;
    std::vector<std::shared_ptr<mm::SoundDriver>> drivers;
    for (const auto& description : descriptions) {
        cards.push_back(std::make_shared<SoundCard>(description));
        drivers.push_back(cards.back());
    }
    mm::install(std::move(drivers));
    register_wave_in_devices(cards);
    return cards;
}

}
