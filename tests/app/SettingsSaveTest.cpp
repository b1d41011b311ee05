#include "SettingsFixture.h"

#include <base/Modules.h>
#include <base/Path.h>

#include <algorithm>
#include <base/Text.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <user/Testing.h>
#include <PlainWindow.h>

namespace {

using SettingsSave = SettingsTest;
using Op = registry::JournalEntry::Op;

bool is_timer_value(const std::string& name)
{
    return name.rfind("Event", 0) == 0 || name == "TimerEnable";
}

// The journal's value writes and reads for the program key of one hive, stations folded into
// one "<stations>" entry, the timer store's own values left out.
std::vector<std::string> value_order(const std::vector<registry::JournalEntry>& journal, HKEY hive, bool writes)
{
    std::vector<std::string> names;
    for (const auto& entry : journal) {
        bool wanted = writes ? entry.op == Op::SetValue || entry.op == Op::DeleteValue : entry.op == Op::QueryValue;
        if (!wanted || entry.hive != hive || !base::equals_ignoring_case(entry.key, SettingsKeyPath) || is_timer_value(entry.value))
            continue;
        std::string name = entry.value.rfind("Station", 0) == 0 ? "<stations>" : entry.value;
        if (name == "<stations>" && !names.empty() && names.back() == name)
            continue;
        names.push_back(name);
    }
    return names;
}

TEST_F(SettingsSave, WritesEveryValueInTheFixedOrderToTheUserThenTheMachine)
{
    registry::start_journal();
    SaveAllSettings(nullptr);
    auto journal = registry::take_journal();

    const std::vector<std::string> expected = { "Volume", "MinimizeOnStart", "OnTop", "TrayIcon", "TaskHide",
        "AlwaysStart", "FileSize", "DefaultDirectory", "ImprovedFilePattern", "FileInstanceMode", "<stations>", "Channel",
        "Mute", "Volume", "TvState", "LatestDirectory", "Tuner", "Ratio", "Shrink", "TvStart", "TvAntenna", "Country",
        "VideoCodec", "AudioCodec", "WaveOutDriver", "WaveInDriver", "MixerInput", "ChangeMixer", "MixerStream",
        "WMVideoProfile", "WMAudioProfile", "DefaultMediaFormat", "ChannelListOnly" };
    EXPECT_EQ(value_order(journal, HKEY_CURRENT_USER, true), expected);
    EXPECT_EQ(value_order(journal, HKEY_LOCAL_MACHINE, true), expected);

    // The current user's copy is complete before the local machine's key is created.
    auto first_machine = std::find_if(journal.begin(), journal.end(), [](const auto& e) {
        return e.op == Op::CreateKey && e.hive == HKEY_LOCAL_MACHINE;
    });
    auto last_user = std::find_if(journal.rbegin(), journal.rend(), [](const auto& e) {
        return e.hive == HKEY_CURRENT_USER;
    });
    ASSERT_NE(first_machine, journal.end());
    EXPECT_LE(last_user.base() - journal.begin(), first_machine - journal.begin());
    // Each timer store value, if any, sits between "Volume" and the General page's values.
    for (HKEY hive : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
        bool after_volume = false, after_general = false;
        for (const auto& e : journal) {
            if (e.hive != hive || e.op != Op::SetValue)
                continue;
            after_volume |= e.value == "Volume";
            after_general |= e.value == "MinimizeOnStart";
            if (is_timer_value(e.value)) {
                EXPECT_TRUE(after_volume && !after_general) << e.value;
            }
        }
    }
}

TEST_F(SettingsSave, LoadsReadEveryValueInTheFixedOrder)
{
    SaveAllSettings(nullptr);
    registry::restart();
    fresh_settings();
    registry::start_journal();
    LoadAllSettings();
    auto journal = registry::take_journal();

    const std::vector<std::string> expected = { "Volume", "MinimizeOnStart", "OnTop", "TrayIcon", "AlwaysStart",
        "TaskHide", "FileSize", "DefaultDirectory", "ImprovedFilePattern", "FileInstanceMode", "<stations>", "Mute",
        "Volume", "Channel", "TvState", "WindowX", "WindowY", "WindowW", "WindowH", "LatestDirectory", "Tuner", "Shrink",
        "Ratio", "TvStart", "TvAntenna", "Country", "VideoCodec", "AudioCodec", "WaveOutDriver", "WaveInDriver",
        "MixerInput", "ChangeMixer", "MixerStream", "WMVideoProfile", "WMAudioProfile", "DefaultMediaFormat",
        "ChannelListOnly" };
    EXPECT_EQ(value_order(journal, HKEY_LOCAL_MACHINE, false), expected);
    EXPECT_TRUE(value_order(journal, HKEY_CURRENT_USER, false).empty()) << "the machine's copy was there";

    // Without a machine copy: the machine is tried first, then the user's copy is read.
    std::filesystem::remove(registry::hive_path(HKEY_LOCAL_MACHINE));
    registry::restart();
    fresh_settings();
    LoadAllSettings();
    journal = registry::take_journal();
    std::vector<HKEY> opened;
    for (const auto& e : journal)
        if (e.op == Op::OpenKey)
            opened.push_back(e.hive);
    EXPECT_EQ(opened, (std::vector<HKEY> { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }));
    EXPECT_EQ(value_order(journal, HKEY_CURRENT_USER, false), expected);
}

TEST_F(SettingsSave, AReadOnlyMachineHiveKeepsItsStaleCopyAndIsReadFirst)
{
    seed(HKEY_LOCAL_MACHINE, "Channel", REG_SZ, text("9"));
    registry::restart();
    registry::set_read_only(HKEY_LOCAL_MACHINE, true);
    const std::string machine_before = read_file(registry::hive_path(HKEY_LOCAL_MACHINE));

    Settings.Channel = 12;
    Settings.AlwaysStart = 1;
    SaveAllSettings(nullptr);
    registry::restart();
    EXPECT_EQ(value(HKEY_CURRENT_USER, "Channel")->data, text("12"));
    EXPECT_EQ(read_file(registry::hive_path(HKEY_LOCAL_MACHINE)), machine_before) << "machine copy and Run key untouched";

    fresh_settings();
    LoadAllSettings();
    EXPECT_EQ(Settings.Channel, 9);
}

TEST_F(SettingsSave, AFailedUserKeyOrVolumeStillWritesTheRest)
{
    registry::deny(HKEY_CURRENT_USER, SettingsKeyPath, registry::Deny::Create);
    Settings.Channel = 21;
    SaveAllSettings(nullptr);
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, SettingsKeyPath));
    EXPECT_EQ(value(HKEY_LOCAL_MACHINE, "Channel")->data, text("21"));

    registry::reset_for_test();
    registry::fail_value_write(HKEY_CURRENT_USER, SettingsKeyPath, "Volume");
    SaveAllSettings(nullptr);
    EXPECT_FALSE(value(HKEY_CURRENT_USER, "Volume"));
    EXPECT_TRUE(value(HKEY_CURRENT_USER, "ChannelListOnly")) << "the savers after Volume ran";
    EXPECT_TRUE(value(HKEY_LOCAL_MACHINE, "Volume"));
}

