#include "TempHome.h"

#include <dshow/AviReader.h>
#include <dshow/AviWriter.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>

namespace {

std::vector<BYTE> small_file(bool open_dml)
{
    auto path = test_support::temp_home() + "/small.avi";
    dshow::AviWriter writer;
    if (open_dml)
        writer.options().riff_limit = 8192;
    int video = writer.add_video_stream(dshow::make_yuy2_format(64, 48, UNITS / 25));
    int sound = writer.add_audio_stream(dshow::make_pcm_format(8000, 1, 16));
    EXPECT_EQ(writer.open(path), S_OK);
    std::vector<BYTE> frame(64 * 48 * 2, 0x40);
    std::vector<BYTE> pcm(640, 0x01);
    for (int n = 0; n < 10; ++n) {
        writer.write(video, frame, n * UNITS / 25);
        writer.write(sound, pcm, n * UNITS / 25);
    }
    EXPECT_EQ(writer.close(), S_OK);
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

std::size_t find(const std::vector<BYTE>& bytes, const char* fourcc, std::size_t from = 0)
{
    for (std::size_t i = from; i + 4 <= bytes.size(); ++i)
        if (std::memcmp(bytes.data() + i, fourcc, 4) == 0)
            return i;
    ADD_FAILURE() << "no " << fourcc;
    return 0;
}

void add32(std::vector<BYTE>& bytes, std::size_t at, int delta)
{
    DWORD v;
    std::memcpy(&v, bytes.data() + at, 4);
    v += static_cast<DWORD>(delta);
    std::memcpy(bytes.data() + at, &v, 4);
}

HRESULT read_bytes(const std::vector<BYTE>& bytes, std::string& problem)
{
    auto path = test_support::temp_home() + "/mutated.avi";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    dshow::AviReader reader;
    auto hr = reader.open(path);
    problem = reader.problem();
    return hr;
}

struct Corruption {
    const char* name;
    bool open_dml;
    std::function<void(std::vector<BYTE>&)> apply;
};

TEST(AviReader, AcceptsWhatTheWriterWrites)
{
    for (bool open_dml : { false, true }) {
        std::string problem;
        EXPECT_EQ(read_bytes(small_file(open_dml), problem), S_OK) << problem;
    }
}

TEST(AviReader, RejectsEveryInconsistency)
{
    const Corruption cases[] = {
        { "truncated", false, [](auto& b) { b.resize(b.size() - 10); } },
        { "trailing bytes", false, [](auto& b) { b.insert(b.end(), { 1, 2, 3, 4, 5 }); } },
        { "video length", false, [](auto& b) { add32(b, find(b, "strh") + 8 + 32, 1); } },
        { "sound length", false, [](auto& b) { add32(b, find(b, "strh", find(b, "strh") + 4) + 8 + 32, -1); } },
        { "stream count", false, [](auto& b) { add32(b, find(b, "avih") + 8 + 24, 1); } },
        { "total frames", false, [](auto& b) { add32(b, find(b, "avih") + 8 + 16, 1); } },
        { "idx1 offset", false, [](auto& b) { add32(b, find(b, "idx1") + 8 + 16 * 3 + 8, 2); } },
        { "idx1 size", false, [](auto& b) { add32(b, find(b, "idx1") + 8 + 12, 2); } },
        { "unknown stream", false, [](auto& b) { std::memcpy(b.data() + find(b, "00dc", find(b, "movi")), "05dc", 4); } },
        { "wrong chunk type", false, [](auto& b) { std::memcpy(b.data() + find(b, "01wb", find(b, "movi")), "01dc", 4); } },
        { "chunk leaves movi", false, [](auto& b) { add32(b, find(b, "01wb", find(b, "movi")) + 4, 1 << 20); } },
        { "PCM rate", false, [](auto& b) { add32(b, find(b, "strf", find(b, "auds")) + 8 + 8, 2); } },
        { "ix entry", true, [](auto& b) { add32(b, find(b, "ix00") + 8 + 24, 2); } },
        { "indx duration", true, [](auto& b) { add32(b, find(b, "indx") + 8 + 24 + 12, 1); } },
        { "AVIX form", true, [](auto& b) { std::memcpy(b.data() + find(b, "AVIX"), "AVIY", 4); } },
        { "dmlh total", true, [](auto& b) { add32(b, find(b, "dmlh") + 8, 1); } },
    };
    for (const auto& c : cases) {
        auto bytes = small_file(c.open_dml);
        c.apply(bytes);
        std::string problem;
        EXPECT_EQ(read_bytes(bytes, problem), HRESULT_FROM_WIN32(ERROR_BAD_FORMAT)) << c.name;
        EXPECT_FALSE(problem.empty()) << c.name;
    }
}

TEST(AviReader, MissingFileIsNotFound)
{
    dshow::AviReader reader;
    EXPECT_EQ(reader.open(test_support::temp_home() + "/none.avi"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

}
