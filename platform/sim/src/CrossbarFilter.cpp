#include "UpstreamFilters.h"

#include <set>

namespace sim::detail {

namespace {

bool is_audio(LONG type) { return type >= 0x1000; }

std::u16string pin_name(LONG type, bool input)
{
    std::u16string name;
    switch (type) {
    case PhysConn_Video_Tuner: name = u"Video Tuner"; break;
    case PhysConn_Video_Composite: name = u"Video Composite"; break;
    case PhysConn_Video_SVideo: name = u"Video SVideo"; break;
    case PhysConn_Video_VideoDecoder: name = u"Video Decoder"; break;
    case PhysConn_Audio_Tuner: name = u"Audio Tuner"; break;
    case PhysConn_Audio_Line: name = u"Audio Line"; break;
    case PhysConn_Audio_AudioDecoder: name = u"Audio Decoder"; break;
    default: name = is_audio(type) ? u"Audio" : u"Video"; break;
    }
    return name + (input ? u" In" : u" Out");
}

// Pin names must be unique per filter: a repeated name gets its index in front.
std::u16string unique_name(std::u16string name, LONG index, std::set<std::u16string>& taken)
{
    if (taken.count(name)) {
        std::u16string prefix;
        for (char c : std::to_string(index))
            prefix += static_cast<char16_t>(c);
        name = prefix + u": " + name;
    }
    taken.insert(name);
    return name;
}

}

CrossbarFilter::CrossbarFilter(std::shared_ptr<CardSignal> signal)
    : BaseFilter(CLSID_SimCrossbar)
    , m_signal(std::move(signal))
{
    std::set<std::u16string> taken;
    for (LONG i = 0; i < static_cast<LONG>(layout().inputs.size()); ++i) {
        LONG type = layout().inputs[i].type;
        auto* pin = make_pin<AnalogInput>(unique_name(pin_name(type, true), i, taken), is_audio(type) ? MEDIATYPE_AnalogAudio : MEDIATYPE_AnalogVideo);
        if (type == PhysConn_Video_Tuner && !m_tuner_video)
            m_tuner_video = pin;
        if (type == PhysConn_Audio_Tuner && !m_tuner_audio)
            m_tuner_audio = pin;
    }
    for (LONG i = 0; i < static_cast<LONG>(layout().outputs.size()); ++i) {
        LONG type = layout().outputs[i].type;
        auto* pin = make_pin<AnalogOutput>(unique_name(pin_name(type, false), i, taken), is_audio(type) ? MEDIATYPE_AnalogAudio : MEDIATYPE_AnalogVideo);
        if (!is_audio(type) && !m_video_out)
            m_video_out = pin;
        if (is_audio(type) && !m_audio_out)
            m_audio_out = pin;
    }
}

void* CrossbarFilter::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IAMCrossbar))
        return static_cast<IAMCrossbar*>(this);
    if (IsEqualIID(iid, IID_ISpecifyPropertyPages))
        return static_cast<ISpecifyPropertyPages*>(this);
    if (IsEqualIID(iid, IID_ISimCard))
        return static_cast<ISimCard*>(this);
    return BaseFilter::find_interface(iid);
}

STDMETHODIMP CrossbarFilter::get_PinCounts(LONG* outputs, LONG* inputs)
{
    if (!outputs || !inputs)
        return E_POINTER;
    if (layout().pin_counts_fail)
        return E_FAIL;
    *outputs = static_cast<LONG>(layout().outputs.size());
    *inputs = static_cast<LONG>(layout().inputs.size());
    return S_OK;
}

STDMETHODIMP CrossbarFilter::CanRoute(LONG out, LONG in)
{
    const Crossbar& crossbar = layout();
    if (out < 0 || out >= static_cast<LONG>(crossbar.outputs.size()) || in < -1 || in >= static_cast<LONG>(crossbar.inputs.size()))
        return E_INVALIDARG;
    if (in == -1)
        return S_OK; // disconnects the output
    bool audio = is_audio(crossbar.outputs[out].type);
    if (audio != is_audio(crossbar.inputs[in].type))
        return S_FALSE;
    if (crossbar.route == RoutePolicy::RefuseAll || (audio && crossbar.route == RoutePolicy::RefuseAudio))
        return S_FALSE;
    return S_OK;
}

STDMETHODIMP CrossbarFilter::Route(LONG out, LONG in)
{
    HRESULT hr = CanRoute(out, in);
    if (FAILED(hr))
        return hr;
    if (hr != S_OK)
        return E_FAIL;
    m_signal->set_route(out, in);
    return S_OK;
}

STDMETHODIMP CrossbarFilter::get_IsRoutedTo(LONG out, LONG* in)
{
    if (!in)
        return E_POINTER;
    if (out < 0 || out >= static_cast<LONG>(layout().outputs.size()))
        return E_INVALIDARG;
    *in = m_signal->route(out);
    return S_OK;
}

STDMETHODIMP CrossbarFilter::get_CrossbarPinInfo(BOOL is_input, LONG index, LONG* related, LONG* physical_type)
{
    if (!related || !physical_type)
        return E_POINTER;
    const auto& pins = is_input ? layout().inputs : layout().outputs;
    if (index < 0 || index >= static_cast<LONG>(pins.size()))
        return E_INVALIDARG;
    *related = pins[index].related;
    *physical_type = pins[index].type;
    return S_OK;
}

STDMETHODIMP CrossbarFilter::GetPages(CAUUID* pages) { return fill_pages(m_signal->card().crossbar_pages, pages); }

}
