#include "HelpFixture.h"
#include <EventTable.h>

#include <DialogDriver.h>

#include <dialogs/EventDialog.h>
#include <resources/TimerDialogs.h>

#include <user/MessageBox.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace dialog_driver;

class EventDialogTest : public HelpFixture {
protected:
    void SetUp() override
    {
        HelpFixture::SetUp();
        Settings.NumStations = 0;
        Settings.AddStation(1, "Arte");
        Settings.AddStation(5, "BBC");
        Settings.AddStation(12, "News");
        user::testing::set_message_box_responder([this](const user::MessageBoxCall& box) {
            boxes.push_back(box.text);
            EXPECT_EQ(box.caption, "Event");
            EXPECT_EQ(box.type & MB_ICONMASK, UINT(MB_ICONHAND));
            return IDOK;
        });
    }
    void TearDown() override
    {
        Settings.NumStations = 0;
        HelpFixture::TearDown();
    }

    // Runs the editor on `record`; `act` plays the user, then OK is pressed, and Cancel after it
    // when OK was refused with a message.
    int run(TimerEvent& record, const std::function<void(HWND)>& act)
    {
        TEventDialog dialog(frame, &record);
        user::testing::set_dialog_script(IDD_EVENT, [&](const user::testing::ModalDialog& d) {
            act(d.dialog);
            std::size_t shown = boxes.size();
            user::testing::press_dialog_button(d.dialog, IDOK);
            pump(d.dialog);
            if (boxes.size() > shown)
                user::testing::press_dialog_button(d.dialog, IDCANCEL);
        });
        return dialog.Execute();
    }

    std::vector<std::string> boxes;
};

TEST_F(EventDialogTest, TimeParserReadsTheDialogsExamplesAndBoundsLongDigitRuns)
{
    struct Case {
        const char* text;
        LONG hour, minute;
    } cases[] = {
        { "9:30pm", 21, 30 }, { "2130", 21, 30 }, { "8:30AM", 8, 30 }, { "12am", 0, 0 }, { "12pm", 12, 0 },
        { "9pm", 21, 0 }, { "930", 21, 0 }, { "9:5", 9, 5 }, { "", 0, 0 }, { "7:45 p m", 19, 45 },
        { "0:99999999999999999999", 0, 39 }, { "23:0000000000000000000000000075", 23, 15 },
    };
    for (const Case& c : cases) {
        LONG hour = -1, minute = -1;
        ParseEventTime(c.text, hour, minute);
        EXPECT_EQ(hour, c.hour) << c.text;
        EXPECT_EQ(minute, c.minute) << c.text;
    }
}

