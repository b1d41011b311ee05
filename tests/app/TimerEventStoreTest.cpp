#include <EventTable.h>

#include <app/TimerEventStore.h>

#include <registry/Registry.h>
#include <registry/Testing.h>

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace event_test;

namespace {

constexpr const char* KeyPath = "Software\\Kestrelon\\Orbivane";

std::vector<BYTE> bytes(const std::string& text, bool terminated = true)
{
    std::vector<BYTE> data(text.begin(), text.end());
    if (terminated)
        data.push_back(0);
    return data;
}

std::string file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

class TimerEventStore : public testing::Test {
protected:
    void SetUp() override
    {
        registry::reset_for_test();
        RegDeleteKeyA(HKEY_CURRENT_USER, KeyPath);
        clear_table();
    }
    void TearDown() override
    {
        close();
        registry::clear_faults();
    }

    HKEY open()
    {
        close();
        EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, KeyPath, &key), ERROR_SUCCESS);
        return key;
    }
    void close()
    {
        if (key)
            RegCloseKey(key);
        key = nullptr;
    }

    void seed(const char* name, DWORD type, std::vector<BYTE> data)
    {
        registry::write_value(HKEY_CURRENT_USER, KeyPath, name, type, std::move(data));
    }
    void seed_text(const char* name, const std::string& text) { seed(name, REG_SZ, bytes(text)); }
    void seed_count(BYTE count) { seed("EventCount", REG_BINARY, { count }); }

    std::optional<registry::RawValue> stored(const char* name)
    {
        return registry::read_value(HKEY_CURRENT_USER, KeyPath, name);
    }
    std::string stored_text(const char* name)
    {
        auto value = stored(name);
        if (!value)
            return "<missing>";
        EXPECT_EQ(value->type, REG_SZ) << name;
        EXPECT_FALSE(value->data.empty()) << name;
        EXPECT_EQ(value->data.back(), 0) << name << " is stored with its terminator";
        return std::string(value->data.begin(), value->data.end() - (value->data.empty() ? 0 : 1));
    }

    HKEY key = nullptr;
};

TEST_F(TimerEventStore, NothingStoredGivesTheTimerOnAndNoEvents)
{
    Settings.EventCount = 7;
    LoadTimerEvents(nullptr);
    EXPECT_EQ(Settings.TimerEnable, 1);
    EXPECT_EQ(Settings.EventCount, 0);

    clear_table();
    LoadTimerEvents(open());
    EXPECT_EQ(Settings.TimerEnable, 1);
    EXPECT_EQ(Settings.EventCount, 0);
}

TEST_F(TimerEventStore, SavesAnEventAsItsNumbersAndItsName)
{
    Settings.TimerEnable = 1;
    add(make_event("Evening news", Weekdays, 20, 15, 21, 0, TimerActionRecordTv, 5, -1));

    EXPECT_EQ(SaveTimerEvents(open()), ERROR_SUCCESS);

    EXPECT_EQ(stored_text("Event0"), "5 62 20 15 21 0 -1 15");
    EXPECT_EQ(stored_text("EventName0"), "Evening news");
    EXPECT_EQ(stored("TimerEnable"), (registry::RawValue { REG_BINARY, { 1 } }));
    EXPECT_EQ(stored("EventCount"), (registry::RawValue { REG_BINARY, { 1 } }));
}

TEST_F(TimerEventStore, SaveDropsFreeRecordsAndRenumbersWithoutGaps)
{
    for (const char* name : { "A", "gone", "B", "gone too", "C" })
        add(make_event(name, Daily, 1, 0, 2, 0));
    free_record(1);
    free_record(3);

    SaveTimerEvents(open());

    EXPECT_EQ(stored("EventCount"), (registry::RawValue { REG_BINARY, { 3 } }));
    EXPECT_EQ(stored_text("EventName0"), "A");
    EXPECT_EQ(stored_text("EventName1"), "B");
    EXPECT_EQ(stored_text("EventName2"), "C");
    EXPECT_FALSE(stored("Event3"));
    // The table in memory is not compacted by saving.
    EXPECT_EQ(Settings.EventCount, 5);
    EXPECT_STREQ(Settings.Events[2].Name, "B");
    EXPECT_EQ(Settings.Events[1].Name[0], 0);
}

