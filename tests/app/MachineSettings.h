#pragma once

// The settings a test gives the program it starts: values written to the local machine's
// settings key, as the preferences store them, and the registry restarted so that the next start
// reads them.
//
//     machine_settings({ byte_setting("TvStart", 1), decimal_setting("Channel", 5) });

#include <app/SettingsSequence.h>
#include <registry/Registry.h>
#include <registry/Testing.h>
#include <settings/SettingsValues.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One value of the settings key: its kind says how the preferences store it.
struct Setting {
    enum class Kind { Byte, Dword, Decimal, Text, Deleted };
    Kind kind;
    const char* name;
    LONG number = 0;
    std::string text;
};

inline Setting byte_setting(const char* name, BYTE value) { return { Setting::Kind::Byte, name, value, {} }; }
inline Setting dword_setting(const char* name, LONG value) { return { Setting::Kind::Dword, name, value, {} }; }
inline Setting decimal_setting(const char* name, LONG value) { return { Setting::Kind::Decimal, name, value, {} }; }
inline Setting text_setting(const char* name, std::string value) { return { Setting::Kind::Text, name, 0, std::move(value) }; }
// The value removed, so the program takes its default.
inline Setting no_setting(const char* name) { return { Setting::Kind::Deleted, name, 0, {} }; }

// Writes `values` to `hive`'s settings key, made when missing, and restarts the registry.
inline void write_settings(HKEY hive, const std::vector<Setting>& values)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(hive, SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    for (const Setting& v : values) {
        switch (v.kind) {
        case Setting::Kind::Byte: WriteByteValue(key, v.name, static_cast<BYTE>(v.number)); break;
        case Setting::Kind::Dword: WriteDwordValue(key, v.name, v.number); break;
        case Setting::Kind::Decimal: WriteDecimalValue(key, v.name, v.number); break;
        case Setting::Kind::Text: WriteTextValue(key, v.name, v.text.c_str()); break;
        case Setting::Kind::Deleted: RegDeleteValueA(key, v.name); break;
        }
    }
    RegCloseKey(key);
    registry::restart();
}

inline void machine_settings(const std::vector<Setting>& values) { write_settings(HKEY_LOCAL_MACHINE, values); }
