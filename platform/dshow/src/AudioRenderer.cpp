#include <base/Clock.h>
#include <dshow/AudioRenderer.h>

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
    {
        std::lock_guard guard(m_play_lock);
        m_running = false;
        m_stopping = false;
    }
    m_changed.notify_all();
    return S_OK;
}

HRESULT AudioRenderer::on_run(REFERENCE_TIME start)
{
    {
        std::lock_guard guard(m_play_lock);
        m_running = true;
        m_run_start = start;
    }
    m_changed.notify_all();
    return S_OK;
}

HRESULT AudioRenderer::on_stop()
{
    {
        std::lock_guard guard(m_play_lock);
        m_running = false;
        m_stopping = true;
    }
    m_changed.notify_all();
    return S_OK;
}

void AudioRenderer::set_flushing(bool flushing)
{
    {
        std::lock_guard guard(m_play_lock);
        m_flushing = flushing;
    }
    m_changed.notify_all();
}

HRESULT AudioRenderer::render(IMediaSample* sample)
{
    REFERENCE_TIME start = 0, stop = 0;
    bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
    CComPtr<IReferenceClock> reference = clock();
    std::unique_lock guard(m_play_lock);
    auto released = [this] { return m_stopping || m_flushing; };
    if (timed && reference) {
        for (;;) {
            if (released())
                return S_FALSE;
            if (!m_running) {
                base::Clock::wait(guard, m_changed, [&] { return released() || m_running; });
                continue;
            }
            REFERENCE_TIME now = 0;
            reference->GetTime(&now);
            REFERENCE_TIME wait = m_run_start + start - now;
            if (wait <= 0)
                break;
            std::int64_t deadline = base::Clock::ticks_ms() + (wait + MILLISECONDS - 1) / MILLISECONDS;
            base::Clock::wait_until(guard, m_changed, deadline, [&] { return released() || !m_running; });
        }
    } else if (released()) {
        return S_FALSE;
    }
    m_bytes += static_cast<ULONGLONG>(std::max<LONG>(sample->GetActualDataLength(), 0));
    ++m_samples;
    return S_OK;
}

}
