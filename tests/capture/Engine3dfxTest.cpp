// The 3dfx 3500TV card: its capture device has neither tuner nor crossbar; the engine takes both
// from the companion device "3dfx Voodoo3TV Capture" and keeps it in its graph.

#include "EngineFixture.h"

namespace {

using namespace engine_test;

class CompanionTv : public STv {
public:
    explicit CompanionTv(const char* name)
        : STv(name, nullptr, 0, 0, nullptr, nullptr)
    {
    }
    using STv::m_companionFilter;
    using STv::m_crossbar;
    using STv::m_graph;
    using STv::m_tuner;
};

constexpr const char* k3dfx = "3dfx 3500TV VPX Video Capture(VFW)";

sim::CaptureCard capture_only()
{
    sim::CaptureCard c = card(u"3dfx 3500TV VPX Video Capture(VFW)");
    c.tuner = sim::TunerInterface::None;
    c.crossbar.reset();
    c.filter_pages = {};
    return c;
}

sim::CaptureCard companion()
{
    sim::CaptureCard c = card(u"3dfx Voodoo3TV Capture");
    c.tuner = sim::TunerInterface::Alternative;
    return c;
}

using Companion3dfx = EngineTest;

TEST_F(Companion3dfx, TheCaptureDeviceTunesThroughItsCompanion)
{
    // The companion is listed after another card, which is bound once on the way and let go.
    sim::install_cards({ capture_only(), card(u"Other TV Card"), companion() });
    {
        CompanionTv tv(k3dfx);
        ASSERT_TRUE(tv.HasCaptureDevice());
        EXPECT_STREQ(tv.GetDeviceName(), k3dfx);
        ASSERT_TRUE(tv.m_companionFilter);
        ASSERT_TRUE(tv.m_tuner);
        ASSERT_TRUE(tv.m_crossbar);
        EXPECT_EQ(sim::card_binds(1), 1);
        EXPECT_EQ(sim::card_filters_alive(1), 0);
        EXPECT_EQ(sim::card_filters_alive(2), 1);
        FILTER_INFO info {};
        ASSERT_EQ(tv.m_companionFilter->QueryFilterInfo(&info), S_OK);
        EXPECT_EQ(info.pGraph, tv.m_graph.p); // in the engine's graph
        if (info.pGraph)
            info.pGraph->Release();

        tv.SetChannel(9);
        EXPECT_EQ(tv.GetChannel(), 9);
        EXPECT_EQ(tuned_channel(tv.m_tuner), 9);
        EXPECT_TRUE(tv.Is3dfx3500());

        // Opened again, the old companion goes and a new one comes.
        ASSERT_TRUE(tv.STvFindTvFilter());
        EXPECT_EQ(sim::card_filters_alive(2), 1);
        EXPECT_TRUE(tv.m_tuner);
    }
    EXPECT_EQ(sim::card_filters_alive(0), 0);
    EXPECT_EQ(sim::card_filters_alive(2), 0);
}

TEST_F(Companion3dfx, WithoutItsCompanionTheCardHasNoTunerOrCrossbar)
{
    sim::install_cards({ capture_only(), card(u"Other TV Card") });
    CompanionTv tv(k3dfx);
    ASSERT_TRUE(tv.HasCaptureDevice());
    EXPECT_FALSE(tv.m_companionFilter);
    EXPECT_FALSE(tv.m_tuner);
    EXPECT_FALSE(tv.m_crossbar);
    EXPECT_EQ(sim::card_filters_alive(1), 0);
}

}
