// The Run keys as the desktop's autostart entries: both hives have the key from the start, and
// saving either hive keeps $XDG_CONFIG_HOME/autostart in step with their values.

#include "RegistryFixture.h"

namespace {

constexpr const char* run_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct AutostartTest : RegistryTest {
    std::string config;

    void SetUp() override
    {
        RegistryTest::SetUp();
        registry::set_machine_keys(true);
        config = home + "/config";
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("XDG_CONFIG_HOME");
        RegistryTest::TearDown();
    }

    std::string entry(const char* file) const { return config + "/autostart/" + file; }

    static void set_run(HKEY hive, const char* name, const char* command)
    {
        HKEY run = open(hive, run_key, KEY_WRITE);
        std::string text(command);
        EXPECT_EQ(set(run, name, REG_SZ, bytes(std::string_view(text.c_str(), text.size() + 1))), ERROR_SUCCESS);
        RegCloseKey(run);
    }
    static void delete_run(HKEY hive, const char* name)
    {
        HKEY run = open(hive, run_key, KEY_WRITE);
        EXPECT_EQ(RegDeleteValueA(run, name), ERROR_SUCCESS);
        RegCloseKey(run);
    }

    // The Exec line of an entry, or "(none)".
    std::string exec_of(const char* file) const
    {
        std::ifstream in(entry(file));
        std::string line;
        while (std::getline(in, line)) {
            if (line.starts_with("Exec="))
                return line.substr(5);
        }
        return "(none)";
    }
};

TEST_F(AutostartTest, BothHivesHaveTheRunKeyFromTheStart)
{
    for (HKEY hive : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }) {
        HKEY run = nullptr;
        EXPECT_EQ(RegOpenKeyExA(hive, run_key, 0, KEY_WRITE, &run), ERROR_SUCCESS);
        RegCloseKey(run);
    }
}

TEST_F(AutostartTest, ARunValueOfEitherHiveIsAnEntryUntilItIsDeletedFromBoth)
{
    set_run(HKEY_LOCAL_MACHINE, "Orbivane", "\\opt\\tv\\orbivane -m");
    EXPECT_EQ(exec_of("orbivane.desktop"), "/opt/tv/orbivane -m");
    std::string text = read_text(entry("orbivane.desktop"));
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\nName=Orbivane\n"), std::string::npos) << text;

    set_run(HKEY_CURRENT_USER, "ORBIVANE", "\\opt\\tv\\orbivane");
    delete_run(HKEY_LOCAL_MACHINE, "Orbivane");
    EXPECT_EQ(exec_of("orbivane.desktop"), "/opt/tv/orbivane") << "the user's value still asks for it";
    delete_run(HKEY_CURRENT_USER, "ORBIVANE");
    EXPECT_FALSE(std::filesystem::exists(entry("orbivane.desktop")));
}

TEST_F(AutostartTest, TheProgramPathIsQuotedAndEscapedAsDesktopEntriesAsk)
{
    struct Case {
        const char* command;
        const char* exec; // as the file holds it
    };
    const Case cases[] = {
        { "\\opt\\tv\\orbivane", "/opt/tv/orbivane" },
        { "\"\\home\\ann\\my tv\\orbivane\" -m", "\"/home/ann/my tv/orbivane\" -m" },
        { "\\home\\ann\\$tv\\orbivane", "\"/home/ann/\\\\$tv/orbivane\"" },
        { "\\opt\\100%\\orbivane -m", "/opt/100%%/orbivane -m" },
        { "C:\\opt\\orbivane", "/opt/orbivane" },
    };
    for (const auto& c : cases) {
        set_run(HKEY_LOCAL_MACHINE, "Orbivane", c.command);
        EXPECT_EQ(exec_of("orbivane.desktop"), c.exec) << c.command;
    }
}

TEST_F(AutostartTest, EntriesItDidNotMakeAreLeftAlone)
{
    std::filesystem::create_directories(config + "/autostart");
    std::ofstream(entry("orbivane.desktop")) << "[Desktop Entry]\nType=Application\nExec=/usr/bin/mine\n";
    std::ofstream(entry("other.desktop")) << "[Desktop Entry]\nType=Application\nExec=/usr/bin/other\n";
    set_run(HKEY_LOCAL_MACHINE, "Orbivane", "\\opt\\tv\\orbivane");
    EXPECT_EQ(exec_of("orbivane.desktop"), "/usr/bin/mine");
    delete_run(HKEY_LOCAL_MACHINE, "Orbivane");
    EXPECT_EQ(exec_of("orbivane.desktop"), "/usr/bin/mine");
    EXPECT_EQ(exec_of("other.desktop"), "/usr/bin/other");
}

}
