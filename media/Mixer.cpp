#include "media/Mixer.h"

#include <base/Text.h>
#include <mm/WaveDevices.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr int max_level = 127;

HMIXEROBJ object(HMIXER mixer)
{
    return reinterpret_cast<HMIXEROBJ>(mixer);
}

// A fixed text field of the mixer's, read no further than its size even without a terminator.
template<std::size_t N>
std::string_view field(const CHAR (&text)[N])
{
    return std::string_view(text, strnlen(text, N));
}

bool equal(std::string_view a, const char* b)
{
    return base::equals_ignoring_case(a, b ? std::string_view(b) : std::string_view());
}

// The first source line of `destination` that `wanted` accepts; lines the mixer cannot describe are passed over.
template<typename Wanted>
std::optional<MIXERLINEA> first_source(HMIXER mixer, const MIXERLINEA& destination, Wanted wanted)
{
    for (DWORD s = 0; s < destination.cConnections; ++s) {
        MIXERLINEA line {};
        line.cbStruct = sizeof(line);
        line.dwDestination = destination.dwDestination;
        line.dwSource = s;
        if (mixerGetLineInfoA(object(mixer), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) != MMSYSERR_NOERROR)
            continue;
        if (wanted(line))
            return line;
    }
    return std::nullopt;
}

// The source component type the names table gives a line name.
std::optional<DWORD> table_type(const char* name)
{
    if (!name)
        return std::nullopt;
    for (const char* line : { "Line", "Line-In", "LineIn" })
        if (equal(line, name))
            return MIXERLINE_COMPONENTTYPE_SRC_LINE;
    for (const char* mic : { "Microphone", "Mike", "Mic" })
        if (equal(mic, name))
            return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
    for (const char* aux : { "Aux", "Auxiliary" })
        if (equal(aux, name))
            return MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY;
    return std::nullopt;
}

bool is_selector(DWORD type)
{
    return type == MIXERCONTROL_CONTROLTYPE_MUX || type == MIXERCONTROL_CONTROLTYPE_SINGLESELECT
        || type == MIXERCONTROL_CONTROLTYPE_MIXER || type == MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT;
}

bool means_device_zero(const char* name)
{
    if (!name || !*name)
        return true;
    std::string_view text(name);
    return equal(text, "<default>") || equal(text, "-1") || text.find("Mapper") != std::string_view::npos
        || text.find("mapper") != std::string_view::npos;
}

// The wave device of that name, device 0 for the default names; nullopt when none matches.
std::optional<UINT> device_index(DWORD kind, const char* name)
{
    if (means_device_zero(name))
        return 0;
    UINT count = kind == MIXER_OBJECTF_WAVEIN ? waveInGetNumDevs() : waveOutGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        std::string_view product;
        WAVEINCAPSA in {};
        WAVEOUTCAPSA out {};
        MMRESULT result;
        if (kind == MIXER_OBJECTF_WAVEIN) {
            result = waveInGetDevCapsA(i, &in, sizeof(in));
            product = field(in.szPname);
        } else {
            result = waveOutGetDevCapsA(i, &out, sizeof(out));
            product = field(out.szPname);
        }
        if (result != MMSYSERR_NOERROR)
            return 0;
        if (equal(product, name))
            return i;
    }
    return std::nullopt;
}

MIXERCONTROLDETAILS details_of(DWORD control_id, DWORD items, DWORD element_size, void* data)
{
    MIXERCONTROLDETAILS details {};
    details.cbStruct = sizeof(details);
    details.dwControlID = control_id;
    details.cChannels = 1;
    details.cMultipleItems = items;
    details.cbDetails = element_size;
    details.paDetails = data;
    return details;
}

}

SMixer::SMixer(int kind, const char* device_name, HWND callback_window)
    : m_callback(callback_window)
{
    auto flags = static_cast<DWORD>(kind);
    if (flags != MIXER_OBJECTF_WAVEIN && flags != MIXER_OBJECTF_WAVEOUT)
        return;
    auto device = device_index(flags, device_name);
    if (!device)
        return;
    if (m_callback)
        flags |= CALLBACK_WINDOW;
    HMIXER mixer = nullptr;
    if (mixerOpen(&mixer, *device, reinterpret_cast<DWORD_PTR>(m_callback), 0, flags) == MMSYSERR_NOERROR)
        m_handle = mixer;
}

SMixer::~SMixer()
{
    if (m_handle)
        mixerClose(m_handle);
}

int SMixer::GetMixerId() const
{
    UINT id = 0;
    if (mixerGetID(object(m_handle), &id, MIXER_OBJECTF_HMIXER) != MMSYSERR_NOERROR)
        return 0xFFFF;
    return static_cast<int>(id);
}

