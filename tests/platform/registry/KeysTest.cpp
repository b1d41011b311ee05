#include "RegistryFixture.h"

namespace {

using Keys = RegistryTest;

TEST_F(Keys, PredefinedHandlesHaveTheirWindowsValues)
{
    auto value = [](HKEY key) { return reinterpret_cast<LONG_PTR>(key); };
    EXPECT_EQ(value(HKEY_CLASSES_ROOT), static_cast<LONG_PTR>(static_cast<LONG>(0x80000000u)));
    EXPECT_EQ(value(HKEY_CURRENT_USER), static_cast<LONG_PTR>(static_cast<LONG>(0x80000001u)));
    EXPECT_EQ(value(HKEY_LOCAL_MACHINE), static_cast<LONG_PTR>(static_cast<LONG>(0x80000002u)));
}

TEST_F(Keys, CreateMakesMissingParentsAndTellsWhatItDid)
{
    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, program_key, 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);

    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, program_key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\kestrelon\\ORBIVANE\\", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &again, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_NE(key, again) << "each open gives its own handle";
    RegCloseKey(key);
    RegCloseKey(again);

    EXPECT_TRUE(registry::key_exists(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(registry::key_exists(HKEY_CURRENT_USER, "Software\\Kestrelon"));
    EXPECT_FALSE(registry::key_exists(HKEY_LOCAL_MACHINE, "Software")) << "hives are separate";

    // Through a parent handle, and an empty subkey opens the key itself.
    HKEY software = open(HKEY_CURRENT_USER, "Software");
    HKEY program = open(software, "Kestrelon\\Orbivane", KEY_ALL_ACCESS);
    HKEY same = open(program, "", KEY_ALL_ACCESS);
    ASSERT_EQ(set(same, "Volume", REG_BINARY, { 7 }), ERROR_SUCCESS);
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, program_key, "Volume"), (registry::RawValue { REG_BINARY, { 7 } }));
    for (HKEY k : { software, program, same })
        RegCloseKey(k);
}

TEST_F(Keys, MalformedPathsAndOptionsAreRefused)
{
    HKEY key = nullptr;
    struct Case {
        const char* path;
        LONG result;
    };
    for (Case c : { Case { "\\Software", ERROR_BAD_PATHNAME }, Case { "Software\\\\Kestrelon", ERROR_BAD_PATHNAME },
             Case { "\\", ERROR_BAD_PATHNAME } }) {
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, c.path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), c.result) << c.path;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, c.path, 0, KEY_READ, &key), c.result) << c.path;
    }
    std::string too_long(256, 'k');
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, too_long.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software", 0, nullptr, 0, KEY_WRITE, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, "Software"));
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, "Volatile"));
}

TEST_F(Keys, DeleteOnlyLeafKeysAndHandlesToThemStopWorking)
{
    RegCloseKey(create(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane\\Recent"));
    HKEY recent = open(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane\\Recent", KEY_ALL_ACCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, program_key), ERROR_ACCESS_DENIED) << "has a subkey";
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane\\RECENT"), ERROR_SUCCESS);
    EXPECT_EQ(set(recent, "File1", REG_SZ, bytes("x")), ERROR_KEY_DELETED);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(recent, "File1", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(recent), ERROR_SUCCESS);

    registry::restart();
    EXPECT_FALSE(registry::key_exists(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane\\Recent"));
    EXPECT_TRUE(registry::key_exists(HKEY_CURRENT_USER, program_key));
}

TEST_F(Keys, HandlesAreNotReused)
{
    HKEY first = create(HKEY_CURRENT_USER, program_key);
    RegCloseKey(first);
    HKEY second = create(HKEY_CURRENT_USER, program_key);
    EXPECT_NE(first, second);
    BYTE b = 1;
    EXPECT_EQ(RegSetValueExA(first, "Volume", 0, REG_BINARY, &b, 1), ERROR_INVALID_HANDLE);
    RegCloseKey(second);
}

}
