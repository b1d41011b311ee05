#pragma once

// When a renderer may present a sample: the part of a renderer that follows the filter's state
// and the graph's clock. A renderer forwards its state changes and its input's flushing here and
// asks wait() before it presents each sample.
//
// A timestamped sample waits while paused and, while running, until its start time on the
// clock (late ones go at once); a sample without a time (a Smart Tee's preview) goes at once.
// Stop and flushing release a waiting sample unpresented.

#include <dshow/FilterInterfaces.h>
#include <dshow/SampleInterfaces.h>

#include <condition_variable>
#include <mutex>

namespace dshow {

class PresentationSchedule {
public:
    void pause();
    // `start` is the stream time's origin on the reference clock (IMediaFilter::Run).
    void run(REFERENCE_TIME start);
    void stop();
    void set_flushing(bool flushing);

    // Blocks until `sample` is due on `clock` (none: at once); false when stop or flushing
    // released it.
    bool wait(IMediaSample* sample, IReferenceClock* clock);

private:
    bool released() const { return m_stopping || m_flushing; }

    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_running { false };
    bool m_stopping { false };
    bool m_flushing { false };
    REFERENCE_TIME m_run_start { 0 };
};

}
