// The program as a person starts it: real processes of the built executable, headless, sharing
// this test's platform home and desktop.

#include "MachineSettings.h"
#include "ProgramProcess.h"

#include "AsfFile.h"
#include "Ffprobe.h"
#include "TempDir.h"

#include <app/SettingsSequence.h>
#include <settings/SettingsValues.h>
#include <registry/Registry.h>
#include <registry/Testing.h>
#include <user/User.h>

#include <base/Home.h>
#include <base/Path.h>
#include <user/SharedDesktop.h>
#include <user/SystemMetrics.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

using program::eventually;
using program::main_window;
using program::wait_exit;

namespace {

std::string saved_channel(HKEY hive)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    char text[32] = {};
    DWORD size = sizeof text - 1;
    LONG status = RegQueryValueExA(key, "Channel", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(text) : "(no value)";
}

class EndToEnd : public program::ProgramTest {
protected:
    void record_from_the_menu(BYTE format, const std::string& folder, const char* video_name, const char* sound_name);
};

TEST_F(EndToEnd, SecondStartActivatesTheFirstAndSettingsSurviveARestart)
{
    pid_t first = start({});
    HWND window = main_window();
    ASSERT_TRUE(window) << "the main frame of class \"Orbivane\" appears";
    EXPECT_EQ(GetWindowTextLengthA(window), 8);

    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(eventually([&] { return IsIconic(window); }));
    EXPECT_EQ(wait_exit(start({})), 0) << "a second start hands over and exits with 0";
    EXPECT_TRUE(eventually([&] { return !IsIconic(window); })) << "the first was restored";
    EXPECT_EQ(FindWindowA("Orbivane", nullptr), window) << "no second main window";

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(first), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_channel(HKEY_CURRENT_USER), "5") << "the defaults were written at exit";
    EXPECT_EQ(saved_channel(HKEY_LOCAL_MACHINE), "5");

    // A value changed in the local machine's hive is what the next start reads.
    machine_settings({ decimal_setting("Channel", 17) });

    pid_t again = start({ "-m" });
    window = main_window();
    ASSERT_TRUE(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(again), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_channel(HKEY_CURRENT_USER), "17");
}

TEST_F(EndToEnd, AStoppedFirstInstanceIsReportedAndTheSecondStartEnds)
{
    pid_t first = start({});
    HWND window = main_window();
    ASSERT_TRUE(window);
    ASSERT_EQ(kill(first, SIGSTOP), 0);
    std::string errors = test_support::temp_home() + "/second-start.err";
    EXPECT_EQ(wait_exit(start({}, {}, errors)), 1) << "no second instance beside one that does not answer";
    std::ifstream in(errors);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("the running instance (process " + std::to_string(first) + ") does not answer"), std::string::npos)
        << text;

    kill(first, SIGCONT);
    EXPECT_EQ(FindWindowA("Orbivane", nullptr), window) << "the first goes on";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(first), 0);
}

// The winmsg tool's exit code.
int winmsg(std::vector<std::string> args)
{
    args.insert(args.begin(), WINMSG_TOOL);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return wait_exit(pid);
}

TEST_F(EndToEnd, ForgedPointersFromAnotherProcessLeaveTheProgramServing)
{
    pid_t pid = start({});
    HWND window = main_window();
    ASSERT_TRUE(window);
    EXPECT_EQ(winmsg({ "post", "Orbivane", "WM_TIMER", "1", "0x414141414141" }), 1);
    EXPECT_EQ(winmsg({ "send", "Orbivane", "0x000D", "100", "0x41414141" }), 1);   // WM_GETTEXT
    EXPECT_EQ(winmsg({ "send", "Orbivane", "0x000C", "0", "0x41414141" }), 1);     // WM_SETTEXT
    EXPECT_EQ(winmsg({ "send", "Orbivane", "0x0024", "0", "0x41414141" }), 1);     // WM_GETMINMAXINFO
    EXPECT_EQ(winmsg({ "send", "Orbivane", "WM_NULL" }), 0) << "still answering";
    EXPECT_EQ(GetWindowTextLengthA(window), 8);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(pid), 0);
}

