// The archive browser filling its tree from a recording folder of 10,000 recordings of 50 timer
// events (180 each, and one in ten an unscheduled "tv_" file), the events' times and days looked up
// for every group. No file is opened: the tree is built from the folder listing alone, as the tag
// search runs only for Info.
//
//     build/release/tests/bench/bench_archive

#include <dialogs/ArchDialog.h>
#include <settings/Settings.h>

#include <base/FileTime.h>
#include <base/Files.h>
#include <base/Path.h>
#include <base/Text.h>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string make_folder(int files, int events)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/orbivane-archive-bench-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    Settings.EventCount = events;
    for (int e = 0; e < events; ++e) {
        TimerEvent& event = Settings.Events[e];
        event = {};
        std::snprintf(event.Name, sizeof event.Name, "Programme %02d", e);
        event.DayMask = 62;
        event.StartHour = 20;
        event.StartMinute = e;
    }
    for (int i = 0, scheduled = 0; i < files; ++i) {
        char name[80];
        if (i % 10 == 9)
            std::snprintf(name, sizeof name, "tv_%d.avi", i);
        else
            std::snprintf(name, sizeof name, "Programme %02d_20261209_%d.wmv", scheduled++ % events, i);
        std::ofstream(folder + "/" + name) << "x";
        FILETIME created = base::filetime_from_unix_ms(1765000000000LL + i * 60000LL);
        base::set_creation_time(base::to_windows_path(folder + "/" + name).c_str(), created);
    }
    base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, base::to_windows_path(folder));
    return folder;
}

void BM_ArchiveFillTree(benchmark::State& state)
{
    std::string folder = make_folder(static_cast<int>(state.range(0)), 50);
    TArchDialog dialog(nullptr, nullptr);
    if (!dialog.Create()) {
        state.SkipWithError("the dialog cannot be made");
        return;
    }
    for (auto _ : state)
        dialog.FillTree();
    state.counters["items"] = SendMessageA(GetDlgItem(dialog.GetHandle(), 201), TVM_GETCOUNT, 0, 0);
    dialog.Destroy();
    std::filesystem::remove_all(folder);
}

BENCHMARK(BM_ArchiveFillTree)->Arg(10000)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
