#include "CaptureFilter.h"

#include <base/Clock.h>
#include <sim/TestPicture.h>
#include <sim/TestTone.h>

#include <algorithm>

namespace sim::detail {

namespace {

void connect(dshow::OutputPin* out, dshow::InputPin* in)
{
    if (out && in && !out->is_connected() && !in->is_connected())
        out->Connect(in, nullptr);
}

void disconnect(dshow::BasePin* a, dshow::BasePin* b)
{
    if (a)
        a->Disconnect();
    if (b)
        b->Disconnect();
}

}

CaptureFilter::CaptureFilter(std::shared_ptr<CardState> state)
    : BaseFilter(CLSID_SimCaptureFilter)
    , m_state(std::move(state))
    , m_signal(std::make_shared<CardSignal>(m_state->card))
{
    ++m_state->live;
    const CaptureCard& card = m_signal->card();
    if (card.tuner != TunerInterface::None)
        m_tuner = new TunerFilter(m_signal);
    if (card.crossbar)
        m_crossbar = new CrossbarFilter(m_signal);

    if (card.mpeg2) {
        m_program = make_pin<ProgramStreamPin>(u"Capture", card);
    } else {
        m_streams.push_back(make_pin<StreamPin>(u"Capture", StreamKind::Capture, card));
        if (card.preview_pin)
            m_streams.push_back(make_pin<StreamPin>(u"Preview", StreamKind::Preview, card));
        if (card.audio_pin)
            m_streams.push_back(make_pin<StreamPin>(u"Audio", StreamKind::Audio, card));
    }

    bool video_feed = wired_crossbar() ? m_crossbar->video_out() != nullptr : m_tuner != nullptr;
    bool audio_feed = wired_crossbar() ? m_crossbar->audio_out() != nullptr : m_tuner != nullptr;
    if (video_feed)
        m_video_in = make_pin<AnalogInput>(u"Analog Video In", MEDIATYPE_AnalogVideo);
    if (audio_feed)
        m_audio_in = make_pin<AnalogInput>(u"Analog Audio In", MEDIATYPE_AnalogAudio);
}

CaptureFilter::~CaptureFilter()
{
    stop_streaming();
    unwire_upstream();
    if (m_tuner)
        m_tuner->Release();
    if (m_crossbar)
        m_crossbar->Release();
    --m_state->live;
}

void* CaptureFilter::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_ISpecifyPropertyPages) && m_signal->card().filter_specifies_pages)
        return static_cast<ISpecifyPropertyPages*>(this);
    if (IsEqualIID(iid, IID_ISimCard))
        return static_cast<ISimCard*>(this);
    return BaseFilter::find_interface(iid);
}

IAMCrossbar* CaptureFilter::card_crossbar()
{
    if (!m_crossbar)
        return nullptr;
    m_crossbar->AddRef();
    return m_crossbar;
}

STDMETHODIMP CaptureFilter::GetPages(CAUUID* pages) { return fill_pages(m_signal->card().filter_pages, pages); }

STDMETHODIMP CaptureFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    HRESULT hr = BaseFilter::JoinFilterGraph(graph, name);
    if (FAILED(hr))
        return hr;
    // The wiring makes reference cycles (each end of a connection holds the other), so it
    // exists only while the graph holds the filter and is broken when the filter leaves.
    if (graph)
        wire_upstream();
    else
        unwire_upstream();
    return hr;
}

bool CaptureFilter::wired_crossbar() const { return m_crossbar && !m_signal->card().private_crossbar; }

void CaptureFilter::wire_upstream()
{
    if (wired_crossbar()) {
        if (m_tuner) {
            connect(m_tuner->video_out(), m_crossbar->tuner_video_in());
            connect(m_tuner->audio_out(), m_crossbar->tuner_audio_in());
        }
        connect(m_crossbar->video_out(), m_video_in);
        connect(m_crossbar->audio_out(), m_audio_in);
    } else if (m_tuner) {
        connect(m_tuner->video_out(), m_video_in);
        connect(m_tuner->audio_out(), m_audio_in);
    }
}

void CaptureFilter::unwire_upstream()
{
    if (wired_crossbar()) {
        disconnect(m_crossbar->video_out(), m_video_in);
        disconnect(m_crossbar->audio_out(), m_audio_in);
        if (m_tuner) {
            disconnect(m_tuner->video_out(), m_crossbar->tuner_video_in());
            disconnect(m_tuner->audio_out(), m_crossbar->tuner_audio_in());
        }
    } else if (m_tuner) {
        disconnect(m_tuner->video_out(), m_video_in);
        disconnect(m_tuner->audio_out(), m_audio_in);
    }
}

HRESULT CaptureFilter::on_pause()
{
    // A live source delivers nothing while paused.
    stop_streaming();
    return S_OK;
}

