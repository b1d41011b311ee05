#include <dshow/AudioRenderer.h>

#include <algorithm>

namespace dshow {

class AudioRenderer::Input final : public ScheduledRenderer::Input {
public:
    using ScheduledRenderer::Input::Input;

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
};

AudioRenderer::AudioRenderer(REFCLSID clsid)
    : ScheduledRenderer(clsid)
{
    make_pin<Input>(u"Audio Input pin (rendered)");
}

AudioRenderer::~AudioRenderer() = default;

void* AudioRenderer::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IBasicAudio) || IsEqualIID(iid, IID_IDispatch))
        return static_cast<IBasicAudio*>(this);
    return ScheduledRenderer::find_interface(iid);
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

HRESULT AudioRenderer::present(IMediaSample* sample)
{
    std::lock_guard guard(m_play_lock);
    m_bytes += static_cast<ULONGLONG>(std::max<LONG>(sample->GetActualDataLength(), 0));
    ++m_samples;
    return S_OK;
}

}