TEST_F(EventDialogTest, OpensWithTheRecordsFieldsAndTheStationsOfTheTable)
{
    TimerEvent record = event_test::make_event("Docs", event_test::Weekend, 20, 5, 21, 45, TimerActionAudioOn, 1, 5);
    TEventDialog dialog(frame, &record);
    user::testing::set_dialog_script(IDD_EVENT, [&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(text(d.dialog, 401), "Docs");
        EXPECT_EQ(text(d.dialog, 411), "20:05");
        EXPECT_EQ(text(d.dialog, 413), "21:45");
        EXPECT_EQ(text(d.dialog, 403), "L2 Arte");
        EXPECT_EQ(SendMessageA(item(d.dialog, 403), CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(text(d.dialog, 422), "5");
        EXPECT_EQ(text(d.dialog, 424), "Audio on");
        std::string days;
        for (int id : TEventDialog::DayBoxIds)
            days += IsDlgButtonChecked(d.dialog, id) ? "x" : "-";
        EXPECT_EQ(days, "x-----x");
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    EXPECT_EQ(dialog.Execute(), IDCANCEL);
}

TEST_F(EventDialogTest, AnEventOnALineWithoutAStationEntryOpensWithTheLineAndConfirmsUnchanged)
{
    Settings.NumStations = 0;
    TimerEvent record = event_test::make_event("Tape", event_test::Monday, 6, 0, 7, 0, TimerActionRecordTv, 0, -1);
    TimerEvent before = record;
    EXPECT_EQ(run(record, [](HWND d) { EXPECT_EQ(text(d, 403), "L1"); EXPECT_EQ(text(d, 422), "All"); }), IDOK);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

TEST_F(EventDialogTest, OkWritesTheTypedFieldsAndTheValidatorsKeepOutOtherCharacters)
{
    TimerEvent record = event_test::make_event("", 0, 0, 0, 0, 0, TimerActionNone, 5);
    int result = run(record, [](HWND d) {
        type(d, 401, "Late-News 24!  ");
        EXPECT_EQ(text(d, 401), "LateNews 24  ");
        retype(d, 411, "9:30pm!");
        EXPECT_EQ(text(d, 411), "9:30pm");
        retype(d, 413, "2305");
        retype(d, 403, "12 News");
        SendMessageA(item(d, 416), BM_CLICK, 0, 0);
        SendMessageA(item(d, 104), BM_CLICK, 0, 0);
        retype(d, 422, "ALL");
        pick(d, 424, "Record Audio");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(boxes.empty());
    EXPECT_STREQ(record.Name, "LateNews 24");
    EXPECT_EQ(record.Station, 12);
    EXPECT_EQ(record.StartHour, 21);
    EXPECT_EQ(record.StartMinute, 30);
    EXPECT_EQ(record.EndHour, 23);
    EXPECT_EQ(record.EndMinute, 5);
    EXPECT_EQ(record.DayMask, event_test::Monday | (1u << 4));
    EXPECT_EQ(record.Keep, -1);
    EXPECT_EQ(record.Action, TimerActionRecordAudio);
}

TEST_F(EventDialogTest, EachBadInputIsRefusedWithItsMessageAndTheDialogStaysOpen)
{
    struct Case {
        const char* name;
        const char* station;
        const char* keep;
        LONG action; // the record's action: 99 leaves the action box empty
        const char* message; // null: accepted
        LONG station_stored = 0;
        LONG keep_stored = 0;
    } cases[] = {
        { "", "5", "1", TimerActionTvOn, "The event name must not be empty." },
        { "   ", "5", "1", TimerActionTvOn, "The event name must not be empty." },
        { "A", "L1", "2", TimerActionTvOn, nullptr, 0, 2 },
        { "A", "l2", "5", TimerActionTvOn, nullptr, 1, 5 },
        { "A", "L3", "5", TimerActionTvOn, "Must specify L1 or L2 or station number" },
        { "A", "L", "5", TimerActionTvOn, "Must specify a valid station number or line number" },
        { "A", "1", "5", TimerActionTvOn, "Must specify a valid station number" },
        { "A", "0", "5", TimerActionTvOn, "Must specify a valid station number" },
        { "A", "Arte", "5", TimerActionTvOn, "Must specify a valid station number" },
        { "A", "99999999999999999999", "x", TimerActionTvOn, nullptr, 2147483647, 7 },
        { "A", "12 News", "10", 99, "Must specify an event action." },
    };
    for (const Case& c : cases) {
        boxes.clear();
        TimerEvent record = event_test::make_event("Old", 1, 1, 0, 2, 0, c.action, 5, 7);
        int result = run(record, [&](HWND d) {
            retype(d, 401, c.name);
            retype(d, 403, c.station);
            retype(d, 422, c.keep);
        });
        if (c.message) {
            EXPECT_EQ(result, IDCANCEL) << c.station;
            EXPECT_EQ(boxes, std::vector<std::string> { c.message }) << c.station;
        } else {
            EXPECT_EQ(result, IDOK) << c.station;
            EXPECT_TRUE(boxes.empty()) << c.station;
            EXPECT_EQ(record.Station, c.station_stored) << c.station;
            EXPECT_EQ(record.Keep, c.keep_stored) << c.station;
        }
    }
}

TEST_F(EventDialogTest, HelpShowsThePopupsOfTheTableAndTheHelpButtonOpensTheEventTopic)
{
    TimerEvent record = event_test::make_event("Docs", 1, 20, 0, 21, 0);
    run(record, [](HWND d) {
        key(d, VK_F1, 415);        // a day box: the day-of-week text
        key(d, VK_F1, 411);
        right_click(d, 30, 53);    // "Start &time" inside its frame
        right_click(d, 110, 100);  // the "Su" box inside its frame
        right_click(d, 30, 160);   // the keep label
        right_click(d, 180, 150);  // nothing there
        user::testing::press_dialog_button(d, 9);
        retype(d, 401, "");        // so OK stays open and Cancel ends
    });
    EXPECT_EQ(popups(), (std::vector<UINT> { 408, 411, 411, 408, 422 }));
    auto journal = shell::testing::help_journal();
    auto topic = std::find_if(journal.begin(), journal.end(), [](const auto& c) { return c.command == HH_DISPLAY_TOPIC; });
    ASSERT_NE(topic, journal.end());
    EXPECT_EQ(topic->topic, "Event_Dialog.html");
    EXPECT_EQ(topic->window, frame->GetHandle());
}

}
