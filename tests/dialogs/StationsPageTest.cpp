// The Stations page and the station editor: the list of the station table, New with its proposed
// channel, Edit, Delete and the moves, the editor's checks, "Only surf defined stations" through
// OK, Cancel and the sheet the Channels command shows, and the page's help.

#include "PreferencesFixture.h"

#include <dialogs/SetStation.h>
#include <dialogs/StationDialog.h>
#include <resources/StationDialogs.h>

#include <capture/Tv.h>
#include <capture/TvEngine.h>
#include <com/Apartment.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <registry/Testing.h>
#include <sim/VirtualHardware.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace dialog_driver;

class StationsPageTest : public PreferencesFixture {
protected:
    void SetUp() override
    {
        PreferencesFixture::SetUp();
        Settings.NumStations = 0;
        Settings.ChannelListOnly = 0;
        Settings.Channel = -1;
        user::testing::set_message_box_responder([this](const user::MessageBoxCall& box) {
            boxes.push_back(box.caption + ": " + box.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        Settings.NumStations = 0;
        PreferencesFixture::TearDown();
    }

    static std::vector<std::string> lines(HWND page)
    {
        std::vector<std::string> list;
        HWND box = item(page, 1701);
        int count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[300] = {};
            SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            list.push_back(text);
        }
        return list;
    }

    static int selected(HWND page) { return static_cast<int>(SendMessageA(item(page, 1701), LB_GETCURSEL, 0, 0)); }

    // Selects a line as a click does.
    static void select(HWND page, int line)
    {
        SendMessageA(item(page, 1701), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(1701, LBN_SELCHANGE), reinterpret_cast<LPARAM>(item(page, 1701)));
        pump(page);
    }

    // The editor's next opening: `act` on it, then `button`.
    static void on_editor(std::function<void(HWND)> act, int button = IDOK)
    {
        user::testing::set_dialog_script(IDD_STATION, [act, button](const user::testing::ModalDialog& d) {
            act(d.dialog);
            if (button && IsWindow(d.dialog))
                user::testing::press_dialog_button(d.dialog, button);
        });
    }

    // Runs the Stations page of the Preferences sheet with `act`, then `button`.
    int run_page(const std::function<void(HWND)>& act, int button = IDOK)
    {
        OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
        new TSetStation(&sheet, true);
        return run(sheet, [&](HWND s) { act(page_of(s)); }, button);
    }

    static std::vector<std::pair<LONG, std::string>> table()
    {
        std::vector<std::pair<LONG, std::string>> entries;
        for (int i = 0; i < Settings.StationCount(); ++i)
            entries.emplace_back(Settings.StationChannel(i), Settings.StationName(i));
        return entries;
    }

    std::vector<std::string> boxes;
};

using Table = std::vector<std::pair<LONG, std::string>>;

TEST_F(StationsPageTest, ListsTheTableInOrderWithLinesAsL1AndL2)
{
    Settings.AddStation(7, "Seven");
    Settings.AddStation(0, "Camera");
    Settings.AddStation(1, "");
    Settings.AddStation(112, "A name of thirty-nine characters, full");
    run_page([](HWND p) {
        EXPECT_EQ(lines(p), (std::vector<std::string> { "7   Seven", "L1   Camera", "L2   ", "112   A name of thirty-nine characters, full" }));
        EXPECT_EQ(selected(p), -1);
    });
}

TEST_F(StationsPageTest, NewProposesTheSelectedChannelUnlessAStationHasIt)
{
    struct Case {
        Table before;
        LONG current;
        const char* proposed;
    };
    const Case cases[] = {
        { { { 5, "A" }, { 7, "B" } }, 7, "8" },
        { { { 5, "A" }, { 7, "B" } }, 6, "6" },
        { { { 9, "A" }, { 7, "B" } }, -1, "10" },
        { { { 0, "Camera" } }, 0, "L2" },
        { {}, -1, "2" },
        { {}, 1, "L2" },
    };
    for (const Case& c : cases) {
        Settings.NumStations = 0;
        for (const auto& [channel, name] : c.before)
            Settings.AddStation(channel, name.c_str());
        Settings.Channel = c.current;
        std::string index, channel;
        on_editor([&](HWND d) {
            index = text(d, 705);
            channel = text(d, 701);
            retype(d, 703, "Nova");
        });
        run_page([](HWND p) { user::testing::press_dialog_button(p, 1702); });
        EXPECT_EQ(channel, c.proposed) << "current " << c.current;
        EXPECT_EQ(index, std::to_string(c.before.size() + 1));
        ASSERT_EQ(Settings.StationCount(), static_cast<LONG>(c.before.size() + 1));
        EXPECT_STREQ(Settings.StationName(Settings.StationCount() - 1), "Nova");
    }
}

TEST_F(StationsPageTest, NewThenCancelOrTheEditorsDeleteLeavesTheTableAsItWas)
{
    Settings.AddStation(5, "A");
    Settings.AddStation(7, "B");
    for (int button : { IDCANCEL, 707 }) {
        on_editor([](HWND d) { retype(d, 701, "40"); }, button);
        run_page([](HWND p) {
            user::testing::press_dialog_button(p, 1702);
            EXPECT_EQ(lines(p), (std::vector<std::string> { "5   A", "7   B" }));
        });
        EXPECT_EQ(table(), (Table { { 5, "A" }, { 7, "B" } })) << "button " << button;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StationsPageTest, TheEditorsChecksRefuseBadChannelsAndKeepTheDialogOpen)
{
    struct Case {
        const char* typed;
        const char* message; // null: accepted
        LONG stored;
    };
    const Case cases[] = {
        { "L1", nullptr, 0 },
        { "l2", nullptr, 1 },
        { "0", nullptr, 0 },
        { "1", nullptr, 1 },
        { "  12", nullptr, 12 },
        { "9", nullptr, 9 }, // the station's own channel
        { "L0", "Invalid Line-number for channel. Use L1 or L2", 0 },
        { "L3", "Invalid Line-number for channel. Use L1 or L2", 0 },
        { "Lx", "Invalid Line-number for channel. Use L1 or L2", 0 },
        { "abc", "Invalid channel number", 0 },
        { "", "Invalid channel number", 0 },
        { "-1", "Invalid channel number", 0 },
        { "-7", "Invalid channel number", 0 },
        { "99999999999999999999", nullptr, 2147483647 },
        { "5", "This channel already exists.\nPlease do not duplicate channels.", 0 },
    };
    for (const Case& c : cases) {
        Settings.NumStations = 0;
        Settings.AddStation(5, "Five");
        Settings.AddStation(9, "Nine");
        boxes.clear();
        bool open_after_ok = false;
        user::testing::set_dialog_script(IDD_STATION, [&](const user::testing::ModalDialog& d) {
            EXPECT_EQ(text(d.dialog, 705), "2");
            EXPECT_EQ(text(d.dialog, 701), "9");
            EXPECT_EQ(text(d.dialog, 703), "Nine");
            retype(d.dialog, 701, c.typed);
            retype(d.dialog, 703, "Renamed");
            user::testing::press_dialog_button(d.dialog, IDOK);
            // A refused channel: the message, and the editor is still there to cancel.
            open_after_ok = !boxes.empty();
            if (open_after_ok)
                user::testing::press_dialog_button(d.dialog, IDCANCEL);
        });
        int result = TStationDialog(frame, 1).Execute();
        if (c.message) {
            EXPECT_EQ(result, IDCANCEL) << "the editor stayed open after OK: " << c.typed;
            EXPECT_EQ(boxes, (std::vector<std::string> { std::string("Orbivane channel: ") + c.message })) << c.typed;
            EXPECT_EQ(table(), (Table { { 5, "Five" }, { 9, "Nine" } })) << c.typed;
        } else {
            EXPECT_EQ(result, IDOK) << c.typed;
            EXPECT_TRUE(boxes.empty()) << c.typed;
            EXPECT_EQ(table(), (Table { { 5, "Five" }, { c.stored, "Renamed" } })) << c.typed;
        }
    }
}

TEST_F(StationsPageTest, TheEditorCutsTheNameAndShowsALineAsLAndItsNumber)
{
    Settings.AddStation(1, "Line two");
    on_editor([](HWND d) {
        EXPECT_EQ(text(d, 701), "L2");
        retype(d, 703, "A very long station name that goes on past thirty-nine characters");
    });
    run_page([](HWND p) {
        select(p, 0);
        user::testing::press_dialog_button(p, 1706);
        EXPECT_EQ(lines(p), (std::vector<std::string> { "L2   A very long station name that goes on p" }));
    });
    EXPECT_STREQ(Settings.StationName(0), "A very long station name that goes on p");
}

TEST_F(StationsPageTest, MovesAndDeletesChangeTheTableAtOnceAndTheSelectionFollows)
{
    Settings.AddStation(5, "A");
    Settings.AddStation(6, "B");
    Settings.AddStation(7, "C");
    Settings.AddStation(8, "A");
    run_page([](HWND p) {
        auto press = [p](int id) { user::testing::press_dialog_button(p, id); };
        // Without a selection the buttons do nothing (and Edit opens no editor).
        for (int id : { 1704, 1705, 1703, 1706 })
            press(id);
        EXPECT_EQ(lines(p).size(), 4u);
        select(p, 1);
        press(1704);
        EXPECT_EQ(lines(p), (std::vector<std::string> { "6   B", "5   A", "7   C", "8   A" }));
        EXPECT_EQ(selected(p), 0);
        press(1704); // the first line stays first, and selected
        EXPECT_EQ(lines(p)[0], "6   B");
        EXPECT_EQ(selected(p), 0);
        select(p, 2);
        press(1705);
        press(1705); // the last line stays last, and selected
        EXPECT_EQ(lines(p), (std::vector<std::string> { "6   B", "5   A", "8   A", "7   C" }));
        EXPECT_EQ(selected(p), 3);
        select(p, 1);
        press(1703); // no confirmation
        EXPECT_EQ(lines(p), (std::vector<std::string> { "6   B", "8   A", "7   C" }));
    }, IDCANCEL);
    EXPECT_EQ(table(), (Table { { 6, "B" }, { 8, "A" }, { 7, "C" } })) << "Cancel does not undo the table";
}

TEST_F(StationsPageTest, NewRefusesAStationBeyondTheTablesTwoHundred)
{
    for (int i = 0; i < MaxStations; ++i)
        Settings.AddStation(2 + i, "S");
    run_page([](HWND p) { user::testing::press_dialog_button(p, 1702); });
    EXPECT_EQ(Settings.StationCount(), MaxStations);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Orbivane channel: ", 0), 0u) << boxes[0];
}

TEST_F(StationsPageTest, OnlySurfDefinedStationsWaitsForOkAndRoundTripsThroughTheHive)
{
    run_page([](HWND p) { user::testing::press_dialog_button(p, 101); }, IDCANCEL);
    EXPECT_EQ(Settings.ChannelListOnly, 0);
    run_page([](HWND p) { user::testing::press_dialog_button(p, 101); });
    EXPECT_EQ(Settings.ChannelListOnly, 1);

    HKEY key = settings_key();
    EXPECT_EQ(SaveStationPageSettings(key), ERROR_SUCCESS);
    auto value = registry::read_value(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane", "ChannelListOnly");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, DWORD(REG_BINARY));
    EXPECT_EQ(value->data, std::vector<BYTE> { 1 });
    Settings.ChannelListOnly = 0;
    EXPECT_EQ(LoadStationPageSettings(key), ERROR_SUCCESS);
    EXPECT_EQ(Settings.ChannelListOnly, 1);
    RegDeleteValueA(key, "ChannelListOnly");
    EXPECT_NE(LoadStationPageSettings(key), ERROR_SUCCESS);
    EXPECT_EQ(Settings.ChannelListOnly, 0);
    RegCloseKey(key);

    run_page([](HWND p) {
        EXPECT_EQ(IsDlgButtonChecked(p, 101), BST_UNCHECKED);
        user::testing::press_dialog_button(p, 101);
    }, IDCANCEL);
    EXPECT_EQ(Settings.ChannelListOnly, 0) << "Cancel keeps the old setting";
}

TEST_F(StationsPageTest, AloneInItsSheetOkReadsCloseCancelIsDisabledAndCloseApplies)
{
    Settings.ChannelListOnly = 0;
    OWL::TPropertySheet sheet(frame, "Channels", 0, false, PSH_NOAPPLYNOW);
    new TSetStation(&sheet, false);
    EXPECT_EQ(run(sheet, [&](HWND s) {
        EXPECT_EQ(text(s, IDOK), "Close");
        EXPECT_FALSE(IsWindowEnabled(item(s, IDCANCEL)));
        EXPECT_EQ(item(s, ID_APPLY_NOW), nullptr);
        EXPECT_EQ(sheet.GetWizButtons(), LPARAM(5));
        user::testing::press_dialog_button(page_of(s), 101);
        user::testing::press_dialog_button(s, IDCANCEL); // disabled: nothing happens
        EXPECT_TRUE(IsWindow(s));
    }), IDOK);
    EXPECT_EQ(Settings.ChannelListOnly, 1);

    // In the Preferences sheet, the buttons stay as they are.
    OWL::TPropertySheet shared(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetStation(&shared, true);
    run(shared, [&](HWND s) {
        EXPECT_EQ(text(s, IDOK), "OK");
        EXPECT_TRUE(IsWindowEnabled(item(s, IDCANCEL)));
    }, IDCANCEL);
}

TEST_F(StationsPageTest, F1AndRightClickShowTheTextPopupsOfThePageAndTheEditor)
{
    Settings.AddStation(5, "A");
    on_editor([](HWND d) {
        key(d, VK_F1, 701);
        key(d, VK_F1, 703);
        right_click(d, 20, 80);   // "&Channel"
        right_click(d, 150, 26);  // the index
        right_click(d, 5, 5);     // nothing there
        user::testing::press_dialog_button(d, 9);
    }, IDCANCEL);
    run_page([](HWND p) {
        key(p, VK_F1, 1702);
        right_click(p, 30, 12); // "&Stations"
        select(p, 0);
        user::testing::press_dialog_button(p, 1706);
    });
    EXPECT_EQ(popups(), (std::vector<UINT> { 99, 1701, 701, 703, 701, 705 }));
    bool topic = false;
    for (const auto& call : shell::testing::help_journal())
        topic = topic || (call.command == HH_DISPLAY_TOPIC && call.topic == "Station_Dialog.html");
    EXPECT_TRUE(topic);
}

// With TV on, the editor knows the range of the running tuner (the virtual card tunes 2 to 125).
TEST_F(StationsPageTest, WithTvOnTheEditorRefusesChannelsTheTunerCannotTune)
{
    CoInitialize(nullptr);
    dshow::register_classes();
    sim::install_cards(sim::default_machine());
    Tv = new STv("", frame->GetHandle(), 0, 0, nullptr, nullptr);
    ASSERT_TRUE(Tv->HasCaptureDevice());
    Settings.AddStation(5, "A");
    for (const char* typed : { "126", "125", "2" }) {
        boxes.clear();
        on_editor([&](HWND d) {
            retype(d, 701, typed);
            user::testing::press_dialog_button(d, IDOK);
        }, 0);
        user::testing::set_unexpected_dialog_handler([](const user::testing::ModalDialog&) { });
        TStationDialog(frame, 0).Execute();
        EXPECT_EQ(boxes.empty(), std::string(typed) != "126") << typed;
    }
    EXPECT_EQ(Settings.StationChannel(0), 2);
    delete Tv;
    Tv = nullptr;
    sim::uninstall_cards();
    CoUninitialize();
}

}
