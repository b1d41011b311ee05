#include "WaveInFilter.h"

#include <base/Clock.h>
#include <dshow/MediaFormats.h>
#include <dshow/CaptureInterfaces.h>
#include <dshow/MediaType.h>
#include <dshow/PinCategory.h>
#include <dshow/VfwErrors.h>
#include <sim/TestTone.h>

#include <cstring>

namespace sim::detail {

namespace {

constexpr DWORD kRate = 44100;
constexpr WORD kChannels = 2;
constexpr REFERENCE_TIME kBlock = UNITS / 10;

}

class WaveInFilter::Output final : public dshow::OutputPin, public IKsPropertySet, public IAMStreamControl {
public:
    explicit Output(dshow::BaseFilter& filter)
        : OutputPin(filter, u"Capture", u"Capture")
        , m_tone(PictureSource::input(1), kRate, kChannels)
    {
    }
    DSHOW_FORWARD_UNKNOWN(dshow::OutputPin)

    // IKsPropertySet: the pin's category, PIN_CATEGORY_CAPTURE.
    STDMETHODIMP Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) override { return E_PROP_ID_UNSUPPORTED; }
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD data_bytes, DWORD* returned) override
    {
        if (!IsEqualGUID(set, AMPROPSETID_Pin))
            return E_PROP_SET_UNSUPPORTED;
        if (id != AMPROPERTY_PIN_CATEGORY)
            return E_PROP_ID_UNSUPPORTED;
        if (!data || data_bytes < sizeof(GUID))
            return E_POINTER;
        std::memcpy(data, &PIN_CATEGORY_CAPTURE, sizeof(GUID));
        if (returned)
            *returned = sizeof(GUID);
        return S_OK;
    }
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override
    {
        if (!IsEqualGUID(set, AMPROPSETID_Pin))
            return E_PROP_SET_UNSUPPORTED;
        if (id != AMPROPERTY_PIN_CATEGORY)
            return E_PROP_ID_UNSUPPORTED;
        if (support)
            *support = KSPROPERTY_SUPPORT_GET;
        return S_OK;
    }
    // IAMStreamControl: blocks whose start lies in [start, stop) pass; NULL is now, MAXLONGLONG
    // as start keeps the pin off and as stop cancels the stop.
    STDMETHODIMP StartAt(const REFERENCE_TIME* start, DWORD) override
    {
        std::lock_guard guard(m_control_lock);
        m_start = start ? *start : -MAXLONGLONG;
        return S_OK;
    }
    STDMETHODIMP StopAt(const REFERENCE_TIME* stop, BOOL, DWORD) override
    {
        std::lock_guard guard(m_control_lock);
        m_stop = stop ? *stop : -MAXLONGLONG;
        return S_OK;
    }
    STDMETHODIMP GetInfo(AM_STREAM_INFO* info) override
    {
        if (!info)
            return E_POINTER;
        std::lock_guard guard(m_control_lock);
        *info = {};
        info->tStart = m_start;
        info->tStop = m_stop;
        return S_OK;
    }
    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
    {
        dshow::MediaType mine = media_types().front();
        const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
        bool same = IsEqualGUID(type.majortype, MEDIATYPE_Audio) && IsEqualGUID(type.formattype, FORMAT_WaveFormatEx) && wave
            && type.cbFormat >= sizeof(WAVEFORMATEX) && wave->wFormatTag == WAVE_FORMAT_PCM && wave->nSamplesPerSec == kRate
            && wave->nChannels == kChannels && wave->wBitsPerSample == 16;
        return same ? S_OK : S_FALSE;
    }
    std::vector<dshow::MediaType> media_types() override { return { dshow::MediaType::audio(dshow::make_pcm_format(kRate, kChannels, 16)) }; }

    void stream(REFERENCE_TIME start, REFERENCE_TIME stop)
    {
        {
            std::lock_guard guard(m_control_lock);
            if (start < m_start || start >= m_stop)
                return;
        }
        std::uint64_t first = m_tone.frames_in(start);
        std::size_t count = static_cast<std::size_t>(m_tone.frames_in(stop) - first);
        m_pcm.resize(count * kChannels);
        m_tone.render(first, count, m_pcm.data());
        deliver({ reinterpret_cast<const BYTE*>(m_pcm.data()), m_pcm.size() * sizeof(std::int16_t) }, start, stop);
    }

protected:
    LONG buffer_size(const AM_MEDIA_TYPE&) override { return static_cast<LONG>(kRate / 10 + 1) * kChannels * 2; }
    void* find_interface(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_IKsPropertySet))
            return static_cast<IKsPropertySet*>(this);
        if (IsEqualIID(iid, IID_IAMStreamControl))
            return static_cast<IAMStreamControl*>(this);
        return OutputPin::find_interface(iid);
    }

private:
    std::mutex m_control_lock;
    REFERENCE_TIME m_start { -MAXLONGLONG };
    REFERENCE_TIME m_stop { MAXLONGLONG };
    TestTone m_tone;
    std::vector<std::int16_t> m_pcm;
};

WaveInFilter::WaveInFilter()
    : BaseFilter(CLSID_SimWaveIn)
{
    m_output = make_pin<Output>();
}

WaveInFilter::~WaveInFilter() { m_streaming.stop(); }

HRESULT WaveInFilter::on_pause()
{
    m_streaming.stop();
    return S_OK;
}

HRESULT WaveInFilter::on_run(REFERENCE_TIME start)
{
    start_streaming(start);
    return S_OK;
}

HRESULT WaveInFilter::on_stop()
{
    m_streaming.stop();
    return S_OK;
}

void WaveInFilter::start_streaming(REFERENCE_TIME start)
{
    std::int64_t run_ticks = clock() ? start / (UNITS / 1000) : base::Clock::ticks_ms();
    m_streaming.start([this, run_ticks] { streaming_loop(run_ticks); });
}

void WaveInFilter::streaming_loop(std::int64_t run_ticks)
{
    // A block is delivered once its whole tenth of a second has been recorded.
    for (LONGLONG block = 0;; ++block) {
        REFERENCE_TIME start = block * kBlock;
        std::int64_t due = run_ticks + (start + kBlock) / (UNITS / 1000);
        if (m_streaming.wait_until(due))
            break;
        m_output->stream(start, start + kBlock);
    }
}

}
