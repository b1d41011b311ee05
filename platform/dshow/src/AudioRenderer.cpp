#include <dshow/AudioRenderer.h>

#include <algorithm>

namespace dshow {

class AudioRenderer::Input final : public InputPin {
public:
    Input(BaseFilter& filter, std::u16string name)
        : InputPin(filter, std::move(name))
    {
    }
    AudioRenderer& renderer() const { return static_cast<AudioRenderer&>(filter()); }

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
    {
        if (!IsEqualGUID(type.majortype, MEDIATYPE_Audio))
            return S_FALSE;
        MediaType copy(type);
        const WAVEFORMATEX* wave = copy.wave_format();
        return wave && wave->wFormatTag == WAVE_FORMAT_PCM && wave->nChannels > 0 && wave->nBlockAlign > 0
                && (wave->wBitsPerSample == 8 || wave->wBitsPerSample == 16)
            ? S_OK
            : S_FALSE;
    }
    HRESULT receive(IMediaSample* sample) override { return renderer().render(sample); }
    HRESULT end_of_stream() override
    {
        std::lock_guard guard(renderer().m_play_lock);
        ++renderer().m_ends;
        return S_OK;
    }
    STDMETHODIMP BeginFlush() override
    {
        InputPin::BeginFlush();
        renderer().set_flushing(true);
        return S_OK;
    }
    STDMETHODIMP EndFlush() override
    {
        renderer().set_flushing(false);
        return InputPin::EndFlush();
    }
};

AudioRenderer::AudioRenderer(REFCLSID clsid)
    : BaseFilter(clsid)
{
    make_pin<Input>(u"Audio Input pin (rendered)");
}

AudioRenderer::~AudioRenderer() = default;

void* AudioRenderer::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IBasicAudio) || IsEqualIID(iid, IID_IDispatch))
        return static_cast<IBasicAudio*>(this);
    return BaseFilter::find_interface(iid);
}

STDMETHODIMP AudioRenderer::put_Volume(LONG volume)
{
    if (volume < -10000 || volume > 0)
        return E_INVALIDARG;
    std::lock_guard guard(m_play_lock);
    m_volume = volume;
    return S_OK;
}

STDMETHODIMP AudioRenderer::get_Volume(LONG* volume)
{
    if (!volume)
        return E_POINTER;
    std::lock_guard guard(m_play_lock);
    *volume = m_volume;
    return S_OK;
}

STDMETHODIMP AudioRenderer::put_Balance(LONG balance)
{
    if (balance < -10000 || balance > 10000)
        return E_INVALIDARG;
    std::lock_guard guard(m_play_lock);
    m_balance = balance;
    return S_OK;
}

STDMETHODIMP AudioRenderer::get_Balance(LONG* balance)
{
    if (!balance)
        return E_POINTER;
    std::lock_guard guard(m_play_lock);
    *balance = m_balance;
    return S_OK;
}

ULONGLONG AudioRenderer::rendered_bytes() const
{
    std::lock_guard guard(m_play_lock);
    return m_bytes;
}

ULONG AudioRenderer::rendered_samples() const
{
    std::lock_guard guard(m_play_lock);
    return m_samples;
}

int AudioRenderer::ends() const
{
    std::lock_guard guard(m_play_lock);
    return m_ends;
}

HRESULT AudioRenderer::on_pause()
{
    m_schedule.pause();
    return S_OK;
}

HRESULT AudioRenderer::on_run(REFERENCE_TIME start)
{
    m_schedule.run(start);
    return S_OK;
}

HRESULT AudioRenderer::on_stop()
{
    m_schedule.stop();
    return S_OK;
}

void AudioRenderer::set_flushing(bool flushing)
{
    m_schedule.set_flushing(flushing);
}

HRESULT AudioRenderer::render(IMediaSample* sample)
{
    if (!m_schedule.wait(sample, clock()))
        return S_FALSE;
    std::lock_guard guard(m_play_lock);
    m_bytes += static_cast<ULONGLONG>(std::max<LONG>(sample->GetActualDataLength(), 0));
    ++m_samples;
    return S_OK;
}

}
