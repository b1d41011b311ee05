#include "ClientFixture.h"
#include <EventTable.h>

#include <app/TickStatus.h>
#include <app/TimerEventStore.h>

#include <TempHome.h>

#include <base/Path.h>
#include <base/Text.h>
#include <wmenc/Encoder.h>

#include <climits>
#include <filesystem>
#include <cstring>

namespace {

using namespace client_test;
using event_test::make_event;

TEST(TickStatusText, RecordingTimeAndSizeAndDropRatioReadAsTheStatusFieldShowsThem)
{
    struct Case {
        LONG seconds, bytes;
        const char* text;
    } cases[] = {
        { 3725, 0, " 1:02:05" },
        { 65, -1, " 1:05" },
        { 0, 524288, "   0.500MB" },
        { -1, 12897485, "   12.30MB" },
        { 3725, 262144000, " 1:02:05   250MB" },
        { 59, static_cast<LONG>(3221225472u), " 0:59   3072MB" }, // past 2 GiB the low 32 bits are unsigned
        { 0, 0, "" },
        { -1, -1, "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordingStatusText(c.seconds, c.bytes), c.text) << c.seconds << " " << c.bytes;
    EXPECT_EQ(DropStatusText(0.0123f), "  drops=1.23%");
    EXPECT_EQ(DropStatusText(0.0f), "  drops=0.00%");
}

// Scheduled events on the virtual clock: the fixture starts on Sunday 1 March 2026, 20:00.
class ClientTimerTest : public ClientTest {
protected:
    void SetUp() override
    {
        ClientTest::SetUp();
        wmenc::register_classes();
        folder = test_support::make_temp_dir("timer-recordings");
        base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, base::to_windows_path(folder));
        Settings.ImprovedFilePattern[0] = 0;
        event_test::clear_table();
        Settings.TimerEnable = 1;
        // The poll remembers the last minute it looked at, across tests: make it one no test uses.
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 3, 1, 19, 44, 30));
        ScheduleCheck(true);
    }
    void TearDown() override
    {
        event_test::clear_table();
        ClientTest::TearDown();
    }

    // The clock at hh:mm of day `day` of March 2026 (1 is a Sunday), then one tick of timer 42.
    void tick_at(int day, int hour, int minute)
    {
        base::Clock::set_wall_ms(base::Clock::make_wall_ms(2026, 3, day, hour, minute, 0));
        SendMessageA(client->GetHandle(), WM_TIMER, TClient::TimerId, 0);
        pump();
    }

    std::string folder;
};

TEST_F(ClientTimerTest, TvOnEventShowsItsChannelAndSwitchesTvOffAgainAtItsEnd)
{
    event_test::add(make_event("Show", event_test::Daily, 20, 1, 20, 3, TimerActionTvOn, 5));
    open();
    tick_at(1, 20, 0);
    EXPECT_EQ(Tv, nullptr);
    tick_at(1, 20, 1);
    ASSERT_NE(Tv, nullptr);
    EXPECT_TRUE(Tv->IsVideoShown());
    EXPECT_EQ(Tv->GetChannel(), 5);
    EXPECT_FALSE(Tv->IsLineIn());
    EXPECT_EQ(client->m_runningEvent, 0);
    EXPECT_FALSE(client->m_busy);
    tick_at(1, 20, 2);
    EXPECT_NE(Tv, nullptr);
    tick_at(1, 20, 3);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(Settings.TvState, 0);
    EXPECT_EQ(client->m_runningEvent, 0); // the last event started is remembered
}

TEST_F(ClientTimerTest, AudioOnEventRunsTvWithoutVideoAndLeavesTvOnThatWasOnBefore)
{
    event_test::add(make_event("Radio", event_test::Sunday, 20, 5, 20, 6, TimerActionAudioOn, 12));
    open();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    tick_at(1, 20, 5);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsVideoShown());
    EXPECT_EQ(Tv->GetChannel(), 12);
    tick_at(1, 20, 6);
    EXPECT_NE(Tv, nullptr) << "TV was on before the event";
}

