#include "ClientFixture.h"

#include <app/App.h>
#include <resources/MainMenu.h>
#include <resources/StateIcons.h>

#include <base/Modules.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

using namespace client_test;

TEST_F(ClientTest, TvOnOpensTheCardAtTheSavedChannelAndOffDropsEngineAndMixer)
{
    Settings.Channel = 7;
    open();
    EXPECT_EQ(Tv, nullptr) << "TvStart 0 starts nothing";
    EXPECT_EQ(client->GetSelectedChannel(), 7);
    int icons = state_icons;

    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    EXPECT_STREQ(Tv->GetDeviceName(), "Sim TV Card");
    EXPECT_STREQ(Settings.OpenedDeviceName, "Sim TV Card");
    EXPECT_EQ(Tv->GetChannel(), 7);
    EXPECT_TRUE(Tv->IsVideoShown());
    EXPECT_EQ(Settings.TvState, 1);
    EXPECT_EQ(Settings.ActivityState, ActivityTv);
    EXPECT_NE(client->GetMixer(), nullptr) << "ChangeMixer is on by default";
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_MUTE), 0u) << "the card's sound is heard";
    EXPECT_EQ(state_icons, icons + 1);
    EXPECT_EQ(box_texts(), std::vector<std::string> {});

    command(CM_TV);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(client->GetMixer(), nullptr);
    EXPECT_EQ(Settings.TvState, 0);
    EXPECT_EQ(Settings.ActivityState, ActivityIdle);
    EXPECT_EQ(state_icons, icons + 2);
    EXPECT_EQ(sim::card_filters_alive(0), 0);

    // The tray's TV item does the same.
    SendMessageA(client->GetHandle(), WM_TRAYTV, 0, 0);
    EXPECT_NE(Tv, nullptr);
}

