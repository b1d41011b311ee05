#include "SettingsFixture.h"

#include <base/Modules.h>
#include <shell/KnownFolders.h>
#include <user/SystemMetrics.h>

#include <cstring>
#include <functional>

namespace {

using SettingsLoad = SettingsTest;

TEST_F(SettingsLoad, ACleanMachineGivesEveryDefault)
{
    LoadAllSettings();

    const SSettings& s = Settings;
    EXPECT_EQ(s.Volume, 80) << "the client's own default comes last";
    EXPECT_EQ(s.MinimizeOnStart + s.OnTop + s.TrayIcon + s.AlwaysStart + s.TaskHide, 0);
    EXPECT_EQ(s.TimerEnable, 1);
    EXPECT_EQ(s.EventCount, 0);
    EXPECT_EQ(s.Mute, 0);
    EXPECT_EQ(s.Ratio, 1);
    EXPECT_EQ(s.Shrink, 0);
    EXPECT_EQ(s.DefaultMediaFormat, 3);
    EXPECT_EQ(s.AudioFormatSize, 2000);
    EXPECT_STREQ(s.WaveOutDriver, "-1");
    EXPECT_STREQ(s.WaveInDriver, "-1");
    EXPECT_STREQ(s.MixerInput, "Line-In");
    EXPECT_EQ(s.ChangeMixer, 1);
    EXPECT_EQ(s.MixerStream, 0);
    char common[MAX_PATH] {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common), S_OK) << "created on first load";
    EXPECT_EQ(std::string(s.DefaultDirectory), std::string(common) + "\\Orbivane\\") << "the shared data folder";
    EXPECT_EQ(s.FileSize, 200);
    EXPECT_STREQ(s.LatestDirectory, "");
    EXPECT_STREQ(s.ImprovedFilePattern, "");
    EXPECT_EQ(s.FileInstanceMode, 0);
    EXPECT_STREQ(s.Tuner, "");
    EXPECT_EQ(s.TvStart, 0);
    EXPECT_EQ(s.TvState, 0);
    EXPECT_EQ(s.TvAntenna, 1);
    EXPECT_EQ(s.ChannelListOnly, 0);
    EXPECT_EQ(s.Country, -1);
    EXPECT_STREQ(s.VideoCodec, "");
    EXPECT_STREQ(s.AudioCodec, "");
    EXPECT_STREQ(s.WMVideoProfile, "Video for e-mail and dual-channel ISDN (128 Kbps)");
    EXPECT_STREQ(s.WMAudioProfile, "Audio for FM radio quality for dial-up modems (28.8 Kbps stereo)");
    EXPECT_EQ(s.Channel, 5);
    EXPECT_EQ(s.WindowX, 100);
    EXPECT_EQ(s.WindowY, 100);
    EXPECT_EQ(s.WindowW, 0);
    EXPECT_EQ(s.WindowH, 0);
    EXPECT_EQ(s.StationCount(), 0);
    EXPECT_FALSE(registry::key_exists(HKEY_LOCAL_MACHINE, SettingsKeyPath)) << "loading creates nothing";
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, SettingsKeyPath));
}

LONG fake_folder_path(HWND, int csidl, HANDLE, DWORD, LPCSTR sub_folder, LPSTR path)
{
    EXPECT_EQ(csidl, 0x8023);
    EXPECT_STREQ(sub_folder, "Orbivane");
    std::strcpy(path, "\\var\\lib\\Orbivane");
    return 0;
}

TEST_F(SettingsLoad, TheRecordingFolderDefaultFollowsTheSystemVersion)
{
    base::Modules::register_module("shell32.dll", { { "SHGetFolderPathAndSubDirA", base::export_of(&fake_folder_path) } });
    struct Case {
        int version;
        const char* stored; // null: missing
        std::string expected;
    };
    const Case cases[] = {
        { 6, nullptr, "\\var\\lib\\Orbivane\\" },
        { 6, "", "\\var\\lib\\Orbivane\\" },
        { 5, nullptr, current_directory() },
        { 6, "\\rec\\", "\\rec\\" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " " << (c.stored ? c.stored : "(missing)"));
        registry::reset_for_test();
        if (c.stored)
            seed(HKEY_CURRENT_USER, "DefaultDirectory", REG_SZ, text(c.stored));
        base::set_os_major_version(c.version);
        fresh_settings();
        LoadAllSettings();
        EXPECT_EQ(std::string(Settings.DefaultDirectory), c.expected);
        EXPECT_EQ(base::Modules::load_count("shell32.dll"), 0) << "the library is freed again";
    }
    base::Modules::unregister_module("shell32.dll");
}