HRESULT CaptureFilter::on_run(REFERENCE_TIME start)
{
    if (m_signal->card().run_fails)
        return E_FAIL;
    start_streaming(start);
    return S_OK;
}

HRESULT CaptureFilter::on_stop()
{
    // The filter stops all the same (the base class leaves every filter stopped after Stop).
    stop_streaming();
    m_next_frame = 0;
    return m_signal->card().stop_fails ? E_FAIL : S_OK;
}

HRESULT CaptureFilter::state_result(FILTER_STATE state) const { return state == State_Paused ? VFW_S_CANT_CUE : S_OK; }

void CaptureFilter::start_streaming(REFERENCE_TIME start)
{
    stop_streaming();
    if (m_next_frame == 0) {
        for (StreamPin* pin : m_streams)
            pin->reset_counters();
    }
    // Stream time 0 is reference time `start` on the graph's clock (the process clock's ticks);
    // without a clock it is now.
    std::int64_t run_ticks = clock() ? start / (UNITS / 1000) : base::Clock::ticks_ms();
    REFERENCE_TIME period = UNITS / std::max<LONG>(m_signal->card().frames_per_second, 1);
    if (!m_streams.empty()) {
        dshow::MediaType format = m_streams.front()->format();
        if (const VIDEOINFOHEADER* video = format.video_info(); video && video->AvgTimePerFrame > 0)
            period = video->AvgTimePerFrame;
    }
    m_streaming.start([this, run_ticks, period] { streaming_loop(run_ticks, period); });
}

void CaptureFilter::stop_streaming() { m_streaming.stop(); }

void CaptureFilter::streaming_loop(std::int64_t run_ticks, REFERENCE_TIME period)
{
    // Continue the frame count after a pause, at the frame the running time has reached.
    std::int64_t now = base::Clock::ticks_ms();
    LONG frame = std::max<LONG>(m_next_frame, now > run_ticks ? static_cast<LONG>((now - run_ticks) * (UNITS / 1000) / period) : 0);
    for (;;) {
        REFERENCE_TIME start = frame * period;
        std::int64_t due = run_ticks + start / (UNITS / 1000);
        if (m_streaming.wait_until(due))
            break;
        for (StreamPin* pin : m_streams)
            pin->stream(frame, start, start + period, *m_signal);
        if (m_program)
            m_program->stream(frame, start, start + period, *m_signal);
        m_next_frame = ++frame;
    }
}

// ProgramStreamPin

ProgramStreamPin::ProgramStreamPin(dshow::BaseFilter& filter, std::u16string name, const CaptureCard& card)
    : OutputPin(filter, std::move(name))
    , m_card(card)
{
}

HRESULT ProgramStreamPin::check_media_type(const AM_MEDIA_TYPE& type)
{
    return IsEqualGUID(type.majortype, MEDIATYPE_Stream) && IsEqualGUID(type.subtype, MEDIASUBTYPE_MPEG2_PROGRAM) ? S_OK : S_FALSE;
}

std::vector<dshow::MediaType> ProgramStreamPin::media_types()
{
    return { dshow::MediaType::of(MEDIATYPE_Stream, MEDIASUBTYPE_MPEG2_PROGRAM) };
}

HRESULT ProgramStreamPin::active()
{
    HRESULT hr = OutputPin::active();
    if (FAILED(hr) || !is_connected())
        return hr;
    std::lock_guard guard(m_lock);
    m_open = m_encoder.open(static_cast<int>(m_card.width) & ~1, static_cast<int>(m_card.height) & ~1,
        static_cast<int>(m_card.frames_per_second));
    return m_open ? S_OK : E_FAIL;
}

void ProgramStreamPin::inactive()
{
    {
        std::lock_guard guard(m_lock);
        m_encoder.close();
        m_open = false;
    }
    OutputPin::inactive();
}

void ProgramStreamPin::stream(LONG frame, REFERENCE_TIME start, REFERENCE_TIME stop, const CardSignal& signal)
{
    if (!is_connected())
        return;
    std::lock_guard guard(m_lock);
    if (!m_open)
        return;
    TestPicture picture(static_cast<int>(m_card.width), static_cast<int>(m_card.height));
    std::vector<BYTE> yuy2 = picture.render(signal.picture(), static_cast<std::uint32_t>(frame), start);
    TestTone tone(signal.sound(), ProgramStreamEncoder::kSoundRate, ProgramStreamEncoder::kSoundChannels);
    std::uint64_t first = tone.frames_in(start);
    auto count = static_cast<std::size_t>(tone.frames_in(stop) - first);
    m_sound.resize(count * ProgramStreamEncoder::kSoundChannels);
    tone.render(first, count, m_sound.data());
    m_packs.clear();
    if (!m_encoder.encode(yuy2.data(), m_sound.data(), count, start, first, m_packs))
        return;
    deliver(m_packs, start, stop);
}

}
