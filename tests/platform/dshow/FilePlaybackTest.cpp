// Playing files a user has: RenderFile through the file source and its decoders, the graph's
// events, positions, seeking and rate, the partial-render warnings, and the sound output. Files
// are made by ffmpeg in the test; time is the virtual clock's.

#include "MediaFiles.h"
#include "TempHome.h"

#include <base/Clock.h>
#include <base/Errors.h>
#include <base/Files.h>
#include <base/Path.h>
#include <base/Text.h>
#include <com/Apartment.h>
#include <com/ClassRegistry.h>
#include <dshow/AudioRenderer.h>
#include <dshow/EventInterfaces.h>
#include <dshow/FileSource.h>
#include <dshow/FilterGraph.h>
#include <dshow/SeekingInterfaces.h>
#include <dshow/SystemFilters.h>
#include <dshow/VfwErrors.h>
#include <dshow/VideoRenderer.h>
#include <gdi/Surface.h>
#include <user/Messages.h>
#include <user/Paint.h>
#include <user/Window.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr UINT kNotify = 0x400 + 137;

template<typename I>
CComPtr<I> query(IUnknown* object)
{
    CComPtr<I> out;
    object->QueryInterface(com::iid_of<I>(), reinterpret_cast<void**>(&out));
    return out;
}

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

class FilePlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = test_support::make_temp_dir("playback");
    }
    void SetUp() override
    {
        if (!test_support::have_ffmpeg())
            GTEST_SKIP() << "ffmpeg is not installed";
        CoInitialize(nullptr);
        dshow::register_classes();
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 11, 20, 0, 0));
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph)), S_OK);
        control = query<IMediaControl>(graph);
        events = query<IMediaEventEx>(graph);
        position = query<IMediaPosition>(graph);
        seeking = query<IMediaSeeking>(graph);
    }
    void TearDown() override
    {
        if (control)
            control->Stop();
        seeking.Release();
        position.Release();
        events.Release();
        control.Release();
        graph.Release();
        if (owner)
            DestroyWindow(owner);
        com::enable_all_classes();
        base::Clock::install_real();
        CoUninitialize();
    }

    // A file made once per test program, by name.
    static std::string file(const std::string& name, const test_support::MediaRecipe& recipe)
    {
        std::string path = dir + "/" + name;
        if (test_support::read_bytes(path).empty())
            test_support::make_media_file(path, recipe);
        return path;
    }
    static std::string avi() { return file("clip.avi", { "-c:v mjpeg -c:a pcm_s16le" }); }
    static std::string wav() { return file("tone.wav", { "-c:a pcm_s16le", false }); }

    HRESULT render(const std::string& path) { return graph->RenderFile(base::to_utf16(base::to_windows_path(path)).c_str(), nullptr); }

    template<typename T>
    T* filter(const char16_t* name)
    {
        CComPtr<IBaseFilter> found;
        if (FAILED(graph->FindFilterByName(name, &found)))
            return nullptr;
        return static_cast<T*>(static_cast<IBaseFilter*>(found));
    }

    // Runs until the graph's EC_COMPLETE; the virtual milliseconds it took, or -1.
    std::int64_t play_to_end()
    {
        std::int64_t begun = base::Clock::ticks_ms();
        if (FAILED(control->Run()))
            return -1;
        return wait_complete() ? base::Clock::ticks_ms() - begun : -1;
    }
    bool wait_complete()
    {
        for (int i = 0; i < 3000; ++i) {
            LONG code = 0;
            LONG_PTR p1 = 0, p2 = 0;
            if (events->GetEvent(&code, &p1, &p2, 100) == S_OK && code == EC_COMPLETE)
                return true;
        }
        return false;
    }
    double seconds()
    {
        REFTIME at = -1;
        position->get_CurrentPosition(&at);
        return at;
    }

    static inline std::string dir;
    CComPtr<IGraphBuilder> graph;
    CComPtr<IMediaControl> control;
    CComPtr<IMediaEventEx> events;
    CComPtr<IMediaPosition> position;
    CComPtr<IMediaSeeking> seeking;
    HWND owner { nullptr };
};

struct Format {
    const char* name;
    test_support::MediaRecipe recipe;
};

