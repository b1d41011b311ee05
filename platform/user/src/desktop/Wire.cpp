// The windows file format, process identity checks and socket record I/O of the shared desktop.

#include "Wire.h"

#include <user/SharedDesktop.h>

#include <base/Home.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace user::shared {

namespace {

std::string escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// The field as a number no greater than `most` (and no less than `least`), the whole field.
bool whole_number(const std::string& text, std::uint64_t& out, std::uint64_t most)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && out <= most;
}

bool whole_number(const std::string& text, std::int64_t& out, std::int64_t least, std::int64_t most)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && out >= least && out <= most;
}

std::string unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

}

namespace {

// A process's state letter and start time from /proc; state 0 when it does not exist.
struct ProcessStat {
    char state = 0;
    std::uint64_t start_time = 0;
};

ProcessStat process_stat(DWORD pid)
{
    ProcessStat result;
    if (pid == 0)
        return result;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold spaces: fields are counted after its closing parenthesis.
    auto close = stat.rfind(')');
    if (close == std::string::npos)
        return result;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    // Field 3 is the state, field 22 the start time.
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field))
            return {};
        if (i == 3)
            result.state = field.empty() ? 0 : field[0];
    }
    try {
        result.start_time = std::stoull(field);
    } catch (...) {
        return {};
    }
    return result;
}

bool running(char state) { return state != 0 && state != 'Z' && state != 'X' && state != 'x'; }

}

std::uint64_t process_start_time(DWORD pid)
{
    return process_stat(pid).start_time;
}

bool process_alive(DWORD pid, std::uint64_t start_time)
{
    ProcessStat stat = process_stat(pid);
    return start_time != 0 && running(stat.state) && stat.start_time == start_time;
}

bool process_exists(DWORD pid)
{
    return running(process_stat(pid).state);
}

std::string socket_file(DWORD pid)
{
    return base::runtime_folder() + "/desktop-" + std::to_string(pid) + ".sock";
}

std::string format_windows(DWORD pid, std::uint64_t start_time, const std::vector<TopLevelWindow>& windows)
{
    std::ostringstream out;
    out << "orbivane-desktop " << pid << ' ' << start_time << '\n';
    for (auto& w : windows) {
        out << reinterpret_cast<std::uintptr_t>(w.handle) << '\t' << w.thread_id << '\t' << w.style << '\t' << w.ex_style
            << '\t' << w.rect.left << '\t' << w.rect.top << '\t' << w.rect.right << '\t' << w.rect.bottom << '\t'
            << escape(w.class_name) << '\t' << escape(w.title) << '\n';
    }
    return out.str();
}

std::optional<Published> parse_windows(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line))
        return std::nullopt;
    Published p;
    {
        std::istringstream head(line);
        std::string tag, pid, start_time, rest;
        std::uint64_t number = 0;
        if (!(head >> tag >> pid >> start_time) || (head >> rest) || tag != "orbivane-desktop"
            || !whole_number(pid, number, 0xFFFFFFFFu) || !whole_number(start_time, p.start_time, ~std::uint64_t { 0 }))
            return std::nullopt;
        p.pid = static_cast<DWORD>(number);
    }
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::size_t start = 0;
        for (;;) {
            auto tab = line.find('\t', start);
            f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        if (f.size() != 10)
            return std::nullopt;
        TopLevelWindow w;
        std::uint64_t handle = 0, thread = 0, style = 0, ex_style = 0;
        std::int64_t rect[4] {};
        constexpr std::int64_t most = 0x7FFFFFFF;
        if (!whole_number(f[0], handle, ~std::uint64_t { 0 }) || !whole_number(f[1], thread, 0xFFFFFFFFu)
            || !whole_number(f[2], style, 0xFFFFFFFFu) || !whole_number(f[3], ex_style, 0xFFFFFFFFu))
            return std::nullopt;
        for (int i = 0; i < 4; ++i)
            if (!whole_number(f[4 + i], rect[i], -most - 1, most))
                return std::nullopt;
        w.handle = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
        w.thread_id = static_cast<DWORD>(thread);
        w.style = static_cast<DWORD>(style);
        w.ex_style = static_cast<DWORD>(ex_style);
        w.rect = { static_cast<LONG>(rect[0]), static_cast<LONG>(rect[1]), static_cast<LONG>(rect[2]), static_cast<LONG>(rect[3]) };
        w.class_name = unescape(f[8]);
        w.title = unescape(f[9]);
        w.process_id = p.pid;
        // A handle must belong to the process that published it.
        if (window_process(w.handle) != p.pid)
            return std::nullopt;
        p.windows.push_back(std::move(w));
    }
    return p;
}

std::optional<Request> decode_request(const void* data, std::size_t size)
{
    Request r;
    if (size != sizeof r)
        return std::nullopt;
    std::memcpy(&r, data, sizeof r);
    auto op = static_cast<std::uint32_t>(r.op);
    if (r.magic != kMagic || op < static_cast<std::uint32_t>(Op::Post) || op > static_cast<std::uint32_t>(Op::Raise)
        || r.message > 0xFFFF)
        return std::nullopt;
    return r;
}

bool write_all(int fd, const void* data, std::size_t size)
{
    auto p = static_cast<const char*>(data);
    while (size) {
        ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool read_all(int fd, void* data, std::size_t size)
{
    auto p = static_cast<char*>(data);
    while (size) {
        ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}

namespace user {

std::string desktop_windows_file(DWORD process_id)
{
    return base::runtime_folder() + "/desktop-" + std::to_string(process_id) + ".windows";
}

}
