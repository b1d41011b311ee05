// Recording through the capture graph (capture graph builder, AVI multiplexer, file writer)
// against plain buffered writes of the same bytes, and the processor cost of recording the
// virtual card's 25 fps 720x576 YUY2 picture with 44.1 kHz stereo sound in real time.
//
//     build/release/tests/bench/bench_graph [--benchmark_filter=...]
// "ratio" in the GraphRecording rows is plain-write time / graph time (1.0 = as fast);
// "cpu_percent_of_core" is processor time per second of content, in percent of one core.

#include <TestFilters.h>

#include <base/Path.h>
#include <base/Text.h>
#include <com/ComPtr.h>
#include <dshow/AviReader.h>
#include <dshow/CaptureGraphBuilder.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <dshow/MediaFormats.h>
#include <dshow/MuxInterfaces.h>
#include <dshow/PinCategory.h>
#include <sim/TestPicture.h>
#include <sim/TestTone.h>
#include <sim/VirtualHardware.h>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int width = 720;
constexpr int height = 576;
constexpr REFERENCE_TIME frame_time = UNITS / 25;
constexpr std::size_t sound_frames = 44100 / 25;

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

// A second of the card's picture (channel 5) and its tone, drawn once.
const std::vector<std::vector<BYTE>>& frames()
{
    static std::vector<std::vector<BYTE>> all = [] {
        sim::TestPicture picture(width, height);
        std::vector<std::vector<BYTE>> result;
        for (int n = 0; n < 25; ++n)
            result.push_back(picture.render(sim::PictureSource::channel(5), n, n * frame_time));
        return result;
    }();
    return all;
}

const std::vector<BYTE>& sound()
{
    static std::vector<BYTE> bytes = [] {
        sim::TestTone tone(sim::PictureSource::channel(5));
        std::vector<std::int16_t> pcm(sound_frames * 2);
        tone.render(0, sound_frames, pcm.data());
        const BYTE* raw = reinterpret_cast<const BYTE*>(pcm.data());
        return std::vector<BYTE>(raw, raw + pcm.size() * sizeof(std::int16_t));
    }();
    return bytes;
}

std::int64_t bytes_per_frame() { return static_cast<std::int64_t>(frames()[0].size() + sound().size()); }

double plain_seconds(int count)
{
    auto path = bench_path("plain");
    auto start = std::chrono::steady_clock::now();
    FILE* f = std::fopen(path.c_str(), "wb");
    for (int n = 0; n < count; ++n) {
        std::fwrite(frames()[n % 25].data(), 1, frames()[n % 25].size(), f);
        std::fwrite(sound().data(), 1, sound().size(), f);
    }
    std::fclose(f);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::remove(path.c_str());
    return seconds;
}

// Builds the recording graph as the engine does: the builder's file chain, then each source
// rendered into the multiplexer, an old-style index and sound as the master stream.
struct RecordingGraph {
    explicit RecordingGraph(const std::string& path, IBaseFilter* capture = nullptr)
    {
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph));
        CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&builder));
        builder->SetFiltergraph(graph);
        std::u16string file = base::to_utf16(base::to_windows_path(path));
        ok = SUCCEEDED(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, file.c_str(), &mux, &sink));
        CComPtr<IConfigAviMux> config;
        if (ok && SUCCEEDED(mux->QueryInterface(IID_IConfigAviMux, reinterpret_cast<void**>(&config)))) {
            config->SetOutputCompatibilityIndex(TRUE);
            config->SetMasterStream(1);
        }
        if (capture) {
            graph->AddFilter(capture, u"Video Capture");
            ok = ok && builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, capture, nullptr, mux) == S_OK;
            ok = ok && builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture, nullptr, mux) == S_OK;
        } else {
            video.Attach(new test_filters::Source({ dshow::MediaType::video(MEDIASUBTYPE_YUY2, dshow::make_yuy2_format(width, height, frame_time)) }));
            audio.Attach(new test_filters::Source({ dshow::MediaType::audio(dshow::make_pcm_format(44100, 2, 16)) }, u"Audio"));
            graph->AddFilter(video, u"Video");
            graph->AddFilter(audio, u"Audio");
            ok = ok && builder->RenderStream(nullptr, nullptr, video->out, nullptr, mux) == S_OK;
            ok = ok && builder->RenderStream(nullptr, nullptr, audio->out, nullptr, mux) == S_OK;
        }
        graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
    }

    CComPtr<IGraphBuilder> graph;
    CComPtr<ICaptureGraphBuilder2> builder;
    CComPtr<IBaseFilter> mux;
    CComPtr<IFileSinkFilter> sink;
    CComPtr<test_filters::Source> video, audio;
    CComPtr<IMediaControl> control;
    bool ok = false;
};

