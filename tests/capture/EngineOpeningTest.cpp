#include "EngineFixture.h"

#include <base/Modules.h>
#include <com/ClassRegistry.h>
#include <dshow/CaptureGraphBuilder.h>

namespace {

using namespace engine_test;

TEST_F(EngineTest, DevicesThatCannotBeOpenedAreReportedByName)
{
    struct Case {
        const char* what;
        std::vector<sim::CaptureCard> cards;
        const char* name;
        std::vector<std::string> boxes;
        int binds; // of the first card
        std::int64_t waited_ms;
    };
    sim::CaptureCard stuck = card();
    stuck.fail_first_binds = 8;
    sim::CaptureCard dead = card();
    dead.always_fail_bind = true;
    const Case cases[] = {
        { "no card at all", {}, "", {}, 0, 0 },
        { "named card absent", { card() }, "Other Card", { cannot_access("Other Card") }, 0, 0 },
        { "named card failing 8 binds", { stuck }, "Sim TV Card", { cannot_access("Sim TV Card") }, 8, 7000 },
        { "named card never binding", { dead }, "sim tv card", { cannot_access("sim tv card") }, 8, 7000 },
        { "default rule: a failing bind is not retried", { stuck }, "<default>", { cannot_access("") }, 1, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        user::testing::reset();
        sim::install_cards(c.cards);
        auto start = base::Clock::ticks_ms();
        auto tv = open(c.name);
        EXPECT_FALSE(tv->HasCaptureDevice());
        EXPECT_EQ(box_texts(), c.boxes);
        if (!c.cards.empty()) {
            EXPECT_EQ(sim::card_binds(0), c.binds);
        }
        EXPECT_EQ(base::Clock::ticks_ms() - start, c.waited_ms);
        tv.reset();
        sim::uninstall_cards();
    }
}

TEST_F(EngineTest, NoGraphMeansNoDeviceAndNoMessage)
{
    sim::install_cards({ card() });
    com::set_class_enabled(CLSID_FilterGraph, false);
    auto tv = open("Sim TV Card");
    com::enable_all_classes();
    EXPECT_FALSE(tv->HasCaptureDevice());
    EXPECT_EQ(sim::card_binds(0), 0);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(EngineTest, DefaultNamesAreCleared)
{
    for (const char* name : { "", "<default>", "<DEFAULT>", "<Default>" }) {
        auto tv = open(name);
        EXPECT_STREQ(tv->GetDeviceName(), "") << name;
    }
    EXPECT_STREQ(open("Sim TV Card")->GetDeviceName(), "Sim TV Card");
}

TEST_F(EngineTest, StartsWithoutChannelOnAntennaAndNothingShown)
{
    auto tv = open("", 1);
    EXPECT_EQ(tv->GetChannel(), -1);
    EXPECT_TRUE(tv->IsLineIn());
    EXPECT_FALSE(tv->IsVideoShown());
    EXPECT_FALSE(tv->IsRecording());
    EXPECT_EQ(tv->GetScreenMode(), 0);
    EXPECT_FALSE(tv->IsCaptureMpeg2());
}

TEST_F(EngineTest, ErrorBoxCutsTextAndKeepsReturnCodeLine)
{
    auto tv = open("");
    struct Case {
        std::string text;
        HRESULT code;
        std::string shown;
    };
    const std::string line = "\n    Return code = 80004005";
    const Case cases[] = {
        { "Cannot preview   (STvBuildPreviewGraph)", E_FAIL, "Cannot preview   (STvBuildPreviewGraph)" + line },
        { "Could not start video preview.  (STvShow)", 0, "Could not start video preview.  (STvShow)" },
        { std::string(300, 'x'), 0, std::string(259, 'x') },
        { std::string(300, 'x'), E_FAIL, std::string(259 - line.size(), 'x') + line },
        { "short", static_cast<HRESULT>(0x0004027E), "short\n    Return code = 4027E" },
    };
    for (const auto& c : cases) {
        user::testing::reset();
        EXPECT_EQ(tv->ErrorBox(c.text.c_str(), c.code), IDOK);
        auto journal = user::testing::message_box_journal();
        ASSERT_EQ(journal.size(), 1u);
        EXPECT_EQ(journal[0].box.text, c.shown);
        EXPECT_EQ(journal[0].box.caption, "Orbivane");
        EXPECT_EQ(journal[0].box.type, MB_ICONHAND);
        EXPECT_EQ(journal[0].box.owner, nullptr);
    }
}

TEST_F(EngineTest, CannotAccessTextWithLongNameIsCut)
{
    std::string name(259, 'n');
    sim::install_cards({ card() });
    auto tv = open(name.c_str());
    auto texts = box_texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], cannot_access(name).substr(0, 259));
}

TEST_F(EngineTest, DestructionLeavesTheBt848DriverLibraryAlone)
{
    base::Modules::register_module("btvid_32.dll", {}, 2);
    open("").reset();
    EXPECT_EQ(base::Modules::load_count("btvid_32.dll"), 2);
    base::Modules::unregister_module("btvid_32.dll");
}

}

namespace {

using namespace engine_test;

TEST_F(EngineTest, ADeviceThatCannotBeUsedIsGivenBack)
{
    sim::install_cards({ card() });
    com::set_class_enabled(CLSID_CaptureGraphBuilder2, false);
    auto tv = open("Sim TV Card");
    com::enable_all_classes();
    EXPECT_FALSE(tv->HasCaptureDevice());
    EXPECT_EQ(box_texts(),
        std::vector<std::string> { "Cannot transfer filter graph.  (STvFindTvFilter)\n    Return code = 80040154" });
    EXPECT_EQ(sim::card_filters_alive(0), 0);
}

}