std::optional<MIXERLINEA> SMixer::destination(DWORD component_type) const
{
    MIXERLINEA line {};
    line.cbStruct = sizeof(line);
    line.dwComponentType = component_type;
    if (mixerGetLineInfoA(object(m_handle), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR)
        return std::nullopt;
    return line;
}

std::optional<MIXERLINEA> SMixer::source_by_name(const MIXERLINEA& destination, const char* name) const
{
    return first_source(m_handle, destination, [name](const MIXERLINEA& line) {
        return equal(field(line.szShortName), name) || equal(field(line.szName), name);
    });
}

std::optional<MIXERLINEA> SMixer::source_by_type(const MIXERLINEA& destination, DWORD component_type) const
{
    return first_source(m_handle, destination, [component_type](const MIXERLINEA& line) {
        return line.dwComponentType == component_type;
    });
}

std::optional<DWORD> SMixer::playback_line(const char* name) const
{
    auto speakers = destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    if (!speakers)
        return std::nullopt;
    if (auto line = source_by_name(*speakers, name))
        return line->dwLineID;
    if (auto type = table_type(name))
        if (auto line = source_by_type(*speakers, *type))
            return line->dwLineID;
    return std::nullopt;
}

std::optional<DWORD> SMixer::record_line(const char* name) const
{
    auto recording = destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    if (!recording)
        return std::nullopt;
    if (auto line = source_by_name(*recording, name))
        return line->dwLineID;
    std::optional<DWORD> type;
    if (auto speakers = destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS))
        if (auto line = source_by_name(*speakers, name))
            type = line->dwComponentType;
    if (!type)
        type = table_type(name);
    if (type)
        if (auto line = source_by_type(*recording, *type))
            return line->dwLineID;
    return std::nullopt;
}

