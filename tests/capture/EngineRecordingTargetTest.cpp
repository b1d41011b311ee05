// While a recording target records, the engine's picture is the target's own preview: showing,
// fitting and placing the picture go to the target, the sound stays on the tuner, and the
// engine deletes the target when it goes.

#include "EngineFixture.h"

#include "TempHome.h"

#include <base/Path.h>
#include <media/MediaIn.h>

#include <filesystem>
#include <functional>

namespace {

using namespace engine_test;

// A target that journals the calls it gets.
class JournalTarget final : public SMediaIn {
public:
    JournalTarget(const std::string& path, std::vector<std::string>& log)
        : SMediaIn(path.c_str())
        , log(log)
    {
    }
    ~JournalTarget() override
    {
        if (on_delete)
            on_delete();
        log.push_back("deleted");
    }
    bool Start() override { return false; }
    bool Stop() override { return false; }
    LONG GetFileSize() override { return -1; }
    LONG GetElapsed() override { return -1; }
    void FitPreview() override { note("FitPreview"); }
    void ShowPreview(bool on) override { note(on ? "ShowPreview on" : "ShowPreview off"); }
    void SetFullScreen(bool on) override { note(on ? "SetFullScreen on" : "SetFullScreen off"); }

    std::function<void()> on_delete;

private:
    void note(const char* call) { log.push_back(call); }
    std::vector<std::string>& log;
};

// An engine that can be handed a recording target, as starting a Windows Media recording does.
class TargetTv : public STv {
public:
    using STv::m_crossbar;
    using STv::m_previewBuilt;
    using STv::m_running;

    // An engine with nothing open.
    TargetTv() = default;
    // An engine around the first card with a tuner.
    explicit TargetTv(BYTE lineIn)
        : STv("", nullptr, lineIn, 0, nullptr, nullptr)
    {
    }

    void hold(SMediaIn* target) { m_recordingTarget = target; }
    void drop() { DeleteRecordingTarget(); }
    // The input routed to a crossbar output.
    LONG routed(LONG output) const
    {
        LONG input = -2;
        m_crossbar->get_IsRoutedTo(output, &input);
        return input;
    }
};

class RecordingTarget : public EngineTest {
protected:
    JournalTarget* target(const char* name = "News.wmv")
    {
        return new JournalTarget(base::to_windows_path(folder / name), log);
    }

    test_support::TempDir folder { "target" };
    std::vector<std::string> log;
};

TEST_F(RecordingTarget, ShowingThePictureGoesToTheTargetsPreview)
{
    sim::install_cards({ card() });
    TargetTv tv(0);
    ASSERT_TRUE(tv.HasCaptureDevice());
    EXPECT_FALSE(tv.IsRecording());
    tv.hold(target());
    EXPECT_TRUE(tv.IsRecording());

    tv.STvShow(true);
    EXPECT_TRUE(tv.IsVideoShown());
    // The engine's own preview is neither built nor run: the target has the device.
    EXPECT_FALSE(tv.m_previewBuilt);
    EXPECT_FALSE(tv.m_running);
    tv.STvShow(false);
    EXPECT_FALSE(tv.IsVideoShown());
    EXPECT_EQ(log, (std::vector<std::string> { "ShowPreview on", "ShowPreview off" }));
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(RecordingTarget, FittingAndPlacingGoToTheTarget)
{
    struct Case {
        LONG mode;
        bool shown;
        std::vector<std::string> calls; // of PlaceVideoWindow, then FitVideoWindow
    };
    for (const Case& c : {
             Case { 0, true, { "SetFullScreen off", "FitPreview" } },
             Case { 1, true, { "SetFullScreen on" } }, // full screen is not fitted
             Case { 2, true, { "SetFullScreen on", "FitPreview" } }, // full window: the target's full screen
             Case { 1, false, {} },
             Case { 0, false, { "FitPreview" } },
         }) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.shown ? ", shown" : ", hidden"));
        TargetTv tv;
        tv.hold(target());
        tv.STvShow(c.shown);
        log.clear();
        tv.PlaceVideoWindow(c.mode);
        EXPECT_EQ(tv.GetScreenMode(), c.mode);
        tv.FitVideoWindow();
        EXPECT_EQ(log, c.calls);
    }
}

TEST_F(RecordingTarget, WhileATargetRecordsTheTunerSoundIsRouted)
{
    sim::install_cards({ card() });
    TargetTv tv(1);
    ASSERT_TRUE(tv.HasCaptureDevice());
    constexpr LONG tunerAudio = 3, lineAudio = 4, audioOutput = 1;
    ASSERT_EQ(tv.routed(audioOutput), lineAudio);

    tv.hold(target());
    tv.RouteAudio(true);
    EXPECT_FALSE(tv.IsLineIn());
    EXPECT_EQ(tv.routed(audioOutput), tunerAudio);

    tv.drop();
    EXPECT_EQ(log, std::vector<std::string> { "deleted" });
    tv.RouteAudio(true);
    EXPECT_TRUE(tv.IsLineIn());
    EXPECT_EQ(tv.routed(audioOutput), lineAudio);
}

TEST_F(RecordingTarget, TheEngineDeletesItsTargetDetachedFirst)
{
    sim::install_cards({ card() });
    auto* tv = new TargetTv(0);
    JournalTarget* held = target();
    tv->hold(held);
    // Whatever the target's teardown reaches finds the engine without it.
    held->on_delete = [&] { log.push_back(tv->IsRecording() ? "engine still recording" : "engine detached"); };
    delete tv;
    EXPECT_EQ(log, (std::vector<std::string> { "engine detached", "deleted" }));

    TargetTv idle;
    idle.drop(); // nothing held: nothing to delete
    EXPECT_EQ(log.size(), 2u);
}

}
