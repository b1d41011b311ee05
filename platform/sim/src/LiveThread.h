#pragma once

// The streaming thread of a live source (internal): started with the source's loop, which waits
// for each delivery's time with wait_until and ends when that says the source is stopping.
//
//     m_streaming.start([this] { for (;;) { if (m_streaming.wait_until(due)) return; deliver(); } });
//     m_streaming.stop();                       // wakes the wait and joins the thread

#include <base/Clock.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace sim::detail {

class LiveThread {
public:
    LiveThread() = default;
    LiveThread(const LiveThread&) = delete;
    LiveThread& operator=(const LiveThread&) = delete;
    ~LiveThread() { stop(); }

    // Stops a running loop, then runs `loop` on a new thread.
    void start(std::function<void()> loop)
    {
        stop();
        {
            std::lock_guard guard(m_lock);
            m_stopping = false;
        }
        m_thread = std::thread(std::move(loop));
    }
    // Asks the loop to end and waits until it has (the loop's thread must not call it).
    void stop()
    {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard guard(m_lock);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    // Waits until the clock reaches `due_ticks`; true when the loop is to end instead.
    bool wait_until(std::int64_t due_ticks)
    {
        std::unique_lock lock(m_lock);
        return base::Clock::wait_until(lock, m_wake, due_ticks, [this] { return m_stopping; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stopping { false };
    std::thread m_thread;
};

}