TEST_F(EndToEnd, SavedWindowSizesNoScreenCanShowDoNotStopAStart)
{
    machine_settings({ dword_setting("WindowW", 0x7fffffff), dword_setting("WindowH", 0x7fffffff) });

    pid_t pid = start({});
    HWND window = main_window();
    ASSERT_TRUE(window) << "the program starts";
    RECT rect {};
    GetWindowRect(window, &rect);
    EXPECT_LE(rect.right - rect.left, GetSystemMetrics(SM_CXMAXTRACK));
    EXPECT_LE(rect.bottom - rect.top, GetSystemMetrics(SM_CYMAXTRACK));
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(pid), 0);
}

TEST_F(EndToEnd, TvStartsOnTheMachinesCardWhenTheTvPageSaysSo)
{
    machine_settings({ byte_setting("TvStart", 1) });

    pid_t program = start({});
    HWND window = main_window();
    ASSERT_TRUE(window);
    // The deferred start was posted while the frame was made, so it runs before this close.
    ASSERT_TRUE(eventually([&] { return IsWindowVisible(window) != FALSE; }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
    registry::forget_hives();
    auto state = registry::read_value(HKEY_CURRENT_USER, SettingsKeyPath, "TvState");
    ASSERT_TRUE(state);
    EXPECT_EQ(state->data, std::vector<BYTE> { 1 }) << "TV was on at exit: the virtual card opened";
    machine_settings({ byte_setting("TvStart", 0) });
}

TEST_F(EndToEnd, MinimisedStartWithTheTrayIconHidesTheFrameUntilASecondStartShowsIt)
{
    machine_settings({ byte_setting("TrayIcon", 1) });

    pid_t first = start({ "-m" });
    HWND window = main_window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(eventually([&] { return !IsWindowVisible(window); })) << "only the tray icon shows";
    EXPECT_FALSE(IsIconic(window));

    EXPECT_EQ(wait_exit(start({})), 0);
    EXPECT_TRUE(eventually([&] { return IsWindowVisible(window) && !IsIconic(window); }))
        << "a second start brings the hidden frame back";

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(first), 0);
    registry::forget_hives();
    machine_settings({ byte_setting("TrayIcon", 0) });
}

TEST_F(EndToEnd, OptionUExitsWithOneBeforeAnyWindow)
{
    EXPECT_EQ(wait_exit(start({ "/u" })), 1);
    EXPECT_EQ(FindWindowA("Orbivane", nullptr), nullptr);
}



// A running program records from its menu: TV on, Record, Stop, Record audio, Stop, in the format
// and the recording folder set in the registry as the preferences store them.
void EndToEnd::record_from_the_menu(BYTE format, const std::string& folder, const char* video_name, const char* sound_name)
{
    machine_settings({
        byte_setting("DefaultMediaFormat", format),
        text_setting("DefaultDirectory", base::to_windows_path(folder)),
    });

    pid_t program = start({});
    HWND window = main_window();
    ASSERT_TRUE(window);
    auto command = [window](UINT id) { PostMessageA(window, WM_COMMAND, id, 0); };
    auto title = [window] {
        char text[300] = {};
        GetWindowTextA(window, text, sizeof text);
        return std::string(text);
    };
    command(1800); // TV on
    command(1808); // Record
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(folder + "/" + video_name); }));
    if (format == 3) {
        EXPECT_TRUE(eventually([&] { return title() == std::string(video_name) + " Orbivane"; })) << title();
    }
    std::this_thread::sleep_for(std::chrono::seconds(3));
    command(1807); // Stop
    EXPECT_TRUE(eventually([&] { return title() == "Orbivane"; })) << title();
    command(1819); // Record audio
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(folder + "/" + sound_name); }));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    command(1807);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);

    registry::forget_hives();
    machine_settings({ byte_setting("DefaultMediaFormat", 3), no_setting("DefaultDirectory") });
}

