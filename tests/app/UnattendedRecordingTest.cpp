// The program left alone on a virtual clock (the platform home's clock.txt): a scheduled event of
// the timer records by itself, and TV and mute are as they were afterwards.

#include "MachineSettings.h"
#include "ProgramProcess.h"

#include <EventTable.h>
#include <Ffprobe.h>
#include <TempHome.h>

#include <app/SettingsSequence.h>
#include <app/TimerEventStore.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Path.h>
#include <registry/Registry.h>
#include <registry/Testing.h>
#include <sim/MachineClock.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using program::eventually;
using program::main_window;
using program::wait_exit;

namespace {

std::string title_of(HWND window)
{
    char text[300] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<BYTE> saved(const char* name)
{
    auto value = registry::read_value(HKEY_CURRENT_USER, SettingsKeyPath, name);
    return value ? value->data : std::vector<BYTE> {};
}

class Unattended : public program::ProgramTest {
};

TEST_F(Unattended, AnEventSetForTheNextMinuteRecordsOneMinuteOfItsChannelUnderItsNameAndRestoresTvAndMute)
{
    const std::string folder = temp_dir("e2e-timer");
    // Sunday 1 March 2026, 20:00:30; the event runs from 20:01 to 20:02 on channel 9.
    std::ofstream(sim::machine_clock_path()) << "2026-03-01 20:00:30\n";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    WriteTextValue(key, "DefaultDirectory", base::to_windows_path(folder).c_str());
    event_test::clear_table();
    event_test::add(event_test::make_event("Evening", event_test::Sunday, 20, 1, 20, 2, TimerActionRecordTv, 9));
    Settings.TimerEnable = 1;
    SaveTimerEvents(key);
    RegCloseKey(key);
    event_test::clear_table();
    registry::restart();

    pid_t program = start({});
    HWND window = main_window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(eventually([&] { return title_of(window).rfind("Evening", 0) == 0; })) << title_of(window);
    EXPECT_TRUE(eventually([&] { return title_of(window) == "Orbivane"; })) << "the recording ended: " << title_of(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
    std::filesystem::remove(sim::machine_clock_path());

    registry::forget_hives();
    EXPECT_EQ(saved("TvState"), std::vector<BYTE> { 0 }) << "TV was off before the event";
    EXPECT_EQ(saved("Mute"), std::vector<BYTE> { 0 });
    EXPECT_EQ(std::atoi(reinterpret_cast<const char*>(saved("Channel").data())), 9);
    std::string recording;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("Evening", 0) == 0)
            recording = entry.path().string();
    }
    ASSERT_FALSE(recording.empty()) << "a recording named after the event";
    EXPECT_EQ(std::filesystem::path(recording).extension(), ".wmv");
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto format = test_support::ffprobe(recording, "v:0", "format=duration", false);
    double seconds = std::atof(format["duration"].c_str());
    // At most the event's minute. Under a virtual clock any thread's timed wait may move time past
    // frames the capture has not yet delivered, so a loaded machine records fewer of them: the
    // recording holds some of its channel, not necessarily all sixty seconds.
    EXPECT_GT(seconds, 0.0) << format["error"];
    EXPECT_LE(seconds, 62.0);

    machine_settings({ no_setting("DefaultDirectory"), byte_setting("TimerEnable", 0) });
}

}