TEST_F(ClientTimerTest, EventAcrossMidnightStartsOnItsDayAndEndsTheNextMorning)
{
    event_test::add(make_event("Late", event_test::Sunday << 6, 23, 59, 0, 1, TimerActionTvOn, 6)); // Saturdays
    base::Clock::set_wall_ms(base::Clock::make_wall_ms(2026, 3, 6, 23, 0, 0));
    open();
    tick_at(6, 23, 59); // a Friday
    EXPECT_EQ(Tv, nullptr);
    tick_at(7, 12, 0);
    tick_at(7, 23, 59); // Saturday
    ASSERT_NE(Tv, nullptr);
    tick_at(8, 0, 0);
    EXPECT_NE(Tv, nullptr);
    tick_at(8, 0, 1); // Sunday morning
    EXPECT_EQ(Tv, nullptr);
}

TEST_F(ClientTimerTest, RecordingEventMutesTheSilentLineAndUnmutesAtTheEnd)
{
    sim::CaptureCard plain;
    plain.crossbar.reset();
    sim::install_cards({ plain });
    Settings.ChangeMixer = 1;
    event_test::add(make_event("Film", event_test::Sunday, 20, 10, 20, 12, TimerActionRecordTv, 5));
    open();
    tick_at(1, 20, 10);
    ASSERT_NE(Tv, nullptr);
    EXPECT_TRUE(Settings.Mute);
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_MUTE), 1u);
    EXPECT_TRUE(Tv->IsRecording());
    EXPECT_EQ(Tv->GetChannel(), 5);
    EXPECT_EQ(Settings.ActivityState, ActivityRecording);
    EXPECT_TRUE(std::filesystem::exists(folder + "/Film_1.wmv"));
    tick_at(1, 20, 11);
    EXPECT_TRUE(Tv && Tv->IsRecording());
    tick_at(1, 20, 12);
    EXPECT_FALSE(Settings.Mute);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_MUTE), 0u) << "unmuted by the mute command at the end";
}

TEST_F(ClientTimerTest, RecordingWhileTvIsAudibleLeavesTheLineAndTv)
{
    Settings.ChangeMixer = 1;
    event_test::add(make_event("Songs", event_test::Sunday, 20, 20, 20, 21, TimerActionRecordAudio, 5));
    open();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    tick_at(1, 20, 20);
    EXPECT_FALSE(Settings.Mute);
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_MUTE), 0u);
    ASSERT_NE(Tv, nullptr);
    EXPECT_TRUE(Tv->IsRecording());
    EXPECT_TRUE(std::filesystem::exists(folder + "/Songs_1.wma"));
    tick_at(1, 20, 21);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_FALSE(Settings.Mute);
}

TEST_F(ClientTimerTest, ATickWhileAnEventIsStartingNeitherStartsNorEndsAnother)
{
    std::strcpy(Settings.Tuner, "Nowhere TV"); // a card that is not there: the start reports it in a box
    event_test::add(make_event("First", event_test::Sunday, 20, 30, 20, 40, TimerActionTvOn, 5));
    event_test::add(make_event("Second", event_test::Sunday, 20, 31, 20, 40, TimerActionTvOn, 7));
    open();
    int boxes = 0;
    user::testing::set_message_box_responder([&](const user::MessageBoxCall&) {
        if (++boxes == 1)
            tick_at(1, 20, 31);
        return IDOK;
    });
    tick_at(1, 20, 30);
    EXPECT_GE(boxes, 1);
    EXPECT_EQ(client->m_runningEvent, 0);
    EXPECT_FALSE(client->m_busy) << "a TV that cannot start clears busy";
    EXPECT_EQ(Tv, nullptr);
}

TEST_F(ClientTimerTest, NothingHappensWhileTheTimerIsSwitchedOff)
{
    Settings.TimerEnable = 0;
    event_test::add(make_event("Show", event_test::Daily, 20, 1, 20, 3, TimerActionTvOn, 5));
    open();
    tick_at(1, 20, 1);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(client->m_runningEvent, -1);
}

}
