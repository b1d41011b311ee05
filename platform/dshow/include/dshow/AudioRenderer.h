#pragma once

// The audio renderers: the DirectSound renderer (CLSID_DSoundRender, the default) and the
// waveOut renderer (CLSID_AudioRender). One input, "Audio Input pin (rendered)", for PCM sound,
// and IBasicAudio.
//
// Sound is played through the machine's sound output (an ALSA device, chosen by ORBIVANE_AUDIO;
// "none" switches it off), opened when the renderer pauses from stopped and closed when it stops.
// When no device opens, the renderer consumes its samples silently on the graph's clock, as a
// device would (ScheduledRenderer.h); either way it counts what it played. With a device, a
// sample goes to it the device's latency before its time, so it is heard on time, and the end of
// the stream waits until the last sound has been heard; stop and flushing drop what the device
// still holds.
//
// IBasicAudio: the volume in hundredths of a decibel, -10000 (silence) to 0 (full, the start
// value); the balance from -10000 (left only) to 10000 (right only); E_INVALIDARG outside.

#include <dshow/GraphInterfaces.h>
#include <dshow/MediaFormats.h>
#include <dshow/ScheduledRenderer.h>

#include <memory>
#include <vector>

namespace dshow::detail {
class SoundOutput;
}

namespace dshow {

class AudioRenderer final : public ScheduledRenderer, public IBasicAudio {
public:
    // `clsid` is CLSID_DSoundRender or CLSID_AudioRender.
    explicit AudioRenderer(REFCLSID clsid);
    ~AudioRenderer() override;

    DSHOW_FORWARD_UNKNOWN(ScheduledRenderer)
    COM_NO_DISPATCH

    STDMETHODIMP put_Volume(LONG volume) override;
    STDMETHODIMP get_Volume(LONG* volume) override;
    STDMETHODIMP put_Balance(LONG balance) override;
    STDMETHODIMP get_Balance(LONG* balance) override;

    // Bytes and samples played since the filter was created.
    ULONGLONG rendered_bytes() const;
    ULONG rendered_samples() const;
    // A sound device is open (between pause and stop, when one could be opened).
    bool device_open() const;

protected:
    void* find_interface(REFIID iid) override;

private:
    class Input;

    HRESULT present(IMediaSample* sample) override;
    REFERENCE_TIME lead() const override;
    REFERENCE_TIME queued_until() const override;
    void on_flush(bool flushing) override;
    HRESULT on_pause() override;
    HRESULT on_stop() override;

    void open_device();
    void close_device();
    void discard_queued();
    std::shared_ptr<detail::SoundOutput> device() const;
    void apply_volume(const BYTE* in, std::size_t bytes, std::vector<BYTE>& out) const;

    mutable std::mutex m_play_lock;
    LONG m_volume { 0 };
    LONG m_balance { 0 };
    ULONGLONG m_bytes { 0 };
    ULONG m_samples { 0 };
    // Stream time at which the sound given to the device ends (0: nothing queued there).
    REFERENCE_TIME m_queued_until { 0 };

    mutable std::mutex m_device_lock;
    std::shared_ptr<detail::SoundOutput> m_device;
    WAVEFORMATEX m_format {};
    Input* m_input { nullptr };
};

}
