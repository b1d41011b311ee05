#include "Ffprobe.h"
#include "TempHome.h"

#include <dshow/AviReader.h>
#include <dshow/AviWriter.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr int width = 720;
constexpr int height = 576;
constexpr REFERENCE_TIME frame_time = UNITS / 25;

std::vector<BYTE> frame_bytes(int n)
{
    std::vector<BYTE> frame(static_cast<std::size_t>(width) * height * 2, static_cast<BYTE>(n * 7));
    std::memcpy(frame.data(), &n, sizeof(n));
    return frame;
}

BYTE sound_byte(ULONGLONG i) { return static_cast<BYTE>(i * 7 + (i >> 9)); }

struct Feed {
    int frames = 125;
    double sound_seconds = 5.0; // 0: no sound stream
    REFERENCE_TIME sound_buffer = UNITS / 10;
    bool video_first = false; // all video, then all sound; else as a live source delivers them
    std::set<int> dropped;
};

struct Arrival {
    REFERENCE_TIME at;
    int stream;
    REFERENCE_TIME start;
    std::vector<BYTE> data;
};

// Writes a recording of `feed` through `writer` (streams added here) into `path`.
HRESULT record(dshow::AviWriter& writer, const std::string& path, const Feed& feed)
{
    int video = writer.add_video_stream(dshow::make_yuy2_format(width, height, frame_time));
    auto wfx = dshow::make_pcm_format(44100, 2, 16);
    int sound = feed.sound_seconds > 0 ? writer.add_audio_stream(wfx) : -1;
    if (auto hr = writer.open(path); FAILED(hr))
        return hr;
    std::vector<Arrival> arrivals;
    for (int n = 0; n < feed.frames; ++n)
        if (!feed.dropped.count(n))
            arrivals.push_back({ (n + 1) * frame_time, video, n * frame_time, {} });
    if (sound >= 0) {
        auto total = static_cast<ULONGLONG>(std::llround(feed.sound_seconds * 44100)) * 4;
        auto per_buffer = static_cast<ULONGLONG>(feed.sound_buffer * 44100 / UNITS) * 4;
        for (ULONGLONG at = 0; at < total; at += per_buffer) {
            auto n = std::min(per_buffer, total - at);
            std::vector<BYTE> data(n);
            for (ULONGLONG i = 0; i < n; ++i)
                data[i] = sound_byte(at + i);
            REFERENCE_TIME start = static_cast<REFERENCE_TIME>(at / 4) * UNITS / 44100;
            REFERENCE_TIME end = static_cast<REFERENCE_TIME>((at + n) / 4) * UNITS / 44100;
            arrivals.push_back({ end, sound, start, std::move(data) });
        }
    }
    if (!feed.video_first)
        std::stable_sort(arrivals.begin(), arrivals.end(), [](auto& a, auto& b) { return a.at < b.at; });
    for (auto& a : arrivals) {
        HRESULT hr;
        if (a.stream == video) {
            auto frame = frame_bytes(static_cast<int>(a.start / frame_time));
            hr = writer.write(video, frame, a.start);
        } else {
            hr = writer.write(sound, a.data, a.start);
        }
        if (FAILED(hr))
            return hr;
    }
    return writer.close();
}

std::string temp_file(const std::string& name) { return test_support::temp_home() + "/" + name; }

// The interleave block of every chunk in file order, checked to rise, sound before video inside a block.
void expect_interleaved(const dshow::AviReader& reader, REFERENCE_TIME interleave, REFERENCE_TIME preroll)
{
    ULONGLONG video_frames = 0, sound_bytes = 0;
    REFERENCE_TIME last_block = std::numeric_limits<REFERENCE_TIME>::min();
    bool video_in_block = false;
    for (const auto& c : reader.chunks()) {
        bool video = reader.streams()[c.stream].video;
        REFERENCE_TIME t = video ? static_cast<REFERENCE_TIME>(video_frames++) * frame_time
                                 : static_cast<REFERENCE_TIME>(sound_bytes / 4) * UNITS / 44100 - preroll;
        if (!video)
            sound_bytes += c.size;
        REFERENCE_TIME block = t >= 0 ? t / interleave : -1 - (-t - 1) / interleave;
        ASSERT_GE(block, last_block) << "chunk at " << c.offset;
        if (block != last_block)
            video_in_block = false;
        if (!video) {
            ASSERT_FALSE(video_in_block) << "sound after video inside block " << block;
        }
        video_in_block = video_in_block || video;
        last_block = block;
    }
}

