#include <EventTable.h>

#include <dialogs/SchedDialog.h>

#include <PlainWindow.h>
#include <gtest/gtest.h>
#include <user/Testing.h>
#include <string>

using namespace event_test;

namespace {

std::string line(const std::string& later, const std::string& earlier)
{
    return "\nSchedule conflict between events \"" + later + "\" and \"" + earlier + "\".";
}

class ScheduleConflict : public testing::Test {
protected:
    void SetUp() override { clear_table(); }
};

TEST_F(ScheduleConflict, PairsConflictWhenTheyShareADayAndTheirSpansOverlap)
{
    struct Case {
        const char* what;
        TimerEvent a, b;
        bool conflict;
    } cases[] = {
        { "spans that only touch", make_event("A", Monday, 22, 0, 23, 0), make_event("B", Monday, 23, 0, 23, 30), false },
        { "one minute of overlap", make_event("A", Monday, 22, 0, 23, 1), make_event("B", Monday, 23, 0, 23, 30), true },
        { "one span inside the other", make_event("A", Daily, 20, 0, 22, 0), make_event("B", Monday, 20, 30, 21, 0), true },
        { "the same span", make_event("A", Weekdays, 20, 15, 21, 0), make_event("B", Weekdays, 20, 15, 21, 0), true },
        { "no common day", make_event("A", Weekdays, 20, 0, 22, 0), make_event("B", Weekend, 20, 0, 22, 0), false },
        { "one does nothing", make_event("A", Monday, 20, 0, 22, 0), make_event("B", Monday, 20, 0, 22, 0, TimerActionNone), false },
        { "past midnight", make_event("A", Monday, 23, 0, 1, 0), make_event("B", Monday, 23, 30, 23, 45), false },
        { "a free record", make_event("", Monday, 20, 0, 22, 0), make_event("B", Monday, 20, 0, 22, 0), false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clear_table();
        add(c.a);
        add(c.b);
        EXPECT_EQ(TSchedDialog::ConflictText(), c.conflict ? line("B", "A") : "");
    }
}

TEST_F(ScheduleConflict, EveryPairIsReportedLaterEventFirst)
{
    add(make_event("News", Daily, 20, 0, 20, 30));
    add(make_event("gone", Daily, 20, 0, 20, 30));
    add(make_event("Film", Daily, 20, 15, 22, 0));
    add(make_event("Sport", Monday, 21, 0, 23, 0));
    free_record(1);
    EXPECT_EQ(TSchedDialog::ConflictText(), line("Film", "News") + line("Sport", "Film"));
    EXPECT_EQ(Settings.EventCount, 4) << "the check changes nothing";
    EXPECT_EQ(Settings.Events[1].Name[0], 0);
}

TEST_F(ScheduleConflict, LinesThatWouldReachTheLimitAreDroppedAndShorterOnesStillFit)
{
    // Four long events at one time: six pairs of 544 characters each; three fit (1632).
    std::string names[4];
    for (int i = 0; i < 4; ++i) {
        names[i] = std::string(250, char('a' + i));
        add(make_event(names[i], Monday, 20, 0, 21, 0));
    }
    std::string fitting = line(names[1], names[0]) + line(names[2], names[0]) + line(names[2], names[1]);
    ASSERT_EQ(fitting.size(), 1632u);

    // A short pair at another time: 44 characters plus its names, so 322 characters of names
    // bring the text to 1998, the most it may hold.
    struct Case {
        std::size_t later, earlier;
        bool fits;
    } cases[] = { { 161, 161, true }, { 162, 161, false }, { 1, 1, true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.later + c.earlier);
        Settings.EventCount = 4;
        std::string earlier(c.earlier, 'y'), later(c.later, 'z');
        add(make_event(earlier, Tuesday, 8, 0, 9, 0));
        add(make_event(later, Tuesday, 8, 0, 9, 0));
        std::string text = TSchedDialog::ConflictText();
        EXPECT_EQ(text, c.fits ? fitting + line(later, earlier) : fitting);
        EXPECT_LT(text.size(), TSchedDialog::ConflictTextLimit);
    }
}

}

namespace {

TEST_F(ScheduleConflict, TheWarningIsOneBoxOwnedByTheDialog)
{
    add(make_event("A", Monday, 22, 0, 23, 1));
    add(make_event("B", Monday, 23, 0, 23, 30));
    HWND owner = plain_window("timer list");
    TSchedDialog::CheckConflicts(owner);
    auto boxes = user::testing::message_box_journal();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].box.owner, owner);
    EXPECT_EQ(boxes[0].box.caption, "Schedule conflict");
    EXPECT_EQ(boxes[0].box.text, TSchedDialog::ConflictText());
    EXPECT_EQ(boxes[0].box.type, static_cast<UINT>(MB_OK));
    DestroyWindow(owner);
    user::testing::reset();
}

}
