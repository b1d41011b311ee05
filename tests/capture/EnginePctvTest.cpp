// The Studio PCTV card, whose TV input is chosen only on its capture filter's own page: the
// engine opens that page in a frame on a thread of its own and picks the input in its combo box.

#include "EngineFixture.h"
#include "PageText.h"

#include "PlainWindow.h"

#include <ShownPicture.h>
#include <base/Text.h>
#include <base/Threads.h>
#include <dshow/PropertyFrame.h>
#include <dshow/Testing.h>
#include <sim/PropertyPages.h>
#include <sim/TestPicture.h>
#include <user/Controls.h>

namespace {

using namespace engine_test;

class PctvTv : public STv {
public:
    PctvTv(const char* name, HWND client)
        : STv(name, client, 0, 0, nullptr, nullptr)
    {
    }
    using STv::m_captureFilter;
    using STv::m_crossbar;
};

class PctvTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        dshow::testing::reset();
    }
    void TearDown() override
    {
        dshow::testing::reset();
        EngineTest::TearDown();
    }

    // A card whose crossbar only its "Video Input" page reaches; it starts on the composite input.
    static sim::CaptureCard pctv(std::u16string name = u"Studio PCTV Sim")
    {
        sim::CaptureCard c = card(std::move(name));
        c.private_crossbar = true;
        c.filter_pages = { CLSID_SimVideoInputPage, CLSID_SimTunerPage };
        return c;
    }
    // The input the card's own page shows as chosen, read in a frame of the test's own.
    static std::string chosen_input(PctvTv& tv)
    {
        return page_control_text(tv.m_captureFilter, CLSID_SimVideoInputPage, sim::kVideoInputPageInputs);
    }
    static std::vector<dshow::testing::ClosedPropertyFrame> engine_frames()
    {
        std::vector<dshow::testing::ClosedPropertyFrame> frames;
        for (auto& closed : dshow::testing::property_frame_journal())
            if (closed.frame.caption.rfind("pctv for orbivane", 0) == 0)
                frames.push_back(closed);
        return frames;
    }
};

TEST_F(PctvTest, TheCardSwitchesToItsTvInputThroughItsOwnPageAndShowsTheChannel)
{
    struct Case {
        const char16_t* name;
        const char* separator;
    };
    const Case cases[] = {
        { u"Studio PCTV Sim", " " },
        { u"STUDIO pctv USB", "  " }, // the prefix in any case; the title with two blanks
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(base::to_utf8(c.name));
        dshow::testing::reset();
        dshow::testing::set_property_frame_separator(c.separator);
        sim::install_cards({ pctv(c.name) });
        {
            ShownClient client;
            PctvTv tv(base::to_utf8(c.name).c_str(), client);
            ASSERT_TRUE(tv.HasCaptureDevice());
            EXPECT_FALSE(tv.m_crossbar); // nothing but the page reaches the input
            EXPECT_TRUE(box_texts().empty());
            EXPECT_TRUE(dshow::testing::open_property_frames().empty());
            auto frames = engine_frames();
            ASSERT_EQ(frames.size(), 1u);
            EXPECT_EQ(frames[0].frame.caption, std::string("pctv for orbivane") + c.separator + "Properties");
            EXPECT_EQ(frames[0].result, IDOK);
            EXPECT_FALSE(frames[0].frame.owner);
            EXPECT_NE(frames[0].frame.thread, GetCurrentThreadId());
            EXPECT_EQ(chosen_input(tv), "TV");

            tv.SetChannel(6);
            tv.STvShow(true);
            HWND video = FindWindowExA(client, nullptr, "VideoRenderer", nullptr);
            ASSERT_TRUE(video);
            EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(6)), sim::PictureSource::channel(6));
            tv.STvShow(false);
        }
        sim::uninstall_cards();
    }
}

TEST_F(PctvTest, WithoutACardOfThatNameNoPageIsOpened)
{
    sim::install_cards({ pctv(u"Sim PCTV Card") });
    PctvTv tv("Sim PCTV Card", nullptr);
    ASSERT_TRUE(tv.HasCaptureDevice());
    EXPECT_TRUE(dshow::testing::property_frame_journal().empty());
    EXPECT_EQ(chosen_input(tv), "Composite");
}

TEST_F(PctvTest, TheFirstEntryIsChosenEvenWhenTvIsFurtherDown)
{
    // The combo box lists S-Video, TV, Composite; the first entry wins over the "TV" found.
    sim::CaptureCard card = pctv();
    card.crossbar->inputs = {
        { PhysConn_Video_SVideo, 3 },
        { PhysConn_Video_Tuner, 3 },
        { PhysConn_Video_Composite, 4 },
        { PhysConn_Audio_Tuner, 1 },
        { PhysConn_Audio_Line, 0 },
    };
    card.private_crossbar = true;
    sim::install_cards({ card });
    PctvTv tv("Studio PCTV Sim", nullptr);
    ASSERT_TRUE(tv.HasCaptureDevice());
    auto frames = engine_frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].result, IDOK);
    EXPECT_EQ(chosen_input(tv), "S-Video");
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(PctvTest, ACardWithoutPagesIsReportedAndLeavesNoFrameOrThread)
{
    const char* missing = "Cannot find control to change tuning.  (STvHkPCTV)";
    struct Case {
        const char* what;
        std::vector<CLSID> pages;
        bool specifies;
    };
    const Case cases[] = {
        { "no pages at all", {}, false },
        { "an empty page list", {}, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dshow::testing::reset();
        user::testing::reset();
        sim::CaptureCard card = pctv();
        card.filter_pages = c.pages;
        card.filter_specifies_pages = c.specifies;
        sim::install_cards({ card });
        {
            PctvTv tv("Studio PCTV Sim", nullptr);
            ASSERT_TRUE(tv.HasCaptureDevice());
            EXPECT_EQ(box_texts(), std::vector<std::string> { missing });
            EXPECT_TRUE(dshow::testing::open_property_frames().empty());
        }
        sim::uninstall_cards();
    }
}

}