TEST_F(TimerEventStore, ValuesAboveTheSavedCountStayButAreNotLoaded)
{
    for (const char* name : { "A", "B", "C" })
        add(make_event(name, Daily, 1, 0, 2, 0));
    SaveTimerEvents(open());
    free_record(0);
    free_record(2);
    SaveTimerEvents(key);

    EXPECT_EQ(stored("EventCount"), (registry::RawValue { REG_BINARY, { 1 } }));
    EXPECT_EQ(stored_text("EventName0"), "B");
    EXPECT_EQ(stored_text("EventName1"), "B"); // stale from the first save
    EXPECT_EQ(stored_text("EventName2"), "C");

    clear_table();
    LoadTimerEvents(key);
    EXPECT_EQ(Settings.EventCount, 1);
    EXPECT_STREQ(Settings.Events[0].Name, "B");
    EXPECT_EQ(Settings.Events[1].Name[0], 0);
}

TEST_F(TimerEventStore, ReturnsTheStatusOfTheCountWriteOnly)
{
    add(make_event("A", Daily, 1, 0, 2, 0));
    registry::fail_value_write(HKEY_CURRENT_USER, KeyPath, "Event0");
    EXPECT_EQ(SaveTimerEvents(open()), ERROR_SUCCESS);
    EXPECT_TRUE(stored("EventName0"));

    registry::fail_value_write(HKEY_CURRENT_USER, KeyPath, "EventCount");
    EXPECT_EQ(SaveTimerEvents(key), ERROR_ACCESS_DENIED);
}

TEST_F(TimerEventStore, ATableSavedAndReloadedInANewProcessSavesToTheSameHiveBytes)
{
    Settings.TimerEnable = 0;
    add(make_event("Late film", Weekend, 23, 30, 1, 15, TimerActionRecordTv, 12, 3));
    add(make_event("free", Daily, 0, 0, 0, 0));
    add(make_event("Radio", Monday | Tuesday, 6, 0, 7, 5, TimerActionRecordAudio, 1, -1));
    add(make_event("High mask", 0x80000001u, 0, 0, 0, 1, TimerActionNone, 0, 0));
    add(make_event(std::string(259, 'n'), Sunday, 12, 0, 13, 0, TimerActionTvOn, 2147483647, -2147483647 - 1));
    free_record(1);
    TimerEvent saved[5];
    std::memcpy(saved, Settings.Events, sizeof(saved));

    SaveTimerEvents(open());
    close();
    registry::restart();
    std::string first = file_bytes(registry::hive_path(HKEY_CURRENT_USER));

    clear_table();
    LoadTimerEvents(open());
    EXPECT_EQ(Settings.TimerEnable, 0);
    ASSERT_EQ(Settings.EventCount, 4);
    const int original[] = { 0, 2, 3, 4 };
    for (int i = 0; i < 4; ++i) {
        const TimerEvent& a = Settings.Events[i];
        const TimerEvent& b = saved[original[i]];
        EXPECT_STREQ(a.Name, b.Name);
        EXPECT_EQ(std::vector<LONG>({ a.Station, LONG(a.DayMask), a.StartHour, a.StartMinute, a.EndHour, a.EndMinute, a.Keep, a.Action }),
            std::vector<LONG>({ b.Station, LONG(b.DayMask), b.StartHour, b.StartMinute, b.EndHour, b.EndMinute, b.Keep, b.Action }))
            << "event " << i;
    }

    SaveTimerEvents(key);
    close();
    registry::restart();
    EXPECT_EQ(file_bytes(registry::hive_path(HKEY_CURRENT_USER)), first);
}

TEST_F(TimerEventStore, TheEnableAndCountBytes)
{
    struct Case {
        const char* name;
        std::vector<BYTE> enable, count;
        BYTE want_enable;
        LONG want_count;
    } cases[] = {
        { "off", { 0 }, { 0 }, 0, 0 },
        { "any non-zero byte is on", { 7 }, { 0 }, 1, 0 },
        { "longer than one byte: defaults", { 0, 0 }, { 1, 0 }, 1, 0 },
        { "empty: defaults", {}, {}, 1, 0 },
        { "a count above the table loads the table's capacity", { 1 }, { 200 }, 1, MaxTimerEvents },
        { "the whole table", { 1 }, { MaxTimerEvents }, 1, MaxTimerEvents },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seed("TimerEnable", REG_BINARY, c.enable);
        seed("EventCount", REG_BINARY, c.count);
        clear_table();
        LoadTimerEvents(open());
        EXPECT_EQ(Settings.TimerEnable, c.want_enable);
        EXPECT_EQ(Settings.EventCount, c.want_count);
    }
}

