#pragma once

// The Smart Tee (CLSID_SmartTee): one input, "Input", split into "Capture" and "Preview" (pin
// ids equal the names).
//
// The outputs connect only once the input is, and offer exactly the input's type. "Capture"
// gets every sample itself, on the upstream thread. "Preview" gets copies without timestamps
// (rendered at once, never held for the clock), sent from the tee's own thread through a short
// queue: when the preview side falls behind, preview samples are dropped so the capture stream
// never waits for it. End of stream reaches both outputs; flushing empties the queue.

#include <dshow/BaseFilter.h>
#include <dshow/Pins.h>

#include <condition_variable>
#include <deque>
#include <thread>

namespace dshow {

class SmartTee final : public BaseFilter {
public:
    SmartTee();
    ~SmartTee() override;

    // Preview samples dropped since the filter was created.
    ULONG preview_dropped() const;
    // Preview samples handed on since the filter was created.
    ULONG preview_delivered() const;
    // Waits until the preview queue is empty and its thread idle (tests).
    void wait_preview_idle();

    // Preview copies held at most; more are dropped.
    static constexpr size_t preview_queue_limit = 2;

private:
    class Input;
    class Output;
    friend class Input;
    friend class Output;

    HRESULT on_pause() override;
    HRESULT on_stop() override;

    HRESULT receive(IMediaSample* sample);
    HRESULT end_of_stream();
    void flush(bool begin);
    void preview_loop();

    Input* m_input;
    Output* m_capture;
    Output* m_preview;

    mutable std::mutex m_queue_lock;
    std::condition_variable m_queue_changed;
    struct Item {
        CComPtr<IMediaSample> sample; // empty: end of stream
    };
    std::deque<Item> m_queue;
    bool m_busy { false };
    bool m_quit { false };
    ULONG m_dropped { 0 };
    ULONG m_delivered { 0 };
    std::thread m_thread;
};

}
