#pragma once

// The audio renderers: the DirectSound renderer (CLSID_DSoundRender, the default) and the
// waveOut renderer (CLSID_AudioRender). One input, "Audio Input pin (rendered)", for PCM sound,
// and IBasicAudio.
//
// Sound is played through the machine's sound output (an ALSA device, chosen by ORBIVANE_AUDIO;
// "none" switches it off), opened when the renderer pauses from stopped and closed when it stops.
// When no device opens, the renderer consumes its samples silently on the graph's clock, as a
// device would; either way it counts what it played. A timestamped sample waits while paused
// and, while running, until its start time on the clock (late ones play at once; with a device,
// the device's latency early, so it is heard on time); a sample without a time (a Smart Tee's
// preview) plays at once. Stop and flushing release a waiting sample unplayed and drop what the
// device still holds. At the end of the stream, when running, it sends EC_COMPLETE to the graph.
//
// IBasicAudio: the volume in hundredths of a decibel, -10000 (silence) to 0 (full, the start
// value); the balance from -10000 (left only) to 10000 (right only); E_INVALIDARG outside.

#include <dshow/BaseFilter.h>
#include <dshow/GraphInterfaces.h>
#include <dshow/Pins.h>
#include <dshow/PresentationSchedule.h>
#include <dshow/MediaFormats.h>

#include <memory>
#include <vector>

namespace dshow::detail {
class SoundOutput;
}

namespace dshow {

class AudioRenderer final : public BaseFilter, public IBasicAudio {
public:
    // `clsid` is CLSID_DSoundRender or CLSID_AudioRender.
    explicit AudioRenderer(REFCLSID clsid);
    ~AudioRenderer() override;

    DSHOW_FORWARD_UNKNOWN(BaseFilter)
    DSHOW_NO_DISPATCH

    STDMETHODIMP put_Volume(LONG volume) override;
    STDMETHODIMP get_Volume(LONG* volume) override;
    STDMETHODIMP put_Balance(LONG balance) override;
    STDMETHODIMP get_Balance(LONG* balance) override;

    // Bytes and samples played since the filter was created.
    ULONGLONG rendered_bytes() const;
    ULONG rendered_samples() const;
    // End-of-stream notices received.
    int ends() const;
    // A sound device is open (between pause and stop, when one could be opened).
    bool device_open() const;

protected:
    void* find_interface(REFIID iid) override;

private:
    class Input;
    friend class Input;

    HRESULT on_pause() override;
    HRESULT on_run(REFERENCE_TIME start) override;
    HRESULT on_stop() override;

    HRESULT render(IMediaSample* sample);
    void set_flushing(bool flushing);
    void open_device();
    void close_device();
    void discard_queued();
    void apply_volume(const BYTE* in, std::size_t bytes, std::vector<BYTE>& out) const;

    mutable std::mutex m_play_lock;
    PresentationSchedule m_schedule;
    LONG m_volume { 0 };
    LONG m_balance { 0 };
    ULONGLONG m_bytes { 0 };
    ULONG m_samples { 0 };
    int m_ends { 0 };
    // Stream time at which the sound given to the device ends (0: nothing queued there).
    REFERENCE_TIME m_queued_until { 0 };

    mutable std::mutex m_device_lock;
    std::shared_ptr<detail::SoundOutput> m_device;
    WAVEFORMATEX m_format {};
    Input* m_input { nullptr };
};

}
