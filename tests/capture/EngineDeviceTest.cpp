#include "EngineFixture.h"

#include <base/Text.h>
#include <user/MessageBox.h>

namespace {

using namespace engine_test;

// The engine as the client makes it, with its device interfaces in view.
class OpenTv : public STv {
public:
    using STv::STv;
    using STv::m_crossbar;
    using STv::m_tuner;

    LONG routed(LONG output) const { return routed_input(m_crossbar, output); }
    LONG tuned() const { return tuned_channel(m_tuner); }
};

std::unique_ptr<OpenTv> open_tv(const std::string& name, BYTE lineIn = 0)
{
    return std::make_unique<OpenTv>(name.c_str(), nullptr, lineIn, 0, nullptr, nullptr);
}

const char* const k3dfx = "3dfx 3500TV VPX Video Capture(VFW)";

TEST_F(EngineTest, DevicesAreChosenByNameOrByTheDefaultRule)
{
    sim::CaptureCard tunerless = card(u"Plain Capture");
    tunerless.tuner = sim::TunerInterface::None;
    sim::CaptureCard alternative = card(u"Old Tuner Card");
    alternative.tuner = sim::TunerInterface::Alternative;
    sim::CaptureCard nameless = card();
    nameless.name_readable = false;
    sim::CaptureCard threeDfx = card(base::to_utf16(k3dfx));
    threeDfx.tuner = sim::TunerInterface::None;
    threeDfx.crossbar.reset();
    sim::CaptureCard slow = card();
    slow.fail_first_binds = 7;
    std::string longName(120, 'L');
    std::string overlong(259, 'O');

    struct Case {
        const char* what;
        std::vector<sim::CaptureCard> cards;
        std::string name;
        bool opened;
        std::string nameAfter;
        std::vector<int> alive; // filters of each card while the engine lives
        bool tuner;
    };
    const Case cases[] = {
        { "default rule, one card", { card() }, "<default>", true, "Sim TV Card", { 1 }, true },
        { "default rule skips a card without tuner", { tunerless, card(u"Second Card") }, "<DEFAULT>", true, "Second Card", { 0, 1 }, true },
        { "two tuner cards: the first", { card(u"First"), card(u"Second") }, "", true, "First", { 1, 0 }, true },
        { "a name in another letter case", { card(u"First"), card(u"Second Card") }, "SECOND card", true, "SECOND card", { 0, 1 }, true },
        { "the 3dfx card needs no tuner", { tunerless, threeDfx }, "", true, k3dfx, { 0, 1 }, false },
        { "the alternative tuner interface", { tunerless, alternative }, "", true, "Old Tuner Card", { 0, 1 }, true },
        { "no tuner anywhere", { tunerless }, "", false, "", { 0 }, false },
        { "an unreadable name is taken by default", { nameless }, "", true, "", { 1 }, true },
        { "an unreadable name is no match for a name", { nameless, card() }, "Sim TV Card", true, "Sim TV Card", { 0, 1 }, true },
        { "seven failed binds are waited out", { slow }, "Sim TV Card", true, "Sim TV Card", { 1 }, true },
        { "a long name in full", { card(base::to_utf16(longName)) }, longName, true, longName, { 1 }, true },
        { "a long name by default", { card(base::to_utf16(longName)) }, "", true, longName, { 1 }, true },
        { "the longest name", { card(base::to_utf16(overlong)) }, overlong, true, overlong, { 1 }, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        user::testing::reset();
        sim::install_cards(c.cards);
        auto tv = open_tv(c.name);
        EXPECT_EQ(tv->HasCaptureDevice(), c.opened);
        EXPECT_EQ(tv->GetDeviceName(), c.nameAfter);
        for (std::size_t i = 0; i < c.alive.size(); ++i)
            EXPECT_EQ(sim::card_filters_alive(i), c.alive[i]) << i;
        EXPECT_EQ(tv->m_tuner != nullptr, c.tuner);
        EXPECT_EQ(box_texts(), c.opened ? std::vector<std::string> {} : std::vector { cannot_access("") });
        tv.reset();
        for (std::size_t i = 0; i < c.alive.size(); ++i)
            EXPECT_EQ(sim::card_filters_alive(i), 0) << i;
        sim::uninstall_cards();
    }
}

TEST_F(EngineTest, OpeningRoutesTheCrossbarAudio)
{
    sim::CaptureCard noCrossbar = card();
    noCrossbar.crossbar.reset();
    sim::CaptureCard noAudioOut = card();
    noAudioOut.crossbar = sim::Crossbar::without_audio_output();
    sim::CaptureCard refusing = card();
    refusing.crossbar->route = sim::RoutePolicy::RefuseAudio;
    struct Case {
        const char* what;
        sim::CaptureCard card;
        BYTE lineIn;
        std::vector<std::string> boxes;
        LONG audio; // routed to the audio output afterwards; -2 none
    };
    const Case cases[] = {
        { "tuner sound", card(), 0, {}, 3 },
        { "line input (muted)", card(), 1, {}, 4 },
        { "no crossbar", noCrossbar, 0, {}, -2 },
        { "no audio output", noAudioOut, 0, {}, -2 },
        { "routes refused", refusing, 0, { "can't route linein to audioOut" }, -2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        user::testing::reset();
        sim::install_cards({ c.card });
        auto tv = open_tv("Sim TV Card", c.lineIn);
        EXPECT_TRUE(tv->HasCaptureDevice());
        EXPECT_EQ(box_texts(), c.boxes);
        for (auto& shown : user::testing::message_box_journal()) {
            EXPECT_EQ(shown.box.caption, "Lunetto radio mute");
            EXPECT_EQ(shown.box.type, MB_OK);
        }
        if (c.audio != -2) {
            EXPECT_EQ(tv->routed(1), c.audio);
        }
        tv.reset();
        sim::uninstall_cards();
    }
}

TEST_F(EngineTest, SetupPutsTheTunerOnChannelTwoAndReopeningRetunes)
{
    sim::install_cards({ card() });
    auto tv = open_tv("Sim TV Card");
    ASSERT_TRUE(tv->m_tuner);
    EXPECT_EQ(tv->GetChannel(), -1);
    EXPECT_EQ(tv->tuned(), 2);
    EXPECT_EQ(tv->routed(0), 0); // the tuner input
    tv->SetChannel(9);
    ASSERT_TRUE(tv->STvFindTvFilter());
    EXPECT_EQ(sim::card_filters_alive(0), 1); // the first filter is gone
    tv->SetupDevice();
    EXPECT_EQ(tv->GetChannel(), 9);
    EXPECT_EQ(tv->tuned(), 9);
}

}

namespace {

using namespace engine_test;

TEST_F(EngineTest, TheAlternativeTunerInterfaceTunesLikeTheStandardOne)
{
    sim::CaptureCard old = card();
    old.tuner = sim::TunerInterface::Alternative;
    sim::install_cards({ old });
    auto tv = open_tv("");
    ASSERT_TRUE(tv->HasCaptureDevice());
    EXPECT_EQ(tv->tuned(), 2);
    tv->SetChannel(7);
    EXPECT_EQ(tv->tuned(), 7);
    EXPECT_EQ(tv->routed(0), 0);
    EXPECT_TRUE(tv->SetCountryCode(41));
    tv->SetChannel(0);
    EXPECT_EQ(tv->routed(0), 1);
}

}
