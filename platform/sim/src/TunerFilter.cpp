#include "UpstreamFilters.h"

#include <com/Property.h>

namespace sim::detail {

TunerFilter::TunerFilter(std::shared_ptr<CardSignal> signal)
    : BaseFilter(CLSID_SimTvTuner)
    , m_signal(std::move(signal))
    , m_card(m_signal->card())
    , m_country(m_card.country_code)
    , m_input_types(static_cast<std::size_t>(std::max<LONG>(m_card.tuner_inputs, 0)), TunerInputAntenna)
{
    m_video = make_pin<AnalogOutput>(u"Analog Video", MEDIATYPE_AnalogVideo);
    m_audio = make_pin<AnalogOutput>(u"Analog Audio", MEDIATYPE_AnalogAudio);
}

void* TunerFilter::find_interface(REFIID iid)
{
    bool standard = m_card.tuner == TunerInterface::Standard || m_card.tuner == TunerInterface::Both;
    bool alternative = m_card.tuner == TunerInterface::Alternative || m_card.tuner == TunerInterface::Both;
    if ((standard && (IsEqualIID(iid, IID_IAMTVTuner) || IsEqualIID(iid, IID_IAMTuner))) || (alternative && IsEqualIID(iid, IID_IAMTVTunerAlt)))
        return static_cast<IAMTVTuner*>(this);
    if (IsEqualIID(iid, IID_ISpecifyPropertyPages))
        return static_cast<ISpecifyPropertyPages*>(this);
    if (IsEqualIID(iid, IID_ISimCard))
        return static_cast<ISimCard*>(this);
    return BaseFilter::find_interface(iid);
}

STDMETHODIMP TunerFilter::put_Channel(LONG channel, LONG, LONG)
{
    if (channel < m_card.channel_min || channel > m_card.channel_max)
        return E_INVALIDARG;
    m_signal->set_channel(channel);
    return S_OK;
}

STDMETHODIMP TunerFilter::get_Channel(LONG* channel, LONG* video_subchannel, LONG* audio_subchannel)
{
    if (!channel || !video_subchannel || !audio_subchannel)
        return E_POINTER;
    *channel = m_signal->channel();
    *video_subchannel = AMTUNER_SUBCHAN_DEFAULT;
    *audio_subchannel = AMTUNER_SUBCHAN_DEFAULT;
    return S_OK;
}

STDMETHODIMP TunerFilter::ChannelMinMax(LONG* min, LONG* max)
{
    if (!min || !max)
        return E_POINTER;
    *min = m_card.channel_min;
    *max = m_card.channel_max;
    return S_OK;
}

STDMETHODIMP TunerFilter::put_CountryCode(LONG code)
{
    // Country codes are the international dialling codes.
    if (code < 1 || code > 9999)
        return E_INVALIDARG;
    std::lock_guard guard(m_lock);
    m_country = code;
    return S_OK;
}

STDMETHODIMP TunerFilter::get_CountryCode(LONG* code)
{
    if (!code)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    *code = m_card.reported_country_code ? *m_card.reported_country_code : m_country;
    return S_OK;
}

STDMETHODIMP TunerFilter::put_TuningSpace(LONG space) { return com::put_locked(m_lock, m_tuning_space, space); }

STDMETHODIMP TunerFilter::get_TuningSpace(LONG* space) { return com::get_locked(m_lock, m_tuning_space, space); }

STDMETHODIMP TunerFilter::Logon(HANDLE) { return S_OK; }
STDMETHODIMP TunerFilter::Logout() { return S_OK; }

STDMETHODIMP TunerFilter::SignalPresent(LONG* strength)
{
    if (!strength)
        return E_POINTER;
    *strength = m_card.has_station(m_signal->channel()) ? AMTUNER_SIGNALPRESENT : AMTUNER_NOSIGNAL;
    return S_OK;
}

STDMETHODIMP TunerFilter::put_Mode(AMTunerModeType mode)
{
    if (mode != AMTUNER_MODE_TV && mode != AMTUNER_MODE_DEFAULT)
        return E_INVALIDARG;
    std::lock_guard guard(m_lock);
    m_mode = AMTUNER_MODE_TV;
    return S_OK;
}

STDMETHODIMP TunerFilter::get_Mode(AMTunerModeType* mode) { return com::get_locked(m_lock, m_mode, mode); }

STDMETHODIMP TunerFilter::GetAvailableModes(LONG* modes)
{
    if (!modes)
        return E_POINTER;
    *modes = AMTUNER_MODE_TV;
    return S_OK;
}

STDMETHODIMP TunerFilter::RegisterNotificationCallBack(IAMTunerNotification*, LONG) { return E_NOTIMPL; }
STDMETHODIMP TunerFilter::UnRegisterNotificationCallBack(IAMTunerNotification*) { return E_NOTIMPL; }

STDMETHODIMP TunerFilter::get_AvailableTVFormats(LONG* standards)
{
    if (!standards)
        return E_POINTER;
    *standards = AnalogVideo_PAL_B | AnalogVideo_PAL_D | AnalogVideo_PAL_G | AnalogVideo_PAL_H | AnalogVideo_PAL_I;
    return S_OK;
}

STDMETHODIMP TunerFilter::get_TVFormat(LONG* standard)
{
    if (!standard)
        return E_POINTER;
    *standard = AnalogVideo_PAL_B;
    return S_OK;
}

STDMETHODIMP TunerFilter::AutoTune(LONG channel, LONG* found_signal)
{
    if (!found_signal)
        return E_POINTER;
    HRESULT hr = put_Channel(channel, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
    *found_signal = SUCCEEDED(hr) && m_card.has_station(channel) ? AMTUNER_SIGNALPRESENT : AMTUNER_NOSIGNAL;
    return hr;
}

STDMETHODIMP TunerFilter::StoreAutoTune() { return S_OK; }

STDMETHODIMP TunerFilter::get_NumInputConnections(LONG* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<LONG>(m_input_types.size());
    return S_OK;
}

STDMETHODIMP TunerFilter::put_InputType(LONG index, TunerInputType type)
{
    if (index < 0 || index >= static_cast<LONG>(m_input_types.size()) || (type != TunerInputCable && type != TunerInputAntenna))
        return E_INVALIDARG;
    std::lock_guard guard(m_lock);
    m_input_types[index] = type;
    return S_OK;
}

STDMETHODIMP TunerFilter::get_InputType(LONG index, TunerInputType* type)
{
    if (!type)
        return E_POINTER;
    if (index < 0 || index >= static_cast<LONG>(m_input_types.size()))
        return E_INVALIDARG;
    std::lock_guard guard(m_lock);
    *type = m_input_types[index];
    return S_OK;
}

STDMETHODIMP TunerFilter::put_ConnectInput(LONG index)
{
    if (index < 0 || index >= static_cast<LONG>(m_input_types.size()))
        return E_INVALIDARG;
    return com::put_locked(m_lock, m_connected_input, index);
}

STDMETHODIMP TunerFilter::get_ConnectInput(LONG* index) { return com::get_locked(m_lock, m_connected_input, index); }

// A channel raster of 7 MHz from 48.25 MHz, with the sound carrier 5.5 MHz above the picture.
STDMETHODIMP TunerFilter::get_VideoFrequency(LONG* hz)
{
    if (!hz)
        return E_POINTER;
    *hz = 48250000 + (m_signal->channel() - m_card.channel_min) * 7000000;
    return S_OK;
}

STDMETHODIMP TunerFilter::get_AudioFrequency(LONG* hz)
{
    if (!hz)
        return E_POINTER;
    LONG video = 0;
    get_VideoFrequency(&video);
    *hz = video + 5500000;
    return S_OK;
}

STDMETHODIMP TunerFilter::GetPages(CAUUID* pages) { return fill_pages(m_card.tuner_pages, pages); }

}
