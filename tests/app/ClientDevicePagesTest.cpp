// The Options menu's device pages: each opens its object's pages, with TV on or off; with TV off
// the client makes an engine for them that keeps no video until TV goes on.

#include "ClientFixture.h"

#include <resources/CommandIds.h>

#include <dshow/Testing.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace client_test;

class DevicePagesTest : public ClientTest {
protected:
    void SetUp() override
    {
        ClientTest::SetUp();
        dshow::testing::reset();
        dshow::testing::set_property_frame_script([this](const dshow::testing::PropertyFrame& f) {
            captions.push_back(f.caption);
            dshow::testing::close_property_frame(f.frame, IDCANCEL);
        });
    }
    void TearDown() override
    {
        dshow::testing::reset();
        ClientTest::TearDown();
    }
    std::vector<std::string> captions;
};

TEST_F(DevicePagesTest, EachCommandOpensItsObjectsPagesWithTvOnOrOff)
{
    open();
    for (bool tvOn : { false, true }) {
        SCOPED_TRACE(tvOn ? "TV on" : "TV off");
        if (tvOn)
            command(CM_TV);
        for (UINT id : { CM_TUNERPAGE, CM_CAPTUREFILTERPAGE, CM_CAPTUREPINPAGE, CM_CROSSBARPAGE })
            command(id);
        EXPECT_EQ(captions.size(), 4u);
        captions.clear();
        ASSERT_NE(Tv, nullptr);
        EXPECT_EQ(Tv->IsVideoShown(), tvOn);
    }
    EXPECT_EQ(Settings.TvState, 1);
    command(CM_TV);
    EXPECT_EQ(Tv, nullptr);
}

TEST_F(DevicePagesTest, AnEngineMadeForThePagesKeepsTvOffUntilTvShowsItsVideo)
{
    open();
    const auto activity = Settings.ActivityState;
    command(CM_CROSSBARPAGE);
    ASSERT_EQ(captions.size(), 1u);
    STv* made = Tv;
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(Tv->IsVideoShown());
    EXPECT_EQ(Settings.TvState, 0);
    EXPECT_EQ(Settings.ActivityState, activity);

    command(CM_TUNERPAGE);
    EXPECT_EQ(Tv, made) << "the engine stays and serves the next pages";
    command(CM_TV);
    EXPECT_EQ(Tv, made) << "TV shows the engine's video without making another";
    EXPECT_TRUE(Tv->IsVideoShown());
    EXPECT_EQ(sim::card_binds(0), 1);
}

TEST_F(DevicePagesTest, NothingOpensWhenTheRadioProgramKeepsTheTunerOrTheDeviceIsMissing)
{
    auto radio = std::make_unique<RadioWindow>();
    RadioWindow::answer = TunerRequestRefused;
    std::strcpy(Settings.Tuner, "Sim USB TV");
    sim::uninstall_cards();
    sim::CaptureCard card;
    card.name = u"Sim USB TV";
    sim::install_cards({ card });
    open();
    command(CM_TUNERPAGE);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_TRUE(captions.empty());
    radio.reset();

    std::strcpy(Settings.Tuner, "No Such Card");
    command(CM_TUNERPAGE);
    EXPECT_EQ(Tv, nullptr) << "an engine whose device did not open is not kept";
    EXPECT_TRUE(captions.empty());
}

}
