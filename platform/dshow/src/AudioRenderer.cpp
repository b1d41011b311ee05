#include "SoundOutput.h"

#include <com/Property.h>
#include <dshow/AudioRenderer.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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
    m_input = make_pin<Input>(u"Audio Input pin (rendered)");
}

AudioRenderer::~AudioRenderer() { close_device(); }

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
    return com::put_locked(m_play_lock, m_volume, volume);
}

STDMETHODIMP AudioRenderer::get_Volume(LONG* volume) { return com::get_locked(m_play_lock, m_volume, volume); }

STDMETHODIMP AudioRenderer::put_Balance(LONG balance)
{
    if (balance < -10000 || balance > 10000)
        return E_INVALIDARG;
    return com::put_locked(m_play_lock, m_balance, balance);
}

STDMETHODIMP AudioRenderer::get_Balance(LONG* balance) { return com::get_locked(m_play_lock, m_balance, balance); }

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

bool AudioRenderer::device_open() const { return device() != nullptr; }

std::shared_ptr<detail::SoundOutput> AudioRenderer::device() const
{
    std::lock_guard guard(m_device_lock);
    return m_device;
}

HRESULT AudioRenderer::on_pause()
{
    bool from_stopped = state() == State_Stopped;
    ScheduledRenderer::on_pause();
    if (from_stopped)
        open_device();
    else
        discard_queued();
    return S_OK;
}

HRESULT AudioRenderer::on_stop()
{
    ScheduledRenderer::on_stop();
    close_device();
    std::lock_guard guard(m_play_lock);
    m_queued_until = 0;
    return S_OK;
}

void AudioRenderer::on_flush(bool flushing)
{
    if (!flushing)
        return;
    discard_queued();
    std::lock_guard guard(m_play_lock);
    m_queued_until = 0;
}

REFERENCE_TIME AudioRenderer::lead() const { return device() ? detail::SoundOutput::latency() : 0; }

REFERENCE_TIME AudioRenderer::queued_until() const
{
    std::lock_guard guard(m_play_lock);
    return m_queued_until;
}

void AudioRenderer::open_device()
{
    MediaType type = m_input->connection_type();
    const WAVEFORMATEX* wave = type.wave_format();
    std::shared_ptr<detail::SoundOutput> opened = wave ? detail::SoundOutput::open(*wave) : nullptr;
    std::lock_guard guard(m_device_lock);
    m_device = std::move(opened);
    if (wave)
        m_format = *wave;
}

void AudioRenderer::close_device()
{
    std::shared_ptr<detail::SoundOutput> closing;
    {
        std::lock_guard guard(m_device_lock);
        closing = std::move(m_device);
    }
    if (closing)
        closing->discard();
}

void AudioRenderer::discard_queued()
{
    if (auto open = device())
        open->discard();
}

// The sound at the renderer's volume and balance (hundredths of a decibel of attenuation).
void AudioRenderer::apply_volume(const BYTE* in, std::size_t bytes, std::vector<BYTE>& out) const
{
    LONG volume, balance;
    {
        std::lock_guard guard(m_play_lock);
        volume = m_volume;
        balance = m_balance;
    }
    auto gain = [](LONG attenuation) { return attenuation <= -10000 ? 0.0 : std::pow(10.0, attenuation / 2000.0); };
    double left = gain(volume + std::min<LONG>(-balance, 0));
    double right = gain(volume + std::min<LONG>(balance, 0));
    out.assign(in, in + bytes);
    if (left == 1.0 && right == 1.0)
        return;
    bool stereo = m_format.nChannels == 2;
    if (m_format.wBitsPerSample == 16) {
        for (std::size_t i = 0; i + 1 < bytes; i += 2) {
            std::int16_t value;
            std::memcpy(&value, out.data() + i, 2);
            double g = stereo && (i / 2) % 2 == 1 ? right : left;
            value = static_cast<std::int16_t>(std::lround(value * g));
            std::memcpy(out.data() + i, &value, 2);
        }
    } else {
        for (std::size_t i = 0; i < bytes; ++i) {
            double g = stereo && i % 2 == 1 ? right : left;
            out[i] = static_cast<BYTE>(std::lround(128 + (static_cast<int>(out[i]) - 128) * g));
        }
    }
}

HRESULT AudioRenderer::present(IMediaSample* sample)
{
    LONG length = std::max<LONG>(sample->GetActualDataLength(), 0);
    std::shared_ptr<detail::SoundOutput> open = device();
    if (open) {
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        std::vector<BYTE> scaled;
        apply_volume(data, static_cast<std::size_t>(length), scaled);
        if (!open->write(scaled.data(), scaled.size())) {
            // The device went away: go on silently on the clock.
            std::lock_guard guard(m_device_lock);
            m_device.reset();
            open.reset();
        }
    }
    REFERENCE_TIME start = 0, stop = 0;
    bool timed = sample->GetTime(&start, &stop) == S_OK;
    std::lock_guard guard(m_play_lock);
    m_bytes += static_cast<ULONGLONG>(length);
    ++m_samples;
    m_queued_until = open && timed ? stop : 0;
    return S_OK;
}

}
