#pragma once

// When a renderer may present a sample: the part of a renderer that follows the filter's state
// and the graph's clock. A renderer forwards its state changes and its input's flushing here and
// asks wait() before it presents each sample.
//
// A timestamped sample waits while paused and, while running, until its start time on the
// clock (late ones go at once); a sample without a time (a Smart Tee's preview) goes at once.
// Stop and flushing release a waiting sample unpresented.
//
// The end of the stream: end_of_stream() answers true when the renderer is to send EC_COMPLETE
// now (running); while paused the notice waits, and run() answers true when it is due then.
// Stop and flushing forget it.

#include <dshow/FilterInterfaces.h>
#include <dshow/SampleInterfaces.h>

#include <condition_variable>
#include <mutex>

namespace dshow {

class PresentationSchedule {
public:
    void pause();
    // `start` is the stream time's origin on the reference clock (IMediaFilter::Run).
    bool run(REFERENCE_TIME start);
    void stop();
    void set_flushing(bool flushing);

    // Blocks until `sample` is due on `clock` (none: at once), `lead` before its start time;
    // false when stop or flushing released it.
    bool wait(IMediaSample* sample, IReferenceClock* clock, REFERENCE_TIME lead = 0);
    // Blocks until stream time `stream_time` on `clock`, as wait() does for a sample.
    bool wait_until(REFERENCE_TIME stream_time, IReferenceClock* clock);
    // The upstream end arrived (after the last sample was presented).
    bool end_of_stream();

private:
    bool released() const { return m_stopping || m_flushing; }

    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_running { false };
    bool m_stopping { false };
    bool m_flushing { false };
    bool m_end_pending { false };
    REFERENCE_TIME m_run_start { 0 };
};

}
