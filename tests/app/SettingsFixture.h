#pragma once

// A fresh platform home, registry and settings object for each test of the settings sequence.

#include <settings/Settings.h>
#include <app/SettingsSequence.h>

#include <base/Files.h>
#include <base/SystemInfo.h>
#include <base/Text.h>
#include <registry/Registry.h>
#include <registry/Testing.h>

#include <TempHome.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

struct SettingsTest : testing::Test {
    std::string home;

    void SetUp() override
    {
        home = test_support::make_temp_dir("orbivane-settings");
        setenv("ORBIVANE_HOME", home.c_str(), 1);
        registry::reset_for_test();
        base::set_os_major_version(6);
        fresh_settings();
    }

    void TearDown() override
    {
        registry::reset_for_test();
        std::filesystem::remove_all(home);
        setenv("ORBIVANE_HOME", test_support::temp_home().c_str(), 1);
    }

    // The settings object as a new process constructs it.
    static void fresh_settings()
    {
        Settings.~SSettings();
        new (&Settings) SSettings();
    }

    // A new process: the registry saved and read again from its files, the settings loaded.
    static void restart_and_load()
    {
        registry::restart();
        fresh_settings();
        LoadAllSettings();
    }

    static std::vector<BYTE> text(std::string_view s, bool terminated = true)
    {
        std::vector<BYTE> bytes(s.begin(), s.end());
        if (terminated)
            bytes.push_back(0);
        return bytes;
    }

    static std::optional<registry::RawValue> value(HKEY hive, const char* name)
    {
        return registry::read_value(hive, SettingsKeyPath, name);
    }

    static void seed(HKEY hive, const char* name, DWORD type, std::vector<BYTE> data)
    {
        registry::write_value(hive, SettingsKeyPath, name, type, std::move(data));
    }

    static std::string read_file(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }

    static void write_file(const std::string& path, const std::string& content)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }

    static std::string current_directory()
    {
        char path[MAX_PATH];
        GetCurrentDirectoryA(sizeof path, path);
        return path;
    }
};

inline constexpr const char* RunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
