// Devices whose tuner is reached only through the capture filter's own tuner page: the engine
// keeps that page open in a hidden frame of its own and tunes by typing into it.

#include "EngineFixture.h"
#include "PageText.h"

#include <base/Text.h>
#include <base/Threads.h>
#include <dshow/PropertyFrame.h>
#include <dshow/Testing.h>
#include <sim/PropertyPages.h>
#include <user/Controls.h>

namespace {

using namespace engine_test;

class PageTv : public STv {
public:
    explicit PageTv(const char* name)
        : STv(name, nullptr, 0, 0, nullptr, nullptr)
    {
    }
    using STv::m_captureFilter;
    using STv::m_tunerPage;
};

class TunerPageTest : public EngineTest {
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

    static sim::CaptureCard page_only()
    {
        sim::CaptureCard c = card(u"Page Tuned Card");
        c.tuner = sim::TunerInterface::None;
        c.filter_pages = { CLSID_SimTunerPage };
        return c;
    }
    static std::unique_ptr<PageTv> open_page_tv(const sim::CaptureCard& c)
    {
        sim::install_cards({ c });
        auto tv = std::make_unique<PageTv>(base::to_utf8(c.name).c_str());
        EXPECT_TRUE(tv->HasCaptureDevice());
        return tv;
    }
    // The channel the card itself is on, as its tuner page shows it in a frame of the test's own.
    static std::string card_channel(PageTv& tv)
    {
        return page_control_text(tv.m_captureFilter, CLSID_SimTunerPage, sim::kTunerPageChannel);
    }
};

TEST_F(TunerPageTest, APageOnlyCardIsTunedThroughItsHiddenPageWhateverTheFrameLooksLike)
{
    struct Case {
        const char* separator;
        std::vector<CLSID> pages;
        const char* title;
        const char* button;
    };
    const Case cases[] = {
        { " ", { CLSID_SimTunerPage }, "TVTuner Property Page", "Set" },
        { "  ", { CLSID_SimTunerPage }, "TVTuner Property Page", "Enter" },
        // The frame opens on another tab and is switched to the tuner's, named in any case.
        { " ", { CLSID_SimVideoInputPage, CLSID_SimTunerPage }, "TVTUNER property PAGE", "Set" },
        { "  ", { CLSID_SimStreamFormatPage, CLSID_SimVideoInputPage, CLSID_SimTunerPage }, "tvtuner property page",
            "Enter" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("separator \"") + c.separator + "\", button " + c.button + ", tabs "
            + std::to_string(c.pages.size()));
        dshow::testing::reset();
        dshow::testing::set_property_frame_separator(c.separator);
        sim::CaptureCard page_card = page_only();
        page_card.filter_pages = c.pages;
        page_card.tuner_page.title = c.title;
        page_card.tuner_page.button = c.button;
        {
            auto tv = open_page_tv(page_card);
            ASSERT_TRUE(tv->m_tunerPage);
            auto open = dshow::testing::open_property_frames();
            ASSERT_EQ(open.size(), 1u);
            EXPECT_EQ(open[0].caption, std::string("Lunetto/Orbivane control") + c.separator + "Properties");
            EXPECT_FALSE(open[0].owner);
            EXPECT_NE(open[0].thread, GetCurrentThreadId());
            EXPECT_FALSE(IsWindowVisible(open[0].frame));
            RECT at {};
            GetWindowRect(open[0].frame, &at);
            EXPECT_EQ(at.left, 2000);
            EXPECT_EQ(at.top, 2000);

            tv->SetChannel(25);
            EXPECT_EQ(tv->GetChannel(), 25);
            EXPECT_EQ(card_channel(*tv), "25");
            tv->SetChannel(7);
            EXPECT_EQ(card_channel(*tv), "7");
        }
        // Deleting the engine applied the page and closed the frame; its thread has ended.
        EXPECT_TRUE(dshow::testing::open_property_frames().empty());
        auto journal = dshow::testing::property_frame_journal();
        ASSERT_FALSE(journal.empty());
        EXPECT_EQ(journal.back().result, IDOK); // the engine's frame closed last
    }
}

TEST_F(TunerPageTest, APageWithoutChannelFieldIsDroppedAndTuningFallsThrough)
{
    for (bool tuner_tab : { true, false }) {
        SCOPED_TRACE(tuner_tab ? "tuner page without edit" : "no tuner page at all");
        dshow::testing::reset();
        sim::CaptureCard c = page_only();
        if (tuner_tab)
            c.tuner_page.edit = false;
        else
            c.filter_pages = { CLSID_SimVideoInputPage };
        auto tv = open_page_tv(c);
        EXPECT_FALSE(tv->m_tunerPage);
        // The frame was cancelled at once.
        EXPECT_TRUE(dshow::testing::open_property_frames().empty());
        auto journal = dshow::testing::property_frame_journal();
        ASSERT_EQ(journal.size(), 1u);
        EXPECT_EQ(journal[0].result, IDCANCEL);
        // No Bt848 driver either: the channel is not taken.
        tv->SetChannel(25);
        EXPECT_EQ(tv->GetChannel(), -1);
    }
}

TEST_F(TunerPageTest, ACardWithoutPagesGetsNoControl)
{
    sim::CaptureCard c = page_only();
    c.filter_specifies_pages = false;
    auto tv = open_page_tv(c);
    EXPECT_FALSE(tv->m_tunerPage);
    EXPECT_TRUE(dshow::testing::property_frame_journal().empty());
}

TEST_F(TunerPageTest, ReopeningTheDeviceClosesTheOldFrameBeforeOpeningANewOne)
{
    auto tv = open_page_tv(page_only());
    tv->SetChannel(9);
    ASSERT_TRUE(tv->STvFindTvFilter());
    ASSERT_TRUE(tv->m_tunerPage);
    EXPECT_EQ(dshow::testing::open_property_frames().size(), 1u);
    auto journal = dshow::testing::property_frame_journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].result, IDOK);
    tv->SetChannel(31);
    EXPECT_EQ(card_channel(*tv), "31");
}

}
