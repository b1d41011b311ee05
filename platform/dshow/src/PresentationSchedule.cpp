#include <base/Clock.h>
#include <dshow/MediaFormats.h>
#include <dshow/PresentationSchedule.h>

namespace dshow {

void PresentationSchedule::pause()
{
    {
        std::lock_guard guard(m_lock);
        m_running = false;
        m_stopping = false;
    }
    m_changed.notify_all();
}

bool PresentationSchedule::run(REFERENCE_TIME start)
{
    bool ended;
    {
        std::lock_guard guard(m_lock);
        m_running = true;
        m_run_start = start;
        ended = m_end_pending;
        m_end_pending = false;
    }
    m_changed.notify_all();
    return ended;
}

bool PresentationSchedule::end_of_stream()
{
    std::lock_guard guard(m_lock);
    if (released())
        return false;
    if (m_running)
        return true;
    m_end_pending = true;
    return false;
}

void PresentationSchedule::stop()
{
    {
        std::lock_guard guard(m_lock);
        m_running = false;
        m_stopping = true;
        m_end_pending = false;
    }
    m_changed.notify_all();
}

void PresentationSchedule::set_flushing(bool flushing)
{
    {
        std::lock_guard guard(m_lock);
        m_flushing = flushing;
        m_end_pending = false;
    }
    m_changed.notify_all();
}

bool PresentationSchedule::wait(IMediaSample* sample, IReferenceClock* clock, REFERENCE_TIME lead)
{
    REFERENCE_TIME start = 0, stop = 0;
    if (FAILED(sample->GetTime(&start, &stop)) || !clock) {
        std::lock_guard guard(m_lock);
        return !released();
    }
    return wait_until(start - lead, clock);
}

bool PresentationSchedule::wait_until(REFERENCE_TIME stream_time, IReferenceClock* clock)
{
    std::unique_lock guard(m_lock);
    if (!clock)
        return !released();
    for (;;) {
        if (released())
            return false;
        if (!m_running) {
            base::Clock::wait(guard, m_changed, [&] { return released() || m_running; });
            continue;
        }
        REFERENCE_TIME now = 0;
        clock->GetTime(&now);
        REFERENCE_TIME wait = m_run_start + stream_time - now;
        if (wait <= 0)
            return true;
        std::int64_t deadline = base::Clock::ticks_ms() + (wait + MILLISECONDS - 1) / MILLISECONDS;
        base::Clock::wait_until(guard, m_changed, deadline, [&] { return released() || !m_running; });
    }
}

}
