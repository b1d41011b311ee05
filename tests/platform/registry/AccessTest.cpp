#include "RegistryFixture.h"

namespace {

using Access = RegistryTest;

TEST_F(Access, HandleRightsDecideWhatItMayDo)
{
    RegCloseKey(create(HKEY_CURRENT_USER, program_key));
    registry::write_value(HKEY_CURRENT_USER, program_key, "Volume", REG_BINARY, { 50 });

    enum class Op { Query, Set, Delete, EnumKeys, CreateSubkey };
    struct Case {
        REGSAM sam;
        Op op;
        LONG result;
    };
    const Case cases[] = {
        { KEY_READ, Op::Query, ERROR_SUCCESS },
        { KEY_READ, Op::Set, ERROR_ACCESS_DENIED },
        { KEY_READ, Op::Delete, ERROR_ACCESS_DENIED },
        { KEY_READ, Op::EnumKeys, ERROR_SUCCESS },
        { KEY_READ, Op::CreateSubkey, ERROR_ACCESS_DENIED },
        { KEY_WRITE, Op::Query, ERROR_ACCESS_DENIED },
        { KEY_WRITE, Op::Set, ERROR_SUCCESS },
        { KEY_WRITE, Op::CreateSubkey, ERROR_SUCCESS },
        { KEY_WRITE, Op::EnumKeys, ERROR_ACCESS_DENIED },
        { KEY_QUERY_VALUE, Op::Query, ERROR_SUCCESS },
        { KEY_SET_VALUE, Op::Set, ERROR_SUCCESS },
        { KEY_SET_VALUE, Op::CreateSubkey, ERROR_ACCESS_DENIED },
        { KEY_ALL_ACCESS, Op::Delete, ERROR_SUCCESS },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "sam " << std::hex << c.sam << " op " << static_cast<int>(c.op));
        registry::write_value(HKEY_CURRENT_USER, program_key, "Volume", REG_BINARY, { 50 });
        HKEY key = open(HKEY_CURRENT_USER, program_key, c.sam);
        BYTE data[4];
        DWORD size = sizeof data;
        char name[32];
        DWORD length = sizeof name;
        HKEY sub = nullptr;
        LONG result = 0;
        switch (c.op) {
        case Op::Query: result = RegQueryValueExA(key, "Volume", nullptr, nullptr, data, &size); break;
        case Op::Set: result = set(key, "Volume", REG_BINARY, { 60 }); break;
        case Op::Delete: result = RegDeleteValueA(key, "Volume"); break;
        case Op::EnumKeys: result = RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr); break;
        case Op::CreateSubkey:
            result = RegCreateKeyExA(key, "Recent", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr);
            RegCloseKey(sub);
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane\\Recent");
            break;
        }
        if (c.op == Op::EnumKeys && result == ERROR_NO_MORE_ITEMS)
            result = ERROR_SUCCESS;
        EXPECT_EQ(result, c.result);
        RegCloseKey(key);
    }
}

