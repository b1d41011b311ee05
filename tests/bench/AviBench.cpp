// AVI writing against plain buffered file writes of the same bytes, and the processor cost of
// recording 25 fps 720x576 YUY2 with 44.1 kHz stereo sound in real time.
//
//     build/release/tests/bench/bench_avi [--benchmark_filter=...]
// "ratio" in the AviWriter rows is plain-write time / AviWriter time (1.0 = as fast);
// "cpu_percent_of_core" is processor time per second of content, in percent of one core.

#include <dshow/AviWriter.h>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int width = 720;
constexpr int height = 576;
constexpr REFERENCE_TIME frame_time = UNITS / 25;
constexpr std::size_t sound_per_frame = 1764 * 4;

std::string bench_path(const char* name)
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/orbivane-bench-" + std::to_string(getpid()) + "-" + name;
}

double process_cpu_seconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

const std::vector<BYTE>& frame()
{
    static std::vector<BYTE> f(static_cast<std::size_t>(width) * height * 2, 0x80);
    return f;
}

const std::vector<BYTE>& sound()
{
    static std::vector<BYTE> s(sound_per_frame, 0x10);
    return s;
}

double plain_seconds(int frames, bool with_sound)
{
    auto path = bench_path("plain");
    auto start = std::chrono::steady_clock::now();
    FILE* f = std::fopen(path.c_str(), "wb");
    for (int n = 0; n < frames; ++n) {
        std::fwrite(frame().data(), 1, frame().size(), f);
        if (with_sound)
            std::fwrite(sound().data(), 1, sound().size(), f);
    }
    std::fclose(f);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::remove(path.c_str());
    return seconds;
}

double avi_seconds(int frames, bool with_sound)
{
    auto path = bench_path("avi");
    auto start = std::chrono::steady_clock::now();
    dshow::AviWriter writer;
    int video = writer.add_video_stream(dshow::make_yuy2_format(width, height, frame_time));
    int audio = with_sound ? writer.add_audio_stream(dshow::make_pcm_format(44100, 2, 16)) : -1;
    if (FAILED(writer.open(path)))
        return 0;
    for (int n = 0; n < frames; ++n) {
        if (with_sound)
            writer.write(audio, sound(), n * frame_time);
        writer.write(video, frame(), n * frame_time);
    }
    writer.close();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::remove(path.c_str());
    return seconds;
}

void BM_PlainWrite(benchmark::State& state)
{
    int frames = static_cast<int>(state.range(0));
    bool with_sound = state.range(1) != 0;
    for (auto _ : state)
        state.SetIterationTime(plain_seconds(frames, with_sound));
    state.SetBytesProcessed(state.iterations() * frames * static_cast<int64_t>(frame().size() + (with_sound ? sound().size() : 0)));
}

void BM_AviWriter(benchmark::State& state)
{
    int frames = static_cast<int>(state.range(0));
    bool with_sound = state.range(1) != 0;
    double avi = 0, plain = 0;
    for (auto _ : state) {
        double a = avi_seconds(frames, with_sound);
        state.SetIterationTime(a);
        avi += a;
        state.PauseTiming();
        plain += plain_seconds(frames, with_sound);
        state.ResumeTiming();
    }
    state.counters["ratio"] = avi > 0 ? plain / avi : 0;
    state.SetBytesProcessed(state.iterations() * frames * static_cast<int64_t>(frame().size() + (with_sound ? sound().size() : 0)));
}

// Processor time of writing, per second of recorded content (25 frames and their sound).
void BM_RealTimeRecordingCpu(benchmark::State& state)
{
    int frames = static_cast<int>(state.range(0));
    double cpu = 0;
    for (auto _ : state) {
        double before = process_cpu_seconds();
        avi_seconds(frames, true);
        cpu += process_cpu_seconds() - before;
    }
    double content_seconds = static_cast<double>(frames) / 25 * static_cast<double>(state.iterations());
    state.counters["cpu_percent_of_core"] = 100.0 * cpu / content_seconds;
}

}

BENCHMARK(BM_PlainWrite)->Args({ 500, 0 })->Args({ 500, 1 })->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AviWriter)->Args({ 500, 0 })->Args({ 500, 1 })->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RealTimeRecordingCpu)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
