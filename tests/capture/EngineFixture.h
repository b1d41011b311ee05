#pragma once

// The fixtures of the capture engine tests. EngineTest: the virtual card tests' fixture (COM with
// the graph classes, a virtual clock, a machine of virtual cards, and the check that every COM
// object and task-memory block is gone at the end) with every message box answered and journalled. EngineRecordingTest adds what the
// recording tests share: a shown client window for the picture, a temporary folder for the files
// and the sound cards a test installs, all gone at the end however the test ends.

#include <PlainWindow.h>
#include <TempDir.h>
#include <CardFixture.h>
#include <TestFilters.h>

#include <capture/Tv.h>

#include <base/Clock.h>
#include <base/Path.h>
#include <com/TaskMemory.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <dshow/SystemFilters.h>
#include <sim/SoundCard.h>
#include <sim/VirtualHardware.h>
#include <user/Testing.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace engine_test {

// Whether the filter named "audioOut" in `graph` is `renderer` and its input is connected.
inline bool audio_out_plays(IGraphBuilder* graph, IBaseFilter* renderer)
{
    CComPtr<IBaseFilter> named;
    if (FAILED(graph->FindFilterByName(u"audioOut", &named)) || named != renderer)
        return false;
    CComPtr<IEnumPins> pins;
    named->EnumPins(&pins);
    CComPtr<IPin> input;
    CComPtr<IPin> peer;
    return pins->Next(1, &input, nullptr) == S_OK && input->ConnectedTo(&peer) == S_OK;
}

// The input routed to a crossbar output; -2 without a crossbar.
inline LONG routed_input(IAMCrossbar* crossbar, LONG output)
{
    LONG input = -2;
    if (crossbar)
        crossbar->get_IsRoutedTo(output, &input);
    return input;
}

// The channel a tuner is on.
inline LONG tuned_channel(IAMTVTuner* tuner)
{
    LONG channel = 0, video = 0, audio = 0;
    tuner->get_Channel(&channel, &video, &audio);
    return channel;
}

// Cards under test names; `name` "" keeps the default "Sim TV Card".
inline sim::CaptureCard card(std::u16string name = u"")
{
    sim::CaptureCard result;
    if (!name.empty())
        result.name = std::move(name);
    return result;
}

class EngineTest : public card_test::CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        user::testing::reset();
    }
    void TearDown() override
    {
        CardTest::TearDown();
        user::testing::reset();
    }

    static std::unique_ptr<STv> open(const char* name, BYTE lineIn = 0, const char* renderer = nullptr)
    {
        return std::make_unique<STv>(name, nullptr, lineIn, 0, renderer, nullptr);
    }
    // The texts of the message boxes shown so far.
    static std::vector<std::string> box_texts()
    {
        std::vector<std::string> texts;
        for (auto& shown : user::testing::message_box_journal())
            texts.push_back(shown.box.text);
        return texts;
    }
    static std::string cannot_access(const std::string& name)
    {
        return "Cannot access video capture device:\n   " + name
            + "\n\nMay already be used by other program,\nor device may be stuck.";
    }

};

// A top-level window of 400x300, shown, for the engine's picture.
inline HWND shown_client()
{
    HWND window = plain_window("client");
    SetWindowPos(window, nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
    return window;
}

// shown_client(), destroyed with its owner.
class ShownClient {
public:
    ShownClient() = default;
    ~ShownClient() { DestroyWindow(m_window); }
    ShownClient(const ShownClient&) = delete;
    ShownClient& operator=(const ShownClient&) = delete;

    operator HWND() const { return m_window; }

private:
    HWND m_window = shown_client();
};

class EngineRecordingTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        dshow::register_audio_renderer_devices();
        client = shown_client();
    }
    void TearDown() override
    {
        DestroyWindow(client);
        sound_cards.clear();
        sim::install_sound_cards({});
        EngineTest::TearDown();
    }

    // The Windows form of the path of `name` in the test's folder.
    std::string windows(const std::string& name) const { return base::to_windows_path(folder / name); }
    // The video renderer's window inside the client window, or null.
    HWND video_window() const { return FindWindowExA(client, nullptr, "VideoRenderer", nullptr); }
    void install_sound_cards(const std::vector<sim::SoundCardDescription>& descriptions)
    {
        sound_cards = sim::install_sound_cards(descriptions);
    }

    test_support::TempDir folder { "engine" };
    HWND client = nullptr;
    std::vector<std::shared_ptr<sim::SoundCard>> sound_cards;
};

}
