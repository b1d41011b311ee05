#include <settings/Settings.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Station {
    LONG channel;
    std::string name;
    bool operator==(const Station&) const = default;
};

std::vector<Station> table(const SSettings& s)
{
    std::vector<Station> stations;
    for (int i = 0; i < s.StationCount(); ++i)
        stations.push_back({ s.StationChannel(i), s.StationName(i) });
    return stations;
}

std::unique_ptr<SSettings> with(const std::vector<Station>& stations)
{
    auto s = std::make_unique<SSettings>();
    for (const auto& station : stations)
        EXPECT_TRUE(s->AddStation(station.channel, station.name.c_str()));
    return s;
}

const Station A { 5, "A" }, B { 0, "B" }, C { 27, "C" };

TEST(StationTable, StartsEmptyWithEveryEntryUnused)
{
    auto s = std::make_unique<SSettings>();
    EXPECT_EQ(s->StationCount(), 0);
    for (const StationEntry& entry : s->Stations)
        EXPECT_EQ(entry.Channel, -1);
    EXPECT_EQ(s->StationName(0), nullptr);
    EXPECT_EQ(s->StationChannel(0), -1);
}

TEST(StationTable, OperationsKeepTheTableWithoutGaps)
{
    struct Case {
        const char* what;
        std::vector<Station> before;
        std::function<void(SSettings&)> op;
        std::vector<Station> after;
    };
    const Case cases[] = {
        { "delete first", { A, B, C }, [](SSettings& s) { s.DeleteStation(0); }, { B, C } },
        { "delete middle", { A, B, C }, [](SSettings& s) { s.DeleteStation(1); }, { A, C } },
        { "delete last", { A, B, C }, [](SSettings& s) { s.DeleteStation(2); }, { A, B } },
        { "delete only", { A }, [](SSettings& s) { s.DeleteStation(0); }, {} },
        { "delete none selected", { A, B }, [](SSettings& s) { s.DeleteStation(-1); }, { A, B } },
        { "delete past count", { A, B }, [](SSettings& s) { s.DeleteStation(2); }, { A, B } },
        { "two deletes", { A, B, C }, [](SSettings& s) { s.DeleteStation(0); s.DeleteStation(1); }, { B } },
        { "swap", { A, B, C }, [](SSettings& s) { s.SwapStations(0, 2); }, { C, B, A } },
        { "move first up", { A, B, C }, [](SSettings& s) { s.SwapStations(0, -1); }, { A, B, C } },
        { "move last down", { A, B, C }, [](SSettings& s) { s.SwapStations(2, 3); }, { A, B, C } },
        { "set channel", { A, B }, [](SSettings& s) { s.SetStationChannel(1, 1); }, { A, { 1, "B" } } },
        { "set channel past count", { A }, [](SSettings& s) { s.SetStationChannel(1, 9); }, { A } },
        { "rename", { A, B }, [](SSettings& s) { s.SetStationName(0, "ZDF"); }, { { 5, "ZDF" }, B } },
        { "rename none selected", { A }, [](SSettings& s) { EXPECT_EQ(s.SetStationName(-1, "X"), nullptr); }, { A } },
        { "long name cut to 39", {}, [](SSettings& s) { s.AddStation(7, std::string(60, 'n').c_str()); },
            { { 7, std::string(39, 'n') } } },
        { "rename cut to 39", { A }, [](SSettings& s) { s.SetStationName(0, std::string(40, 'x').c_str()); },
            { { 5, std::string(39, 'x') } } },
        // 19 two-byte characters and one more: the cut keeps whole characters.
        { "cut keeps characters", {}, [](SSettings& s) { std::string n; for (int i = 0; i < 20; ++i) n += "\xc3\xa9"; s.AddStation(3, n.c_str()); },
            { { 3, [] { std::string n; for (int i = 0; i < 19; ++i) n += "\xc3\xa9"; return n; }() } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = with(c.before);
        c.op(*s);
        EXPECT_EQ(table(*s), c.after);
        EXPECT_EQ(s->StationName(s->StationCount()), nullptr);
        EXPECT_EQ(s->StationChannel(s->StationCount()), -1);
    }
}

TEST(StationTable, AFullTableRefusesTheNextStation)
{
    auto s = std::make_unique<SSettings>();
    for (int i = 0; i < MaxStations; ++i)
        ASSERT_TRUE(s->AddStation(i + 2, "S"));
    const LONG count_after = s->NumStations;
    EXPECT_FALSE(s->AddStation(999, "Over"));
    EXPECT_EQ(s->StationCount(), MaxStations);
    EXPECT_EQ(count_after, MaxStations);
    EXPECT_EQ(s->StationChannel(MaxStations - 1), MaxStations + 1);
    // The field after the table is untouched, and a deletion makes room again.
    s->DeleteStation(0);
    EXPECT_TRUE(s->AddStation(999, "Again"));
    EXPECT_STREQ(s->StationName(MaxStations - 1), "Again");
}

}