TEST_F(SettingsSave, OnlyTheCurrentUsersFailuresShowABox)
{
    const auto deny_user_key = [] { registry::deny(HKEY_CURRENT_USER, SettingsKeyPath, registry::Deny::Create); };
    const auto fail_user_volume = [] { registry::fail_value_write(HKEY_CURRENT_USER, SettingsKeyPath, "Volume"); };
    const auto read_only_machine = [] { registry::set_read_only(HKEY_LOCAL_MACHINE, true); };
    const auto fail_machine_volume = [] { registry::fail_value_write(HKEY_LOCAL_MACHINE, SettingsKeyPath, "Volume"); };
    struct Case {
        const char* name;
        std::vector<std::function<void()>> faults;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        { "nothing fails", {}, {} },
        { "the user's key", { deny_user_key }, { "can't register key" } },
        { "the user's volume", { fail_user_volume }, { "can't save vol subkey" } },
        { "the machine's hive", { read_only_machine }, {} },
        { "the machine's volume", { fail_machine_volume }, {} },
        { "the user's key and the machine's hive", { deny_user_key, read_only_machine }, { "can't register key" } },
        { "both volumes", { fail_user_volume, fail_machine_volume }, { "can't save vol subkey" } },
    };
    HWND owner = plain_window("owner");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry::reset_for_test();
        user::testing::reset();
        for (const auto& fault : c.faults)
            fault();
        SaveAllSettings(owner);
        std::vector<std::string> shown;
        for (const auto& entry : user::testing::message_box_journal()) {
            EXPECT_EQ(entry.box.owner, owner);
            EXPECT_EQ(entry.box.caption, "savesettings");
            EXPECT_EQ(entry.box.type, static_cast<UINT>(MB_OK));
            shown.push_back(entry.box.text);
        }
        EXPECT_EQ(shown, c.boxes);
    }
    user::testing::reset();
    DestroyWindow(owner);
}

