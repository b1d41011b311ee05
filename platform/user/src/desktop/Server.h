#pragma once

// The desktop socket's server: takes connections from this user's processes only, reads each
// one's request without blocking anyone, and runs the requests on a small pool of threads.
//
// One thread waits on the listening socket and on the connections still being read. A
// connection from another user is closed unanswered; one that sends no whole request within
// kReadTimeoutMs, or a malformed one, is closed too. At most kMaxReading connections (and no more
// than a quarter of the process's descriptors) are read at once, the oldest dropped for a new
// one, and at most kMaxQueued requests wait for the pool, so a flood of idle connections costs
// neither threads, nor the process's descriptors, nor the real clients' answers. When the
// process runs out of descriptors all the same, the server drops its oldest connection and
// pauses accepting instead of retrying at once.
//
//     user::shared::start_server(listen_fd, [](const Request& r) { return handle(r); });

#include "Wire.h"

#include <functional>

namespace user::shared {

constexpr int kReadTimeoutMs = 5000;
constexpr std::size_t kMaxReading = 64;
constexpr std::size_t kMaxQueued = 64;
constexpr int kWorkers = 8;

// Serves the listening socket for the rest of the process's life.
void start_server(int listen_fd, std::function<Reply(const Request&)> handler);

}
