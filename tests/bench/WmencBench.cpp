// The processor cost of recording the virtual card's 720x576 at 25 fps with 44.1 kHz stereo
// sound through the media encoder, card and sound card included, and the file's size against
// its profile's bit rates.
//
//     build/release/tests/bench/bench_wmenc [--benchmark_filter=...]
// The recording runs on the virtual clock, as fast as the machine allows; "cpu_percent_of_core"
// is processor time per second of recorded content, in percent of one core, which is what
// recording in real time costs. "size_percent_of_profile" is the file's bits per second of
// content against the profile's video and audio bit rates together.

#include "EncoderMachine.h"

#include <base/Clock.h>
#include <base/Path.h>
#include <base/Text.h>
#include <com/Apartment.h>
#include <com/ComPtr.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <sim/SoundCard.h>
#include <sim/VirtualHardware.h>
#include <wmenc/Encoder.h>
#include <wmenc/Profiles.h>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

const char* const kProfiles[] = {
    "Video for e-mail and dual-channel ISDN (128 Kbps)", // the settings' default
    "Video for single-channel ISDN (64 Kbps)",
    "Video for broadband PAL (1500 Kbps)",
};

double process_cpu_seconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

struct Result {
    double cpu_seconds = 0;
    double content_seconds = 0;
    double bytes = 0;
};

Result record(const char* profile_name, int seconds)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string file = std::string(tmp && *tmp ? tmp : "/tmp") + "/orbivane-bench-" + std::to_string(getpid()) + ".wmv";
    CComPtr<IWMEncoder> encoder;
    CoCreateInstance(CLSID_WMEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncoder, reinterpret_cast<void**>(&encoder));
    CComPtr<IWMEncSourceGroupCollection> groups;
    encoder->get_SourceGroupCollection(&groups);
    CComPtr<IWMEncSourceGroup> group;
    groups->Add(u"SG_1", &group);
    groups->put_Active(group);
    CComPtr<IWMEncSource> video;
    group->AddSource(WMENC_VIDEO, &video);
    video->SetInput(u"DEVICE://Default_Video_Device", u"", u"");
    CComPtr<IWMEncSource> audio;
    group->AddSource(WMENC_AUDIO, &audio);
    audio->SetInput(u"DEVICE://Default_Audio_Device", u"", u"");
    test_support::set_profile(encoder, group, base::to_utf16(profile_name));
    CComPtr<IWMEncFile> out;
    encoder->get_File(&out);
    out->put_LocalFileName(base::to_utf16(base::to_windows_path(file)).c_str());

    Result r;
    double before = process_cpu_seconds();
    std::int64_t start = base::Clock::ticks_ms();
    if (encoder->Start() != S_OK)
        return r;
    test_support::run_until(start, seconds * 1000LL);
    encoder->Stop();
    r.cpu_seconds = process_cpu_seconds() - before;
    r.content_seconds = (base::Clock::ticks_ms() - start) / 1000.0;
    r.bytes = static_cast<double>(std::filesystem::file_size(file));
    std::remove(file.c_str());
    return r;
}

void BM_WmRecording(benchmark::State& state)
{
    const char* name = kProfiles[state.range(0)];
    int seconds = static_cast<int>(state.range(1));
    wmenc::Profile profile;
    wmenc::find_profile(name, profile);
    Result total;
    for (auto _ : state) {
        Result r = record(name, seconds);
        total.cpu_seconds += r.cpu_seconds;
        total.content_seconds += r.content_seconds;
        total.bytes += r.bytes;
    }
    state.SetLabel(name);
    state.counters["cpu_percent_of_core"] = total.content_seconds > 0 ? 100.0 * total.cpu_seconds / total.content_seconds : 0;
    state.counters["size_percent_of_profile"]
        = total.content_seconds > 0 ? 100.0 * total.bytes * 8 / total.content_seconds / profile.total_bits_per_second() : 0;
}

}

BENCHMARK(BM_WmRecording)->Args({ 0, 60 })->Args({ 1, 60 })->Args({ 2, 60 })->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    test_support::EncoderMachine machine;
    base::Clock::set_virtual_wait_grace_ms(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
