#pragma once

// dshow::ScheduledRenderer, the base of the renderers: a filter at the end of a stream whose one
// input hands each sample over when it is due on the graph's clock (PresentationSchedule.h).
//
// The base follows the filter's state and the input's flushing, counts end-of-stream notices and
// calls present() for each sample once it is due; a sample that Stop or flushing released is
// dropped with S_FALSE and never presented. A renderer derives its input from
// ScheduledRenderer::Input (adding check_media_type and any connection hooks) and presents:
//
//     class Renderer final : public dshow::ScheduledRenderer {
//     public:
//         Renderer() : ScheduledRenderer(CLSID_MyRenderer) { make_pin<Input>(u"Input"); }
//     private:
//         class Input final : public ScheduledRenderer::Input {
//         public:
//             using ScheduledRenderer::Input::Input;
//             HRESULT check_media_type(const AM_MEDIA_TYPE& t) override { ... }
//         };
//         HRESULT present(IMediaSample* sample) override { ... draw or play it ... }
//     };
//
// A renderer that overrides on_pause, on_run or on_stop calls the base's too.
//
// The end of the stream: once the last sample was presented (and, for a renderer that queues
// what it presents, once queued_until() has passed on the clock), the renderer sends EC_COMPLETE
// to its graph when running; while paused the notice waits for Run. Stop and flushing forget it.

#include <dshow/BaseFilter.h>
#include <dshow/Pins.h>
#include <dshow/PresentationSchedule.h>

#include <mutex>
#include <string>

namespace dshow {

class ScheduledRenderer : public BaseFilter {
public:
    // End-of-stream notices received.
    int ends() const;

protected:
    explicit ScheduledRenderer(REFCLSID clsid);

    // The renderer's input: samples go through the schedule to present(), flushing releases
    // a waiting one.
    class Input : public InputPin {
    public:
        Input(BaseFilter& filter, std::u16string name);

        STDMETHODIMP BeginFlush() override;
        STDMETHODIMP EndFlush() override;

    protected:
        HRESULT receive(IMediaSample* sample) override;
        HRESULT end_of_stream() override;

    private:
        ScheduledRenderer& renderer() const { return static_cast<ScheduledRenderer&>(filter()); }
    };

    HRESULT on_pause() override;
    HRESULT on_run(REFERENCE_TIME start) override;
    HRESULT on_stop() override;

    // Shows or plays one sample that is due, on the upstream streaming thread.
    virtual HRESULT present(IMediaSample* sample) = 0;
    // How long before its start time a sample is presented (a device with a buffer hears it
    // that much later).
    virtual REFERENCE_TIME lead() const { return 0; }
    // Stream time at which what was presented has been heard or seen; 0 when nothing waits.
    virtual REFERENCE_TIME queued_until() const { return 0; }
    // The input's flushing begins (true) or ends (false).
    virtual void on_flush(bool) { }

private:
    PresentationSchedule m_schedule;
    mutable std::mutex m_ends_lock;
    int m_ends { 0 };
};

}