// The radio program's stand-in: answers the tuner request, noting the cursor shown meanwhile.
std::vector<HCURSOR> s_cursorsAtRequest;
LRESULT CALLBACK RadioProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_USER + 147) {
        s_cursorsAtRequest.push_back(GetCursor());
        return 15; // refused
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(ClientTest, TheHourglassShowsWhileTvStartsAndTheArrowAfter)
{
    WNDCLASSA wc {};
    wc.lpfnWndProc = RadioProc;
    wc.lpszClassName = "Lunetto";
    RegisterClassA(&wc);
    HWND radio = CreateWindowExA(0, "Lunetto", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(radio, nullptr);
    open();
    Settings.Tuner[0] = 0;
    std::strcpy(Settings.OpenedDeviceName, "Sim WDM Card"); // a card the radio program shares
    s_cursorsAtRequest.clear();
    command(CM_TV);
    DestroyWindow(radio);
    EXPECT_EQ(Tv, nullptr) << "the radio program refused";
    EXPECT_EQ(s_cursorsAtRequest, std::vector<HCURSOR> { LoadCursorA(nullptr, IDC_WAIT) });
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(ClientTest, AudioOnlyAndVideoShareOneEngine)
{
    open();
    command(CM_TVAUDIOONLY);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsVideoShown());
    EXPECT_EQ(Settings.ActivityState, ActivityTv);
    EXPECT_EQ(enabler(CM_TVAUDIOONLY), (Enabled { true, true }));
    EXPECT_EQ(enabler(CM_TV), (Enabled { true, false }));

    command(CM_TV); // video on: the same engine
    ASSERT_NE(Tv, nullptr);
    EXPECT_TRUE(Tv->IsVideoShown());
    EXPECT_EQ(enabler(CM_TV), (Enabled { true, true }));
    EXPECT_EQ(enabler(CM_TVAUDIOONLY), (Enabled { true, false }));

    command(CM_TVAUDIOONLY); // back to sound only
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsVideoShown());
    EXPECT_EQ(sim::card_binds(0), 1) << "the card was opened once";

    command(CM_TVAUDIOONLY); // pressed again: off
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(Settings.ActivityState, ActivityIdle);
}

TEST_F(ClientTest, SetUpGoesToTheLastFolderStartsTimer42AndShowsTheChannel)
{
    std::string before = current_directory();
    std::filesystem::create_directories(home + "/Videos");
    std::string videos = home + "/Videos";
    std::replace(videos.begin(), videos.end(), '/', '\\');
    base::copy_bounded(Settings.LatestDirectory, sizeof Settings.LatestDirectory, videos);
    Settings.Channel = 1;
    open();
    EXPECT_EQ(current_directory(), videos);
    SetCurrentDirectoryA(before.c_str());
    EXPECT_EQ(client->GetSelectedChannel(), 1);

    MSG msg;
    base::Clock::advance_ms(999);
    EXPECT_FALSE(PeekMessageA(&msg, client->GetHandle(), WM_TIMER, WM_TIMER, PM_REMOVE));
    base::Clock::advance_ms(1);
    ASSERT_TRUE(PeekMessageA(&msg, client->GetHandle(), WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 42u);
    close();
    EXPECT_EQ(box_texts(), std::vector<std::string> {});
}

TEST_F(ClientTest, TheApplicationsMainWindowHoldsTheClientAndItsKeysReachIt)
{
    RegisterMainMenu();
    RegisterMainAccelerators();
    RegisterStateIcons();
    App app;
    app.InitMainWindow();
    OWL::TFrameWindow* main = app.GetMainWindow();
    ASSERT_TRUE(main->Create());
    pump();
    ASSERT_NE(dynamic_cast<TClient*>(main->GetClientWindow()), nullptr);
    auto key = [&](UINT vk) {
        MSG msg { main->GetHandle(), WM_KEYDOWN, vk, 0, 0, {} };
        EXPECT_TRUE(main->PreProcessMsg(msg)) << vk;
        pump();
    };
    key(VK_HOME);
    ASSERT_NE(Tv, nullptr);
    EXPECT_EQ(Tv->GetChannel(), 5);
    EXPECT_EQ(main->GetIcon(), LoadIconA(nullptr, MAKEINTRESOURCEA(IDI_TV))) << "the frame shows TV on";
    key(VK_PRIOR);
    EXPECT_EQ(Tv->GetChannel(), 6);
    key(VK_NEXT);
    key(VK_NEXT);
    EXPECT_EQ(Tv->GetChannel(), 4);
    key(VK_HOME);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(main->GetIcon(), LoadIconA(nullptr, MAKEINTRESOURCEA(IDI_IDLE)));
}

TEST_F(ClientTest, TvStartRuleAtTheDeferredStart)
{
    struct Case {
        LONG tvStart, tvState;
        bool on;
    };
    for (Case c : { Case { 0, 1, false }, Case { 1, 0, true }, Case { 2, 0, false }, Case { 2, 1, true } }) {
        SCOPED_TRACE(testing::Message() << "TvStart " << c.tvStart << ", TvState " << c.tvState);
        Settings.TvStart = c.tvStart;
        Settings.TvState = c.tvState;
        open();
        EXPECT_EQ(Tv != nullptr, c.on);
        if (Tv) {
            EXPECT_TRUE(Tv->IsVideoShown());
        }
        close();
    }
}

TEST_F(ClientTest, DeferredStartActsOnlyOnItsOwnParameters)
{
    Settings.TvStart = 1;
    client = new TestClient;
    frame = std::make_unique<OWL::TFrameWindow>(nullptr, "Orbivane", client);
    ASSERT_TRUE(frame->Create());
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, client->GetHandle(), WM_DEFERREDSTART, WM_DEFERREDSTART, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 2);

    for (auto [w, l] : { std::pair<WPARAM, LPARAM> { 0, 2 }, { 1, 0 }, { 2, 1 }, { 1, 3 } }) {
        EXPECT_EQ(SendMessageA(client->GetHandle(), WM_DEFERREDSTART, w, l), 0);
        EXPECT_EQ(Tv, nullptr) << w << "/" << l;
    }
    SendMessageA(client->GetHandle(), WM_DEFERREDSTART, 1, 2);
    EXPECT_NE(Tv, nullptr);
}

TEST_F(ClientTest, ACardThatCannotOpenLeavesTvOff)
{
    sim::CaptureCard broken;
    broken.always_fail_bind = true;
    sim::install_cards({ broken });
    open();
    int icons = state_icons;
    command(CM_TV);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(Settings.TvState, 0);
    EXPECT_EQ(Settings.ActivityState, ActivityIdle);
    EXPECT_EQ(client->GetMixer(), nullptr);
    EXPECT_EQ(state_icons, icons + 1);
    EXPECT_EQ(box_texts().size(), 1u) << "the engine reports the failure itself";
}

TEST_F(ClientTest, OptionsRestartTvOnAnotherDeviceKeepingVideoOrSoundOnly)
{
    strcpy(Settings.Tuner, "Sim TV Card");
    open();
    for (bool video : { true, false }) {
        SCOPED_TRACE(video ? "video" : "sound only");
        command(video ? CM_TV : CM_TVAUDIOONLY);
        int binds = sim::card_binds(0);

        // The device's own name, in any case, keeps the engine.
        strcpy(Settings.Tuner, "SIM tv CARD");
        Settings.Channel = 9;
        client->ApplyClientOptions();
        EXPECT_EQ(sim::card_binds(0), binds);
        EXPECT_EQ(Tv->GetChannel(), 9);

        // A device opened by name, then an empty Tuner: the default rule may choose another
        // device, so TV goes off and on again.
        Settings.Tuner[0] = '\0';
        client->ApplyClientOptions();
        ASSERT_NE(Tv, nullptr);
        EXPECT_EQ(sim::card_binds(0), binds + 1);
        EXPECT_EQ(Tv->IsVideoShown(), video);
        EXPECT_EQ(Settings.ActivityState, ActivityTv);

        // Now the default rule chose it, and an empty or "<default>" Tuner keeps it.
        for (const char* tuner : { "", "<Default>" }) {
            strcpy(Settings.Tuner, tuner);
            client->ApplyClientOptions();
            EXPECT_EQ(sim::card_binds(0), binds + 1) << tuner;
        }

        // Another name is another device, here one that is not there: TV goes off.
        strcpy(Settings.Tuner, "Other Card");
        client->ApplyClientOptions();
        EXPECT_EQ(Tv, nullptr);
        EXPECT_EQ(sim::card_binds(0), binds + 1);
        strcpy(Settings.Tuner, "Sim TV Card");
    }
}

TEST_F(ClientTest, TvOnAtStartWithAnEmptyTunerOpensTheCardOnce)
{
    Settings.Tuner[0] = '\0';
    Settings.TvStart = 1;
    open();
    ASSERT_NE(Tv, nullptr);
    EXPECT_EQ(sim::card_binds(0), 1) << "the options applied at the start keep the engine";
    EXPECT_TRUE(Tv->IsVideoShown());
}

TEST_F(ClientTest, OptionsFollowChangeMixer)
{
    open();
    command(CM_TV);
    ASSERT_NE(client->GetMixer(), nullptr);
    Settings.ChangeMixer = 0;
    client->ApplyClientOptions();
    EXPECT_EQ(client->GetMixer(), nullptr);
    EXPECT_EQ(enabler(CM_MUTE).enabled, false);
    EXPECT_EQ(enabler(CM_VOLUMEUP).enabled, false);

    Settings.ChangeMixer = 1;
    strcpy(Settings.WaveInDriver, "No Such Device");
    EXPECT_FALSE(client->CreateMixer()) << "a mixer without a handle is dropped";
    EXPECT_EQ(client->GetMixer(), nullptr);
    strcpy(Settings.WaveInDriver, "-1");
    EXPECT_TRUE(client->CreateMixer());
    EXPECT_NE(client->GetMixer(), nullptr);
}

TEST_F(ClientTest, AnEngineMadeForThePropertyPagesIsStartedInFullByTv)
{
    open();
    // The device pages make an engine without tuning it or counting TV as on.
    Tv = new STv("", client->GetHandle(), 1, 0, nullptr, nullptr);
    ASSERT_TRUE(Tv->HasCaptureDevice());
    EXPECT_EQ(Tv->GetChannel(), -1);

    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    EXPECT_TRUE(Tv->IsVideoShown());
    EXPECT_EQ(Tv->GetChannel(), 5);
    EXPECT_EQ(Settings.TvState, 1);
    EXPECT_EQ(Settings.ActivityState, ActivityTv);
    EXPECT_NE(client->GetMixer(), nullptr);
    EXPECT_EQ(sim::card_binds(0), 1);
}

TEST_F(ClientTest, TheRadioProgramIsAskedForTheTunerOfItsCardFamilies)
{
    std::vector<std::pair<WPARAM, LPARAM>> asked;
    LRESULT answer = 15;
    WNDCLASSA wc {};
    static std::function<LRESULT(WPARAM, LPARAM)> radio;
    radio = [&](WPARAM w, LPARAM l) {
        asked.emplace_back(w, l);
        return answer;
    };
    wc.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
        return message == WM_TUNERREQUEST ? radio(w, l) : DefWindowProcA(window, message, w, l);
    };
    wc.lpszClassName = "Lunetto";
    RegisterClassA(&wc);
    HWND lunetto = CreateWindowExA(0, "Lunetto", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);

    sim::CaptureCard wdm;
    wdm.name = u"Sim WDM Card";
    sim::install_cards({ wdm });
    open();

    // The first start with an empty Tuner has no device name to ask by.
    command(CM_TV);
    EXPECT_NE(Tv, nullptr);
    EXPECT_TRUE(asked.empty());
    command(CM_TV);

    // Later starts ask by the device opened last; a refusal leaves TV off without a word.
    auto boxes = box_texts().size();
    int binds = sim::card_binds(0);
    command(CM_TV);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(asked, (std::vector<std::pair<WPARAM, LPARAM>> { { 5, 13 } }));
    EXPECT_EQ(box_texts().size(), boxes);
    EXPECT_EQ(sim::card_binds(0), binds) << "the card was not touched";

    answer = 0;
    command(CM_TV);
    EXPECT_NE(Tv, nullptr);
    EXPECT_EQ(asked.size(), 2u);
    close();
    DestroyWindow(lunetto);
    UnregisterClassA("Lunetto", nullptr);
}

