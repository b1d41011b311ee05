// AVI capture through the engine: the capture graph written to a genuine AVI file with the
// card's picture and sound, the preview kept while it records and restored afterwards, the
// file-name defaults, the compressors and the audio device chosen by name, the statistics and
// the failures the user is told about.

#include "EngineFixture.h"

#include "Ffprobe.h"
#include "PlainWindow.h"
#include "TempHome.h"

#include <ShownPicture.h>
#include <base/Path.h>
#include <base/Text.h>
#include <dshow/AviReader.h>
#include <dshow/Compressors.h>
#include <dshow/SystemFilters.h>
#include <dshow/VideoRenderer.h>
#include <media/MediaIn.h>
#include <sim/SoundCard.h>
#include <sim/TestPicture.h>
#include <sim/TestTone.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace engine_test;

class CaptureTv : public STv {
public:
    using STv::m_audioCaptureName;
    using STv::m_audioRenderer;
    using STv::m_captureFile;
    using STv::m_captureGraphActive;
    using STv::m_droppedFrames;
    using STv::m_graph;
    using STv::m_passedBaseline;
    using STv::m_recordingTarget;
    using STv::m_running;

    explicit CaptureTv(HWND client = nullptr, const char* renderer = nullptr)
        : STv("", client, 0, 0, renderer, nullptr)
    {
    }

    bool has_filter(const char16_t* name) const
    {
        CComPtr<IBaseFilter> found;
        return SUCCEEDED(m_graph->FindFilterByName(name, &found));
    }
    // Frames the capture pin passed since it was switched on.
    LONG passed() const
    {
        LONG n = 0;
        if (m_droppedFrames)
            m_droppedFrames->GetNumNotDropped(&n);
        return n - m_passedBaseline;
    }
    // Waits (on the streaming thread's pace, not the clock's) until `frames` have passed.
    bool wait_frames(LONG frames) const
    {
        for (int i = 0; i < 20000 && passed() < frames; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return passed() >= frames;
    }
};

// A dropped-frames counter with fixed numbers.
class FixedDrops final : public com::Object<IAMDroppedFrames> {
public:
    FixedDrops(LONG dropped, LONG passed)
        : dropped(dropped)
        , passed(passed)
    {
    }
    STDMETHODIMP GetNumDropped(LONG* n) override { return *n = dropped, S_OK; }
    STDMETHODIMP GetNumNotDropped(LONG* n) override { return *n = passed, S_OK; }
    STDMETHODIMP GetDroppedInfo(LONG, LONG*, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAverageFrameSize(LONG*) override { return E_NOTIMPL; }
    LONG dropped;
    LONG passed;
};

class SecondsTarget final : public SMediaIn {
public:
    SecondsTarget()
        : SMediaIn("")
    {
    }
    bool Start() override { return true; }
    bool Stop() override { return true; }
    LONG GetFileSize() override { return 4096; }
    LONG GetElapsed() override { return 42; }
    void ShowPreview(bool) override { }
};

class EngineCapture : public EngineRecordingTest {
protected:
    // Sound cards whose wave-in devices (audio capture devices) have these names.
    void install_wave_in(const std::vector<std::string>& names)
    {
        std::vector<sim::SoundCardDescription> descriptions;
        for (const std::string& name : names) {
            descriptions.push_back(sim::default_sound_card());
            descriptions.back().wave_in = mm::WaveDevice { name };
        }
        install_sound_cards(descriptions);
    }
};

TEST_F(EngineCapture, RecordsTheTunedChannelWithSoundWhileThePreviewRunsAndShowsItAgainAfterwards)
{
    sim::install_cards({ card() });
    std::string file = folder / "news.avi";
    LONG frames = 0;
    {
        CaptureTv tv(client, "Default WaveOut Device");
        tv.SetChannel(5);
        tv.STvShow(true);
        ASSERT_TRUE(tv.IsVideoShown());
        ASSERT_TRUE(video_window());

        ASSERT_TRUE(tv.StartCapture(windows("news.avi").c_str(), "<No COMPRESSION>", nullptr, nullptr));
        EXPECT_TRUE(tv.IsRecording());
        EXPECT_FALSE(tv.has_filter(u"compressor"));
        EXPECT_TRUE(tv.has_filter(u"Tee"));
        // The preview goes on: picture in the client window, sound through the tee's other branch.
        HWND video = video_window();
        ASSERT_TRUE(video);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));
        EXPECT_TRUE(audio_out_plays(tv.m_graph, tv.m_audioRenderer));