TEST_F(TimerEventStore, ACountAboveTheTableFillsEveryRecordAndNoMore)
{
    for (int n = 0; n < 60; ++n) {
        std::string name = "Event" + std::to_string(n);
        seed_text(name.c_str(), "5 127 1 0 2 0 -1 15");
        seed_text(("EventName" + std::to_string(n)).c_str(), std::string("E").append(std::to_string(n)));
    }
    seed_count(255);
    LoadTimerEvents(open());
    EXPECT_EQ(Settings.EventCount, MaxTimerEvents);
    EXPECT_STREQ(Settings.Events[MaxTimerEvents - 1].Name, "E49");
}

TEST_F(TimerEventStore, EventNumbersParseIntoTheir32BitFieldsOrLeaveTheRecordFree)
{
    struct Case {
        const char* text; // null: no "Event0" value
        bool parses;
        std::vector<LONG> fields; // station, mask, start, end, keep, action
    } cases[] = {
        { "5 62 20 15 21 0 -1 15", true, { 5, 62, 20, 15, 21, 0, -1, 15 } },
        { "  2\t65 0 0 23 59 +3 4 trailing", true, { 2, 65, 0, 0, 23, 59, 3, 4 } },
        { "2147483647 -1 0 0 0 0 -2147483648 0", true, { 2147483647, -1, 0, 0, 0, 0, -2147483647 - 1, 0 } },
        { "1 4294967295 0 0 0 0 0 0", true, { 1, -1, 0, 0, 0, 0, 0, 0 } },
        { "5 62 20 15 21 0 -1", false, {} },
        { "5 62 20 15 21 0 -1 4294967296", false, {} },
        { "2147483648 62 20 15 21 0 -1 15", false, {} },
        { "5,62,20,15,21,0,-1,15", false, {} },
        { "news", false, {} },
        { "", false, {} },
        { nullptr, false, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "<missing>");
        RegDeleteValueA(open(), "Event0");
        if (c.text)
            seed_text("Event0", c.text);
        seed_text("EventName0", "Stored");
        seed_count(1);
        clear_table();
        // Left-overs in the record must not survive a failed parse.
        Settings.Events[0] = make_event("Old", 9, 9, 9, 9, 9, 9, 9, 9);

        LoadTimerEvents(key);

        const TimerEvent& e = Settings.Events[0];
        std::vector<LONG> got { e.Station, LONG(e.DayMask), e.StartHour, e.StartMinute, e.EndHour, e.EndMinute, e.Keep, e.Action };
        EXPECT_EQ(Settings.EventCount, 1);
        if (c.parses) {
            EXPECT_STREQ(e.Name, "Stored");
            EXPECT_EQ(got, c.fields);
        } else {
            EXPECT_EQ(e.Name[0], 0) << "the record is free";
            EXPECT_EQ(got, std::vector<LONG>(8, 0));
        }
    }
}

TEST_F(TimerEventStore, NamesAreTerminatedAndCutToTheirField)
{
    std::string long_name(300, 'x');
    struct Case {
        const char* what;
        std::optional<std::vector<BYTE>> stored; // nothing: no "EventName0" value
        std::string want;
    } cases[] = {
        { "with its terminator", bytes("News"), "News" },
        { "without a terminator", bytes("News", false), "News" },
        { "longer than the field", bytes(long_name), std::string(259, 'x') },
        { "long and unterminated", bytes(long_name, false), std::string(259, 'x') },
        { "missing: the record keeps its name", std::nullopt, "Kept" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteValueA(open(), "EventName0");
        if (c.stored)
            seed("EventName0", REG_SZ, *c.stored);
        seed_text("Event0", "5 62 20 15 21 0 -1 15");
        seed_count(1);
        clear_table();
        std::memset(Settings.Events[0].Name, 'z', sizeof(Settings.Events[0].Name));
        base::copy_bounded(Settings.Events[0].Name, sizeof(Settings.Events[0].Name), "Kept");

        LoadTimerEvents(key);

        EXPECT_EQ(std::string(Settings.Events[0].Name), c.want);
    }
}

TEST_F(TimerEventStore, ActionTexts)
{
    struct Case {
        LONG action;
        const char* text;
    } cases[] = {
        { 15, "Record TV" }, { 5, "Record Audio" }, { 12, "TV on" }, { 4, "Audio on" }, { 0, "no action" },
        { 1, "<undefined>" }, { -1, "<undefined>" }, { 16, "<undefined>" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(TimerActionText(c.action), c.text) << c.action;
}

}
