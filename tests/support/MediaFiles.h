#pragma once

// Media files for playback tests, made by the ffmpeg command-line tool from its test picture
// (320 x 240, 25 frames a second) and a 440 Hz tone. Tests skip when ffmpeg is not installed.
//
//     std::string path = test_support::make_media_file(dir + "/clip.avi", "-c:v mjpeg -c:a pcm_s16le");

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace test_support {

inline bool have_ffmpeg() { return std::system("command -v ffmpeg > /dev/null 2>&1") == 0; }

struct MediaRecipe {
    std::string codecs; // e.g. "-c:v mjpeg -c:a pcm_s16le"
    bool video = true;
    bool audio = true;
    double seconds = 2.0;
    std::string size = "320x240";
};

// Makes `path` (its extension picks the container); returns the path, or an empty text on failure.
inline std::string make_media_file(const std::string& path, const MediaRecipe& recipe)
{
    std::string length = std::to_string(recipe.seconds);
    std::string command = "ffmpeg -y -v error -nostdin";
    if (recipe.video)
        command += " -f lavfi -i testsrc=size=" + recipe.size + ":rate=25:duration=" + length;
    if (recipe.audio)
        command += " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + length;
    command += " " + recipe.codecs + " '" + path + "' > /dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? path : std::string();
}

inline std::vector<char> read_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

inline void write_bytes(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Replaces every occurrence of `from` by `to` (of the same length) in the file.
inline void patch_file(const std::string& path, const std::string& from, const std::string& to)
{
    auto bytes = read_bytes(path);
    for (std::size_t i = 0; i + from.size() <= bytes.size(); ++i) {
        if (std::equal(from.begin(), from.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i)))
            std::copy(to.begin(), to.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i));
    }
    write_bytes(path, bytes);
}

}
