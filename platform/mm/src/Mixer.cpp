#include "Registry.h"

#include <mm/Mixer.h>

#include <base/Text.h>

#include <algorithm>
#include <cstring>

namespace {

using mm::ControlLayout;
using mm::LineLayout;
using mm::MixerLayout;
using mm::detail::DeviceKind;

constexpr WORD manufacturer_id = 0xFF;
constexpr WORD product_id = 2;
constexpr MMVERSION driver_version = 0x0100;
constexpr DWORD object_kind_mask = 0xF0000000u;

struct Target {
    std::shared_ptr<mm::SoundDriver> driver;
    UINT mixer_id = 0;
    const MixerLayout& layout() const { return *driver->mixer(); }
};

// The mixer behind a device number of a kind, ready for use.
MMRESULT open_device(DeviceKind kind, UINT index, Target& target)
{
    auto found = mm::detail::device(kind, index);
    if (!found)
        return MMSYSERR_BADDEVICEID;
    if (!found->mixer_id)
        return MMSYSERR_NODRIVER;
    if (MMRESULT result = found->driver->open_mixer(); result != MMSYSERR_NOERROR)
        return result;
    target = { found->driver, *found->mixer_id };
    return MMSYSERR_NOERROR;
}

// The mixer an object names under `flags`: an open handle, or a mixer or wave device number.
MMRESULT resolve(HMIXEROBJ object, DWORD flags, Target& target)
{
    auto number = static_cast<UINT>(reinterpret_cast<UINT_PTR>(object));
    switch (flags & object_kind_mask) {
    case MIXER_OBJECTF_HMIXER: {
        auto open = mm::detail::find_handle(reinterpret_cast<HMIXER>(object));
        if (!open)
            return MMSYSERR_INVALHANDLE;
        target = { open->driver, open->mixer_id };
        return MMSYSERR_NOERROR;
    }
    case MIXER_OBJECTF_MIXER:
        return open_device(DeviceKind::Mixer, number, target);
    case MIXER_OBJECTF_WAVEIN:
        return open_device(DeviceKind::WaveIn, number, target);
    case MIXER_OBJECTF_WAVEOUT:
        return open_device(DeviceKind::WaveOut, number, target);
    case MIXER_OBJECTF_HWAVEIN:
    case MIXER_OBJECTF_HWAVEOUT:
        return MMSYSERR_INVALHANDLE;
    case MIXER_OBJECTF_MIDIOUT:
    case MIXER_OBJECTF_MIDIIN:
    case MIXER_OBJECTF_AUX:
        return MMSYSERR_NODRIVER;
    default:
        return MMSYSERR_INVALFLAG;
    }
}

// Where a line sits: its destination's index and, for a source, its own.
struct LinePlace {
    const LineLayout* line = nullptr;
    DWORD destination = 0;
    std::optional<DWORD> source;
};

std::optional<LinePlace> find_line(const MixerLayout& layout, DWORD line_id)
{
    for (DWORD d = 0; d < layout.destinations.size(); ++d) {
        const auto& destination = layout.destinations[d];
        if (destination.id == line_id)
            return LinePlace { &destination, d, std::nullopt };
        for (DWORD s = 0; s < destination.sources.size(); ++s)
            if (destination.sources[s].id == line_id)
                return LinePlace { &destination.sources[s], d, s };
    }
    return std::nullopt;
}

struct ControlPlace {
    const ControlLayout* control = nullptr;
    const LineLayout* line = nullptr;
};

std::optional<ControlPlace> find_control(const MixerLayout& layout, DWORD control_id)
{
    auto search = [&](const LineLayout& line) -> std::optional<ControlPlace> {
        for (const auto& control : line.controls)
            if (control.id == control_id)
                return ControlPlace { &control, &line };
        return std::nullopt;
    };
    for (const auto& destination : layout.destinations) {
        if (auto found = search(destination))
            return found;
        for (const auto& source : destination.sources)
            if (auto found = search(source))
                return found;
    }
    return std::nullopt;
}

void fill_line(MIXERLINEA& out, const Target& target, const LinePlace& place)
{
    const LineLayout& line = *place.line;
    const auto& destination = target.layout().destinations[place.destination];
    out.dwDestination = place.destination;
    out.dwSource = place.source.value_or(0);
    out.dwLineID = line.id;
    out.fdwLine = MIXERLINE_LINEF_ACTIVE | (place.source ? MIXERLINE_LINEF_SOURCE : 0);
    out.dwUser = 0;
    out.dwComponentType = line.component_type;
    out.cChannels = line.channels;
    out.cConnections = place.source ? 0 : static_cast<DWORD>(line.sources.size());
    out.cControls = static_cast<DWORD>(line.controls.size());
    base::copy_bounded(out.szShortName, sizeof(out.szShortName), line.short_name);
    base::copy_bounded(out.szName, sizeof(out.szName), line.name);

    // Recording destinations feed the card's wave-in device, playback ones come from wave-out.
    DWORD type = MIXERLINE_TARGETTYPE_UNDEFINED;
    bool recording = destination.component_type == MIXERLINE_COMPONENTTYPE_DST_WAVEIN
        || destination.component_type == MIXERLINE_COMPONENTTYPE_DST_VOICEIN;
    if (!place.source)
        type = recording ? MIXERLINE_TARGETTYPE_WAVEIN : MIXERLINE_TARGETTYPE_WAVEOUT;
    else if (line.component_type == MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT)
        type = MIXERLINE_TARGETTYPE_WAVEOUT;
    std::memset(&out.Target, 0, sizeof(out.Target));
    const auto& wave = type == MIXERLINE_TARGETTYPE_WAVEIN ? target.driver->wave_in() : target.driver->wave_out();
    auto index = mm::detail::device_index(target.driver.get(), type == MIXERLINE_TARGETTYPE_WAVEIN ? DeviceKind::WaveIn : DeviceKind::WaveOut);
    if (type == MIXERLINE_TARGETTYPE_UNDEFINED || !wave || !index)
        return;
    out.Target.dwType = type;
    out.Target.dwDeviceID = *index;
    out.Target.wMid = manufacturer_id;
    out.Target.wPid = product_id;
    out.Target.vDriverVersion = driver_version;
    base::copy_bounded(out.Target.szPname, sizeof(out.Target.szPname), wave->name);
}

void fill_control(MIXERCONTROLA& out, const ControlLayout& control)
{
    std::memset(&out, 0, sizeof(out));
    out.cbStruct = sizeof(MIXERCONTROLA);
    out.dwControlID = control.id;
    out.dwControlType = control.type;
    out.fdwControl = MIXERCONTROL_CONTROLF_UNIFORM | (control.items.empty() ? 0 : MIXERCONTROL_CONTROLF_MULTIPLE);
    out.cMultipleItems = static_cast<DWORD>(control.items.size());
    base::copy_bounded(out.szShortName, sizeof(out.szShortName), control.short_name);
    base::copy_bounded(out.szName, sizeof(out.szName), control.name);
    out.Bounds.dwMinimum = control.minimum;
    out.Bounds.dwMaximum = control.maximum;
    out.Metrics.cSteps = control.steps;
}

MIXERCONTROLA* control_slot(const MIXERLINECONTROLSA& request, DWORD index)
{
    return reinterpret_cast<MIXERCONTROLA*>(reinterpret_cast<BYTE*>(request.pamxctrl) + std::size_t(index) * request.cbmxctrl);
}

BYTE* detail_slot(const MIXERCONTROLDETAILS& details, std::size_t index)
{
    return static_cast<BYTE*>(details.paDetails) + index * details.cbDetails;
}

// Checks the shape of a details request against the control; gives the number of items.
MMRESULT check_details(const MIXERCONTROLDETAILS& details, const ControlPlace& place, std::size_t element, std::size_t& items)
{
    if (details.cChannels != 1 && details.cChannels != place.line->channels)
        return MMSYSERR_INVALPARAM;
    items = place.control->items.empty() ? 1 : place.control->items.size();
    if (!place.control->items.empty() && details.cMultipleItems != items)
        return MMSYSERR_INVALPARAM;
    if (details.cbDetails < element || !details.paDetails)
        return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

// A value to be written, checked against the control's kind and range.
MMRESULT check_values(const ControlLayout& control, std::vector<DWORD>& values)
{
    DWORD units = control.type & MIXERCONTROL_CT_UNITS_MASK;
    if (units == MIXERCONTROL_CT_UNITS_BOOLEAN) {
        for (auto& value : values)
            value = value != 0 ? 1 : 0;
    } else if (units == MIXERCONTROL_CT_UNITS_UNSIGNED) {
        for (auto value : values)
            if (value < control.minimum || value > control.maximum)
                return MMSYSERR_INVALPARAM;
    }
    bool list = (control.type & MIXERCONTROL_CT_CLASS_MASK) == MIXERCONTROL_CT_CLASS_LIST;
    bool single = (control.type & MIXERCONTROL_CT_SUBCLASS_MASK) == MIXERCONTROL_CT_SC_LIST_SINGLE;
    if (list && single && std::count(values.begin(), values.end(), 1u) != 1)
        return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

}

UINT mixerGetNumDevs()
{
    return mm::detail::device_count(DeviceKind::Mixer);
}

MMRESULT mixerGetDevCapsA(UINT_PTR mixer_id, LPMIXERCAPSA caps, UINT size)
{
    if (!caps)
        return MMSYSERR_INVALPARAM;
    auto found = mixer_id <= 0xFFFFFFFFu ? mm::detail::device(DeviceKind::Mixer, static_cast<UINT>(mixer_id)) : std::nullopt;
    if (!found)
        return MMSYSERR_BADDEVICEID;
    const auto& layout = *found->driver->mixer();
    MIXERCAPSA full {};
    full.wMid = manufacturer_id;
    full.wPid = product_id;
    full.vDriverVersion = driver_version;
    base::copy_bounded(full.szPname, sizeof(full.szPname), layout.name);
    full.cDestinations = static_cast<DWORD>(layout.destinations.size());
    std::memcpy(caps, &full, std::min<std::size_t>(size, sizeof(full)));
    return MMSYSERR_NOERROR;
}

MMRESULT mixerOpen(HMIXER* mixer, UINT id, DWORD_PTR callback, DWORD_PTR, DWORD flags)
{
    if (!mixer)
        return MMSYSERR_INVALPARAM;
    *mixer = nullptr;
    DWORD callback_kind = flags & CALLBACK_TYPEMASK;
    if (callback_kind != CALLBACK_NULL && callback_kind != CALLBACK_WINDOW)
        return MMSYSERR_INVALFLAG;
    DWORD kind = flags & ~CALLBACK_TYPEMASK;
    if (kind != MIXER_OBJECTF_MIXER && kind != MIXER_OBJECTF_WAVEIN && kind != MIXER_OBJECTF_WAVEOUT)
        return MMSYSERR_INVALFLAG;
    Target target;
    if (MMRESULT result = resolve(reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(id)), kind, target); result != MMSYSERR_NOERROR)
        return result;
    HWND window = callback_kind == CALLBACK_WINDOW ? reinterpret_cast<HWND>(callback) : nullptr;
    *mixer = mm::detail::add_handle({ target.driver, target.mixer_id, window });
    return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(HMIXER mixer)
{
    return mm::detail::remove_handle(mixer) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

MMRESULT mixerGetID(HMIXEROBJ object, UINT* mixer_id, DWORD flags)
{
    if (!mixer_id)
        return MMSYSERR_INVALPARAM;
    Target target;
    if (MMRESULT result = resolve(object, flags, target); result != MMSYSERR_NOERROR)
        return result;
    *mixer_id = target.mixer_id;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineInfoA(HMIXEROBJ object, LPMIXERLINEA line, DWORD flags)
{
    if (!line || line->cbStruct < sizeof(MIXERLINEA))
        return MMSYSERR_INVALPARAM;
    Target target;
    if (MMRESULT result = resolve(object, flags & ~MIXER_GETLINEINFOF_QUERYMASK, target); result != MMSYSERR_NOERROR)
        return result;
    const auto& destinations = target.layout().destinations;
    std::optional<LinePlace> place;
    switch (flags & MIXER_GETLINEINFOF_QUERYMASK) {
    case MIXER_GETLINEINFOF_DESTINATION:
        if (line->dwDestination >= destinations.size())
            return MMSYSERR_INVALPARAM;
        place = LinePlace { &destinations[line->dwDestination], line->dwDestination, std::nullopt };
        break;
    case MIXER_GETLINEINFOF_SOURCE:
        if (line->dwDestination >= destinations.size())
            return MMSYSERR_INVALPARAM;
        if (line->dwSource >= destinations[line->dwDestination].sources.size())
            return MMSYSERR_INVALPARAM;
        place = LinePlace { &destinations[line->dwDestination].sources[line->dwSource], line->dwDestination, line->dwSource };
        break;
    case MIXER_GETLINEINFOF_LINEID:
        place = find_line(target.layout(), line->dwLineID);
        break;
    case MIXER_GETLINEINFOF_COMPONENTTYPE:
        for (DWORD d = 0; d < destinations.size() && !place; ++d) {
            if (destinations[d].component_type == line->dwComponentType)
                place = LinePlace { &destinations[d], d, std::nullopt };
            for (DWORD s = 0; s < destinations[d].sources.size() && !place; ++s)
                if (destinations[d].sources[s].component_type == line->dwComponentType)
                    place = LinePlace { &destinations[d].sources[s], d, s };
        }
        break;
    default:
        return MMSYSERR_INVALFLAG;
    }
    if (!place)
        return MIXERR_INVALLINE;
    fill_line(*line, target, *place);
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ object, LPMIXERLINECONTROLSA controls, DWORD flags)
{
    if (!controls || controls->cbStruct < sizeof(MIXERLINECONTROLSA) || controls->cbmxctrl < sizeof(MIXERCONTROLA) || !controls->pamxctrl)
        return MMSYSERR_INVALPARAM;
    Target target;
    if (MMRESULT result = resolve(object, flags & ~MIXER_GETLINECONTROLSF_QUERYMASK, target); result != MMSYSERR_NOERROR)
        return result;
    switch (flags & MIXER_GETLINECONTROLSF_QUERYMASK) {
    case MIXER_GETLINECONTROLSF_ALL: {
        auto place = find_line(target.layout(), controls->dwLineID);
        if (!place)
            return MIXERR_INVALLINE;
        const auto& list = place->line->controls;
        if (controls->cControls == 0 || controls->cControls != list.size())
            return MMSYSERR_INVALPARAM;
        for (DWORD i = 0; i < list.size(); ++i)
            fill_control(*control_slot(*controls, i), list[i]);
        return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINECONTROLSF_ONEBYID: {
        auto place = find_control(target.layout(), controls->dwControlID);
        if (!place)
            return MIXERR_INVALCONTROL;
        controls->dwLineID = place->line->id;
        fill_control(*controls->pamxctrl, *place->control);
        return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINECONTROLSF_ONEBYTYPE: {
        auto place = find_line(target.layout(), controls->dwLineID);
        if (!place)
            return MIXERR_INVALLINE;
        for (const auto& control : place->line->controls) {
            if (control.type == controls->dwControlType) {
                fill_control(*controls->pamxctrl, control);
                return MMSYSERR_NOERROR;
            }
        }
        return MIXERR_INVALCONTROL;
    }
    default:
        return MMSYSERR_INVALFLAG;
    }
}

MMRESULT mixerGetControlDetailsA(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD flags)
{
    if (!details || details->cbStruct < sizeof(MIXERCONTROLDETAILS))
        return MMSYSERR_INVALPARAM;
    Target target;
    if (MMRESULT result = resolve(object, flags & ~MIXER_GETCONTROLDETAILSF_QUERYMASK, target); result != MMSYSERR_NOERROR)
        return result;
    auto place = find_control(target.layout(), details->dwControlID);
    if (!place)
        return MIXERR_INVALCONTROL;
    std::size_t items = 0;
    switch (flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) {
    case MIXER_GETCONTROLDETAILSF_VALUE: {
        if (MMRESULT result = check_details(*details, *place, sizeof(DWORD), items); result != MMSYSERR_NOERROR)
            return result;
        std::vector<DWORD> values;
        if (MMRESULT result = target.driver->read(details->dwControlID, values); result != MMSYSERR_NOERROR)
            return result;
        if (values.size() != items)
            return MMSYSERR_ERROR;
        for (DWORD channel = 0; channel < details->cChannels; ++channel)
            for (std::size_t i = 0; i < items; ++i)
                std::memcpy(detail_slot(*details, channel * items + i), &values[i], sizeof(DWORD));
        return MMSYSERR_NOERROR;
    }
    case MIXER_GETCONTROLDETAILSF_LISTTEXT: {
        if (place->control->items.empty())
            return MMSYSERR_INVALPARAM;
        if (MMRESULT result = check_details(*details, *place, sizeof(MIXERCONTROLDETAILS_LISTTEXTA), items); result != MMSYSERR_NOERROR)
            return result;
        for (DWORD channel = 0; channel < details->cChannels; ++channel) {
            for (std::size_t i = 0; i < items; ++i) {
                const auto& item = place->control->items[i];
                MIXERCONTROLDETAILS_LISTTEXTA text {};
                text.dwParam1 = item.param1;
                text.dwParam2 = item.param2;
                base::copy_bounded(text.szName, sizeof(text.szName), item.name);
                std::memcpy(detail_slot(*details, channel * items + i), &text, sizeof(text));
            }
        }
        return MMSYSERR_NOERROR;
    }
    default:
        return MMSYSERR_INVALFLAG;
    }
}

MMRESULT mixerSetControlDetails(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD flags)
{
    if (!details || details->cbStruct < sizeof(MIXERCONTROLDETAILS))
        return MMSYSERR_INVALPARAM;
    Target target;
    if (MMRESULT result = resolve(object, flags & ~MIXER_SETCONTROLDETAILSF_QUERYMASK, target); result != MMSYSERR_NOERROR)
        return result;
    if ((flags & MIXER_SETCONTROLDETAILSF_QUERYMASK) != MIXER_SETCONTROLDETAILSF_VALUE)
        return MMSYSERR_NOTSUPPORTED;
    auto place = find_control(target.layout(), details->dwControlID);
    if (!place)
        return MIXERR_INVALCONTROL;
    std::size_t items = 0;
    if (MMRESULT result = check_details(*details, *place, sizeof(DWORD), items); result != MMSYSERR_NOERROR)
        return result;
    // Controls are uniform: the first channel's values serve all.
    std::vector<DWORD> values(items);
    for (std::size_t i = 0; i < items; ++i)
        std::memcpy(&values[i], detail_slot(*details, i), sizeof(DWORD));
    if (MMRESULT result = check_values(*place->control, values); result != MMSYSERR_NOERROR)
        return result;
    return target.driver->write(details->dwControlID, values);
}