TEST(AviWriter, LiveRecordingReadsBackWithItsCountsIndexAndOrder)
{
    auto path = temp_file("live.avi");
    dshow::AviWriter writer;
    ASSERT_EQ(record(writer, path, {}), S_OK);

    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    const auto& main = reader.main_header();
    EXPECT_EQ(main.dwStreams, 2u);
    EXPECT_EQ(main.dwTotalFrames, 125u);
    EXPECT_EQ(main.dwMicroSecPerFrame, 40000u);
    EXPECT_EQ(main.dwWidth, 720u);
    EXPECT_EQ(main.dwHeight, 576u);
    EXPECT_EQ(main.dwFlags, dshow::avi::AVIF_HASINDEX | dshow::avi::AVIF_ISINTERLEAVED | dshow::avi::AVIF_TRUSTCKTYPE);
    EXPECT_GE(main.dwSuggestedBufferSize, 720u * 576 * 2);
    EXPECT_EQ(reader.riff_count(), 1u);
    EXPECT_FALSE(reader.open_dml());

    ASSERT_EQ(reader.streams().size(), 2u);
    const auto& v = reader.streams()[0];
    EXPECT_TRUE(v.video);
    EXPECT_EQ(v.chunk_id, MAKEFOURCC('0', '0', 'd', 'c'));
    EXPECT_EQ(v.header.fccHandler, FOURCC_YUY2);
    EXPECT_EQ(v.bitmap.biCompression, FOURCC_YUY2);
    EXPECT_EQ(v.bitmap.biSizeImage, 720u * 576 * 2);
    EXPECT_EQ(v.header.dwLength, 125u);
    EXPECT_EQ(v.header.dwScale, 1u);
    EXPECT_EQ(v.header.dwRate, 25u);
    EXPECT_EQ(v.header.dwQuality, 0xFFFFFFFFu);
    EXPECT_EQ(v.name, "Video");
    EXPECT_DOUBLE_EQ(v.duration_seconds(), 5.0);

    const auto& a = reader.streams()[1];
    EXPECT_FALSE(a.video);
    EXPECT_EQ(a.chunk_id, MAKEFOURCC('0', '1', 'w', 'b'));
    EXPECT_EQ(a.wave.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(a.header.dwScale, 4u);
    EXPECT_EQ(a.header.dwRate, 176400u);
    EXPECT_EQ(a.header.dwSampleSize, 4u);
    EXPECT_EQ(a.header.dwLength, 5u * 44100);
    EXPECT_DOUBLE_EQ(a.duration_seconds(), 5.0);

    EXPECT_EQ(reader.idx1_entries(), reader.chunks().size());
    for (const auto& c : reader.chunks())
        EXPECT_TRUE(c.keyframe);
    expect_interleaved(reader, UNITS, 0);

    std::vector<BYTE> data;
    for (int n : { 0, 17, 124 }) {
        ASSERT_EQ(reader.read_frame(0, static_cast<std::size_t>(n), data), S_OK);
        EXPECT_EQ(data, frame_bytes(n)) << "frame " << n;
    }
    // The sound comes back byte for byte, across chunks.
    ULONGLONG at = 0;
    bool same = true;
    for (const auto& c : reader.stream_chunks(1)) {
        ASSERT_EQ(reader.read_chunk(c, data), S_OK);
        for (auto b : data)
            same = same && b == sound_byte(at++);
    }
    EXPECT_TRUE(same);
    EXPECT_EQ(at, 5u * 176400);
}

TEST(AviWriter, OutsideReaderAgreesOnFramesAndDuration)
{
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto path = temp_file("probe.avi");
    dshow::AviWriter writer;
    ASSERT_EQ(record(writer, path, {}), S_OK);
    auto video = test_support::ffprobe(path, "v:0", "stream=codec_name,width,height,nb_frames,nb_read_frames,duration,r_frame_rate");
    EXPECT_EQ(video["codec_name"], "rawvideo") << video["error"];
    EXPECT_EQ(video["width"], "720");
    EXPECT_EQ(video["height"], "576");
    EXPECT_EQ(video["nb_read_frames"], "125");
    EXPECT_EQ(video["r_frame_rate"], "25/1");
    EXPECT_NEAR(std::stod(video["duration"]), 5.0, 0.001);
    auto sound = test_support::ffprobe(path, "a:0", "stream=codec_name,sample_rate,channels:format=duration", false);
    EXPECT_EQ(sound["codec_name"], "pcm_s16le") << sound["error"];
    EXPECT_EQ(sound["sample_rate"], "44100");
    EXPECT_EQ(sound["channels"], "2");
    EXPECT_NEAR(std::stod(sound["duration"]), 5.0, 0.001);
}

struct ModeCase {
    const char* name;
    InterleavingMode mode;
    bool video_first;
    REFERENCE_TIME preroll;
    bool interleaved; // the file's chunks come in block order
};

class AviInterleaving : public testing::TestWithParam<ModeCase> { };

TEST_P(AviInterleaving, ChunkOrderFollowsTheMode)
{
    const auto& c = GetParam();
    auto path = temp_file(std::string("mode-") + c.name + ".avi");
    dshow::AviWriter writer;
    writer.options().mode = c.mode;
    writer.options().interleave = UNITS / 2;
    writer.options().preroll = c.preroll;
    Feed feed;
    feed.frames = 50;
    feed.sound_seconds = 2.0;
    feed.video_first = c.video_first;
    ASSERT_EQ(record(writer, path, feed), S_OK);
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    EXPECT_EQ(reader.streams()[0].chunks, 50u);
    EXPECT_EQ(reader.streams()[1].bytes, 2u * 176400);
    bool flagged = (reader.main_header().dwFlags & dshow::avi::AVIF_ISINTERLEAVED) != 0;
    EXPECT_EQ(flagged, c.mode == INTERLEAVE_CAPTURE || c.mode == INTERLEAVE_FULL);
    if (c.interleaved) {
        expect_interleaved(reader, UNITS / 2, c.preroll);
    } else {
        // Arrival order: every frame before any sound.
        const auto& chunks = reader.chunks();
        auto first_sound = std::find_if(chunks.begin(), chunks.end(), [](auto& k) { return k.stream == 1; });
        EXPECT_EQ(first_sound - chunks.begin(), 50);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, AviInterleaving,
    testing::Values(ModeCase { "none", INTERLEAVE_NONE, true, 0, false },
        ModeCase { "none_buffered", INTERLEAVE_NONE_BUFFERED, true, 0, false },
        ModeCase { "capture_live", INTERLEAVE_CAPTURE, false, 0, true },
        ModeCase { "capture_preroll", INTERLEAVE_CAPTURE, false, UNITS / 4, true },
        ModeCase { "full_live", INTERLEAVE_FULL, false, 0, true },
        ModeCase { "full_out_of_order", INTERLEAVE_FULL, true, 0, true },
        ModeCase { "full_preroll", INTERLEAVE_FULL, true, UNITS / 4, true }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AviWriter, CaptureModeNeverWaitsForASilentStream)
{
    // Video runs far ahead of a sound stream that delivers nothing until the end: the frames
    // reach the file while recording, not only at close.
    auto path = temp_file("silent.avi");
    dshow::AviWriter writer;
    writer.options().mode = INTERLEAVE_CAPTURE;
    int video = writer.add_video_stream(dshow::make_yuy2_format(width, height, frame_time));
    writer.add_audio_stream(dshow::make_pcm_format(44100, 2, 16));
    ASSERT_EQ(writer.open(path), S_OK);
    for (int n = 0; n < 100; ++n)
        ASSERT_EQ(writer.write(video, frame_bytes(n), n * frame_time), S_OK);
    EXPECT_GE(writer.chunks(video), 70u);
    EXPECT_GT(std::filesystem::file_size(path), 70u * 720 * 576 * 2);
    ASSERT_EQ(writer.close(), S_OK);
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    EXPECT_EQ(reader.streams()[0].chunks, 100u);
    EXPECT_EQ(reader.streams()[1].chunks, 0u);
}

TEST(AviWriter, DroppedFramesLeaveIndexedGapsThatKeepTheTiming)
{
    auto path = temp_file("dropped.avi");
    dshow::AviWriter writer;
    Feed feed;
    feed.dropped = { 10, 11, 50 };
    ASSERT_EQ(record(writer, path, feed), S_OK);
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    const auto& v = reader.streams()[0];
    EXPECT_EQ(v.chunks, 125u);
    EXPECT_EQ(v.empty_chunks, 3u);
    EXPECT_EQ(v.header.dwLength, 125u);
    EXPECT_DOUBLE_EQ(v.duration_seconds(), 5.0);
    auto frames = reader.stream_chunks(0);
    for (int n = 0; n < 125; ++n) {
        bool gap = feed.dropped.count(n) > 0;
        EXPECT_EQ(frames[n].size == 0, gap) << n;
        EXPECT_EQ(frames[n].keyframe, !gap) << n;
    }
    std::vector<BYTE> data;
    ASSERT_EQ(reader.read_frame(0, 12, data), S_OK);
    EXPECT_EQ(data, frame_bytes(12));
    if (test_support::have_ffprobe()) {
        auto probe = test_support::ffprobe(path, "v:0", "stream=duration,nb_frames", false);
        EXPECT_EQ(probe["nb_frames"], "125") << probe["error"];
        EXPECT_NEAR(std::stod(probe["duration"]), 5.0, 0.001);
    }
}

TEST(AviWriter, LeadingGapsAlignBothStreamsOnTimeZero)
{
    // Sound starts at 0, the capture pin is switched on 0.2 s later: five empty frames first.
    auto path = temp_file("late-video.avi");
    dshow::AviWriter writer;
    int video = writer.add_video_stream(dshow::make_yuy2_format(width, height, frame_time));
    int sound = writer.add_audio_stream(dshow::make_pcm_format(44100, 2, 16));
    ASSERT_EQ(writer.open(path), S_OK);
    std::vector<BYTE> pcm(4410 * 4, 0x11);
    for (int k = 0; k < 10; ++k) {
        ASSERT_EQ(writer.write(sound, pcm, k * UNITS / 10), S_OK);
        for (int n = 0; n < 25; ++n) {
            REFERENCE_TIME t = n * frame_time;
            if (t >= UNITS / 5 && t >= k * UNITS / 10 && t < (k + 1) * UNITS / 10) {
                ASSERT_EQ(writer.write(video, frame_bytes(n), t), S_OK);
            }
        }
    }
    ASSERT_EQ(writer.close(), S_OK);
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    auto frames = reader.stream_chunks(0);
    ASSERT_EQ(frames.size(), 25u);
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(frames[n].size, 0u);
    EXPECT_EQ(frames[5].size, 720u * 576 * 2);
    EXPECT_EQ(reader.streams()[1].bytes, 10u * 4410 * 4);
}

TEST(AviWriter, SoundMasterStreamRewritesTheVideoRate)
{
    // 125 frames against 5.2 s of sound: the video must last 5.2 s too.
    auto path = temp_file("master.avi");
    dshow::AviWriter writer;
    writer.set_master_stream(1);
    Feed feed;
    feed.sound_seconds = 5.2;
    ASSERT_EQ(record(writer, path, feed), S_OK);
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    EXPECT_EQ(reader.main_header().dwMicroSecPerFrame, 41600u);
    const auto& v = reader.streams()[0];
    EXPECT_EQ(v.header.dwLength, 125u);
    EXPECT_EQ(static_cast<ULONGLONG>(v.header.dwScale) * 1000000 / v.header.dwRate, 41600u);
    EXPECT_DOUBLE_EQ(v.duration_seconds(), reader.streams()[1].duration_seconds());
    EXPECT_NEAR(v.duration_seconds(), 5.2, 1e-9);
    if (test_support::have_ffprobe()) {
        auto probe = test_support::ffprobe(path, "v:0", "stream=duration", false);
        EXPECT_NEAR(std::stod(probe["duration"]), 5.2, 0.001) << probe["error"];
    }
}

TEST(AviWriter, MasterStreamWithoutSoundChangesNothing)
{
    struct Case {
        int master;
        double sound_seconds;
    };
    for (auto c : { Case { 1, 0 }, Case { 0, 5.2 }, Case { 7, 5.2 } }) {
        auto path = temp_file("master-none.avi");
        dshow::AviWriter writer;
        writer.set_master_stream(c.master);
        Feed feed;
        feed.sound_seconds = c.sound_seconds;
        ASSERT_EQ(record(writer, path, feed), S_OK);
        dshow::AviReader reader;
        ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
        EXPECT_EQ(reader.main_header().dwMicroSecPerFrame, 40000u) << c.master;
        EXPECT_EQ(reader.streams()[0].header.dwRate, 25u);
        EXPECT_EQ(reader.streams()[0].header.dwScale, 1u);
    }
}

class AviOpenDml : public testing::TestWithParam<bool> { };

TEST_P(AviOpenDml, LargeFilesContinueInExtensionRiffs)
{
    bool compatibility_index = GetParam();
    auto path = temp_file(compatibility_index ? "odml.avi" : "odml-only.avi");
    dshow::AviWriter writer;
    writer.options().riff_limit = 8u << 20;
    writer.options().compatibility_index = compatibility_index;
    ASSERT_EQ(record(writer, path, {}), S_OK);
    EXPECT_TRUE(writer.stats().open_dml);

    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    EXPECT_TRUE(reader.open_dml());
    EXPECT_GE(reader.riff_count(), 12u);
    EXPECT_EQ(reader.dml_total_frames(), 125u);
    EXPECT_EQ(reader.has_idx1(), compatibility_index);
    ULONGLONG first_riff_frames = 0;
    for (const auto& c : reader.chunks())
        if (c.riff == 0 && c.stream == 0)
            ++first_riff_frames;
    EXPECT_LT(first_riff_frames, 125u);
    EXPECT_EQ(reader.main_header().dwTotalFrames, first_riff_frames);
    for (const auto& s : reader.streams())
        EXPECT_TRUE(s.super_index);
    EXPECT_EQ(reader.streams()[0].header.dwLength, 125u);
    EXPECT_EQ(reader.streams()[1].header.dwLength, 5u * 44100);
    for (const auto& c : reader.chunks())
        EXPECT_LE(c.offset - 0, reader.file_size());
    std::vector<BYTE> data;
    ASSERT_EQ(reader.read_frame(0, 120, data), S_OK);
    EXPECT_EQ(data, frame_bytes(120));
    expect_interleaved(reader, UNITS, 0);

    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto video = test_support::ffprobe(path, "v:0", "stream=nb_read_frames,duration");
    EXPECT_EQ(video["nb_read_frames"], "125") << video["error"];
    EXPECT_NEAR(std::stod(video["duration"]), 5.0, 0.001);
    auto sound = test_support::ffprobe(path, "a:0", "format=duration", false);
    EXPECT_NEAR(std::stod(sound["duration"]), 5.0, 0.001) << sound["error"];
}

INSTANTIATE_TEST_SUITE_P(Index, AviOpenDml, testing::Bool(),
    [](const auto& info) { return info.param ? std::string("WithIdx1") : std::string("OpenDmlOnly"); });

TEST(AviWriter, VideoOnlyFileIsValid)
{
    auto path = temp_file("video-only.avi");
    dshow::AviWriter writer;
    Feed feed;
    feed.sound_seconds = 0;
    feed.frames = 10;
    ASSERT_EQ(record(writer, path, feed), S_OK);
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    EXPECT_EQ(reader.main_header().dwStreams, 1u);
    EXPECT_EQ(reader.main_header().dwTotalFrames, 10u);
}

TEST(AviWriter, OpenFailuresAreReportedAsWin32Results)
{
    auto blocker = temp_file("plain-file");
    { FILE* f = std::fopen(blocker.c_str(), "w"); std::fclose(f); }
    std::filesystem::create_directories(temp_file("a-folder"));
    struct Case {
        std::string path;
        HRESULT expected;
    };
    for (const auto& c : { Case { temp_file("missing/dir/x.avi"), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) },
             Case { blocker + "/x.avi", HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) },
             Case { temp_file("a-folder"), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) } }) {
        dshow::AviWriter writer;
        writer.add_video_stream(dshow::make_yuy2_format(width, height, frame_time));
        EXPECT_EQ(writer.open(c.path), c.expected) << c.path;
        EXPECT_FALSE(writer.is_open());
        EXPECT_EQ(writer.write(0, frame_bytes(0), 0), E_UNEXPECTED);
    }
}