TEST_F(EndToEnd, RecordAndRecordAudioInAviModeWriteAnAviAndASoundOnlyWave)
{
    const std::string folder = temp_dir("e2e-avi");
    record_from_the_menu(0, folder, "tv_1.avi", "tv_1.wav");
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto video = test_support::ffprobe(folder + "/tv_1.avi", "v:0", "stream=width,height,r_frame_rate,nb_read_frames");
    EXPECT_EQ(video["width"], "720") << video["error"];
    EXPECT_EQ(video["height"], "576");
    EXPECT_EQ(video["r_frame_rate"], "25/1");
    EXPECT_GE(std::atoi(video["nb_read_frames"].c_str()), 50);
    EXPECT_EQ(test_support::ffprobe(folder + "/tv_1.avi", "a:0", "stream=codec_name", false)["codec_name"], "pcm_s16le");
    auto wave = test_support::ffprobe(folder + "/tv_1.wav", "a:0", "format=format_name:stream=codec_name", false);
    EXPECT_EQ(wave["format_name"], "wav") << wave["error"];
    EXPECT_EQ(wave["codec_name"], "pcm_s16le");
    EXPECT_EQ(test_support::ffprobe(folder + "/tv_1.wav", "v", "stream=codec_name", false).count("codec_name"), 0u);
}

TEST_F(EndToEnd, RecordAndRecordAudioInWindowsMediaModeWriteAsfFiles)
{
    const std::string folder = temp_dir("e2e-asf");
    record_from_the_menu(3, folder, "tv_1.wmv", "tv_1.wma");
    EXPECT_TRUE(test_support::is_asf_file(folder + "/tv_1.wmv"));
    EXPECT_TRUE(test_support::is_asf_file(folder + "/tv_1.wma"));
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto video = test_support::ffprobe(folder + "/tv_1.wmv", "v:0", "stream=codec_name,nb_read_frames");
    EXPECT_FALSE(video["codec_name"].empty()) << video["error"];
    EXPECT_GE(std::atoi(video["nb_read_frames"].c_str()), 10);
    EXPECT_EQ(test_support::ffprobe(folder + "/tv_1.wma", "v", "stream=codec_name", false).count("codec_name"), 0u);
}

}

TEST_F(EndToEnd, TheSessionsEndingSignalsCloseTheProgramWithItsSettingsSaved)
{
    for (int number : { SIGTERM, SIGHUP, SIGINT }) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Channel");
            RegCloseKey(key);
        }
        registry::restart();
        ASSERT_NE(saved_channel(HKEY_CURRENT_USER), "5");
        pid_t pid = start({});
        ASSERT_TRUE(main_window()) << number;
        const std::string windows = user::desktop_windows_file(static_cast<DWORD>(pid));
        const std::string socket = base::runtime_folder() + "/desktop-" + std::to_string(pid) + ".sock";
        ASSERT_TRUE(std::filesystem::exists(windows));
        ASSERT_TRUE(std::filesystem::exists(socket));
        kill(pid, number);
        EXPECT_EQ(wait_exit(pid), 0) << "closed as the user closes it, signal " << number;
        EXPECT_FALSE(std::filesystem::exists(windows)) << "the desktop files are removed, signal " << number;
        EXPECT_FALSE(std::filesystem::exists(socket)) << number;
        registry::restart();
        EXPECT_EQ(saved_channel(HKEY_CURRENT_USER), "5") << "saved at signal " << number;
    }
}

TEST_F(EndToEnd, WithoutADisplayTheProgramSaysSoOnceAndRunsWithoutWindows)
{
    std::string errors = ::testing::TempDir() + "no-display.txt";
    pid_t pid = start({}, { "DISPLAY=", "ORBIVANE_HEADLESS=" }, errors);
    HWND window = main_window();
    ASSERT_TRUE(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(pid), 0);
    std::ifstream in(errors);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "orbivane: no X display (DISPLAY is not set); running without windows\n");
}
