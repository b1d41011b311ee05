// The capture engine recording the virtual card in real time: 720x576 at 25 fps with 44.1 kHz
// stereo sound into an AVI file, uncompressed and through each video compressor.
//
//     build/release/tests/bench/bench_recording [--benchmark_filter=...]
// "cpu_percent_of_core" is the process's processor time over the seconds recorded, in percent of
// one core (the card drawing its pictures included); "frames_per_second" is what the file holds.

#include <capture/Tv.h>

#include <base/Path.h>
#include <com/Apartment.h>
#include <dshow/AviReader.h>
#include <dshow/Compressors.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <sim/VirtualHardware.h>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
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

const char* const compressors[] = { "<No compression>", "Motion JPEG Compressor", "Huffyuv Lossless Compressor",
    "MPEG-4 Video Compressor" };

void BM_EngineRecordingCpu(benchmark::State& state)
{
    CoInitialize(nullptr);
    dshow::register_classes();
    sim::install_cards({ sim::CaptureCard {} });
    const char* compressor = compressors[state.range(0)];
    state.SetLabel(compressor);
    int seconds = static_cast<int>(state.range(1));
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/orbivane-bench-" + std::to_string(getpid()) + ".avi";
    double cpu = 0, wall = 0, frames = 0;
    for (auto _ : state) {
        {
            STv tv("", nullptr, 0, 0, nullptr, nullptr);
            tv.SetChannel(5);
            if (!tv.StartCapture(base::to_windows_path(path).c_str(), compressor, nullptr, nullptr)) {
                state.SkipWithError("the capture does not start");
                break;
            }
            auto start = std::chrono::steady_clock::now();
            double before = process_cpu_seconds();
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
            tv.StopRecording(false);
            cpu += process_cpu_seconds() - before;
            wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        dshow::AviReader reader;
        if (SUCCEEDED(reader.open(path)) && !reader.streams().empty())
            frames += static_cast<double>(reader.streams()[0].chunks - reader.streams()[0].empty_chunks);
        std::remove(path.c_str());
    }
    state.counters["cpu_percent_of_core"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["frames_per_second"] = wall > 0 ? frames / wall : 0;
    sim::uninstall_cards();
    CoUninitialize();
}

}

BENCHMARK(BM_EngineRecordingCpu)->ArgsProduct({ { 0, 1, 2, 3 }, { 5 } })->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