TEST(AviWriter, FullDiskFailsTheRecording)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    dshow::AviWriter writer;
    int video = writer.add_video_stream(dshow::make_yuy2_format(width, height, frame_time));
    ASSERT_EQ(writer.open("/dev/full"), S_OK);
    HRESULT hr = S_OK;
    for (int n = 0; n < 10 && SUCCEEDED(hr); ++n)
        hr = writer.write(video, frame_bytes(n), n * frame_time);
    EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_DISK_FULL));
    EXPECT_EQ(writer.write(video, frame_bytes(11), 11 * frame_time), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
    EXPECT_EQ(writer.close(), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
}

TEST(AviWriter, StreamsAreFixedOnceTheFileIsOpen)
{
    auto path = temp_file("fixed.avi");
    dshow::AviWriter writer;
    EXPECT_EQ(writer.open(path), E_INVALIDARG); // no stream
    auto bad = dshow::make_pcm_format(44100, 2, 16);
    bad.nBlockAlign = 3;
    EXPECT_EQ(writer.add_audio_stream(bad), -1);
    EXPECT_EQ(writer.add_video_stream(dshow::make_yuy2_format(width, height, frame_time)), 0);
    ASSERT_EQ(writer.open(path), S_OK);
    EXPECT_EQ(writer.add_audio_stream(dshow::make_pcm_format(44100, 2, 16)), -1);
    EXPECT_EQ(writer.write(1, frame_bytes(0), 0), E_INVALIDARG);
    EXPECT_EQ(writer.close(), S_OK);
    EXPECT_EQ(writer.close(), E_UNEXPECTED);
    dshow::AviReader reader;
    EXPECT_EQ(reader.open(path), S_OK) << reader.problem();
    EXPECT_EQ(reader.streams()[0].chunks, 0u);
}

}