        ASSERT_TRUE(tv.wait_frames(50));
        LONG size = tv.GetFileSize();
        EXPECT_GT(size, 0);
        ASSERT_TRUE(tv.StopRecording(true));
        EXPECT_FALSE(tv.IsRecording());
        EXPECT_FALSE(tv.has_filter(u"AVI Mux"));
        EXPECT_GT(tv.GetFileSize(), size);

        // The picture is back in the window, as a preview graph again.
        EXPECT_TRUE(tv.IsVideoShown());
        EXPECT_FALSE(tv.m_captureGraphActive);
        video = video_window();
        ASSERT_TRUE(video);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));
        tv.STvShow(false);
    }
    EXPECT_TRUE(box_texts().empty());

    dshow::AviReader reader;
    ASSERT_EQ(reader.open(file), S_OK) << reader.problem();
    ASSERT_EQ(reader.streams().size(), 2u);
    const auto& video = reader.streams()[0];
    EXPECT_TRUE(video.video);
    EXPECT_EQ(video.bitmap.biWidth, 720);
    EXPECT_EQ(video.bitmap.biHeight, 576);
    EXPECT_GE(video.chunks, 50u);
    // Time zero is the first sound; a slot before the first frame stays empty.
    EXPECT_LE(video.empty_chunks, 2u);
    frames = static_cast<LONG>(video.chunks);
    EXPECT_TRUE(reader.has_idx1());
    std::vector<BYTE> frame;
    for (std::size_t n = 0; frame.empty() && n < 3; ++n)
        ASSERT_EQ(reader.read_frame(0, n, frame), S_OK);
    auto seen = sim::identify_picture(frame.data(), 720, 576);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->source, sim::PictureSource::channel(5));
    // The sound is the channel's tone, and the sound is the master stream: both end together.
    const auto& sound = reader.streams()[1];
    EXPECT_FALSE(sound.video);
    EXPECT_NEAR(sound.duration_seconds(), video.duration_seconds(), 0.05);
    std::vector<BYTE> pcm;
    ASSERT_EQ(reader.read_frame(1, 1, pcm), S_OK);
    EXPECT_EQ(sim::identify_tone(reinterpret_cast<const std::int16_t*>(pcm.data()), pcm.size() / 4, 2, 44100),
        sim::PictureSource::channel(5));

    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto probe = test_support::ffprobe(file, "v:0", "stream=nb_read_frames,width,height");
    ASSERT_FALSE(probe["nb_read_frames"].empty()) << probe["error"];
    EXPECT_GE(std::stoi(probe["nb_read_frames"]), frames - static_cast<LONG>(video.empty_chunks));
    EXPECT_LE(std::stoi(probe["nb_read_frames"]), frames);
    EXPECT_EQ(test_support::ffprobe(file, "a:0", "stream=codec_name", false)["codec_name"], "pcm_s16le");
}