TEST_F(SettingsSave, ValuesAreStoredInTheirOwnTypesAndSizes)
{
    Settings.Volume = 300; // only the low byte is kept
    Settings.Country = -2;
    base::copy_bounded(Settings.Tuner, sizeof Settings.Tuner, "WinTV");
    Settings.AddStation(0, "L1 VCR");
    SaveAllSettings(nullptr);

    struct Case {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<BYTE> tuner(260, 0);
    std::memcpy(tuner.data(), "WinTV", 5);
    std::vector<BYTE> profile(260, 0);
    std::memcpy(profile.data(), Settings.WMVideoProfile, std::strlen(Settings.WMVideoProfile));
    const Case cases[] = {
        { "Volume", REG_BINARY, { 44 } },
        { "Country", REG_BINARY, { 0xfe, 0xff, 0xff, 0xff } },
        { "Tuner", REG_SZ, tuner },
        { "VideoCodec", REG_SZ, std::vector<BYTE>(260, 0) },
        { "WMVideoProfile", REG_SZ, profile },
        { "FileSize", REG_SZ, text("200") },
        { "Channel", REG_SZ, text("5") },
        { "MixerInput", REG_SZ, text("Line-In") },
        { "Station0", REG_SZ, text("0") },
        { "StationName0", REG_SZ, text("L1 VCR") },
        { "Ratio", REG_BINARY, { 1 } },
        { "DefaultMediaFormat", REG_BINARY, { 3 } },
        { "LatestDirectory", REG_SZ, text(current_directory()) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (HKEY hive : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE })
            EXPECT_EQ(value(hive, c.name), (registry::RawValue { c.type, c.data }));
    }
    EXPECT_FALSE(value(HKEY_CURRENT_USER, "WindowX")) << "no active window to take the rectangle from";
}

TEST_F(SettingsSave, TheActiveWindowsRectangleIsSaved)
{
    HWND frame = plain_window("frame");
    SetWindowPos(frame, nullptr, 40, 30, 640, 480, SWP_NOZORDER);
    ShowWindow(frame, SW_SHOWNORMAL);
    ASSERT_EQ(GetActiveWindow(), frame);
    SaveAllSettings(frame);
    DestroyWindow(frame);
    const std::pair<const char*, DWORD> cases[] = { { "WindowX", 40 }, { "WindowY", 30 }, { "WindowW", 640 }, { "WindowH", 480 } };
    for (auto [name, expected] : cases) {
        SCOPED_TRACE(name);
        auto stored = value(HKEY_CURRENT_USER, name);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));
        DWORD got = 0;
        ASSERT_EQ(stored->data.size(), sizeof got);
        std::memcpy(&got, stored->data.data(), sizeof got);
        EXPECT_EQ(got, expected);
    }
}

