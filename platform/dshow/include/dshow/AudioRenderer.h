#pragma once

// The audio renderers: the DirectSound renderer (CLSID_DSoundRender, the default) and the
// waveOut renderer (CLSID_AudioRender). One input, "Audio Input pin (rendered)", for PCM sound,
// and IBasicAudio.
//
// There is no sound card behind them: a renderer consumes its samples on the graph's clock as a
// sound device would (ScheduledRenderer.h), and counts what it played.
//
// IBasicAudio: the volume in hundredths of a decibel, -10000 (silence) to 0 (full, the start
// value); the balance from -10000 (left only) to 10000 (right only); E_INVALIDARG outside.

#include <dshow/GraphInterfaces.h>
#include <dshow/ScheduledRenderer.h>

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

protected:
    void* find_interface(REFIID iid) override;

private:
    class Input;

    HRESULT present(IMediaSample* sample) override;

    mutable std::mutex m_play_lock;
    LONG m_volume { 0 };
    LONG m_balance { 0 };
    ULONGLONG m_bytes { 0 };
    ULONG m_samples { 0 };
};

}
