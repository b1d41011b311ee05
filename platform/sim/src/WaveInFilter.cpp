#include "WaveInFilter.h"

#include <base/Clock.h>
#include <dshow/MediaFormats.h>
#include <dshow/MediaType.h>
#include <dshow/VfwErrors.h>
#include <sim/TestTone.h>

namespace sim::detail {

namespace {

constexpr DWORD kRate = 44100;
constexpr WORD kChannels = 2;
constexpr REFERENCE_TIME kBlock = UNITS / 10;

}

class WaveInFilter::Output final : public dshow::OutputPin {
public:
    explicit Output(dshow::BaseFilter& filter)
        : OutputPin(filter, u"Capture", u"Capture")
        , m_tone(PictureSource::input(1), kRate, kChannels)
    {
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
        std::uint64_t first = m_tone.frames_in(start);
        std::size_t count = static_cast<std::size_t>(m_tone.frames_in(stop) - first);
        m_pcm.resize(count * kChannels);
        m_tone.render(first, count, m_pcm.data());
        deliver({ reinterpret_cast<const BYTE*>(m_pcm.data()), m_pcm.size() * sizeof(std::int16_t) }, start, stop);
    }

protected:
    LONG buffer_size(const AM_MEDIA_TYPE&) override { return static_cast<LONG>(kRate / 10 + 1) * kChannels * 2; }

private:
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