void PrintTo(const Format& format, std::ostream* out) { *out << format.name; }

class EveryFormat : public FilePlayback, public ::testing::WithParamInterface<Format> { };

TEST_P(EveryFormat, PlaysToTheEndWithPictureAndSoundAndPostsTheCompletionToTheNotifyWindow)
{
    const Format& format = GetParam();
    std::string path = file(format.name, format.recipe);
    ASSERT_FALSE(path.empty());
    WNDCLASSA wc {};
    wc.lpfnWndProc = plain_proc;
    wc.lpszClassName = "PlaybackOwner";
    RegisterClassA(&wc);
    owner = CreateWindowExA(0, "PlaybackOwner", "owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);

    ASSERT_EQ(render(path), S_OK);
    ASSERT_EQ(events->SetNotifyWindow(reinterpret_cast<OAHWND>(owner), kNotify, 77), S_OK);
    REFTIME duration = 0;
    ASSERT_EQ(position->get_Duration(&duration), S_OK);
    EXPECT_NEAR(duration, 2.0, 0.1);

    EXPECT_GE(play_to_end(), 1900);
    EXPECT_NEAR(seconds(), duration, 0.001) << "the position stays at the end";
    auto* video = filter<dshow::VideoRenderer>(u"Video Renderer");
    auto* sound = filter<dshow::AudioRenderer>(u"Default DirectSound Device");
    if (format.recipe.video) {
        ASSERT_NE(video, nullptr);
        EXPECT_GE(video->frames_shown(), 45u);
    } else {
        EXPECT_EQ(video, nullptr);
    }
    ASSERT_NE(sound, nullptr);
    // Two seconds of 16-bit stereo or mono at 44.1 kHz, give or take the codec's padding.
    EXPECT_GE(sound->rendered_bytes(), 2 * 44100 * 2 * 19 / 20);
    MSG message {};
    ASSERT_TRUE(PeekMessageA(&message, owner, kNotify, kNotify, PM_REMOVE));
    EXPECT_EQ(message.lParam, 77);
}

INSTANTIATE_TEST_SUITE_P(Files, EveryFormat,
    ::testing::Values(Format { "mjpeg.avi", { "-c:v mjpeg -c:a pcm_s16le" } },
        Format { "raw.avi", { "-c:v rawvideo -pix_fmt yuyv422 -c:a pcm_s16le" } },
        Format { "tone.wav", { "-c:a pcm_s16le", false } },
        Format { "clip.wmv", { "-c:v wmv2 -c:a wmav2" } },
        Format { "tone.wma", { "-c:a wmav2", false } },
        Format { "tone.mp3", { "-c:a libmp3lame", false } },
        Format { "clip.mp4", { "-c:v libx264 -pix_fmt yuv420p -c:a aac" } },
        Format { "clip.mkv", { "-c:v mpeg4 -c:a libmp3lame" } }),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (c == '.')
                c = '_';
        return name;
    });

// Dark grey (32 of 255) stays dark grey on screen whatever the file's levels: Motion JPEG's full
// range and the studio range of the other codecs, packed directly or through the scaler.
TEST_F(FilePlayback, ColoursKeepTheirLevelsInFullAndStudioRangeFiles)
{
    struct Case {
        const char* name;
        const char* codec;
    } cases[] = {
        { "grey-mjpeg420.avi", "-c:v mjpeg -pix_fmt yuvj420p" },
        { "grey-mjpeg422.avi", "-c:v mjpeg -pix_fmt yuvj422p" },
        { "grey-mjpeg444.avi", "-c:v mjpeg -pix_fmt yuvj444p" },
        { "grey-h264.mp4", "-c:v libx264 -pix_fmt yuv420p" },
        { "grey-planar422.avi", "-c:v rawvideo -pix_fmt yuv422p" },
        { "grey-rgb.avi", "-c:v rawvideo -pix_fmt bgr24" },
        { "grey-mjpeg411.avi", "-c:v mjpeg -pix_fmt yuvj411p" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir + "/" + c.name;
        std::string command = std::string("ffmpeg -y -v error -nostdin -f lavfi -i color=c=0x202020:size=64x48:rate=25:duration=1 ")
            + c.codec + " '" + path + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            continue; // a codec this ffmpeg lacks
        graph.Release();
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph)), S_OK);
        control = query<IMediaControl>(graph);
        ASSERT_EQ(render(path), S_OK);
        auto* video = filter<dshow::VideoRenderer>(u"Video Renderer");
        ASSERT_NE(video, nullptr);
        ASSERT_EQ(control->Run(), S_OK);
        gdi::Surface shown;
        for (int i = 0; i < 2000 && shown.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            UpdateWindow(video->window());
            if (video->frames_shown() == 0 || !dshow::copy_video_picture(video->window(), shown))
                shown = {};
        }
        ASSERT_FALSE(shown.empty());
        gdi::Pixel middle = shown.row(shown.height() / 2)[shown.width() / 2];
        for (int shift : { 16, 8, 0 })
            EXPECT_NEAR(static_cast<int>((middle >> shift) & 0xFF), 32, 4) << std::hex << middle;
        control->Stop();
        control.Release();
    }
}

