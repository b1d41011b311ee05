#include <EventTable.h>

#include <app/TimerEventStore.h>

#include <base/Clock.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace event_test;

namespace {

// One poll: the local time it runs at (day 0 is Monday 2026-12-07), the reset flag and the result.
struct Poll {
    int day;
    int hour, minute, second;
    bool reset;
    LONG want;
};

class ScheduleCheckTest : public testing::Test {
protected:
    void SetUp() override
    {
        clear_table();
        // The poll's memory lives for the whole run: start each test from a minute no test uses,
        // with no event running.
        at(-7, 3, 33, 0);
        ScheduleCheck(true);
    }
    void TearDown() override { base::Clock::install_real(); }

    static void at(int day, int hour, int minute, int second)
    {
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 7 + day, hour, minute, second));
    }

    static void run(const std::vector<Poll>& polls)
    {
        for (const Poll& p : polls) {
            at(p.day, p.hour, p.minute, p.second);
            EXPECT_EQ(ScheduleCheck(p.reset), p.want)
                << "day " << p.day << " " << p.hour << ":" << p.minute << ":" << p.second << (p.reset ? " reset" : "");
        }
    }
};

TEST_F(ScheduleCheckTest, TheClockIsOnAMonday)
{
    at(0, 12, 0, 0);
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(now.wDayOfWeek, 1);
}

TEST_F(ScheduleCheckTest, AnEventStartsAndEndsOnceEachMinuteExaminedOnce)
{
    add(make_event("News", Weekdays, 20, 15, 21, 0));
    run({
        { 0, 20, 14, 59, true, 0 },
        { 0, 20, 15, 0, true, 1 },
        { 0, 20, 15, 30, false, 0 }, // the same minute again
        { 0, 20, 16, 0, false, 0 },
        { 0, 21, 0, 0, false, ~0 },
        { 0, 21, 0, 10, false, 0 }, // examined once more after the end, and nothing happens
        { 0, 21, 0, 20, false, 0 },
    });
}

TEST_F(ScheduleCheckTest, OnlyNamedEventsOfTodayStartAndTheLowerIndexWins)
{
    add(make_event("deleted", Daily, 20, 15, 21, 0));
    add(make_event("Tuesdays", Tuesday, 20, 15, 21, 0));
    add(make_event("First", Monday, 20, 15, 21, 0));
    add(make_event("Second", Monday, 20, 15, 20, 45));
    free_record(0);
    run({
        { 0, 20, 15, 0, true, 3 },
        { 0, 20, 45, 0, false, 0 }, // "Second" never ran, so its end is nothing
        { 0, 21, 0, 0, false, ~2 },
        { 1, 20, 15, 0, true, 2 },
    });
}

TEST_F(ScheduleCheckTest, AStartTakesPrecedenceOverTheRunningEventsEnd)
{
    add(make_event("Early", Monday, 20, 0, 21, 0));
    add(make_event("Late", Monday, 21, 0, 22, 0));
    run({
        { 0, 20, 0, 0, true, 1 },
        { 0, 21, 0, 0, false, 2 }, // "Early" is not ended: "Late" replaces it
        { 0, 21, 0, 30, false, 0 },
        { 0, 22, 0, 0, false, ~1 },
    });
}

TEST_F(ScheduleCheckTest, AnEventPastMidnightEndsTheNextDay)
{
    add(make_event("Late film", Monday, 23, 30, 0, 30));
    run({
        { 0, 23, 30, 0, true, 1 },
        { 0, 23, 59, 0, false, 0 },
        { 1, 0, 30, 0, false, ~0 },
    });
}

TEST_F(ScheduleCheckTest, AnEventEndingAsItStartsIsNotEndedInItsFirstMinute)
{
    add(make_event("Blink", Monday, 20, 15, 20, 15));
    run({
        { 0, 20, 15, 0, true, 1 },
        { 0, 20, 15, 40, false, 0 },
        { 0, 20, 16, 0, false, 0 },
    });
}

TEST_F(ScheduleCheckTest, ResetForgetsTheRunningEvent)
{
    add(make_event("News", Monday, 20, 15, 21, 0));
    run({
        { 0, 20, 15, 0, true, 1 },
        { 0, 21, 0, 0, true, 0 },
    });
}

TEST_F(ScheduleCheckTest, TheMinuteOfAnEndIsExaminedAgainForAStart)
{
    add(make_event("News", Monday, 20, 15, 21, 0));
    run({ { 0, 20, 15, 0, true, 1 }, { 0, 21, 0, 0, false, ~0 } });
    // An event added for this very minute after the end is still started by the next poll.
    add(make_event("Added", Monday, 21, 0, 22, 0));
    run({ { 0, 21, 0, 20, true, 2 }, { 0, 21, 0, 40, false, 0 } });
}

}