// A sample from the pin's allocator with `bytes` of content in place, as a source that draws
// straight into its buffers delivers it (the buffers keep what an earlier frame left in them).
HRESULT deliver_in_place(dshow::OutputPin& pin, std::size_t bytes, REFERENCE_TIME start)
{
    CComPtr<IMediaSample> sample;
    if (HRESULT hr = pin.get_delivery_buffer(&sample); FAILED(hr))
        return hr;
    REFERENCE_TIME stop = start + frame_time;
    sample->SetActualDataLength(static_cast<LONG>(bytes));
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    return pin.deliver(sample);
}

double graph_seconds(int count, bool copy, benchmark::State& state)
{
    auto path = bench_path("graph.avi");
    auto start = std::chrono::steady_clock::now();
    {
        RecordingGraph recording(path);
        if (!recording.ok || FAILED(recording.control->Run())) {
            state.SkipWithError("cannot build the recording graph");
            return 0;
        }
        for (int n = 0; n < count; ++n) {
            REFERENCE_TIME at = n * frame_time;
            if (copy) {
                recording.audio->out->deliver(sound(), at, at + frame_time);
                recording.video->out->deliver(frames()[n % 25], at, at + frame_time);
            } else {
                deliver_in_place(*recording.audio->out, sound().size(), at);
                deliver_in_place(*recording.video->out, frames()[0].size(), at);
            }
        }
        recording.control->Stop();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::remove(path.c_str());
    return seconds;
}

struct Com {
    Com() { dshow::register_classes(); }
    test_filters::ComScope scope;
};

void BM_PlainWrite(benchmark::State& state)
{
    int count = static_cast<int>(state.range(0));
    frames();
    sound();
    for (auto _ : state)
        state.SetIterationTime(plain_seconds(count));
    state.SetBytesProcessed(state.iterations() * count * bytes_per_frame());
}

void BM_GraphRecording(benchmark::State& state)
{
    Com com;
    int count = static_cast<int>(state.range(0));
    bool copy = state.range(1) != 0;
    frames();
    sound();
    double graph = 0, plain = 0, cpu = 0;
    // Plain writes run before and after in turn, so the kernel's write-back of the previous
    // file weighs on both sides alike.
    bool plain_first = false;
    for (auto _ : state) {
        state.PauseTiming();
        if (plain_first)
            plain += plain_seconds(count);
        state.ResumeTiming();
        double before = process_cpu_seconds();
        double g = graph_seconds(count, copy, state);
        cpu += process_cpu_seconds() - before;
        state.SetIterationTime(g);
        graph += g;
        state.PauseTiming();
        if (!plain_first)
            plain += plain_seconds(count);
        plain_first = !plain_first;
        state.ResumeTiming();
    }
    state.counters["ratio"] = graph > 0 ? plain / graph : 0;
    state.counters["cpu_percent_of_core"] = 100.0 * cpu / (count / 25.0 * static_cast<double>(state.iterations()));
    state.SetBytesProcessed(state.iterations() * count * bytes_per_frame());
}

// The virtual card itself recording on the real clock: its capture and audio pins into the
// multiplexer; processor time over the seconds recorded, the card drawing its pictures included.
void BM_CardRecordingCpu(benchmark::State& state)
{
    Com com;
    auto seconds = static_cast<int>(state.range(0));
    double cpu = 0, wall = 0, recorded = 0;
    for (auto _ : state) {
        dshow::clear_devices();
        sim::install_cards({ sim::CaptureCard {} });
        CComPtr<ICreateDevEnum> devices;
        CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, reinterpret_cast<void**>(&devices));
        CComPtr<IEnumMoniker> monikers;
        CComPtr<IMoniker> device;
        CComPtr<IBaseFilter> capture;
        if (!devices || devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) != S_OK
            || monikers->Next(1, &device, nullptr) != S_OK
            || FAILED(device->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&capture)))) {
            state.SkipWithError("no virtual card");
            return;
        }
        auto path = bench_path("card.avi");
        {
            RecordingGraph recording(path, capture);
            if (!recording.ok || FAILED(recording.control->Run())) {
                state.SkipWithError("cannot build the card's recording graph");
                return;
            }
            auto start = std::chrono::steady_clock::now();
            double before = process_cpu_seconds();
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
            recording.control->Stop();
            cpu += process_cpu_seconds() - before;
            wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        capture.Release();
        dshow::AviReader reader;
        if (SUCCEEDED(reader.open(path)) && !reader.streams().empty())
            recorded += static_cast<double>(reader.streams()[0].chunks);
        std::remove(path.c_str());
        sim::uninstall_cards();
    }
    state.counters["cpu_percent_of_core"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["frames_per_second"] = wall > 0 ? recorded / wall : 0; // recorded, read back from the files
}

}

BENCHMARK(BM_PlainWrite)->Arg(250)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
// Second argument 1: every frame copied into its sample; 0: drawn in place.
BENCHMARK(BM_GraphRecording)->Args({ 250, 1 })->Args({ 250, 0 })->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_CardRecordingCpu)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
