#include "RegistryFixture.h"

#include <cstring>

namespace {

using Values = RegistryTest;

TEST_F(Values, ShortBufferGivesMoreDataAndTheSizeWithoutTouchingTheBuffer)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    ASSERT_EQ(set(key, "Volume", REG_BINARY, { '2', '0' }), ERROR_SUCCESS);
    ASSERT_EQ(set(key, "Country", REG_DWORD, { 0xff, 0xff, 0xff, 0xff }), ERROR_SUCCESS);

    struct Case {
        const char* name;
        DWORD stored_type;
        DWORD stored_size;
    };
    for (Case c : { Case { "Volume", REG_BINARY, 2 }, Case { "Country", REG_DWORD, 4 } }) {
        SCOPED_TRACE(c.name);
        BYTE buffer[8];
        std::memset(buffer, 0xEE, sizeof buffer);
        DWORD type = 99, size = 1;
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, buffer, &size), ERROR_MORE_DATA);
        EXPECT_EQ(size, c.stored_size);
        EXPECT_EQ(type, c.stored_type);
        for (BYTE b : buffer)
            EXPECT_EQ(b, 0xEE);

        size = 0;
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, c.stored_size);

        size = c.stored_size;
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, buffer, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, c.stored_size);
        EXPECT_EQ(buffer[c.stored_size], 0xEE) << "nothing written past the data";
    }
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(Values, MissingValuesAndBadHandlesFailCleanly)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    BYTE buffer[4];
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Nothing", nullptr, nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, "Nothing", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    EXPECT_EQ(RegQueryValueExA(key, "Volume", nullptr, nullptr, buffer, &size), ERROR_INVALID_HANDLE) << "closed handle";
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(nullptr, "Volume", nullptr, nullptr, buffer, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(nullptr, "Volume", 0, REG_BINARY, buffer, 1), ERROR_INVALID_HANDLE);
    HKEY users = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000003u)));
    EXPECT_EQ(RegSetValueExA(users, "Volume", 0, REG_BINARY, buffer, 1), ERROR_INVALID_HANDLE) << "hive not kept here";
}

struct Sample {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
};

std::vector<Sample> samples()
{
    std::vector<BYTE> tuner(260, 0);
    std::memcpy(tuner.data(), "Card \"1\"\\x", 10);
    for (size_t i = 11; i < tuner.size(); ++i)
        tuner[i] = static_cast<BYTE>(i * 7); // garbage after the terminator, every byte value
    std::vector<BYTE> every_byte;
    for (int i = 0; i < 256; ++i)
        every_byte.push_back(static_cast<BYTE>(i));
    return {
        { "EventName0", REG_SZ, RegistryTest::bytes(std::string_view("News\0", 5)) },
        { "NoTerminator", REG_SZ, RegistryTest::bytes("abc") },
        { "Tuner", REG_SZ, tuner },
        { "Utf8", REG_SZ, RegistryTest::bytes("Caf\xc3\xa9 \xe2\x82\xac\n\t\r\x01\x7f\xff\xc3") },
        { "EmptyString", REG_SZ, {} },
        { "Path", REG_EXPAND_SZ, RegistryTest::bytes(std::string_view("%TEMP%\\Orbivane\0", 17)) },
        { "Volume", REG_BINARY, { 50 } },
        { "EmptyBinary", REG_BINARY, {} },
        { "EveryByte", REG_BINARY, every_byte },
        { "WindowX", REG_DWORD, { 0x64, 0, 0, 0 } },
        { "ShortDword", REG_DWORD, { 0x01, 0x02 } },
        { "BigEndian", REG_DWORD_BIG_ENDIAN, { 0, 0, 1, 2 } },
        { "List", REG_MULTI_SZ, RegistryTest::bytes(std::string_view("a\0b c\0\0", 7)) },
        { "Large", REG_QWORD, { 1, 2, 3, 4, 5, 6, 7, 0x80 } },
        { "Nothing", REG_NONE, { 9 } },
        { "Odd type", 0x1234, { 'x' } },
        { "", REG_SZ, RegistryTest::bytes(std::string_view("default\0", 8)) },
        { "Name \"quoted\" \\ = ; [x] \xc3\xa9", REG_BINARY, { 1 } },
    };
}

