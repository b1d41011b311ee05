// Tuning, external inputs, the crossbar's audio route, volume, country and antenna.

#include <capture/Tv.h>

#include <dshow/PinCategory.h>

namespace {

constexpr LONG kFirstAudioType = 0x1000;

struct CrossbarPick {
    LONG index = -1;
    LONG related = -1;
};

// The last pin of a side for which `wanted(type)` holds.
template<typename Wanted>
CrossbarPick last_pin(IAMCrossbar* crossbar, BOOL input, LONG count, Wanted wanted)
{
    CrossbarPick pick;
    for (LONG i = 0; i < count; ++i) {
        LONG related = -1, type = 0;
        if (SUCCEEDED(crossbar->get_CrossbarPinInfo(input, i, &related, &type)) && wanted(type))
            pick = { i, related };
    }
    return pick;
}

CrossbarPick last_video_output(IAMCrossbar* crossbar, LONG outputs)
{
    return last_pin(crossbar, FALSE, outputs, [](LONG type) { return type < kFirstAudioType; });
}

// Routes `output` from `input` and, when both have related pins, their related audio.
bool route_with_related(IAMCrossbar* crossbar, CrossbarPick output, CrossbarPick input)
{
    if (FAILED(crossbar->Route(output.index, input.index)))
        return false;
    if (output.related >= 0 && input.related >= 0)
        crossbar->Route(output.related, input.related);
    return true;
}

}

HRESULT STv::RouteCrossbarAudio(bool lineIn)
{
    LONG outputs = 0, inputs = 0;
    if (!m_crossbar || FAILED(m_crossbar->get_PinCounts(&outputs, &inputs)))
        return S_FALSE;
    CrossbarPick output = last_pin(m_crossbar, FALSE, outputs, [](LONG type) { return type >= kFirstAudioType; });
    LONG wanted = lineIn ? PhysConn_Audio_Line : PhysConn_Audio_Tuner;
    CrossbarPick input = last_pin(m_crossbar, TRUE, inputs, [wanted](LONG type) { return type == wanted; });
    if (output.index < 0 || input.index < 0)
        return S_FALSE;
    HRESULT hr = m_crossbar->Route(output.index, input.index);
    return FAILED(hr) ? hr : S_OK;
}

bool STv::RouteAudio(bool lineIn)
{
    m_lineIn = (lineIn && !m_recordingTarget) ? 1 : 0;
    return m_crossbar && RouteCrossbarAudio(m_lineIn != 0) == S_OK;
}

bool STv::SelectExternalInput(LONG index)
{
    LONG outputs = 0, inputs = 0;
    if (!m_crossbar || FAILED(m_crossbar->get_PinCounts(&outputs, &inputs)))
        return false;
    CrossbarPick output = last_video_output(m_crossbar, outputs);
    CrossbarPick input;
    LONG counted = 0;
    for (LONG i = 0; i < inputs; ++i) {
        LONG related = -1, type = 0;
        if (FAILED(m_crossbar->get_CrossbarPinInfo(TRUE, i, &related, &type)))
            continue;
        if (type == PhysConn_Video_Tuner || type >= kFirstAudioType)
            continue;
        if (counted++ == index) {
            input = { i, related };
            break;
        }
    }
    if (output.index < 0 || input.index < 0)
        return false;
    return route_with_related(m_crossbar, output, input);
}

void STv::RouteInputType(LONG physicalType)
{
    LONG outputs = 0, inputs = 0;
    if (!m_crossbar || FAILED(m_crossbar->get_PinCounts(&outputs, &inputs)))
        return;
    CrossbarPick output = last_video_output(m_crossbar, outputs);
    CrossbarPick input = last_pin(m_crossbar, TRUE, inputs, [physicalType](LONG type) { return type == physicalType; });
    if (output.index >= 0 && input.index >= 0)
        route_with_related(m_crossbar, output, input);
}

void STv::SetChannel(LONG channel)
{
    m_channel = channel;
    if (!m_tuner)
        BuilderFindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, IID_IAMTVTunerAlt, reinterpret_cast<void**>(&m_tuner));
    if (!m_tuner)
        BuilderFindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, IID_IAMTVTunerAlt, reinterpret_cast<void**>(&m_tuner));

    if (channel < 0)
        return; // names no input: the routing stays as it is
    if (channel < 2) {
        if (!SelectExternalInput(channel))
            SelectExternalInput(0);
        return;
    }
    RouteInputType(PhysConn_Video_Tuner);
    if (m_tuner)
        m_tuner->put_Channel(channel, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
    else if (m_tunerPage)
        TunerPageSetChannel(channel);
    else if (!Bt848Tune(channel, m_antenna != 0))
        m_channel = -1;
}

void STv::SetVolume(LONG volume)
{
    if (!m_audioRenderer || !m_graph)
        return;
    CComPtr<IBasicAudio> audio;
    if (FAILED(m_graph.QueryInterface(&audio)) || !audio)
        return;
    audio->put_Volume(volume * 10000 / 100 - 10000);
}

bool STv::SetCountryCode(LONG code)
{
    if (code == -1)
        return true;
    if (!m_tuner || FAILED(m_tuner->put_CountryCode(code)))
        return false;
    LONG reported = 0;
    return SUCCEEDED(m_tuner->get_CountryCode(&reported)) && reported == code;
}

void STv::SetAntenna(bool antenna)
{
    m_antenna = antenna ? 1 : 0;
    if (!m_tuner)
        return;
    LONG inputs = 0;
    if (FAILED(m_tuner->get_NumInputConnections(&inputs)))
        return;
    for (LONG i = 0; i < inputs; ++i)
        m_tuner->put_InputType(i, antenna ? TunerInputAntenna : TunerInputCable);
}
