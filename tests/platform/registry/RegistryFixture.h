#pragma once

// A fresh platform home and a fresh registry for each test, and small helpers around the API.

#include <registry/Registry.h>
#include <registry/Testing.h>

#include <TempHome.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

struct RegistryTest : testing::Test {
    std::string home;

    void SetUp() override
    {
        home = test_support::make_temp_dir("orbivane-registry");
        setenv("ORBIVANE_HOME", home.c_str(), 1);
        registry::reset_for_test();
        // The mechanics are tested on bare hives, without the keys every machine has.
        registry::set_machine_keys(false);
    }

    void TearDown() override
    {
        registry::set_machine_keys(true);
        registry::reset_for_test();
        std::filesystem::remove_all(home);
        setenv("ORBIVANE_HOME", test_support::temp_home().c_str(), 1);
    }

    // Creates (or opens) a key with every right; fails the test if it cannot.
    static HKEY create(HKEY hive, const char* path, REGSAM sam = KEY_ALL_ACCESS)
    {
        HKEY key = nullptr;
        LONG result = RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, &key, nullptr);
        EXPECT_EQ(result, ERROR_SUCCESS) << path;
        return key;
    }

    static HKEY open(HKEY hive, const char* path, REGSAM sam = KEY_READ)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(hive, path, 0, sam, &key), ERROR_SUCCESS) << path;
        return key;
    }

    static LONG set(HKEY key, const char* name, DWORD type, const std::vector<BYTE>& data)
    {
        return RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    }

    static std::vector<BYTE> bytes(std::string_view text) { return { text.begin(), text.end() }; }

    static std::string read_text(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void write_text(const std::string& path, const std::string& text)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }

    // The names in the home folder, sorted.
    std::vector<std::string> home_files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(home))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

inline constexpr const char* program_key = "Software\\Kestrelon\\Orbivane";
inline constexpr const char* run_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
