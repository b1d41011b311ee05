#include "HelpFixture.h"
#include <EventTable.h>

#include <DialogDriver.h>

#include <dialogs/EventDialog.h>
#include <dialogs/SchedDialog.h>
#include <resources/TimerDialogs.h>

#include <base/Clock.h>
#include <user/MessageBox.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace dialog_driver;
using event_test::make_event;

// Column headings' x positions in the list (pixels).
constexpr int ProgramX = 50, StationX = 130, TimeX = 200, KeepX = 300;

class TimerListTest : public HelpFixture {
protected:
    void SetUp() override
    {
        HelpFixture::SetUp();
        event_test::clear_table();
        Settings.NumStations = 0;
        Settings.AddStation(1, "Arte");
        Settings.AddStation(1, "Arte two");
        Settings.Channel = 7;
        // Tuesday 8 December 2026, 14:40.
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 8, 14, 40, 0));
        user::testing::set_message_box_responder([this](const user::MessageBoxCall& box) {
            boxes.push_back(box.caption + ": " + box.text);
            return IDOK;
        });
        user::testing::set_unexpected_dialog_handler([](const user::testing::ModalDialog& d) {
            ADD_FAILURE() << "unexpected dialog " << d.template_id;
        });
    }
    void TearDown() override
    {
        base::Clock::install_real();
        event_test::clear_table();
        Settings.NumStations = 0;
        HelpFixture::TearDown();
    }

    // Runs the timer list with `act` playing the user, then closes it with its Close button.
    int run(const std::function<void(HWND)>& act)
    {
        TSchedDialog dialog(frame);
        user::testing::set_dialog_script(IDD_TIMER, [&](const user::testing::ModalDialog& d) {
            act(d.dialog);
            user::testing::press_dialog_button(d.dialog, IDOK);
        });
        return dialog.Execute();
    }

    // The event editor's script: `act` on its dialog, then OK (or Cancel).
    static void on_editor(const std::function<void(HWND)>& act, int button = IDOK)
    {
        user::testing::set_dialog_script(IDD_EVENT, [act, button](const user::testing::ModalDialog& d) {
            act(d.dialog);
            user::testing::press_dialog_button(d.dialog, button);
        });
    }

    static std::vector<std::string> names(HWND d)
    {
        std::vector<std::string> list;
        for (int row = 0; row < rows(d, 601); ++row) {
            std::string name = cell(d, 601, row);
            list.push_back(name.substr(0, name.find_last_not_of(' ') + 1));
        }
        return list;
    }

    std::vector<std::string> boxes;
};

