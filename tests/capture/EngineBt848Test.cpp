// A Bt848 card without tuner interface: the engine tunes its tuner chip over I2C through the
// driver library's exports, and the virtual chip shows what was programmed.

#include "EngineFixture.h"

#include "PlainWindow.h"

#include <ShownPicture.h>

#include <sim/Bt848Driver.h>

namespace {

using namespace engine_test;

class Bt848Tv : public STv {
public:
    explicit Bt848Tv(const char* name, HWND client = nullptr)
        : STv(name, client, 0, 0, nullptr, nullptr)
    {
    }
    using STv::s_bt848TunerAddress;
};

constexpr const char* kName = "MSVIDEO: Brooktree Bt848 Video Capture";

class Bt848Test : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Bt848Tv::s_bt848TunerAddress = 0; // a fresh run
    }
    static std::unique_ptr<Bt848Tv> open_bt848(std::optional<sim::Bt848Card> driver = sim::Bt848Card {})
    {
        sim::CaptureCard c = card(u"MSVIDEO: Brooktree Bt848 Video Capture");
        c.tuner = sim::TunerInterface::None;
        c.filter_pages = {};
        c.bt848 = driver;
        sim::install_cards({ c });
        auto tv = std::make_unique<Bt848Tv>(kName);
        EXPECT_TRUE(tv->HasCaptureDevice());
        return tv;
    }
};

TEST_F(Bt848Test, EachChannelSendsItsTableDividerAndBand)
{
    struct Case {
        bool antenna;
        LONG channel;
        WORD divider;
        BYTE band;
    };
    const Case cases[] = {
        { true, 2, 0x0650, 0xA0 },
        { true, 6, 16 * 8325 / 100 + 732, 0xA0 },
        { true, 7, 0x0DD0, 0x90 },
        { true, 13, 16 * 21125 / 100 + 732, 0x90 },
        { true, 14, 0x2050, 0x30 },
        { true, 69, 0x34F0, 0x30 },
        { false, 2, 0x0650, 0xA0 },
        { false, 14, 0x0A70, 0x90 },
        { false, 23, 16 * 21725 / 100 + 732, 0x90 },
        { false, 94, 16 * 64325 / 100 + 732, 0x30 },
        { false, 95, 0x0890, 0xA0 },
        { false, 99, 16 * 11525 / 100 + 732, 0x90 }, // 2576: just above the low band
        { false, 100, 16 * 64925 / 100 + 732, 0x30 },
        { false, 125, 0x34D0, 0x30 },
    };
    auto tv = open_bt848();
    for (const auto& c : cases) {
        SCOPED_TRACE((c.antenna ? "antenna " : "cable ") + std::to_string(c.channel));
        sim::install_bt848_driver({}); // a fresh chip, its history empty
        tv->SetAntenna(c.antenna);
        tv->SetChannel(c.channel);
        EXPECT_EQ(tv->GetChannel(), c.channel);
        sim::TunerChip chip = sim::tuner_chip();
        EXPECT_EQ(chip.divider, c.divider);
        EXPECT_EQ(chip.control, 0xCE);
        EXPECT_EQ(chip.band, c.band);
        // On the station at the first poll: the nominal divider is not written again.
        EXPECT_EQ(chip.dividers, (std::vector<WORD> { 0, c.divider }));
        EXPECT_EQ(chip.channel_changes, std::vector<int> { static_cast<int>(c.channel) });
    }
    EXPECT_EQ(Bt848Tv::s_bt848TunerAddress, 0xC2);
}

TEST_F(Bt848Test, FineTuningFollowsTheChipUntilItReportsTheStation)
{
    constexpr WORD nominal = 0x0650;
    struct Case {
        LONG offset;
        WORD final;
        std::size_t writes; // dividers written after the zero
    };
    const Case cases[] = {
        { 1, nominal + 1, 2 }, // one step low: +1
        { -1, nominal - 1, 2 },
        { -3, nominal - 3, 3 }, // three high: -2, then one high: -1
        { 30, nominal + 30, 18 }, // far off: the offsets -4, +4, ... +32, then -2
        { 40, nominal, 22 }, // beyond every offset: the nominal divider again after 20 passes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("station " + std::to_string(c.offset) + " steps off");
        sim::Bt848Card driver;
        driver.fine_offset = c.offset;
        auto tv = open_bt848(driver);
        tv->SetChannel(2);
        sim::TunerChip chip = sim::tuner_chip();
        EXPECT_EQ(chip.divider, c.final);
        ASSERT_FALSE(chip.dividers.empty());
        EXPECT_EQ(chip.dividers.size() - 1, c.writes);
        EXPECT_EQ(tv->GetChannel(), 2);
    }
}

