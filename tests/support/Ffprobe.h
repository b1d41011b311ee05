#pragma once

// Runs ffprobe on a file and returns its key=value answers, so tests can check files against an
// outside reader. Tests skip when ffprobe is not installed.

#include <cstdio>
#include <map>
#include <string>

namespace test_support {

inline bool have_ffprobe() { return std::system("command -v ffprobe > /dev/null 2>&1") == 0; }

// `entries` as for -show_entries, e.g. "stream=nb_read_frames,duration"; one stream selected.
inline std::map<std::string, std::string> ffprobe(const std::string& path, const std::string& stream, const std::string& entries,
    bool count_frames = true)
{
    std::string command = "ffprobe -v error " + std::string(count_frames ? "-count_frames " : "") + "-select_streams " + stream
        + " -show_entries " + entries + " -of default=noprint_wrappers=1 '" + path + "' 2>&1";
    std::map<std::string, std::string> result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char line[1024];
    while (std::fgets(line, sizeof(line), pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        auto eq = text.find('=');
        if (eq == std::string::npos)
            result["error"] += text;
        else
            result[text.substr(0, eq)] = text.substr(eq + 1);
    }
    pclose(pipe);
    return result;
}

}