TEST_F(EngineCapture, WithoutPathTheFileIsTmpAviInTheCurrentFolderAndAnyExtensionGetsAnAviFile)
{
    sim::install_cards({ card() });
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    {
        CaptureTv tv;
        ASSERT_TRUE(tv.StartCapture(nullptr, nullptr, nullptr, nullptr));
        EXPECT_STREQ(tv.GetCaptureFile(), ".\\tmp.avi");
        ASSERT_TRUE(tv.wait_frames(3));
        // A second start while it runs changes nothing.
        ASSERT_TRUE(tv.StartCapture(windows("other.avi").c_str(), nullptr, nullptr, nullptr));
        EXPECT_STREQ(tv.GetCaptureFile(), ".\\tmp.avi");
        ASSERT_TRUE(tv.StopRecording(true));
        EXPECT_FALSE(tv.IsVideoShown()); // it was not shown before

        ASSERT_TRUE(tv.StartCapture(windows("sound.wav").c_str(), nullptr, nullptr, nullptr));
        ASSERT_TRUE(tv.wait_frames(3));
        ASSERT_TRUE(tv.StopRecording(true));
    }
    std::filesystem::current_path(previous);
    EXPECT_FALSE(std::filesystem::exists(folder / "other.avi"));
    for (const char* name : { "tmp.avi", "sound.wav" }) {
        dshow::AviReader reader;
        EXPECT_EQ(reader.open(folder / name), S_OK) << name << ": " << reader.problem();
        EXPECT_EQ(reader.streams().size(), 2u) << name;
    }
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(EngineCapture, AFolderThatDoesNotExistIsReportedAndNothingRecords)
{
    sim::install_cards({ card() });
    CaptureTv tv;
    EXPECT_FALSE(tv.StartCapture(windows("missing/news.avi").c_str(), nullptr, nullptr, nullptr));
    EXPECT_FALSE(tv.IsRecording());
    EXPECT_EQ(box_texts(),
        std::vector<std::string> { "Cannot set output file.   (STvBuildCaptureGraph)\n    Return code = 80070003" });
}

TEST_F(EngineCapture, AGraphThatWillNotStopKeepsTheCaptureFlagged)
{
    auto stubborn = card();
    stubborn.stop_fails = true;
    sim::install_cards({ stubborn });
    CaptureTv tv;
    ASSERT_TRUE(tv.StartCapture(windows("a.avi").c_str(), nullptr, nullptr, nullptr));
    EXPECT_FALSE(tv.StopRecording(true));
    EXPECT_TRUE(tv.IsRecording());
}

TEST_F(EngineCapture, TheDropRatioCountsOnlyFramesSinceCaptureBegan)
{
    sim::install_cards({ card() });
    CaptureTv tv;
    float ratio = -1.0f;
    EXPECT_FALSE(tv.GetStatistic("dropratio", &ratio)); // no capture, no counter

    struct Case {
        LONG dropped, passed, baseline;
        bool known;
        float ratio;
    };
    const Case cases[] = {
        { 5, 95, 0, true, 0.05f },
        { 0, 0, 0, false, 0.0f }, // nothing passed
        { 3, 40, 40, false, 0.0f }, // nothing passed since capture began
        { 0, 41, 40, true, 0.0f },
    };
    for (const Case& c : cases) {
        tv.m_droppedFrames.Attach(new FixedDrops(c.dropped, c.passed));
        tv.m_passedBaseline = c.baseline;
        ratio = -1.0f;
        EXPECT_EQ(tv.GetStatistic("DropRatio", &ratio), c.known) << c.dropped << "/" << c.passed;
        if (c.known) {
            EXPECT_FLOAT_EQ(ratio, c.ratio);
        }
    }
    EXPECT_FALSE(tv.GetStatistic("frames", &ratio));
}

TEST_F(EngineCapture, DurationAndSizeComeFromTheTargetWhileOneRecords)
{
    sim::install_cards({ card() });
    CaptureTv tv;
    tv.STvShow(true);
    LONG seconds = -1;
    EXPECT_TRUE(tv.GetStatistic("duration", &seconds)); // the engine graph's own position
    tv.m_recordingTarget = new SecondsTarget;
    EXPECT_TRUE(tv.GetStatistic("DURATION", &seconds));
    EXPECT_EQ(seconds, 42);
    EXPECT_EQ(tv.GetElapsedSeconds(), 42);
    EXPECT_EQ(tv.GetFileSize(), 4096);
    tv.STvShow(false);
}

TEST_F(EngineCapture, TheFileSizeIsTheLow32BitsAndUnknownWithoutAFile)
{
    sim::install_cards({ card() });
    CaptureTv tv;
    EXPECT_EQ(tv.GetFileSize(), -1);
    std::string big = folder / "big.avi";
    { std::ofstream(big).put('x'); }
    ASSERT_EQ(truncate(big.c_str(), (1ll << 32) + 1234), 0); // sparse
    base::copy_bounded(tv.m_captureFile, sizeof tv.m_captureFile, windows("big.avi"));
    EXPECT_EQ(tv.GetFileSize(), 1234);
    base::copy_bounded(tv.m_captureFile, sizeof tv.m_captureFile, windows("gone.avi"));
    EXPECT_EQ(tv.GetFileSize(), -1);
}


TEST_F(EngineCapture, CompressorsAreChosenByTheirExactNameAndWriteStreamsThatOutsideReadersDecode)
{
    dshow::register_compressor_devices();
    sim::install_cards({ card() });
    struct Case {
        const char* video;
        const char* audio;
        bool video_compressed;
        bool audio_compressed;
        const char* video_codec; // as ffprobe names it
        const char* audio_codec;
    };
    const Case cases[] = {
        { "Motion JPEG Compressor", "MPEG Layer-3", true, true, "mjpeg", "mp3" },
        { "Huffyuv Lossless Compressor", "IMA ADPCM", true, true, "huffyuv", "adpcm_ima_wav" },
        { "MPEG-4 Video Compressor", "<no compression>", true, false, "mpeg4", "pcm_s16le" },
        { "motion jpeg compressor", "mpeg layer-3", false, false, "rawvideo", "pcm_s16le" }, // the case counts
        { "<NO COMPRESSION>", nullptr, false, false, "rawvideo", "pcm_s16le" },
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.video);
        std::string name = "c";
        name += std::to_string(n++) + ".avi";
        {
            CaptureTv tv;
            tv.SetChannel(9);
            ASSERT_TRUE(tv.StartCapture(windows(name).c_str(), c.video, c.audio, nullptr));
            EXPECT_EQ(tv.has_filter(u"compressor"), c.video_compressed);
            EXPECT_EQ(tv.has_filter(u"audioCompressor"), c.audio_compressed);
            ASSERT_TRUE(tv.wait_frames(30));
            ASSERT_TRUE(tv.StopRecording(true));
        }
        dshow::AviReader reader;
        ASSERT_EQ(reader.open(folder / name), S_OK) << reader.problem();
        ASSERT_EQ(reader.streams().size(), 2u);
        EXPECT_GE(reader.streams()[0].chunks, 30u);
        EXPECT_EQ(reader.streams()[0].bitmap.biCompression != 0x32595559u /* 'YUY2' */, c.video_compressed);
        EXPECT_EQ(reader.streams()[1].wave.wFormatTag != WAVE_FORMAT_PCM, c.audio_compressed);
        EXPECT_GT(reader.streams()[1].bytes, 0u);
        if (test_support::have_ffprobe()) {
            auto video = test_support::ffprobe(folder / name, "v:0", "stream=codec_name,nb_read_frames,width");
            EXPECT_EQ(video["codec_name"], c.video_codec) << video["error"];
            EXPECT_EQ(video["nb_read_frames"], std::to_string(reader.streams()[0].chunks));
            EXPECT_EQ(video["width"], "720");
            auto sound = test_support::ffprobe(folder / name, "a:0", "stream=codec_name,nb_read_frames");
            EXPECT_EQ(sound["codec_name"], c.audio_codec) << sound["error"];
            EXPECT_NE(sound["nb_read_frames"], "0");
        }
    }
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(folder / "c1.avi"), S_OK);
    EXPECT_EQ(reader.streams()[0].bitmap.biCompression, 0x55594648u); // 'HFYU'
    EXPECT_GT(reader.streams()[0].bitmap.biSize, sizeof(BITMAPINFOHEADER)); // its tables follow
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(EngineCapture, WithoutAnAudioPinTheSoundComesFromTheFirstAudioDeviceWhoseNameContainsTheGivenText)
{
    auto silent = card();
    silent.audio_pin = false;
    sim::install_cards({ silent });
    install_wave_in({ "Virtual Sound Card", "USB Headset Microphone -1", "Second Virtual Sound Card" });
    struct Case {
        const char* name;
        const char* chosen; // nullptr: no sound stream
    };
    const Case cases[] = {
        { "Sound Card", "Virtual Sound Card" },
        { "Second", "Second Virtual Sound Card" },
        { "", "Virtual Sound Card" },
        { "-1", "USB Headset Microphone -1" },
        { "sound card", nullptr }, // the case counts
        { nullptr, nullptr },
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        std::string name = "d";
        name += std::to_string(n++) + ".avi";
        {
            CaptureTv tv;
            ASSERT_TRUE(tv.StartCapture(windows(name).c_str(), nullptr, nullptr, c.name));
            EXPECT_EQ(tv.has_filter(u"audioCapture"), c.chosen != nullptr);
            if (c.chosen) {
                EXPECT_STREQ(tv.m_audioCaptureName, c.chosen);
            }
            ASSERT_TRUE(tv.wait_frames(20));
            ASSERT_TRUE(tv.StopRecording(true));
        }
        dshow::AviReader reader;
        ASSERT_EQ(reader.open(folder / name), S_OK) << reader.problem();
        ASSERT_EQ(reader.streams().size(), c.chosen ? 2u : 1u);
        if (c.chosen) {
            std::vector<BYTE> pcm;
            ASSERT_EQ(reader.read_frame(1, 0, pcm), S_OK);
            // The sound card's line input: what a TV card's cable brings there.
            EXPECT_EQ(sim::identify_tone(reinterpret_cast<const std::int16_t*>(pcm.data()), pcm.size() / 4, 2, 44100),
                sim::PictureSource::input(1));
        }
    }
}

TEST_F(EngineCapture, ACardWithItsOwnAudioPinNeverUsesTheAudioDevice)
{
    sim::install_cards({ card() });
    install_wave_in({ "Virtual Sound Card" });
    {
        CaptureTv tv;
        tv.SetChannel(4);
        ASSERT_TRUE(tv.StartCapture(windows("own.avi").c_str(), nullptr, nullptr, "Virtual"));
        EXPECT_FALSE(tv.has_filter(u"audioCapture"));
        ASSERT_TRUE(tv.wait_frames(10));
        ASSERT_TRUE(tv.StopRecording(true));
    }
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(folder / "own.avi"), S_OK) << reader.problem();
    std::vector<BYTE> pcm;
    ASSERT_EQ(reader.read_frame(1, 1, pcm), S_OK);
    EXPECT_EQ(sim::identify_tone(reinterpret_cast<const std::int16_t*>(pcm.data()), pcm.size() / 4, 2, 44100),
        sim::PictureSource::channel(4));
}

}