TEST_F(Bt848Test, WithoutTheDriverItsExportsOrATableEntryNothingIsSent)
{
    struct Case {
        const char* what;
        std::optional<sim::Bt848Card> driver;
        bool antenna;
        LONG channel;
    };
    sim::Bt848Card lacking;
    lacking.missing_export = "I2CSWSendNACK";
    const Case cases[] = {
        { "no driver library", std::nullopt, true, 5 },
        { "an export missing", lacking, true, 5 },
        { "antenna channel beyond the table", sim::Bt848Card {}, true, 70 },
        { "cable channel beyond the table", sim::Bt848Card {}, false, 126 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto tv = open_bt848(c.driver);
        tv->SetAntenna(c.antenna);
        tv->SetChannel(c.channel);
        EXPECT_EQ(tv->GetChannel(), -1);
        EXPECT_EQ(sim::tuner_chip().transactions, 0);
    }
    EXPECT_EQ(Bt848Tv::s_bt848TunerAddress, 0); // never probed
}

TEST_F(Bt848Test, TheProbeFindsTheTunerOnceOrGivesUpForTheRun)
{
    sim::Bt848Card other;
    other.module = "bt848_32.dll";
    other.tuner_address = 0xC6;
    {
        auto tv = open_bt848(other);
        tv->SetChannel(7);
        EXPECT_EQ(tv->GetChannel(), 7);
        EXPECT_EQ(sim::tuner_chip().divider, 0x0DD0);
        EXPECT_EQ(Bt848Tv::s_bt848TunerAddress, 0xC6);
    }

    Bt848Tv::s_bt848TunerAddress = 0;
    sim::Bt848Card silent;
    silent.tuner_address = 0;
    auto tv = open_bt848(silent);
    tv->SetChannel(7);
    EXPECT_EQ(tv->GetChannel(), -1); // the sequence went to nobody
    EXPECT_EQ(Bt848Tv::s_bt848TunerAddress, 0xFF);
    int used = sim::tuner_chip().transactions;
    EXPECT_GT(used, 0);
    // The next engine of the run does not touch the bus at all.
    tv.reset();
    tv = open_bt848(silent);
    tv->SetChannel(9);
    EXPECT_EQ(tv->GetChannel(), -1);
    EXPECT_EQ(sim::tuner_chip().transactions, 0);
}

TEST_F(Bt848Test, ThePictureIsTheChannelTheChipWasTunedTo)
{
    // The station sits three steps from the table's divider: only fine tuning finds its picture.
    sim::CaptureCard c = card(u"MSVIDEO: Brooktree Bt848 Video Capture");
    c.tuner = sim::TunerInterface::None;
    c.filter_pages = {};
    c.bt848 = sim::Bt848Card {};
    c.bt848->fine_offset = 3;
    sim::install_cards({ c });
    {
        ShownClient client;
        Bt848Tv tv(kName, client);
        ASSERT_TRUE(tv.HasCaptureDevice());
        tv.SetChannel(5);
        tv.STvShow(true);
        HWND video = FindWindowExA(client, nullptr, "VideoRenderer", nullptr);
        ASSERT_TRUE(video);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));
        tv.SetChannel(14);
        EXPECT_EQ(sim::bt848_tuned_channel(), 14);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(14)), sim::PictureSource::channel(14));
        // Cable channel 95 lies below channel 5's carrier and has no broadcast counterpart.
        tv.SetAntenna(false);
        tv.SetChannel(95);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(95)), sim::PictureSource::channel(95));
        tv.STvShow(false);
    }
    EXPECT_TRUE(box_texts().empty());
}

}
