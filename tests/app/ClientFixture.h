#pragma once

// The fixture of the client window tests: a temp platform home with an empty registry and the
// settings loaded from it (every default), a virtual clock, one virtual TV card and the virtual
// sound card, message boxes answered and journalled, and a frame around a TClient whose
// WM_UPDATESTATEICON posts are counted. At the end every COM object must be gone.

#include "SettingsFixture.h"

#include <app/Client.h>
#include <app/PrivateMessages.h>
#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <media/Mixer.h>
#include <resources/CommandIds.h>

#include <base/Clock.h>
#include <com/Apartment.h>
#include <com/Object.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <owl/FrameWindow.h>
#include <sim/SoundCard.h>
#include <sim/VirtualHardware.h>
#include <user/Controls.h>
#include <user/Testing.h>
#include <user/User.h>

#include <memory>
#include <string>
#include <vector>

namespace client_test {

// The client with its protected state in reach.
class TestClient : public TClient {
public:
    TestClient()
        : OWL::TWindow(nullptr)
        , TClient(nullptr)
    {
    }
    using TClient::m_busy;
    using TClient::m_channelField;
    using TClient::m_runningEvent;
    using TClient::m_screenMode;
    using TClient::m_selectedChannel;
};

// An enabler that remembers what the client's table made of it.
class RecordingEnabler : public OWL::TCommandEnabler {
public:
    explicit RecordingEnabler(UINT id) : TCommandEnabler(id) { }
    void Enable(bool enable = true) override
    {
        TCommandEnabler::Enable(enable);
        m_handled = true;
    }
    void SetCheck(int state) override
    {
        checked = state == Checked;
        m_handled = true;
    }
    void SetText(const char*) override { }
    bool checked = false;
};

// A window of the radio program's class in this process: remembers the requests it is sent and
// answers each with `answer`.
struct RadioWindow {
    static inline std::vector<WPARAM> requests;
    static inline LPARAM last_lparam = 0;
    static inline LRESULT answer = 0;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_TUNERREQUEST) {
            requests.push_back(wparam);
            last_lparam = lparam;
            return answer;
        }
        return DefWindowProcA(window, message, wparam, lparam);
    }

    RadioWindow()
    {
        requests.clear();
        answer = 0;
        WNDCLASSA wc {};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "Lunetto";
        RegisterClassA(&wc);
        handle = CreateWindowExA(0, "Lunetto", "Radio", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    }
    ~RadioWindow()
    {
        DestroyWindow(handle);
        UnregisterClassA("Lunetto", nullptr);
    }

    HWND handle = nullptr;
};

class ClientTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 3, 1, 20, 0, 0));
        CoInitialize(nullptr);
        dshow::register_classes();
        dshow::clear_devices();
        dshow::register_classes(); // the audio renderers again
        sim::install_cards(sim::default_machine());
        sound_cards = sim::install_sound_cards({ sim::default_sound_card() });
        user::testing::reset();
        objects = com::live_objects();
        LoadAllSettings();
    }

    void TearDown() override
    {
        close();
        EXPECT_EQ(Tv, nullptr);
        sim::uninstall_cards();
        EXPECT_EQ(com::live_objects(), objects);
        CoUninitialize();
        user::testing::reset();
        base::Clock::install_real();
        SettingsTest::TearDown();
    }

    // Makes the frame and the client's window, and lets the deferred start run.
    TestClient& open()
    {
        client = new TestClient;
        frame = std::make_unique<OWL::TFrameWindow>(nullptr, "Orbivane", client);
        frame->OnMessage(WM_UPDATESTATEICON, [this](WPARAM wparam, LPARAM lparam) {
            EXPECT_EQ(wparam, 0u);
            EXPECT_EQ(lparam, 0);
            ++state_icons;
            return LRESULT(0);
        });
        EXPECT_TRUE(frame->Create());
        pump();
        return *client;
    }

    void close()
    {
        frame.reset();
        client = nullptr;
    }

    // An edit control in the client standing for the control bar's channel field.
    HWND add_channel_field()
    {
        HWND field = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, client->GetHandle(),
            reinterpret_cast<HMENU>(1805), nullptr, nullptr);
        client->m_channelField = field;
        return field;
    }

    static std::string window_text(HWND window)
    {
        char text[64] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }

    static void pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    void command(UINT id)
    {
        SendMessageA(frame->GetHandle(), WM_COMMAND, id, 0);
        pump();
    }

    // Runs the client's enabler for a command; whether it was enabled and checked.
    struct Enabled {
        bool enabled;
        bool checked;
        bool operator==(const Enabled&) const = default;
    };
    Enabled enabler(UINT id)
    {
        RecordingEnabler ce(id);
        EXPECT_TRUE(client->RouteEnabler(ce)) << id;
        return { ce.GetEnabled(), ce.checked };
    }

    static std::vector<std::string> box_texts()
    {
        std::vector<std::string> texts;
        for (auto& shown : user::testing::message_box_journal())
            texts.push_back(shown.box.text);
        return texts;
    }

    // The virtual sound card's speakers "Line In" controls.
    DWORD line_in_control(DWORD type) const
    {
        return *sound_cards[0]->control_id(*sound_cards[0]->line_id(MIXERLINE_COMPONENTTYPE_SRC_LINE), type);
    }
    DWORD line_in_value(DWORD type) const { return sound_cards[0]->value(line_in_control(type)).at(0); }

    std::vector<std::shared_ptr<sim::SoundCard>> sound_cards;
    std::unique_ptr<OWL::TFrameWindow> frame;
    TestClient* client = nullptr;
    int state_icons = 0;
    std::int64_t objects = 0;
};

}
