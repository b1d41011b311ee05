#include "SetApp.h"

#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Files.h>
#include <base/Modules.h>
#include <base/Text.h>

namespace {

constexpr const char* run_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* run_value = "Orbivane";

BYTE read_flag(HKEY key, const char* name)
{
    BYTE byte;
    return ReadByteValue(key, name, byte) == ERROR_SUCCESS && byte > 0;
}

// The program's short path, with " -m" when it is to start minimised.
void write_run_entry(HKEY run)
{
    char path[MAX_PATH];
    char short_path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    if (GetShortPathNameA(path, short_path, sizeof short_path) == 0 || short_path[0] == '\0')
        base::copy_bounded(short_path, sizeof short_path, path);
    char command[MAX_PATH + 4];
    base::copy_bounded(command, sizeof command, short_path);
    if (Settings.MinimizeOnStart)
        lstrcatA(command, " -m");
    WriteTextValue(run, run_value, command);
}

void delete_run_entry(HKEY hive)
{
    HKEY run;
    if (RegOpenKeyExA(hive, run_key, 0, KEY_WRITE, &run) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(run, run_value);
    RegCloseKey(run);
}

}

void LoadAppSettings(HKEY key)
{
    Settings.MinimizeOnStart = read_flag(key, "MinimizeOnStart");
    Settings.OnTop = read_flag(key, "OnTop");
    Settings.TrayIcon = read_flag(key, "TrayIcon");
    Settings.AlwaysStart = read_flag(key, "AlwaysStart");
    Settings.TaskHide = read_flag(key, "TaskHide");
}

void SaveAppSettings(HKEY key)
{
    WriteByteValue(key, "MinimizeOnStart", Settings.MinimizeOnStart);
    WriteByteValue(key, "OnTop", Settings.OnTop);
    WriteByteValue(key, "TrayIcon", Settings.TrayIcon);
    WriteByteValue(key, "TaskHide", Settings.TaskHide);
    WriteByteValue(key, "AlwaysStart", Settings.AlwaysStart);

    HKEY run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, run_key, 0, KEY_WRITE, &run) != ERROR_SUCCESS)
        return;
    if (Settings.AlwaysStart)
        write_run_entry(run);
    else
        RegDeleteValueA(run, run_value);
    RegCloseKey(run);
}

void RemoveAutostart()
{
    delete_run_entry(HKEY_LOCAL_MACHINE);
    delete_run_entry(HKEY_CURRENT_USER);
}