TEST_F(TimerListTest, ListShowsEachEventsColumnsAndSkipsFreeRecords)
{
    event_test::add(make_event("News", event_test::Daily, 19, 0, 19, 30, TimerActionRecordTv, 1, -1));
    event_test::add(make_event("Gone", event_test::Daily, 1, 0, 2, 0));
    Settings.Events[1].Name[0] = '\0';
    event_test::add(make_event("Match", event_test::Weekend, 15, 5, 17, 0, TimerActionAudioOn, 0, 3));
    event_test::add(make_event("Work", event_test::Weekdays, 7, 0, 8, 0, TimerActionTvOn, 12, 0));
    event_test::add(make_event("Odd", event_test::Monday | 8, 23, 30, 0, 15, 77, 5, 2));
    Settings.TimerEnable = 1;
    run([](HWND d) {
        ASSERT_EQ(rows(d, 601), 4);
        EXPECT_EQ(cell(d, 601, 0, 0), "News                ");
        EXPECT_EQ(cell(d, 601, 0, 1), "L2 Arte");
        EXPECT_EQ(cell(d, 601, 0, 2), "19:00-19:30 daily");
        EXPECT_EQ(cell(d, 601, 0, 3), "All");
        EXPECT_EQ(cell(d, 601, 0, 4), "Record TV");
        EXPECT_EQ(cell(d, 601, 1, 1), "L1");
        EXPECT_EQ(cell(d, 601, 1, 2), "15:05-17:00 weekend");
        EXPECT_EQ(cell(d, 601, 1, 3), "3");
        EXPECT_EQ(cell(d, 601, 1, 4), "Audio on");
        EXPECT_EQ(cell(d, 601, 2, 1), "12");
        EXPECT_EQ(cell(d, 601, 2, 2), "7:00-8:00 weekday");
        EXPECT_EQ(cell(d, 601, 2, 4), "TV on");
        EXPECT_EQ(cell(d, 601, 3, 2), "23:30-0:15 MW");
        EXPECT_EQ(cell(d, 601, 3, 4), "<undefined>");
        EXPECT_EQ(SendMessageA(item(d, 601), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT, LRESULT(LVS_EX_FULLROWSELECT));
    });
}

TEST_F(TimerListTest, NewRunsTheEditorOnTodaysHalfHourAndAddsTheEventWithAConflictWarning)
{
    event_test::add(make_event("Film", event_test::Tuesday, 14, 45, 16, 0));
    // Cancelled: nothing is added.
    on_editor([](HWND) { }, IDCANCEL);
    run([](HWND d) { user::testing::press_dialog_button(d, 603); });
    EXPECT_EQ(Settings.EventCount, 1);

    on_editor([](HWND e) {
        EXPECT_EQ(text(e, 411), "14:30");
        EXPECT_EQ(text(e, 413), "15:00");
        EXPECT_EQ(text(e, 403), "7");
        EXPECT_EQ(text(e, 424), "Record TV");
        EXPECT_EQ(text(e, 422), "All");
        EXPECT_TRUE(IsDlgButtonChecked(e, 417));
        EXPECT_FALSE(IsDlgButtonChecked(e, 416));
        type(e, 401, "Quiz");
    });
    run([](HWND d) {
        user::testing::press_dialog_button(d, 603);
        EXPECT_EQ(names(d), (std::vector<std::string> { "Film", "Quiz" }));
    });
    ASSERT_EQ(Settings.EventCount, 2);
    EXPECT_STREQ(Settings.Events[1].Name, "Quiz");
    EXPECT_EQ(Settings.Events[1].Station, 7);
    EXPECT_EQ(Settings.Events[1].DayMask, event_test::Tuesday);
    EXPECT_EQ(boxes, (std::vector<std::string> { "Schedule conflict: \nSchedule conflict between events \"Quiz\" and \"Film\"." }));
}

TEST_F(TimerListTest, EditAndDeleteActOnTheSelectedRowsOwnEventsEvenWhenNamesRepeat)
{
    event_test::add(make_event("News", event_test::Daily, 7, 0, 7, 30));
    event_test::add(make_event("News", event_test::Daily, 19, 0, 19, 30));
    event_test::add(make_event("Film", event_test::Sunday, 21, 0, 22, 0));
    event_test::add(make_event("Late", event_test::Sunday, 23, 0, 23, 30));
    run([&](HWND d) {
        user::testing::press_dialog_button(d, 604); // no row selected: nothing
        click_row(d, 601, 1);
        on_editor([](HWND e) { EXPECT_EQ(text(e, 411), "19:00"); }, IDCANCEL);
        user::testing::press_dialog_button(d, 604);
        on_editor([](HWND e) { retype(e, 413, "2015"); });
        user::testing::press_dialog_button(d, 604);
        EXPECT_EQ(cell(d, 601, 1, 2), "19:00-20:15 daily");
        // Two adjacent rows selected and deleted, with no question asked.
        click_row(d, 601, 2);
        click_row(d, 601, 3, true);
        user::testing::press_dialog_button(d, 602);
        EXPECT_EQ(names(d), (std::vector<std::string> { "News", "News" }));
    });
    EXPECT_EQ(Settings.Events[0].EndHour, 7);
    EXPECT_EQ(Settings.Events[1].EndHour, 20);
    EXPECT_EQ(Settings.Events[1].EndMinute, 15);
    EXPECT_EQ(Settings.Events[2].Name[0], '\0');
    EXPECT_EQ(Settings.Events[3].Name[0], '\0');
    EXPECT_EQ(Settings.EventCount, 4);
    EXPECT_TRUE(boxes.empty()); // the edited event conflicts with nothing, the cancelled one was not checked
}

TEST_F(TimerListTest, ClickedColumnsSortTheListAndASecondClickReversesIt)
{
    event_test::add(make_event("beta", event_test::Daily, 9, 0, 10, 0, TimerActionRecordTv, 8, 5));
    event_test::add(make_event("Alpha", event_test::Daily, 21, 0, 8, 0, TimerActionRecordTv, 3, -1));
    event_test::add(make_event("gamma", event_test::Daily, 12, 0, 23, 0, TimerActionRecordTv, 5, 2));
    run([](HWND d) {
        click_heading(d, 601, ProgramX);
        EXPECT_EQ(names(d), (std::vector<std::string> { "Alpha", "beta", "gamma" }));
        click_heading(d, 601, ProgramX);
        EXPECT_EQ(names(d), (std::vector<std::string> { "gamma", "beta", "Alpha" }));
        click_heading(d, 601, TimeX); // start times only, ascending again
        EXPECT_EQ(names(d), (std::vector<std::string> { "beta", "gamma", "Alpha" }));
        click_heading(d, 601, StationX);
        EXPECT_EQ(names(d), (std::vector<std::string> { "Alpha", "gamma", "beta" }));
        click_heading(d, 601, KeepX);
        click_heading(d, 601, KeepX);
        EXPECT_EQ(names(d), (std::vector<std::string> { "beta", "gamma", "Alpha" }));
        // Rows keep their events: editing the first row edits "beta".
        click_row(d, 601, 0);
        on_editor([](HWND e) { EXPECT_EQ(text(e, 401), "beta"); }, IDCANCEL);
        user::testing::press_dialog_button(d, 604);
    });
}

TEST_F(TimerListTest, EscapeLeavesTheListOpenTheCloseBoxClosesItAndTheTimerButtonToggles)
{
    TSchedDialog dialog(frame);
    user::testing::set_dialog_script(IDD_TIMER, [&](const user::testing::ModalDialog& d) {
        key(d.dialog, VK_ESCAPE);
        EXPECT_EQ(static_cast<CoolButton*>(OWL::TWindow::FromHandle(item(d.dialog, 605)))->GetState(), 0);
        SendMessageA(item(d.dialog, 605), BM_CLICK, 0, 0);
        EXPECT_EQ(Settings.TimerEnable, 1);
        EXPECT_EQ(static_cast<CoolButton*>(OWL::TWindow::FromHandle(item(d.dialog, 605)))->GetState(), 1);
        PostMessageA(d.dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(dialog.Execute(), IDCANCEL);
    EXPECT_EQ(run([](HWND d) { user::testing::press_dialog_button(d, 605); }), IDOK);
    EXPECT_EQ(Settings.TimerEnable, 0);
}

TEST_F(TimerListTest, NewIntoAFullTableReusesAFreeRecordOrRefusesWithAMessage)
{
    for (int i = 0; i < MaxTimerEvents; ++i)
        event_test::add(make_event(std::string("E").append(std::to_string(i)), event_test::Sunday, i % 24, 0, i % 24, 1));
    run([](HWND d) { user::testing::press_dialog_button(d, 603); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Timer: The timer holds 50 events at most. Delete one to add another.");

    Settings.Events[7].Name[0] = '\0';
    on_editor([](HWND e) { type(e, 401, "Spare"); retype(e, 411, "6:00"); retype(e, 413, "6:00"); });
    run([](HWND d) { user::testing::press_dialog_button(d, 603); });
    EXPECT_EQ(Settings.EventCount, MaxTimerEvents);
    EXPECT_STREQ(Settings.Events[7].Name, "Spare");
}

TEST_F(TimerListTest, HelpOverTheListAndTheButtonsShowsTheirPopups)
{
    run([](HWND d) {
        right_click(d, 100, 40);  // the list
        key(d, VK_F1, 605);
        right_click(d, 150, 107); // New
    });
    EXPECT_EQ(popups(), (std::vector<UINT> { 57, 605, 603 }));
}

}

namespace {

TEST_F(TimerListTest, TheMainWindowsAcceleratorsWorkWhileTheListIsOpen)
{
    user::register_accelerators(3200, { { FVIRTKEY, VK_HOME, 1800 } });
    frame->Attr.AccelTable = 3200;
    int commands = 0;
    frame->OnCommand(1800, [&] { ++commands; });
    run([](HWND d) { key(d, VK_HOME, 603); });
    EXPECT_EQ(commands, 1);
}

}
