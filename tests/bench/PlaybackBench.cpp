// Playing a file through RenderFile's graph (file source, FFmpeg decoders, renderers): the time
// from opening a one-minute 720x576 25 fps AVI (MJPEG picture, 44.1 kHz stereo PCM sound, made
// by ffmpeg) to its first shown frame, the time from a seek to the first frame shown after it,
// and the processor cost of playing it in real time, in percent of one core (also for the same
// picture in 4:2:2 Motion JPEG, as the program records it).
//
//     build/release/tests/bench/bench_playback [--benchmark_filter=...]

#include <base/Path.h>
#include <base/Text.h>
#include <com/Apartment.h>
#include <com/ClassRegistry.h>
#include <com/ComPtr.h>
#include <dshow/FilterGraph.h>
#include <dshow/SystemFilters.h>
#include <dshow/VideoRenderer.h>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

double process_cpu_seconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// A one-minute file made by ffmpeg with `pixels` (empty: ffmpeg's choice for the test source,
// which for Motion JPEG is 4:4:4).
std::string make_minute_avi(const char* tag, const char* pixels)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string file = std::string(tmp && *tmp ? tmp : "/tmp") + "/orbivane-bench-" + std::to_string(getpid()) + "-minute" + tag + ".avi";
    std::string command = "ffmpeg -y -v error -nostdin -f lavfi -i testsrc=size=720x576:rate=25:duration=60 -f lavfi -i "
                          "sine=frequency=440:sample_rate=44100:duration=60 -ac 2 -c:v mjpeg -q:v 4 "
        + std::string(pixels) + " -c:a pcm_s16le '" + file + "'";
    if (std::system(command.c_str()) != 0)
        file.clear();
    return file;
}

const std::string& minute_avi()
{
    static std::string path = make_minute_avi("", "");
    return path;
}

// Motion JPEG in 4:2:2, as the program's own recordings of the card's YUY2 picture are.
const std::string& minute_avi_422()
{
    static std::string path = make_minute_avi("-422", "-pix_fmt yuvj422p");
    return path;
}

struct Playback {
    CComPtr<IGraphBuilder> graph;
    CComPtr<IMediaControl> control;
    CComPtr<IMediaPosition> position;
    dshow::VideoRenderer* video = nullptr;

    bool open(const std::string& path)
    {
        if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph))))
            return false;
        if (graph->RenderFile(base::to_utf16(base::to_windows_path(path)).c_str(), nullptr) != S_OK)
            return false;
        graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
        graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position));
        CComPtr<IBaseFilter> renderer;
        graph->FindFilterByName(u"Video Renderer", &renderer);
        video = static_cast<dshow::VideoRenderer*>(static_cast<IBaseFilter*>(renderer));
        return video != nullptr;
    }
    void wait_frames(ULONG count) const
    {
        while (video->frames_shown() < count)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ~Playback()
    {
        if (control)
            control->Stop();
    }
};

void OpenToFirstFrame(benchmark::State& state)
{
    if (minute_avi().empty()) {
        state.SkipWithError("ffmpeg could not make the file");
        return;
    }
    for (auto _ : state) {
        Playback playback;
        if (!playback.open(minute_avi())) {
            state.SkipWithError("the file did not render");
            return;
        }
        playback.control->Run();
        playback.wait_frames(1);
        state.PauseTiming();
        playback.control->Stop();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void SeekToFirstFrame(benchmark::State& state)
{
    Playback playback;
    if (minute_avi().empty() || !playback.open(minute_avi())) {
        state.SkipWithError("no file");
        return;
    }
    playback.control->Run();
    playback.wait_frames(1);
    std::mt19937 random(7);
    for (auto _ : state) {
        ULONG before = playback.video->frames_shown();
        playback.position->put_CurrentPosition(std::uniform_real_distribution<double>(1.0, 58.0)(random));
        playback.wait_frames(before + 1);
    }
}
BENCHMARK(SeekToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

void PlayingCpuOf(benchmark::State& state, const std::string& path)
{
    Playback playback;
    if (path.empty() || !playback.open(path)) {
        state.SkipWithError("no file");
        return;
    }
    double seconds = 10;
    for (auto _ : state) {
        playback.control->Run();
        playback.wait_frames(1);
        double cpu = process_cpu_seconds();
        ULONG frames = playback.video->frames_shown();
        auto begun = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        state.counters["cpu_percent_of_core"] = (process_cpu_seconds() - cpu) / wall * 100.0;
        state.counters["frames_per_second"] = (playback.video->frames_shown() - frames) / wall;
        playback.control->Stop();
    }
}

void PlayingCpu(benchmark::State& state) { PlayingCpuOf(state, minute_avi()); }
void PlayingCpu422(benchmark::State& state) { PlayingCpuOf(state, minute_avi_422()); }

BENCHMARK(PlayingCpu)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(PlayingCpu422)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}

int main(int argc, char** argv)
{
    setenv("ORBIVANE_HEADLESS", "1", 1);
    setenv("ORBIVANE_AUDIO", "none", 1);
    CoInitialize(nullptr);
    dshow::register_classes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    for (const std::string* file : { &minute_avi(), &minute_avi_422() })
        if (!file->empty())
            std::filesystem::remove(*file);
    CoUninitialize();
    return 0;
}