TEST_F(ClientTest, TheOverlayModuleIsRegisteredOnceWhenThere)
{
    static int registered = 0;
    registered = 0;
    base::Modules::register_module("ksprite.ax", { { "DllRegisterServer", base::export_of(+[]() -> HRESULT {
        ++registered;
        return S_OK;
    }) } });
    open();
    EXPECT_EQ(registered, 1);
    EXPECT_EQ(base::Modules::load_count("ksprite.ax"), 0) << "freed again";
    close();

    base::Modules::register_module("ksprite.ax", {});
    open(); // without its entry: nothing happens
    close();
    base::Modules::unregister_module("ksprite.ax");
    open();
    EXPECT_EQ(registered, 1);
}

TEST_F(ClientTest, CommandsOfTheMenuAreEnabledAsTheirStateSays)
{
    open();
    struct Case {
        UINT id;
        Enabled off; // TV off, nothing open
    };
    const Case cases[] = {
        { CM_TV, { true, false } }, { CM_TVAUDIOONLY, { true, false } }, { CM_CHANNELUP, { true, false } },
        { CM_CHANNELDOWN, { true, false } },
        { CM_MUTE, { true, false } }, { CM_VOLUMEUP, { true, false } }, { CM_VOLUMEDOWN, { true, false } },
        { CM_PLAY, { false, false } }, { CM_TOGGLEPLAY, { false, false } }, { CM_SKIPFORWARD, { false, false } },
        { CM_SKIPBACKWARD, { false, false } },
        { CM_REFRESHPLAYBACK, { false, false } }, { CM_FILECLOSE, { false, false } },
        { CM_PROPERTIES, { false, false } },
        { CM_RECORD, { true, false } }, { CM_RECORDAUDIO, { true, false } },
        { CM_FULLSCREEN, { true, false } }, { CM_FULLWINDOW, { true, false } }, { CM_NORMALSCREEN, { true, true } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(enabler(c.id), c.off) << c.id;

    Settings.Mute = 1;
    EXPECT_EQ(enabler(CM_MUTE), (Enabled { true, true }));

    // Commands without an enabler are enabled when the client handles them.
    for (UINT id : { 1801u, 1802u, 1807u, 1814u, 1817u, 1825u, 1830u, 24331u, 24332u, 24334u, 27000u, 27001u, 27002u,
             27003u, 28000u })
        EXPECT_TRUE(client->CommandHasHandler(id)) << id;
    command(CM_FULLSCREEN);
    EXPECT_EQ(client->m_screenMode, 1);
    EXPECT_EQ(enabler(CM_FULLSCREEN), (Enabled { true, true }));
    EXPECT_EQ(enabler(CM_NORMALSCREEN), (Enabled { true, false }));
}

TEST_F(ClientTest, ClosingWithTvOnEndsEngineMixerAndCom)
{
    int com_before = com::thread_init_count();
    open();
    EXPECT_EQ(com::thread_init_count(), com_before + 1);
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    close();
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(sim::card_filters_alive(0), 0);
    EXPECT_EQ(com::thread_init_count(), com_before);
}

}
