#include "Server.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace user::shared {

namespace {

// New connections taken in one round, so readers already waiting are not pushed out at once.
constexpr int kAcceptsPerRound = 16;
// How long accepting pauses when the process has no descriptor left.
constexpr int kBackOffMs = 100;

std::int64_t now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct Reading {
    int fd;
    std::int64_t deadline;
    std::size_t got = 0;
    unsigned char bytes[sizeof(Request)] {};
};

struct Job {
    int fd;
    Request request;
};

class Server {
public:
    Server(int listen_fd, std::function<Reply(const Request&)> handler)
        : m_listen(listen_fd)
        , m_handler(std::move(handler))
    {
    }

    void start()
    {
        // A quarter of the descriptors at most, so a flood leaves the rest of the process its own.
        rlimit limit {};
        if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            m_max_reading = std::clamp<std::size_t>(limit.rlim_cur / 4, 4, kMaxReading);
        fcntl(m_listen, F_SETFL, fcntl(m_listen, F_GETFL) | O_NONBLOCK);
        for (int i = 0; i < kWorkers; ++i)
            std::thread([this] { work(); }).detach();
        std::thread([this] { listen(); }).detach();
    }

private:
    void work()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock guard(m_lock);
                m_ready.wait(guard, [&] { return !m_jobs.empty(); });
                job = m_jobs.front();
                m_jobs.pop_front();
            }
            Reply reply = m_handler(job.request);
            write_all(job.fd, &reply, sizeof reply);
            close(job.fd);
        }
    }

    bool queue(const Job& job)
    {
        {
            std::lock_guard guard(m_lock);
            if (m_jobs.size() >= kMaxQueued)
                return false;
            m_jobs.push_back(job);
        }
        m_ready.notify_one();
        return true;
    }

    void drop_oldest()
    {
        if (m_reading.empty())
            return;
        close(m_reading.front().fd);
        m_reading.erase(m_reading.begin());
    }

    static bool same_user(int fd)
    {
        ucred peer {};
        socklen_t size = sizeof peer;
        return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
    }

    void accept_some(std::int64_t now)
    {
        for (int i = 0; i < kAcceptsPerRound; ++i) {
            int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) {
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    drop_oldest();
                    m_resume = now + kBackOffMs;
                }
                return;
            }
            if (!same_user(fd)) {
                close(fd);
                continue;
            }
            if (m_reading.size() >= m_max_reading)
                drop_oldest();
            m_reading.push_back({ fd, now + kReadTimeoutMs, 0, {} });
        }
    }

    // Reads what has come; true when the connection is done with (handed on or closed).
    bool read_some(Reading& r)
    {
        ssize_t n = read(r.fd, r.bytes + r.got, sizeof r.bytes - r.got);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return false;
        if (n <= 0) {
            close(r.fd);
            return true;
        }
        r.got += static_cast<std::size_t>(n);
        if (r.got < sizeof r.bytes)
            return false;
        auto request = decode_request(r.bytes, sizeof r.bytes);
        // The answer is written blocking, with a time-out, by a worker.
        int flags = fcntl(r.fd, F_GETFL);
        timeval limit { kReadTimeoutMs / 1000, 0 };
        setsockopt(r.fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (!request || fcntl(r.fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || !queue({ r.fd, *request }))
            close(r.fd);
        return true;
    }

    void listen()
    {
        std::vector<pollfd> polled;
        for (;;) {
            std::int64_t now = now_ms();
            bool accepting = now >= m_resume;
            polled.clear();
            polled.push_back({ accepting ? m_listen : -1, POLLIN, 0 });
            // Nothing timed (accepting, no connection half read): sleep until one comes.
            std::int64_t wake = accepting ? INT64_MAX : m_resume;
            for (const Reading& r : m_reading) {
                polled.push_back({ r.fd, POLLIN, 0 });
                wake = std::min(wake, r.deadline);
            }
            int timeout = wake == INT64_MAX ? -1 : static_cast<int>(std::clamp<std::int64_t>(wake - now, 0, INT32_MAX));
            int n = poll(polled.data(), polled.size(), timeout);
            if (n < 0 && errno != EINTR && errno != ENOMEM)
                return;
            now = now_ms();
            // Connections already being read first, then new ones.
            std::vector<Reading> kept;
            for (std::size_t i = 0; i < m_reading.size(); ++i) {
                Reading& r = m_reading[i];
                bool ready = n > 0 && (polled[i + 1].revents & (POLLIN | POLLHUP | POLLERR));
                if (ready && read_some(r))
                    continue;
                if (now >= r.deadline) {
                    close(r.fd);
                    continue;
                }
                kept.push_back(r);
            }
            m_reading = std::move(kept);
            if (n > 0 && (polled[0].revents & POLLIN))
                accept_some(now);
        }
    }

    int m_listen;
    std::function<Reply(const Request&)> m_handler;
    std::vector<Reading> m_reading;   // the listening thread's own
    std::size_t m_max_reading = kMaxReading;
    std::int64_t m_resume = 0;        // accepting pauses until then
    std::mutex m_lock;
    std::condition_variable m_ready;
    std::deque<Job> m_jobs;
};

}

void start_server(int listen_fd, std::function<Reply(const Request&)> handler)
{
    // Never destroyed: its threads serve until the process exits.
    auto* server = new Server(listen_fd, std::move(handler));
    server->start();
}

}