void expect_value(HKEY key, const Sample& s)
{
    SCOPED_TRACE(s.name);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, s.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    std::vector<BYTE> data(size + 1, 0xEE);
    ASSERT_EQ(RegQueryValueExA(key, s.name, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
    data.resize(size);
    EXPECT_EQ(type, s.type);
    EXPECT_EQ(data, s.data);
}

TEST_F(Values, TypesAndExactBytesSurviveTheFileAndANewProcess)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    for (const auto& s : samples())
        ASSERT_EQ(set(key, s.name, s.type, s.data), ERROR_SUCCESS) << s.name;
    for (const auto& s : samples())
        expect_value(key, s);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    registry::forget_hives(); // nothing in memory: everything comes from the file
    key = open(HKEY_CURRENT_USER, program_key);
    for (const auto& s : samples())
        expect_value(key, s);
    RegCloseKey(key);
}

TEST_F(Values, ATableSavedReloadedAndSavedAgainGivesTheSameFile)
{
    auto fill = [&](bool reversed) {
        auto list = samples();
        if (reversed)
            std::reverse(list.begin(), list.end());
        for (const char* path : { "Software\\Zeta", program_key, "Software\\alpha\\Beta", "Software\\Kestrelon\\Other",
                 "Software\\50% [x] \xc3\xa9\x01 %41" }) {
            HKEY key = create(HKEY_CURRENT_USER, path);
            for (const auto& s : list)
                ASSERT_EQ(set(key, s.name, s.type, s.data), ERROR_SUCCESS);
            RegCloseKey(key);
        }
    };
    fill(false);
    std::string path = registry::hive_path(HKEY_CURRENT_USER);
    std::string first = read_text(path);
    ASSERT_FALSE(first.empty());

    registry::forget_hives();
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    ASSERT_EQ(set(key, "Volume", REG_BINARY, { 50 }), ERROR_SUCCESS); // unchanged, but saved again
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(read_text(path), first);
    EXPECT_TRUE(registry::key_exists(HKEY_CURRENT_USER, "software\\50% [X] \xc3\xa9\x01 %41"));
    EXPECT_NE(first.find("[Software\\50%25 %5bx%5d \xc3\xa9%01 %2541]"), std::string::npos) << first;

    // The same table made in another order writes the same bytes.
    std::filesystem::remove(path);
    registry::forget_hives();
    fill(true);
    EXPECT_EQ(read_text(path), first);
}

TEST_F(Values, NamesIgnoreCaseAndKeepTheFirstSpelling)
{
    HKEY program = create(HKEY_LOCAL_MACHINE, program_key);
    HKEY run = create(HKEY_LOCAL_MACHINE, run_key);
    ASSERT_EQ(set(program, "Volume", REG_BINARY, { 1 }), ERROR_SUCCESS);
    ASSERT_EQ(set(program, "VOLUME", REG_BINARY, { 2 }), ERROR_SUCCESS);
    ASSERT_EQ(set(run, "Orbivane", REG_SZ, bytes(std::string_view("x\0", 2))), ERROR_SUCCESS);
    RegCloseKey(program);
    RegCloseKey(run);
    registry::restart();

    HKEY root = open(HKEY_LOCAL_MACHINE, "");
    char name[64];
    DWORD length = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(root, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Software") << "one key for \"Software\" and \"SOFTWARE\"";
    length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(root, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(root);

    HKEY key = open(HKEY_LOCAL_MACHINE, "software\\KESTRELON\\orbivane");
    length = sizeof name;
    DWORD type, size = 0;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Volume");
    BYTE volume = 0;
    size = 1;
    ASSERT_EQ(RegQueryValueExA(key, "vOLUMe", nullptr, nullptr, &volume, &size), ERROR_SUCCESS);
    EXPECT_EQ(volume, 2);
    RegCloseKey(key);

    std::string text = read_text(registry::hive_path(HKEY_LOCAL_MACHINE));
    EXPECT_NE(text.find("[Software\\Microsoft\\Windows\\CurrentVersion\\Run]"), std::string::npos) << text;
    EXPECT_EQ(text.find("SOFTWARE"), std::string::npos) << text;
    EXPECT_EQ(text.find("VOLUME"), std::string::npos) << text;
}

TEST_F(Values, DeletedValuesAreGoneFromTheFile)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    ASSERT_EQ(set(key, "Station0", REG_SZ, bytes(std::string_view("5\0", 2))), ERROR_SUCCESS);
    ASSERT_EQ(set(key, "StationName0", REG_SZ, bytes(std::string_view("One\0", 4))), ERROR_SUCCESS);
    RegCloseKey(key);
    registry::restart();

    key = create(HKEY_CURRENT_USER, program_key, KEY_WRITE);
    EXPECT_EQ(RegDeleteValueA(key, "STATION0"), ERROR_SUCCESS);
    RegCloseKey(key);
    registry::forget_hives();
    EXPECT_FALSE(registry::read_value(HKEY_CURRENT_USER, program_key, "Station0"));
    EXPECT_TRUE(registry::read_value(HKEY_CURRENT_USER, program_key, "StationName0"));
}

TEST_F(Values, EnumerationAndKeyInfo)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    ASSERT_EQ(set(key, "b", REG_BINARY, { 1, 2, 3 }), ERROR_SUCCESS);
    ASSERT_EQ(set(key, "A", REG_DWORD, { 1, 0, 0, 0 }), ERROR_SUCCESS);
    ASSERT_EQ(set(key, "LongerName", REG_SZ, bytes("x")), ERROR_SUCCESS);
    RegCloseKey(create(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane\\Recent"));

    std::vector<std::string> names;
    char name[32];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        LONG result = RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(result, ERROR_SUCCESS);
        EXPECT_EQ(length, std::strlen(name));
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string> { "A", "b", "LongerName" }));

    DWORD length = 10; // "LongerName" needs 11 with its terminator
    EXPECT_EQ(RegEnumValueA(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    BYTE data[2];
    DWORD size = sizeof data;
    length = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &length, nullptr, nullptr, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);

    DWORD subkeys = 0, max_subkey = 0, values = 0, max_name = 0, max_data = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &max_subkey, nullptr, &values, &max_name, &max_data, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 1u);
    EXPECT_EQ(max_subkey, 6u);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(max_name, 10u);
    EXPECT_EQ(max_data, 4u);
    RegCloseKey(key);
}

TEST_F(Values, DefaultValueOfAClassesRootKey)
{
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, "htmlfile", 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", REG_SZ, "browser \"%1\"", 0), ERROR_SUCCESS);
    RegCloseKey(create(HKEY_CLASSES_ROOT, ".txt")); // no default value
    registry::restart();

    char text[520];
    LONG size = sizeof text;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".HTM", text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "htmlfile");
    EXPECT_EQ(size, 9);
    size = sizeof text;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "browser \"%1\"");
    size = 4;
    EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", text, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9);
    size = sizeof text;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".txt", text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "");
    size = sizeof text;
    EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".avi", text, &size), ERROR_FILE_NOT_FOUND);
}

}
