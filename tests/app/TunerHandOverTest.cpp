// The tuner hand-over between two real processes: the built program and radio_standin, the radio
// program's stand-in, on this test's desktop. The program's card is named into family 5 by a
// hardware description; TV's state is read from the settings saved at exit.

#include "ProgramProcess.h"

#include <app/SettingsSequence.h>
#include <settings/SettingsValues.h>
#include <registry/Registry.h>
#include <registry/Testing.h>
#include <sim/HardwareFile.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

using program::main_window;
using program::wait_exit;

namespace {

// radio_standin with its standard input and output on pipes.
class StandIn {
public:
    StandIn()
    {
        int in[2], out[2];
        EXPECT_EQ(pipe(in), 0);
        EXPECT_EQ(pipe(out), 0);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            execl(RADIO_STANDIN, RADIO_STANDIN, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    ~StandIn()
    {
        say("quit");
        close(m_in);
        wait_exit(m_pid);
        close(m_out);
    }

    void say(const std::string& line)
    {
        std::string text = line + "\n";
        EXPECT_EQ(write(m_in, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // The next line it prints, or "(nothing)" after a minute.
    std::string next()
    {
        for (;;) {
            if (auto end = m_buffer.find('\n'); end != std::string::npos) {
                std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return line;
            }
            pollfd p { m_out, POLLIN, 0 };
            if (poll(&p, 1, 60000) <= 0)
                return "(nothing)";
            char chunk[256];
            ssize_t n = read(m_out, chunk, sizeof chunk);
            if (n <= 0)
                return "(nothing)";
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
    }

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
};

class TunerHandOver : public program::ProgramTest {
protected:
    void SetUp() override
    {
        std::ofstream(sim::hardware_file_path()) << R"({ "capture_cards": [ { "name": "Sim WDM Card" } ] })";
        set_start(1, "");
    }

    void TearDown() override
    {
        ProgramTest::TearDown();
        std::remove(sim::hardware_file_path().c_str());
        set_start(0, "");
    }

    // TvStart and Tuner in both hives, which the program reads at its next start, and TV off.
    static void set_start(BYTE tvStart, const char* tuner)
    {
        registry::forget_hives();
        for (HKEY hive : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyExA(hive, SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
            WriteByteValue(key, "TvStart", tvStart);
            WriteByteValue(key, "TvState", 0);
            RegSetValueExA(key, "Tuner", 0, REG_SZ, reinterpret_cast<const BYTE*>(tuner), static_cast<DWORD>(strlen(tuner) + 1));
            RegCloseKey(key);
        }
        registry::restart();
    }
    static void set_tuner(const char* name) { set_start(1, name); }

    // Closes the program; whether TV was on at its exit.
    static bool close_reporting_tv(pid_t program, HWND window)
    {
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(wait_exit(program), 0);
        registry::forget_hives();
        auto state = registry::read_value(HKEY_CURRENT_USER, SettingsKeyPath, "TvState");
        return state && state->data == std::vector<BYTE> { 1 };
    }
};

// TV starts at start-up by the Tuner setting, so the program asks the radio program first; its
// request marks the moment TV is on.
TEST_F(TunerHandOver, TheRadioProgramTakesTheTunerOnlyForTheFamilyOfTheCardInUse)
{
    set_tuner("Sim WDM Card");
    StandIn radio;
    ASSERT_EQ(radio.next(), "ready");
    pid_t program = start({});
    HWND window = main_window();
    ASSERT_TRUE(window);
    ASSERT_EQ(radio.next(), "request 5 13");
    radio.say("ask 5");
    EXPECT_EQ(radio.next(), "asked 0");
    EXPECT_EQ(radio.next(), "holding");
    EXPECT_FALSE(close_reporting_tv(program, window)) << "TV went off for the radio program";
}

TEST_F(TunerHandOver, ARequestForAnotherFamilyLeavesTvOn)
{
    set_tuner("Sim WDM Card");
    StandIn radio;
    ASSERT_EQ(radio.next(), "ready");
    pid_t program = start({});
    HWND window = main_window();
    ASSERT_TRUE(window);
    ASSERT_EQ(radio.next(), "request 5 13");
    radio.say("ask 2");
    EXPECT_EQ(radio.next(), "asked 0");
    EXPECT_TRUE(close_reporting_tv(program, window));
}

// How the radio program answers TV's request at start, and whether TV is on after it.
TEST_F(TunerHandOver, TvAsksTheRadioProgramFirstAndStartsUnlessItRefuses)
{
    struct Case {
        const char* answer;
        bool tv_on;
    };
    // A program that does not answer times out and counts as granted.
    for (Case c : { Case { "answer refuse", false }, Case { "answer silent", true } }) {
        SCOPED_TRACE(c.answer);
        set_tuner("Sim WDM Card");
        StandIn radio;
        ASSERT_EQ(radio.next(), "ready");
        radio.say(c.answer);
        pid_t program = start({});
        HWND window = main_window();
        ASSERT_TRUE(window);
        EXPECT_EQ(radio.next(), "request 5 13");
        EXPECT_EQ(close_reporting_tv(program, window), c.tv_on);
    }
}

}