std::optional<MIXERCONTROLA> SMixer::control(DWORD line_id, DWORD control_type) const
{
    MIXERCONTROLA control {};
    control.cbStruct = sizeof(control);
    MIXERLINECONTROLSA request {};
    request.cbStruct = sizeof(request);
    request.dwLineID = line_id;
    request.dwControlType = control_type;
    request.cControls = 1;
    request.cbmxctrl = sizeof(control);
    request.pamxctrl = &control;
    if (mixerGetLineControlsA(object(m_handle), &request, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR)
        return std::nullopt;
    return control;
}

bool SMixer::set_value(DWORD control_id, DWORD value)
{
    MIXERCONTROLDETAILS_UNSIGNED detail { value };
    auto details = details_of(control_id, 0, sizeof(detail), &detail);
    return mixerSetControlDetails(object(m_handle), &details, MIXER_OBJECTF_HMIXER) == MMSYSERR_NOERROR;
}

std::optional<DWORD> SMixer::get_value(DWORD control_id) const
{
    MIXERCONTROLDETAILS_UNSIGNED detail {};
    auto details = details_of(control_id, 0, sizeof(detail), &detail);
    if (mixerGetControlDetailsA(object(m_handle), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        return std::nullopt;
    return detail.dwValue;
}

bool SMixer::set_level(std::optional<DWORD> line_id, int level)
{
    if (level < 0 || level > max_level || !line_id)
        return false;
    auto volume = control(*line_id, MIXERCONTROL_CONTROLTYPE_VOLUME);
    if (!volume || volume->Bounds.dwMaximum < volume->Bounds.dwMinimum)
        return false;
    // In 64 bits, so that every level of a range as wide as 32 bits scales without overflow.
    std::uint64_t scaled = std::uint64_t(volume->Bounds.dwMaximum - volume->Bounds.dwMinimum) * std::uint64_t(level);
    return set_value(volume->dwControlID, volume->Bounds.dwMinimum + static_cast<DWORD>(scaled / max_level));
}

int SMixer::get_level(std::optional<DWORD> line_id) const
{
    if (!line_id)
        return -1;
    auto volume = control(*line_id, MIXERCONTROL_CONTROLTYPE_VOLUME);
    if (!volume)
        return -1;
    auto value = get_value(volume->dwControlID);
    DWORD minimum = volume->Bounds.dwMinimum;
    DWORD maximum = volume->Bounds.dwMaximum;
    if (!value || maximum <= minimum || *value < minimum || *value > maximum)
        return -1;
    std::uint64_t scaled = std::uint64_t(*value - minimum) * max_level;
    return static_cast<int>(scaled / (maximum - minimum));
}

bool SMixer::SetVolume(const char* line_name, int level)
{
    return set_level(playback_line(line_name), level);
}

int SMixer::GetVolume(const char* line_name) const
{
    return get_level(playback_line(line_name));
}

bool SMixer::SetMute(const char* line_name, bool on)
{
    auto line = playback_line(line_name);
    if (!line)
        return false;
    auto mute = control(*line, MIXERCONTROL_CONTROLTYPE_MUTE);
    return mute && set_value(mute->dwControlID, on ? 1 : 0);
}

bool SMixer::SetRecordVolume(const char* line_name, int level)
{
    return set_level(record_line(line_name), level);
}

int SMixer::GetRecordVolume(const char* line_name) const
{
    return get_level(record_line(line_name));
}

std::optional<SMixer::RecordControls> SMixer::record_controls() const
{
    auto recording = destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    if (!recording || recording->cControls == 0)
        return std::nullopt;
    std::vector<MIXERCONTROLA> controls(recording->cControls);
    MIXERLINECONTROLSA request {};
    request.cbStruct = sizeof(request);
    request.dwLineID = recording->dwLineID;
    request.cControls = recording->cControls;
    request.cbmxctrl = sizeof(MIXERCONTROLA);
    request.pamxctrl = controls.data();
    if (mixerGetLineControlsA(object(m_handle), &request, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) != MMSYSERR_NOERROR)
        return std::nullopt;
    RecordControls result { *recording, std::nullopt, false };
    for (const auto& control : controls) {
        if (!result.selector && is_selector(control.dwControlType))
            result.selector = control;
        if (control.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE)
            result.has_mute = true;
    }
    return result;
}

bool SMixer::SelectRecordSource(const char* name)
{
    auto recording = destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    if (!recording)
        return false;
    if (recording->cConnections == 1) {
        auto mute = control(recording->dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE);
        return mute && set_value(mute->dwControlID, 0);
    }
    auto controls = record_controls();
    if (!controls || !controls->selector)
        return false;
    const auto& selector = *controls->selector;
    DWORD items = selector.cMultipleItems == 0 ? 1 : selector.cMultipleItems;

    std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(items);
    auto text_details = details_of(selector.dwControlID, selector.cMultipleItems, sizeof(MIXERCONTROLDETAILS_LISTTEXTA), texts.data());
    if (mixerGetControlDetailsA(object(m_handle), &text_details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT) != MMSYSERR_NOERROR)
        return false;
    std::vector<MIXERCONTROLDETAILS_BOOLEAN> values(items);
    auto value_details = details_of(selector.dwControlID, selector.cMultipleItems, sizeof(MIXERCONTROLDETAILS_BOOLEAN), values.data());
    if (mixerGetControlDetailsA(object(m_handle), &value_details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        return false;

    bool line_in = equal("line-in", name);
    std::optional<DWORD> wanted;
    for (DWORD i = 0; i < items && !wanted; ++i) {
        auto item = field(texts[i].szName);
        if (equal(item, name) || (line_in && (equal(item, "linein") || equal(item, "line in"))))
            wanted = i;
    }
    if (!wanted)
        return false;
    for (DWORD i = 0; i < items; ++i)
        values[i].fValue = i == *wanted ? 1 : 0;
    return mixerSetControlDetails(object(m_handle), &value_details, MIXER_OBJECTF_HMIXER) == MMSYSERR_NOERROR;
}

int SMixer::GetRecordSourceCount() const
{
    auto controls = record_controls();
    if (!controls)
        return -1;
    if (controls->selector)
        return controls->selector->cMultipleItems == 0 ? 1 : static_cast<int>(controls->selector->cMultipleItems);
    if (controls->line.cConnections == 1 && controls->has_mute)
        return 1;
    return -1;
}

bool SMixer::GetRecordSourceName(int index, char* name, int size) const
{
    if (!name || size <= 0)
        return false;
    auto controls = record_controls();
    if (!controls)
        return false;
    if (!controls->selector) {
        if (controls->line.cConnections == 1 && controls->has_mute)
            base::copy_bounded(name, static_cast<std::size_t>(size), field(controls->line.szName));
        return false;
    }
    const auto& selector = *controls->selector;
    DWORD items = selector.cMultipleItems == 0 ? 1 : selector.cMultipleItems;
    if (index < 0 || static_cast<DWORD>(index) >= items)
        return false;
    std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(items);
    auto details = details_of(selector.dwControlID, selector.cMultipleItems, sizeof(MIXERCONTROLDETAILS_LISTTEXTA), texts.data());
    if (mixerGetControlDetailsA(object(m_handle), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT) != MMSYSERR_NOERROR)
        return false;
    base::copy_bounded(name, static_cast<std::size_t>(size), field(texts[index].szName));
    return true;
}