TEST_F(FilePlayback, StopKeepsThePositionAndRunGoesOnFromIt)
{
    ASSERT_EQ(render(avi()), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    while (seconds() < 0.5)
        Sleep(40);
    ASSERT_EQ(control->Stop(), S_OK);
    double stopped = seconds();
    EXPECT_GE(stopped, 0.5);
    EXPECT_LT(stopped, 1.0);
    Sleep(1000);
    EXPECT_DOUBLE_EQ(seconds(), stopped);
    std::int64_t rest = play_to_end();
    EXPECT_GE(rest, static_cast<std::int64_t>((2.0 - stopped) * 1000) - 100);
    EXPECT_LT(rest, 1900);
}

TEST_F(FilePlayback, ASeekSetsThePositionAndPlaysOnlyTheRest)
{
    ASSERT_EQ(render(avi()), S_OK);
    ASSERT_EQ(position->put_CurrentPosition(1.5), S_OK);
    EXPECT_DOUBLE_EQ(seconds(), 1.5);
    std::int64_t took = play_to_end();
    EXPECT_GE(took, 450);
    EXPECT_LT(took, 900);
    EXPECT_LE(filter<dshow::VideoRenderer>(u"Video Renderer")->frames_shown(), 14u);

    // Seeking a running graph goes on from there.
    ASSERT_EQ(position->put_CurrentPosition(0.0), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_EQ(position->put_CurrentPosition(1.0), S_OK);
    EXPECT_GE(seconds(), 1.0);
    EXPECT_TRUE(wait_complete());
    EXPECT_DOUBLE_EQ(seconds(), 2.0);
}

TEST_F(FilePlayback, HalfRatePlaysTwiceAsLongWithTwiceTheSound)
{
    ASSERT_EQ(render(wav()), S_OK);
    ASSERT_EQ(seeking->SetRate(0.5), S_OK);
    double rate = 0;
    ASSERT_EQ(position->get_Rate(&rate), S_OK);
    EXPECT_EQ(rate, 0.5);
    EXPECT_GE(play_to_end(), 3900);
    EXPECT_NEAR(static_cast<double>(filter<dshow::AudioRenderer>(u"Default DirectSound Device")->rendered_bytes()), 4 * 44100 * 2, 44100 * 2 / 10);
    EXPECT_EQ(seeking->SetRate(0.0), E_INVALIDARG);
    EXPECT_EQ(seeking->SetRate(-1.0), E_INVALIDARG);
}

TEST_F(FilePlayback, ALoadedFileCanBeReadButNotChangedOrDeletedUntilTheGraphLetsItGo)
{
    std::string copy = dir + "/held.avi";
    test_support::write_bytes(copy, test_support::read_bytes(avi()));
    std::string windows = base::to_windows_path(copy);
    ASSERT_EQ(render(copy), S_OK);
    FILE* reader = crt::fopen(windows.c_str(), "rb");
    EXPECT_NE(reader, nullptr);
    if (reader)
        std::fclose(reader);
    EXPECT_FALSE(DeleteFileA(windows.c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    HANDLE writer = CreateFileA(windows.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);

    seeking.Release();
    position.Release();
    events.Release();
    control.Release();
    graph.Release();
    EXPECT_TRUE(DeleteFileA(windows.c_str()));
}

TEST_F(FilePlayback, FilesThatCannotPlayFailWithoutAGraph)
{
    EXPECT_EQ(render(dir + "/missing.avi"), VFW_E_NOT_FOUND);
    std::string junk = dir + "/junk.avi";
    test_support::write_bytes(junk, std::vector<char>(5000, 'x'));
    EXPECT_EQ(render(junk), VFW_E_UNKNOWN_FILE_TYPE);
    CComPtr<IEnumFilters> filters;
    ASSERT_EQ(graph->EnumFilters(&filters), S_OK);
    IBaseFilter* any = nullptr;
    EXPECT_EQ(filters->Next(1, &any, nullptr), S_FALSE);
    REFTIME duration = 0;
    EXPECT_TRUE(FAILED(position->get_Duration(&duration)));
}

TEST_F(FilePlayback, ATruncatedFilePlaysWhatItHas)
{
    auto bytes = test_support::read_bytes(avi());
    bytes.resize(bytes.size() / 2);
    std::string cut = dir + "/cut.avi";
    test_support::write_bytes(cut, bytes);
    HRESULT hr = render(cut);
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    EXPECT_GE(play_to_end(), 0);
    EXPECT_GT(filter<dshow::VideoRenderer>(u"Video Renderer")->frames_shown(), 10u);
}

TEST_F(FilePlayback, PartialRendersAreReportedByTheirWarnings)
{
    // A video stream no decoder knows: the sound plays.
    std::string odd = file("odd.avi", { "-c:v rawvideo -pix_fmt yuyv422 -c:a pcm_s16le" });
    test_support::patch_file(odd, "YUY2", "QZQZ");
    EXPECT_EQ(render(odd), VFW_S_PARTIAL_RENDER);
    EXPECT_GE(play_to_end(), 1900);
    control->Stop();
    graph.Release();

    // No audio renderer to be had: the picture plays alone; a sound file cannot play at all.
    com::set_class_enabled(CLSID_DSoundRender, false);
    com::set_class_enabled(CLSID_AudioRender, false);
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph)), S_OK);
    EXPECT_EQ(render(avi()), VFW_S_AUDIO_NOT_RENDERED);
    EXPECT_EQ(render(wav()), VFW_E_CANNOT_RENDER);
}

TEST_F(FilePlayback, EveryGraphAnswersTheVideoWindowAndTheAudioControl)
{
    ASSERT_EQ(render(wav()), S_OK);
    auto window = query<IVideoWindow>(graph);
    auto audio = query<IBasicAudio>(graph);
    ASSERT_TRUE(window && audio);
    EXPECT_EQ(window->put_Visible(OATRUE), E_NOINTERFACE);
    ASSERT_EQ(audio->put_Volume(-6300), S_OK);
    LONG volume = 0;
    filter<dshow::AudioRenderer>(u"Default DirectSound Device")->get_Volume(&volume);
    EXPECT_EQ(volume, -6300);
    EXPECT_EQ(audio->put_Volume(1), E_INVALIDARG);
}

TEST_F(FilePlayback, SoundGoesToTheSoundDeviceUnlessItIsSwitchedOff)
{
    struct Case {
        const char* device;
        bool open;
    };
    for (Case c : { Case { "null", true }, Case { "none", false }, Case { "no-such-device", false } }) {
        setenv("ORBIVANE_AUDIO", c.device, 1);
        graph.Release();
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph)), S_OK);
        control = query<IMediaControl>(graph);
        events = query<IMediaEventEx>(graph);
        position = query<IMediaPosition>(graph);
        ASSERT_EQ(render(wav()), S_OK);
        auto* sound = filter<dshow::AudioRenderer>(u"Default DirectSound Device");
        ASSERT_EQ(control->Pause(), S_OK);
        EXPECT_EQ(sound->device_open(), c.open) << c.device;
        EXPECT_GE(play_to_end(), 1900) << c.device;
        EXPECT_GE(sound->rendered_bytes(), 2u * 44100 * 2 * 19 / 20) << c.device;
        control->Stop();
        EXPECT_FALSE(sound->device_open());
    }
    setenv("ORBIVANE_AUDIO", "none", 1);
}

}
