#pragma once

// The shared desktop's on-disk and on-socket forms (internal).
//
// A windows file is text: a first line "orbivane-desktop <pid> <start-time>", then one line per
// top-level window, topmost first: handle, thread, style, ex-style and rectangle as numbers, then
// the class and the title, escaped so that neither holds a tab or a line break. A request is one
// fixed-size record written to the owner's socket, answered by one Reply record.

#include <user/Desktop.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace user::shared {

// The process's start time from /proc (0 when unknown): with the id it names one process run.
std::uint64_t process_start_time(DWORD pid);
// Whether the process that wrote a file with this id and start time still runs: it exists, is
// not a zombie, and started at that time (a file naming no start time names no process).
bool process_alive(DWORD pid, std::uint64_t start_time);
// Whether a process of this id exists and is not a zombie.
bool process_exists(DWORD pid);

std::string socket_file(DWORD pid);

std::string format_windows(DWORD pid, std::uint64_t start_time, const std::vector<TopLevelWindow>& windows);
struct Published {
    DWORD pid = 0;
    std::uint64_t start_time = 0;
    std::vector<TopLevelWindow> windows;
};
std::optional<Published> parse_windows(const std::string& text);

enum class Op : std::uint32_t { Post = 1, Send = 2, Show = 3, Foreground = 4, Raise = 5 };

constexpr std::uint32_t kMagic = 0x4F564431;   // "OVD1"
constexpr std::uint32_t kRefused = 2;

struct Request {
    std::uint32_t magic = kMagic;
    Op op = Op::Post;
    std::uint64_t window = 0;
    std::uint64_t message = 0;
    std::uint64_t wparam = 0;
    std::uint64_t lparam = 0;
    std::int64_t argument = 0;     // the show command, or the topmost change
    std::uint64_t timeout = 0;     // sends: milliseconds, or INFINITE
};

struct Reply {
    std::uint32_t magic = kMagic;
    std::uint32_t ok = 0;          // 1 done, 0 failed, kRefused not admitted from outside
    std::int64_t result = 0;
};

// The request a record read from a socket holds; nullopt when it is none: a short or long
// record, another magic, an unknown operation, or a message number past 0xFFFF.
std::optional<Request> decode_request(const void* data, std::size_t size);

// Writes or reads all of a buffer; false on error or end of stream.
bool write_all(int fd, const void* data, std::size_t size);
bool read_all(int fd, void* data, std::size_t size);

}
