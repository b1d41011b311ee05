// The tuner hand-over inside one process: a window of the radio program's class stands in for it,
// so both directions run on the test's thread against the virtual card.

#include "ClientFixture.h"

#include <cstring>
#include <vector>

namespace {

using namespace client_test;

class TunerHandOverTest : public ClientTest {
protected:
    // One card of the given name instead of the default machine's.
    void use_card(const char16_t* name)
    {
        sim::uninstall_cards();
        sim::CaptureCard card;
        card.name = name;
        sim::install_cards({ card });
    }
};

TEST_F(TunerHandOverTest, TvAsksTheRadioProgramByTheFamilyOfTheDeviceName)
{
    struct Case {
        const char* tuner;
        WPARAM family; // 0: not asked
    };
    const Case cases[] = {
        { "Studio PCTV USB/Radio (sim)", 1 },
        { "studio pctv usb/radio (sim)", 0 }, // the asking side compares family 1 with case
        { "msvideo: brooktree BT848 sim", 2 },
        { "3DFX Voodoo3TV sim", 3 },
        { "3dfx 3500TV VPX sim", 3 },
        { "Sim USB TV", 4 },
        { "Sim usb TV", 0 },
        { "Sim BtPCI Card", 5 },
        { "Sim WDM Card", 5 },
        { "Sim TV Card", 0 },
    };
    RadioWindow radio;
    open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tuner);
        RadioWindow::requests.clear();
        std::strcpy(Settings.Tuner, c.tuner);
        EXPECT_TRUE(client->CheckTunerOwner());
        if (c.family) {
            EXPECT_EQ(RadioWindow::requests, std::vector<WPARAM> { c.family });
            EXPECT_EQ(RadioWindow::last_lparam, 13);
        } else {
            EXPECT_TRUE(RadioWindow::requests.empty());
        }
    }
}

TEST_F(TunerHandOverTest, TheRadioProgramGetsTheTunerOnlyForTheFamilyOfTheDeviceInUse)
{
    use_card(u"Sim WDM Card");
    open();
    EXPECT_EQ(client->ReleaseTunerRequest(5, 13), 0) << "TV off and nothing starting: nothing to give";

    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    for (WPARAM family : { WPARAM(0), WPARAM(1), WPARAM(2), WPARAM(3), WPARAM(4), WPARAM(6) }) {
        EXPECT_EQ(client->ReleaseTunerRequest(family, 13), 0) << family;
        EXPECT_NE(Tv, nullptr) << family;
    }
    EXPECT_EQ(client->ReleaseTunerRequest(5, 0), 0);
    EXPECT_EQ(Tv, nullptr) << "the card's own family: TV goes off";
    EXPECT_EQ(Settings.TvState, 0);
    EXPECT_EQ(client->GetMixer(), nullptr);
}

TEST_F(TunerHandOverTest, TheAskedSideComparesFamilyOneWithoutCase)
{
    use_card(u"studio pctv usb/radio (sim)");
    open();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    EXPECT_EQ(client->ReleaseTunerRequest(4, 13), 0);
    EXPECT_NE(Tv, nullptr);
    EXPECT_EQ(client->ReleaseTunerRequest(1, 13), 0);
    EXPECT_EQ(Tv, nullptr);
}

TEST_F(TunerHandOverTest, AStartingTimerEventKeepsTheTuner)
{
    use_card(u"Sim WDM Card");
    open();
    command(CM_TV);
    command(CM_TV);
    ASSERT_EQ(Tv, nullptr);
    client->m_busy = true;
    EXPECT_EQ(client->ReleaseTunerRequest(5, 13), TunerRequestRefused) << "busy with TV off, by the device opened last";
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    EXPECT_EQ(client->ReleaseTunerRequest(5, 13), TunerRequestRefused);
    EXPECT_NE(Tv, nullptr);
    client->m_busy = false;
    EXPECT_EQ(client->ReleaseTunerRequest(5, 13), 0);
    EXPECT_EQ(Tv, nullptr);
}

}
