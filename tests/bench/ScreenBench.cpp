// The program on a real X server (a private Xvfb), as a person runs it: the built executable
// started with TV on, measured from outside.
//
//     build/release/tests/bench/bench_screen [--benchmark_filter=...]
//
// LiveTv/<width>: "program_cpu_percent" and "xserver_cpu_percent" are the program's and Xvfb's
// processor time over 250 frames (10 seconds at 25 frames a second) once the picture shows, in
// percent of one core; 1024 is the default window size on a 1024 x 768 screen, 1920 the largest
// window a 1920 x 1080 screen holds (1308 x 1077: the frame keeps the picture's 4:3 shape, so it
// is as wide as its height allows). "first_picture_ms" is the time from starting the program to
// the channel's picture on screen.
// TvOff: "wakeups" counts the context switches of all the program's threads over 5 seconds with
// TV off and nothing happening (a sleeping program has none), "program_cpu_percent" its time.

#include <ScreenPicture.h>
#include <XvfbServer.h>

#include <app/SettingsSequence.h>
#include <registry/Registry.h>
#include <registry/Testing.h>
#include <settings/SettingsValues.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFrames = 250;
constexpr int kFramesPerSecond = 25;

// A process's processor time (all threads) in seconds, from /proc.
double cpu_seconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto end = text.rfind(')');
    if (end == std::string::npos)
        return 0;
    // After the name: state, then fields 4 to 13, then utime and stime.
    std::vector<std::string> fields;
    std::size_t at = end + 2;
    while (at < text.size() && fields.size() < 13) {
        std::size_t next = text.find(' ', at);
        fields.push_back(text.substr(at, next - at));
        at = next == std::string::npos ? text.size() : next + 1;
    }
    if (fields.size() < 13)
        return 0;
    double ticks = std::stod(fields[11]) + std::stod(fields[12]);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Context switches of all the process's threads so far.
long context_switches(pid_t pid)
{
    long total = 0;
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& entry : std::filesystem::directory_iterator(tasks)) {
        std::ifstream status(entry.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                total += std::stol(line.substr(line.find(':') + 1));
        }
    }
    return total;
}

// The viewable top-level X window of the program's main frame, or 0.
Window main_window(Display* display)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            XClassHint hint {};
            XWindowAttributes a {};
            if (XGetClassHint(display, children[i], &hint)) {
                if (hint.res_class && std::string(hint.res_class) == "Orbivane"
                    && XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable)
                    found = children[i];
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
        }
    }
    if (children)
        XFree(children);
    return found;
}

struct Settings {
    bool tv_on = true;
    int width = 0; // the window's, with its height; 0: the program's default
    int height = 0;
};

// A fresh platform home holding the settings the program starts with.
std::string make_home(const Settings& settings)
{
    std::string home = (std::filesystem::temp_directory_path() / ("orbivane-bench-" + std::to_string(getpid()))).string();
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    setenv("ORBIVANE_HOME", home.c_str(), 1);
    registry::restart();
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    WriteByteValue(key, "TvStart", settings.tv_on ? 1 : 0);
    if (settings.width) {
        WriteByteValue(key, "Ratio", 0); // the window keeps its size, not the picture's shape
        WriteDwordValue(key, "WindowX", 1); // 0 is no saved place
        WriteDwordValue(key, "WindowY", 1);
        WriteDwordValue(key, "WindowW", settings.width);
        WriteDwordValue(key, "WindowH", settings.height);
    }
    RegCloseKey(key);
    registry::restart(); // written to the hive files for the program to read
    return home;
}

pid_t start_program(const std::string& display, const std::string& home)
{
    std::vector<std::string> variables { "DISPLAY=" + display, "ORBIVANE_HOME=" + home, "ORBIVANE_HEADLESS=0" };
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("ORBIVANE_", 0) != 0)
            environment.push_back(entry);
    }
    environment.insert(environment.end(), variables.begin(), variables.end());
    std::vector<char*> argv { const_cast<char*>(ORBIVANE_EXECUTABLE), nullptr }, envp;
    for (auto& v : environment)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, ORBIVANE_EXECUTABLE, nullptr, nullptr, argv.data(), envp.data()) != 0)
        return 0;
    return pid;
}

void end_program(pid_t pid)
{
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Polls until `done` holds or twenty seconds pass.
template<typename Done>
bool poll_until(Done done)
{
    auto until = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < until) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void BM_LiveTv(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    XvfbServer server;
    if (!server.start(150, width == 1920 ? "1920x1080x24" : "1024x768x24")) {
        state.SkipWithError("Xvfb is not available");
        return;
    }
    Settings settings;
    if (width == 1920) {
        settings.width = 1308;
        settings.height = 1077;
    }
    std::string home = make_home(settings);
    for (auto _ : state) {
        auto started = Clock::now();
        pid_t program = start_program(server.name(), home);
        Display* display = server.display();
        Window id = 0;
        bool shown = poll_until([&] {
            XSync(display, False);
            return (id = id ? id : main_window(display)) != 0 && screen_picture::channel_in(display, id).has_value();
        });
        double first_ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        if (!shown) {
            end_program(program);
            state.SkipWithError("no picture on screen");
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        double program_before = cpu_seconds(program), server_before = cpu_seconds(server.pid());
        auto from = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(1000 * kFrames / kFramesPerSecond));
        double seconds = std::chrono::duration<double>(Clock::now() - from).count();
        double program_cpu = cpu_seconds(program) - program_before, server_cpu = cpu_seconds(server.pid()) - server_before;
        end_program(program);
        state.SetIterationTime(seconds);
        state.counters["first_picture_ms"] = first_ms;
        state.counters["program_cpu_percent"] = 100 * program_cpu / seconds;
        state.counters["xserver_cpu_percent"] = 100 * server_cpu / seconds;
        state.counters["together_cpu_percent"] = 100 * (program_cpu + server_cpu) / seconds;
    }
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_LiveTv)->Arg(1024)->Arg(1920)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_TvOff(benchmark::State& state)
{
    XvfbServer server;
    if (!server.start(150, "1024x768x24")) {
        state.SkipWithError("Xvfb is not available");
        return;
    }
    Settings settings;
    settings.tv_on = false;
    std::string home = make_home(settings);
    for (auto _ : state) {
        pid_t program = start_program(server.name(), home);
        Display* display = server.display();
        if (!poll_until([&] { return main_window(display) != 0; })) {
            end_program(program);
            state.SkipWithError("no window on screen");
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        long switches_before = context_switches(program);
        double cpu_before = cpu_seconds(program);
        auto from = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        double seconds = std::chrono::duration<double>(Clock::now() - from).count();
        long switches = context_switches(program) - switches_before;
        double cpu = cpu_seconds(program) - cpu_before;
        end_program(program);
        state.SetIterationTime(seconds);
        state.counters["wakeups"] = static_cast<double>(switches);
        state.counters["program_cpu_percent"] = 100 * cpu / seconds;
    }
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_TvOff)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}

BENCHMARK_MAIN();