TEST_F(Access, AReadOnlyHiveRefusesEveryWriteButCanBeRead)
{
    registry::write_value(HKEY_LOCAL_MACHINE, program_key, "Volume", REG_BINARY, { 50 });
    ASSERT_EQ(registry::flush_all(), ERROR_SUCCESS);
    std::string before = read_text(registry::hive_path(HKEY_LOCAL_MACHINE));
    registry::set_read_only(HKEY_LOCAL_MACHINE, true);

    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, program_key, 0, KEY_WRITE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, run_key, 0, KEY_WRITE, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, program_key, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr), ERROR_ACCESS_DENIED);
    BYTE b = 1;
    EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "Root", 0, REG_BINARY, &b, 1), ERROR_ACCESS_DENIED) << "even through the hive's own handle";
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, program_key), ERROR_ACCESS_DENIED);

    key = open(HKEY_LOCAL_MACHINE, program_key, KEY_READ);
    BYTE volume = 0;
    DWORD size = 1;
    EXPECT_EQ(RegQueryValueExA(key, "Volume", nullptr, nullptr, &volume, &size), ERROR_SUCCESS);
    EXPECT_EQ(volume, 50);
    RegCloseKey(key);
    HKEY existing = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, program_key, 0, nullptr, 0, KEY_READ, nullptr, &existing, nullptr), ERROR_SUCCESS)
        << "opening an existing key for reading is allowed";
    RegCloseKey(existing);
    HKEY most = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, program_key, &most), ERROR_SUCCESS) << "the rights that are allowed";
    EXPECT_EQ(RegSetValueExA(most, "Volume", 0, REG_BINARY, &b, 1), ERROR_ACCESS_DENIED);
    RegCloseKey(most);

    HKEY user = create(HKEY_CURRENT_USER, program_key, KEY_WRITE);
    EXPECT_EQ(RegSetValueExA(user, "Volume", 0, REG_BINARY, &b, 1), ERROR_SUCCESS) << "other hives stay writable";
    RegCloseKey(user);
    registry::restart();
    EXPECT_EQ(read_text(registry::hive_path(HKEY_LOCAL_MACHINE)), before);

    registry::set_read_only(HKEY_LOCAL_MACHINE, false);
    key = create(HKEY_LOCAL_MACHINE, program_key, KEY_WRITE);
    EXPECT_EQ(RegSetValueExA(key, "Volume", 0, REG_BINARY, &b, 1), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Access, DeniedKeysAndFailingValues)
{
    RegCloseKey(create(HKEY_CURRENT_USER, run_key));
    registry::deny(HKEY_CURRENT_USER, "Software\\Kestrelon", registry::Deny::Create);
    registry::deny(HKEY_CURRENT_USER, run_key, registry::Deny::Open);
    registry::fail_value_write(HKEY_LOCAL_MACHINE, program_key, "volume", ERROR_WRITE_FAULT);

    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, program_key, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, "Software\\Kestrelon"));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\microsoft\\windows\\currentversion\\run", 0, KEY_WRITE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft", 0, KEY_WRITE, &key), ERROR_SUCCESS) << "only below the run key";
    RegCloseKey(key);

    key = create(HKEY_LOCAL_MACHINE, program_key, KEY_WRITE);
    EXPECT_EQ(set(key, "Volume", REG_BINARY, { 50 }), ERROR_WRITE_FAULT);
    EXPECT_EQ(set(key, "OnTop", REG_BINARY, { 0 }), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_FALSE(registry::read_value(HKEY_LOCAL_MACHINE, program_key, "Volume"));

    registry::clear_faults();
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, program_key, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Access, TheJournalListsCallsInOrder)
{
    registry::start_journal();
    HKEY key = create(HKEY_CURRENT_USER, program_key, KEY_WRITE);
    set(key, "Volume", REG_BINARY, { 50 });
    set(key, "EventName0", REG_SZ, bytes(std::string_view("News\0", 5)));
    RegDeleteValueA(key, "Station3");
    RegCloseKey(key);
    HKEY read = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, program_key, 0, KEY_READ, &read);

    std::vector<std::string> lines;
    for (const auto& entry : registry::take_journal())
        lines.push_back(registry::to_string(entry));
    EXPECT_EQ(lines, (std::vector<std::string> {
                         "create HKEY_CURRENT_USER\\Software\\Kestrelon\\Orbivane -> 0",
                         "set HKEY_CURRENT_USER\\Software\\Kestrelon\\Orbivane \"Volume\" binary hex:32 -> 0",
                         "set HKEY_CURRENT_USER\\Software\\Kestrelon\\Orbivane \"EventName0\" sz \"News\\0\" -> 0",
                         "delete-value HKEY_CURRENT_USER\\Software\\Kestrelon\\Orbivane \"Station3\" -> 2",
                         "open HKEY_LOCAL_MACHINE\\Software\\Kestrelon\\Orbivane -> 2",
                     }));
    EXPECT_TRUE(registry::take_journal().empty());
}

}