TEST_F(SettingsSave, StationsAboveTheCountAreDeleted)
{
    for (int i = 0; i < 5; ++i)
        Settings.AddStation(10 + i, std::string("S").append(std::to_string(i)).c_str());
    SaveAllSettings(nullptr);
    Settings.DeleteStation(0);
    Settings.DeleteStation(0);
    SaveAllSettings(nullptr);

    for (HKEY hive : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
        EXPECT_EQ(value(hive, "Station0")->data, text("12"));
        EXPECT_EQ(value(hive, "StationName2")->data, text("S4"));
        for (int n = 3; n < MaxStations; ++n) {
            EXPECT_FALSE(value(hive, ("Station" + std::to_string(n)).c_str())) << n;
            EXPECT_FALSE(value(hive, ("StationName" + std::to_string(n)).c_str())) << n;
        }
    }
}

TEST_F(SettingsSave, TheBootLaunchEntryFollowsAlwaysStart)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    // A fresh machine has the Run key; the desktop's autostart entry follows the value.
    const std::string desktop_entry = std::string(std::getenv("HOME")) + "/.config/autostart/orbivane.desktop";
    struct Case {
        BYTE always, minimized;
        std::optional<std::string> entry;
    };
    const Case cases[] = {
        { 1, 1, std::string(path) + " -m" },
        { 1, 0, std::string(path) },
        { 0, 1, std::nullopt },
    };
    for (const auto& c : cases) {
        Settings.AlwaysStart = c.always;
        Settings.MinimizeOnStart = c.minimized;
        SaveAllSettings(nullptr);
        auto entry = registry::read_value(HKEY_LOCAL_MACHINE, RunKeyPath, "Orbivane");
        EXPECT_EQ(entry.has_value(), c.entry.has_value());
        if (entry && c.entry) {
            EXPECT_EQ(entry->data, text(*c.entry));
        }
        EXPECT_FALSE(registry::read_value(HKEY_CURRENT_USER, RunKeyPath, "Orbivane")) << "always the machine's list";
        std::string exec;
        std::ifstream in(desktop_entry);
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("Exec="))
                exec = line.substr(5);
        }
        EXPECT_EQ(exec, c.entry ? base::to_linux_path(*c.entry) : "");
    }
}

TEST_F(SettingsSave, ATableSavedReloadedAndSavedAgainIsByteIdentical)
{
    LoadAllSettings();
    Settings.Volume = 63;
    Settings.OnTop = 1;
    Settings.AlwaysStart = 1;
    Settings.Mute = 1;
    Settings.Channel = 1;
    Settings.TvState = 1;
    Settings.Country = 49;
    Settings.FileSize = 1500;
    Settings.FileInstanceMode = 1;
    Settings.ChannelListOnly = 1;
    Settings.DefaultMediaFormat = 0;
    base::copy_bounded(Settings.ImprovedFilePattern, sizeof Settings.ImprovedFilePattern, "%Y-%m-%d_%H%M");
    base::copy_bounded(Settings.VideoCodec, sizeof Settings.VideoCodec, "Cinepak Codec by Radius");
    base::copy_bounded(Settings.WaveInDriver, sizeof Settings.WaveInDriver, "<default>");
    const char* names[] = { "ARD", "ZDF", "L1", "Arte \xc3\xa9", "3sat" };
    for (int i = 0; i < 5; ++i)
        Settings.AddStation(i == 2 ? 0 : 20 + i, names[i]);
    SaveAllSettings(nullptr);
    registry::restart();
    const std::string user = read_file(registry::hive_path(HKEY_CURRENT_USER));
    const std::string machine = read_file(registry::hive_path(HKEY_LOCAL_MACHINE));

    restart_and_load();
    EXPECT_EQ(Settings.StationCount(), 5);
    EXPECT_STREQ(Settings.StationName(3), "Arte \xc3\xa9");
    EXPECT_EQ(Settings.Volume, 63);
    SaveAllSettings(nullptr);
    registry::restart();
    EXPECT_EQ(read_file(registry::hive_path(HKEY_CURRENT_USER)), user);
    EXPECT_EQ(read_file(registry::hive_path(HKEY_LOCAL_MACHINE)), machine);
}

}
