#include "SoundOutput.h"

#include <dshow/AudioRenderer.h>
#include <dshow/VfwErrors.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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
        REFERENCE_TIME heard;
        {
            std::lock_guard guard(renderer().m_play_lock);
            ++renderer().m_ends;
            heard = renderer().m_queued_until;
        }
        // Sound queued in the device ends when it has been heard.
        if (heard > 0 && !renderer().m_schedule.wait_until(heard, renderer().clock()))
            return S_OK;
        if (renderer().m_schedule.end_of_stream())
            renderer().notify_event(EC_COMPLETE, S_OK, 0);
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
    m_input = make_pin<Input>(u"Audio Input pin (rendered)");
}

AudioRenderer::~AudioRenderer() { close_device(); }

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
    if (state() == State_Stopped)
        open_device();
    else
        discard_queued();
    return S_OK;
}

HRESULT AudioRenderer::on_run(REFERENCE_TIME start)
{
    if (m_schedule.run(start))
        notify_event(EC_COMPLETE, S_OK, 0);
    return S_OK;
}

HRESULT AudioRenderer::on_stop()
{
    m_schedule.stop();
    close_device();
    std::lock_guard guard(m_play_lock);
    m_queued_until = 0;
    return S_OK;
}

void AudioRenderer::set_flushing(bool flushing)
{
    m_schedule.set_flushing(flushing);
    if (flushing) {
        discard_queued();
        std::lock_guard guard(m_play_lock);
        m_queued_until = 0;
    }
}

bool AudioRenderer::device_open() const
{
    std::lock_guard guard(m_device_lock);
    return m_device != nullptr;
}

void AudioRenderer::open_device()
{
    MediaType type = m_input->connection_type();
    const WAVEFORMATEX* wave = type.wave_format();
    auto device = wave ? detail::SoundOutput::open(*wave) : nullptr;
    std::lock_guard guard(m_device_lock);
    m_device = std::move(device);
    if (wave)
        m_format = *wave;
}

void AudioRenderer::close_device()
{
    std::shared_ptr<detail::SoundOutput> device;
    {
        std::lock_guard guard(m_device_lock);
        device = std::move(m_device);
    }
    if (device)
        device->discard();
}

void AudioRenderer::discard_queued()
{
    std::shared_ptr<detail::SoundOutput> device;
    {
        std::lock_guard guard(m_device_lock);
        device = m_device;
    }
    if (device)
        device->discard();
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
    int channels = std::max<int>(m_format.nChannels, 1);
    if (m_format.wBitsPerSample == 16) {
        std::size_t count = bytes / 2;
        for (std::size_t i = 0; i < count; ++i) {
            std::int16_t value;
            std::memcpy(&value, out.data() + i * 2, 2);
            double g = channels == 2 && i % 2 == 1 ? right : left;
            value = static_cast<std::int16_t>(std::lround(value * g));
            std::memcpy(out.data() + i * 2, &value, 2);
        }
    } else {
        for (std::size_t i = 0; i < bytes; ++i) {
            double g = channels == 2 && i % 2 == 1 ? right : left;
            out[i] = static_cast<BYTE>(std::lround(128 + (static_cast<int>(out[i]) - 128) * g));
        }
    }
}

HRESULT AudioRenderer::render(IMediaSample* sample)
{
    std::shared_ptr<detail::SoundOutput> device;
    {
        std::lock_guard guard(m_device_lock);
        device = m_device;
    }
    // With a device, sound goes to it ahead of its time by the device's latency, so it is heard on time.
    if (!m_schedule.wait(sample, clock(), device ? detail::SoundOutput::latency() : 0))
        return S_FALSE;
    LONG length = std::max<LONG>(sample->GetActualDataLength(), 0);
    if (device) {
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        std::vector<BYTE> scaled;
        apply_volume(data, static_cast<std::size_t>(length), scaled);
        if (!device->write(scaled.data(), scaled.size())) {
            // The device went away: go on silently on the clock.
            std::lock_guard guard(m_device_lock);
            m_device.reset();
        }
    }
    REFERENCE_TIME start = 0, stop = 0;
    bool timed = sample->GetTime(&start, &stop) == S_OK;
    std::lock_guard guard(m_play_lock);
    m_bytes += static_cast<ULONGLONG>(length);
    ++m_samples;
    m_queued_until = device && timed ? stop : 0;
    return S_OK;
}

}
