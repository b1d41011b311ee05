#include "ClientFixture.h"

#include <owl/PropertySheet.h>
#include <resources/StationDialogs.h>

namespace {

using namespace client_test;

TEST_F(ClientTest, TheChannelFieldShowsLineInputsAsL1AndL2)
{
    open();
    HWND field = add_channel_field();
    struct Case {
        LONG channel;
        const char* text;
    };
    for (Case c : { Case { 1, "L2" }, Case { 0, "L1" }, Case { -1, "-1" }, Case { 7, "7" }, Case { 125, "125" } }) {
        client->SelectChannel(c.channel, true);
        EXPECT_EQ(window_text(field), c.text);
        EXPECT_EQ(Settings.Channel, c.channel);
    }
    client->SelectChannel(9, false);
    EXPECT_EQ(window_text(field), "125") << "the field is left as typed";
}

TEST_F(ClientTest, SurfingStepsThroughTheStationsOrThroughEveryChannel)
{
    open();
    HWND field = add_channel_field();
    struct Case {
        const char* what;
        bool stationsOnly;
        bool haveStations;
        LONG from;
        UINT command;
        LONG to;
    };
    const Case cases[] = {
        { "up to the next station", true, true, 9, CM_CHANNELUP, 12 },
        { "up from the last station wraps", true, true, 12, CM_CHANNELUP, 5 },
        { "up between stations", true, true, 10, CM_CHANNELUP, 12 },
        { "up below every station", true, true, 3, CM_CHANNELUP, 5 },
        { "down from the first station wraps", true, true, 5, CM_CHANNELDOWN, 12 },
        { "down between stations", true, true, 10, CM_CHANNELDOWN, 5 },
        { "down below every station wraps to the last", true, true, 3, CM_CHANNELDOWN, 12 },
        { "up without stations counts up", true, false, 12, CM_CHANNELUP, 13 },
        { "up", false, true, 9, CM_CHANNELUP, 10 },
        { "down", false, true, 9, CM_CHANNELDOWN, 8 },
        { "down to L2", false, true, 2, CM_CHANNELDOWN, 1 },
        { "down to L1", false, true, 1, CM_CHANNELDOWN, 0 },
        { "down stays at L1", false, true, 0, CM_CHANNELDOWN, 0 },
        { "up from none", false, true, -1, CM_CHANNELUP, 0 },
        { "up from L2", false, true, 1, CM_CHANNELUP, 2 },
        { "up from far below", false, true, -40, CM_CHANNELUP, 0 },
        { "down from far below", false, true, -40, CM_CHANNELDOWN, 0 },
        { "up from the highest number stays", false, true, 2147483647, CM_CHANNELUP, 2147483647 },
        { "down from the lowest number", false, true, -2147483647 - 1, CM_CHANNELDOWN, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh_settings();
        LoadAllSettings();
        if (c.haveStations) {
            Settings.AddStation(5, "Five");
            Settings.AddStation(9, "Nine");
            Settings.AddStation(12, "Twelve");
        }
        Settings.ChannelListOnly = c.stationsOnly;
        client->SelectChannel(c.from, true);
        command(c.command);
        EXPECT_EQ(client->GetSelectedChannel(), c.to);
        EXPECT_EQ(Settings.Channel, c.to);
        char text[16];
        wsprintfA(text, c.to < 2 && c.to >= 0 ? "L%d" : "%d", c.to < 2 && c.to >= 0 ? c.to + 1 : c.to);
        EXPECT_EQ(window_text(field), text);
    }
}

TEST_F(ClientTest, SurfingStartsFromTheEnginesChannel)
{
    Settings.Channel = 20;
    open();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    Tv->SetChannel(30); // tuned by someone else
    command(CM_CHANNELUP);
    EXPECT_EQ(Tv->GetChannel(), 31);
    EXPECT_EQ(Settings.Channel, 31);
    command(CM_CHANNELDOWN);
    command(CM_CHANNELDOWN);
    EXPECT_EQ(Tv->GetChannel(), 29);

    // The line inputs are reached by stepping down through 1 and 0.
    client->SelectChannel(2, true);
    command(CM_CHANNELDOWN);
    EXPECT_EQ(Tv->GetChannel(), 1);
    command(CM_CHANNELDOWN);
    EXPECT_EQ(Tv->GetChannel(), 0);
    command(CM_CHANNELDOWN);
    EXPECT_EQ(Tv->GetChannel(), 0);
}

TEST_F(ClientTest, FindStationIndexTakesTheChannelOrTheNearestBelow)
{
    open();
    for (auto [channel, name] : { std::pair { 9, "A" }, { 5, "B" }, { 9, "C" }, { 12, "D" }, { 7, "E" } })
        Settings.AddStation(channel, name);
    struct Case {
        LONG channel;
        int index;
    };
    for (Case c : { Case { 9, 0 }, Case { 12, 3 }, Case { 10, 0 }, Case { 8, 4 }, Case { 6, 1 }, Case { 5, 1 },
             Case { 4, -1 }, Case { 100, 3 } })
        EXPECT_EQ(client->FindStationIndex(c.channel), c.index) << c.channel;
}

TEST_F(ClientTest, ATypedChannelIsTunedWhenItNamesAnotherChannel)
{
    Settings.Channel = 12;
    open();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    HWND field = add_channel_field();
    struct Case {
        const char* typed;
        LONG selected; // -100: nothing selected
    };
    const Case cases[] = {
        { "L2", 1 },
        { "l1", 0 },
        { "L3", -100 },
        { "L0", -100 },
        { "1", -100 },
        { "0", -100 },
        { "33", 33 },
        { " 40 ", 40 },
        { "12", -100 }, // the current channel
        { "12x", -100 },
        { "x12", -100 },
        { "", -100 },
        { "99999999999", -100 },
        { "L-2147483648", -100 },
        { "L99999999999", -100 },
        { "2147483647", 2147483647 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Settings.Channel = 12;
        client->m_selectedChannel = -100;
        SetWindowTextA(field, c.typed);
        EXPECT_EQ(SendMessageA(client->GetHandle(), WM_CHANNELTYPED, 3, 4), 0);
        EXPECT_EQ(client->m_selectedChannel, c.selected);
        if (c.selected != -100) {
            EXPECT_EQ(Settings.Channel, c.selected);
            EXPECT_EQ(Tv->GetChannel(), c.selected);
            EXPECT_EQ(window_text(field), c.typed) << "the field is not rewritten while typing";
        }
    }
}

TEST_F(ClientTest, ARecordingEngineKeepsItsChannel)
{
    // An engine in the state a prepared capture leaves it: only the selected channel changes.
    class RecordingTv : public STv {
    public:
        RecordingTv() { m_capturePrepared = 1; }
        ~RecordingTv() override { m_capturePrepared = 0; }
    };
    open();
    Tv = new RecordingTv;
    Settings.Channel = 8;
    client->SelectChannel(20, true);
    EXPECT_EQ(client->GetSelectedChannel(), 20);
    EXPECT_EQ(Settings.Channel, 8);
    EXPECT_EQ(Tv->GetChannel(), -1);
    EXPECT_EQ(enabler(CM_CHANNELUP).enabled, false);
    EXPECT_EQ(enabler(CM_CHANNELDOWN).enabled, false);
    EXPECT_EQ(enabler(CM_TV).enabled, false);
    EXPECT_EQ(enabler(CM_TVAUDIOONLY).enabled, false);
    delete Tv;
    Tv = nullptr;
}

// The Channels command: the stations page alone in a sheet; a station added there and "Only surf
// defined stations" are what channel up steps through afterwards, TV on.
TEST_F(ClientTest, TheChannelsCommandChangesTheStationsTheClientSurfs)
{
    Settings.AddStation(5, "Five");
    Settings.ChannelListOnly = 0;
    Settings.Channel = 5;
    open();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    user::testing::set_dialog_script(IDD_STATION, [](const user::testing::ModalDialog& d) {
        HWND channel = GetDlgItem(d.dialog, 701);
        SendMessageA(channel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("40"));
        SendMessageA(GetDlgItem(d.dialog, 703), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Forty"));
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    std::string caption;
    user::testing::set_dialog_script(OWL::PropertySheetTemplateId, [&](const user::testing::ModalDialog& d) {
        caption = d.caption;
        HWND page = reinterpret_cast<HWND>(SendMessageA(d.dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
        user::testing::press_dialog_button(page, 1702);
        user::testing::press_dialog_button(page, 101);
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    command(CM_CHANNELS);
    EXPECT_EQ(caption, "Channels");
    ASSERT_EQ(Settings.StationCount(), 2);
    EXPECT_EQ(Settings.StationChannel(1), 40);
    EXPECT_EQ(Settings.ChannelListOnly, 1);
    command(CM_CHANNELUP);
    EXPECT_EQ(Tv->GetChannel(), 40);
    command(CM_CHANNELUP);
    EXPECT_EQ(Tv->GetChannel(), 5);
}

}
