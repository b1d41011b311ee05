// The Windows Media hand-over: for a picture the engine gives the device to the recording
// target and takes it back afterwards; for sound only its own graph stays as it is.

#include "EngineFixture.h"

#include "PlainWindow.h"
#include "AsfFile.h"
#include "TempHome.h"

#include <ShownPicture.h>
#include <base/Path.h>
#include <dshow/Testing.h>
#include <dshow/SystemFilters.h>
#include <media/WMFileIn.h>
#include <sim/PropertyPages.h>
#include <sim/TestPicture.h>
#include <sim/SoundCard.h>
#include <wmenc/Encoder.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace engine_test;

class WmTv : public STv {
public:
    using STv::m_captureFilter;
    using STv::m_graph;
    using STv::m_running;
    using STv::m_tunerPage;

    explicit WmTv(HWND client, const char* device = "")
        : STv(device, client, 0, 0, nullptr, nullptr)
    {
    }
};


class EngineWm : public EngineRecordingTest {
protected:
    void SetUp() override
    {
        EngineRecordingTest::SetUp();
        wmenc::register_classes();
        install_sound_cards({ sim::default_sound_card() });
    }
    // Lets the devices stream for `ms` of their time.
    static void run_for(std::int64_t ms)
    {
        std::int64_t from = base::Clock::ticks_ms();
        for (int i = 0; i < 20000 && base::Clock::ticks_ms() - from < ms; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

TEST_F(EngineWm, SoundOnlyLeavesTheEnginesPreviewAndDeviceAlone)
{
    sim::install_cards({ card() });
    struct Case {
        LONG flags;
        const char* name;
    };
    // No video bit, or ".wma" (written in small letters) in the path.
    for (const Case& c : { Case { 5, "a.wmv" }, Case { 15, "b.wma" }, Case { 15, "c.wma.wmv" } }) {
        SCOPED_TRACE(c.name);
        WmTv tv(client);
        tv.STvShow(true);
        IBaseFilter* device = tv.m_captureFilter;
        EXPECT_TRUE(tv.StartWmRecording(windows(c.name).c_str(), c.flags, "<default>", "", "", "", ""));
        EXPECT_TRUE(tv.IsRecording());
        EXPECT_EQ(tv.m_captureFilter.p, device);
        EXPECT_TRUE(tv.m_running);
        run_for(500);
        EXPECT_TRUE(tv.StopRecording(true));
        EXPECT_FALSE(tv.IsRecording());
        EXPECT_EQ(tv.m_captureFilter.p, device);
        EXPECT_TRUE(tv.IsVideoShown());
        EXPECT_TRUE(test_support::is_asf_file(folder / c.name));
        tv.STvShow(false);
    }
    EXPECT_TRUE(box_texts().empty()) << box_texts()[0];
}

TEST_F(EngineWm, APictureRecordingTakesTheDeviceAwayAndGivesItBackWhenAsked)
{
    auto busy = card();
    busy.busy_while_open = true; // the encoder can open the card only once the engine let it go
    sim::install_cards({ busy });
    {
        WmTv tv(client);
        tv.SetChannel(6);
        tv.STvShow(true);
        ASSERT_TRUE(tv.StartWmRecording(windows("tv.WMA").c_str(), 15, "<default>", "", "Copyright", "Recorded", "Orbivane"));
        EXPECT_FALSE(tv.HasCaptureDevice());
        EXPECT_TRUE(tv.IsVideoShown()); // the target's preview
        ASSERT_NE(tv.GetRecordingTarget(), nullptr);
        char title[260] = {};
        EXPECT_TRUE(static_cast<WMFileIn*>(tv.GetRecordingTarget())->GetAttribute("title", title));
        EXPECT_STREQ(title, "Orbivane");
        run_for(2500);
        EXPECT_GE(tv.GetElapsedSeconds(), 1);
        EXPECT_GT(tv.GetFileSize(), 0);
        ASSERT_TRUE(tv.StopRecording(true));
        EXPECT_TRUE(tv.HasCaptureDevice());
        EXPECT_TRUE(tv.IsVideoShown());
        EXPECT_TRUE(tv.m_running);
        EXPECT_EQ(tv.GetChannel(), 6);
        tv.STvShow(false);
    }
    EXPECT_TRUE(test_support::is_asf_file(folder / "tv.WMA"));
    {
        WmTv tv(client);
        tv.STvShow(true);
        ASSERT_TRUE(tv.StartWmRecording(windows("off.wmv").c_str(), 15, "<default>", "", nullptr, nullptr, nullptr));
        run_for(300);
        EXPECT_TRUE(tv.StopRecording(false));
        EXPECT_FALSE(tv.HasCaptureDevice()); // the caller switches TV off next
    }
    EXPECT_TRUE(box_texts().empty()) << box_texts()[0];
}

TEST_F(EngineWm, AnAviCaptureIsStoppedBeforeTheHandOver)
{
    sim::install_cards({ card() });
    WmTv tv(client);
    tv.STvShow(true);
    ASSERT_TRUE(tv.StartCapture(windows("first.avi").c_str(), nullptr, nullptr, nullptr));
    run_for(300);
    ASSERT_TRUE(tv.StartWmRecording(windows("then.wmv").c_str(), 15, "<default>", "", "", "", ""));
    EXPECT_FALSE(tv.HasCaptureDevice());
    run_for(300);
    ASSERT_TRUE(tv.StopRecording(true));
    EXPECT_FALSE(tv.IsRecording());
    EXPECT_TRUE(tv.IsVideoShown());
    tv.STvShow(false);
    EXPECT_TRUE(std::filesystem::file_size(folder / "first.avi") > 0);
    EXPECT_TRUE(test_support::is_asf_file(folder / "then.wmv"));
}

TEST_F(EngineWm, ACardTunedByItsPageGetsOneNewPageControlAfterAPictureRecording)
{
    auto page_card = card(u"Page Tuned Card");
    page_card.tuner = sim::TunerInterface::None;
    page_card.filter_pages = { CLSID_SimTunerPage };
    page_card.busy_while_open = true;
    sim::install_cards({ page_card });
    dshow::testing::reset();
    {
        WmTv tv(client, "Page Tuned Card");
        ASSERT_TRUE(tv.m_tunerPage);
        tv.SetChannel(6);
        tv.STvShow(true);
        EXPECT_EQ(dshow::testing::open_property_frames().size(), 1u);
        ASSERT_TRUE(tv.StartWmRecording(windows("page.wmv").c_str(), 15, "<default>", "", nullptr, nullptr, nullptr));
        // The device went to the encoder with the control's frame closed: nothing holds it.
        EXPECT_FALSE(tv.m_tunerPage);
        EXPECT_TRUE(dshow::testing::open_property_frames().empty());
        run_for(500);
        ASSERT_TRUE(tv.StopRecording(true));
        ASSERT_TRUE(tv.m_tunerPage);
        EXPECT_EQ(dshow::testing::open_property_frames().size(), 1u);
        EXPECT_EQ(tv.GetChannel(), 6);

        // The new control tunes the card: the picture follows.
        tv.SetChannel(9);
        EXPECT_EQ(tv.GetChannel(), 9);
        HWND video = FindWindowExA(client, nullptr, "VideoRenderer", nullptr);
        ASSERT_TRUE(video);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(9)), sim::PictureSource::channel(9));
        tv.STvShow(false);
    }
    EXPECT_TRUE(dshow::testing::open_property_frames().empty());
    EXPECT_TRUE(test_support::is_asf_file(folder / "page.wmv"));
    EXPECT_TRUE(box_texts().empty()) << box_texts()[0];
    dshow::testing::reset();
}

}