// Values stored with sizes or contents the loaders do not expect.
TEST_F(SettingsLoad, OddValuesGiveDefaultsAndNeverOverrunAField)
{
    struct Case {
        const char* what;
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
        std::function<void()> check;
    };
    const std::string long_text(300, 'p');
    const Case cases[] = {
        { "two-byte Volume", "Volume", REG_BINARY, { 10, 20 }, [] { EXPECT_EQ(Settings.Volume, 80); } },
        { "one-byte Volume", "Volume", REG_BINARY, { 73 }, [] { EXPECT_EQ(Settings.Volume, 73); } },
        { "Volume above 100", "Volume", REG_BINARY, { 200 }, [] { EXPECT_EQ(Settings.Volume, 100); } },
        { "empty Mute", "Mute", REG_BINARY, {}, [] { EXPECT_EQ(Settings.Mute, 0); } },
        { "Mute 7 reads as set", "Mute", REG_BINARY, { 7 }, [] { EXPECT_EQ(Settings.Mute, 1); } },
        { "two-byte OnTop", "OnTop", REG_BINARY, { 1, 1 }, [] { EXPECT_EQ(Settings.OnTop, 0); } },
        { "TvStart keeps the byte", "TvStart", REG_BINARY, { 2 }, [] { EXPECT_EQ(Settings.TvStart, 2); } },
        { "Ratio 0", "Ratio", REG_BINARY, { 0 }, [] { EXPECT_EQ(Settings.Ratio, 0); } },
        { "one-byte Country", "Country", REG_BINARY, { 5 }, [] { EXPECT_EQ(Settings.Country, -1); } },
        { "Country", "Country", REG_BINARY, { 0x31, 0, 0, 0 }, [] { EXPECT_EQ(Settings.Country, 49); } },
        { "Channel past 32 bits", "Channel", REG_SZ, text("4294967301"), [] { EXPECT_EQ(Settings.Channel, 5); } },
        { "Channel not a number", "Channel", REG_SZ, text("abc"), [] { EXPECT_EQ(Settings.Channel, 5); } },
        { "negative Channel", "Channel", REG_SZ, text("-1"), [] { EXPECT_EQ(Settings.Channel, -1); } },
        { "FileSize text", "FileSize", REG_SZ, text(" 350MB"), [] { EXPECT_EQ(Settings.FileSize, 350); } },
        { "Tuner too long", "Tuner", REG_SZ, text(long_text), [] { EXPECT_STREQ(Settings.Tuner, ""); } },
        { "Tuner of 260 bytes without terminator", "Tuner", REG_SZ, text(std::string(260, 't'), false),
            [] { EXPECT_EQ(std::string(Settings.Tuner), std::string(259, 't')); } },
        { "Tuner written with its whole buffer", "Tuner", REG_SZ,
            [] { std::vector<BYTE> d(260, 0); std::memcpy(d.data(), "WinTV", 5); d[10] = 'x'; return d; }(),
            [] { EXPECT_STREQ(Settings.Tuner, "WinTV"); } },
        { "WindowX below 0", "WindowX", REG_DWORD, { 0xfb, 0xff, 0xff, 0xff }, [] { EXPECT_EQ(Settings.WindowX, 100); } },
        { "WindowX past the screen", "WindowX", REG_DWORD, { 0x88, 0x13, 0, 0 }, [] { EXPECT_EQ(Settings.WindowX, 100); } },
        { "WindowX at the screen width less 100", "WindowX", REG_DWORD, { 0x9c, 0x04, 0, 0 }, [] { EXPECT_EQ(Settings.WindowX, 1180); } },
        { "WindowY past the screen", "WindowY", REG_DWORD, { 0xc5, 0x03, 0, 0 }, [] { EXPECT_EQ(Settings.WindowY, 100); } },
        { "WindowY", "WindowY", REG_DWORD, { 0x20, 0, 0, 0 }, [] { EXPECT_EQ(Settings.WindowY, 32); } },
        { "WindowW below 64", "WindowW", REG_DWORD, { 50, 0, 0, 0 }, [] { EXPECT_EQ(Settings.WindowW, 0); } },
        { "WindowH", "WindowH", REG_DWORD, { 0, 2, 0, 0 }, [] { EXPECT_EQ(Settings.WindowH, 512); } },
        { "WindowW of 0x7fffffff", "WindowW", REG_DWORD, { 0xff, 0xff, 0xff, 0x7f },
            [] { EXPECT_EQ(Settings.WindowW, GetSystemMetrics(SM_CXMAXTRACK)); } },
        { "WindowH of 0x7fffffff", "WindowH", REG_DWORD, { 0xff, 0xff, 0xff, 0x7f },
            [] { EXPECT_EQ(Settings.WindowH, GetSystemMetrics(SM_CYMAXTRACK)); } },
        { "DefaultMediaFormat", "DefaultMediaFormat", REG_BINARY, { 0 }, [] { EXPECT_EQ(Settings.DefaultMediaFormat, 0); } },
        { "ChannelListOnly 5", "ChannelListOnly", REG_BINARY, { 5 }, [] { EXPECT_EQ(Settings.ChannelListOnly, 1); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry::reset_for_test();
        seed(HKEY_LOCAL_MACHINE, c.name, c.type, c.data);
        fresh_settings();
        LoadAllSettings();
        c.check();
    }
}

TEST_F(SettingsLoad, TheFirstVolumeReadUsesOneByteAndItsOwnDefault)
{
    seed(HKEY_LOCAL_MACHINE, "Volume", REG_BINARY, { 10, 20 });
    registry::start_journal();
    LoadAllSettings();
    std::vector<LONG> volume_reads;
    for (const auto& entry : registry::take_journal())
        if (entry.op == registry::JournalEntry::Op::QueryValue && entry.value == "Volume")
            volume_reads.push_back(entry.result);
    EXPECT_EQ(volume_reads, (std::vector<LONG> { ERROR_MORE_DATA, ERROR_MORE_DATA }));
    EXPECT_EQ(Settings.Volume, 80);
}

TEST_F(SettingsLoad, StationsComeInEntryOrderUpToTheTableCapacity)
{
    struct Stored {
        int n;
        const char* channel; // null: no "Station%d"
        std::vector<BYTE> name; // empty: no "StationName%d"
    };
    const Stored stored[] = {
        { 0, "5", text("ARD") },
        { 1, "1", text("VCR") },
        { 2, "7", {} },                                   // no name: skipped
        { 3, nullptr, text("NoChannel") },                // no channel: skipped
        { 4, "x", text("Garbage") },                      // unparsable: skipped
        { 5, "4294967298", text("Wide") },                // past 32 bits: skipped
        { 6, "33", text(std::string(40, 'L'), false) },   // 40 bytes, no terminator: cut to 39
        { 7, "34", text(std::string(40, 'M')) },          // 41 bytes: too long for the name buffer
        { 8, "-3", text("Minus") },
    };
    for (const auto& s : stored) {
        std::string number = std::to_string(s.n);
        if (s.channel)
            seed(HKEY_LOCAL_MACHINE, ("Station" + number).c_str(), REG_SZ, text(s.channel));
        if (!s.name.empty())
            seed(HKEY_LOCAL_MACHINE, ("StationName" + number).c_str(), REG_SZ, s.name);
    }
    LoadAllSettings();
    ASSERT_EQ(Settings.StationCount(), 4);
    EXPECT_EQ(Settings.StationChannel(0), 5);
    EXPECT_STREQ(Settings.StationName(0), "ARD");
    EXPECT_EQ(Settings.StationChannel(1), 1);
    EXPECT_EQ(Settings.StationChannel(2), 33);
    EXPECT_EQ(std::string(Settings.StationName(2)), std::string(39, 'L'));
    EXPECT_EQ(Settings.StationChannel(3), -3);
    EXPECT_STREQ(Settings.StationName(3), "Minus");

    // 210 stored stations: the loader looks at 200 entries and the table holds 200.
    registry::reset_for_test();
    for (int n = 0; n < 210; ++n) {
        seed(HKEY_LOCAL_MACHINE, ("Station" + std::to_string(n)).c_str(), REG_SZ, text(std::to_string(n + 2)));
        seed(HKEY_LOCAL_MACHINE, ("StationName" + std::to_string(n)).c_str(), REG_SZ, text(std::string("S").append(std::to_string(n))));
    }
    fresh_settings();
    LoadAllSettings();
    EXPECT_EQ(Settings.StationCount(), MaxStations);
    EXPECT_STREQ(Settings.StationName(MaxStations - 1), "S199");
}

TEST_F(SettingsLoad, TheLocalMachineCopyComesFirstThenTheCurrentUser)
{
    SaveAllSettings(nullptr);
    registry::restart();
    const std::string machine = registry::hive_path(HKEY_LOCAL_MACHINE);
    const std::string user = registry::hive_path(HKEY_CURRENT_USER);
    auto set_channel = [](const std::string& path, const char* channel) {
        std::string content = read_file(path);
        const std::string from = "\"Channel\"=sz:\"5\\0\"";
        auto at = content.find(from);
        ASSERT_NE(at, std::string::npos) << content;
        content.replace(at, from.size(), std::string("\"Channel\"=sz:\"") + channel + "\\0\"");
        write_file(path, content);
    };
    set_channel(machine, "42");
    set_channel(user, "17");

    restart_and_load();
    EXPECT_EQ(Settings.Channel, 42);

    std::filesystem::remove(machine);
    restart_and_load();
    EXPECT_EQ(Settings.Channel, 17);
}

}
