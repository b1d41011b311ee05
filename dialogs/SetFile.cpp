#include "SetFile.h"

#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Files.h>
#include <base/Modules.h>
#include <base/SystemInfo.h>
#include <base/Text.h>

#include <cstring>

namespace {

using SHGetFolderPathAndSubDirAFunction = LONG (*)(HWND, int, HANDLE, DWORD, LPCSTR, LPSTR);
constexpr int CSIDL_COMMON_APPDATA_CREATE = 0x8023; // CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE

void append_backslash(char* path, std::size_t capacity)
{
    std::size_t length = std::strlen(path);
    if (length + 1 < capacity) {
        path[length] = '\\';
        path[length + 1] = '\0';
    }
}

// The folder of recordings when none is stored.
void default_directory(char* path, std::size_t capacity)
{
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(capacity), path);
    if (length == 0 || length >= capacity) {
        length = GetTempPathA(static_cast<DWORD>(capacity), path);
        if (length == 0 || length >= capacity)
            path[0] = '\0';
    }
    if (GetOsMajorVersion() < 6)
        return;
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell)
        return;
    auto get_folder = reinterpret_cast<SHGetFolderPathAndSubDirAFunction>(GetProcAddress(shell, "SHGetFolderPathAndSubDirA"));
    if (get_folder) {
        char folder[MAX_PATH] = "";
        get_folder(nullptr, CSIDL_COMMON_APPDATA_CREATE, nullptr, 0, "Orbivane", folder);
        folder[MAX_PATH - 1] = '\0';
        base::copy_bounded(path, capacity, folder);
        append_backslash(path, capacity);
    }
    FreeLibrary(shell);
}

}

void LoadFileSettings(HKEY key)
{
    LONG size = 0;
    char text[260];
    if (ReadTextValue(key, "FileSize", text, sizeof text, sizeof text) != ERROR_SUCCESS)
        base::copy_bounded(text, sizeof text, "200");
    if (!ParseDecimal(text, size))
        size = 0; // text without a number counts as 0, as the decimal conversion gives
    Settings.FileSize = size;

    if (ReadTextValue(key, "DefaultDirectory", Settings.DefaultDirectory, sizeof Settings.DefaultDirectory,
            sizeof Settings.DefaultDirectory) != ERROR_SUCCESS
        || Settings.DefaultDirectory[0] == '\0')
        default_directory(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory);

    if (ReadTextValue(key, "ImprovedFilePattern", Settings.ImprovedFilePattern, sizeof Settings.ImprovedFilePattern,
            sizeof Settings.ImprovedFilePattern) != ERROR_SUCCESS)
        Settings.ImprovedFilePattern[0] = '\0';

    BYTE mode;
    Settings.FileInstanceMode = ReadByteValue(key, "FileInstanceMode", mode) == ERROR_SUCCESS ? mode : 0;
}

void SaveFileSettings(HKEY key)
{
    WriteDecimalValue(key, "FileSize", Settings.FileSize);
    WriteTextValue(key, "DefaultDirectory", Settings.DefaultDirectory);
    WriteTextValue(key, "ImprovedFilePattern", Settings.ImprovedFilePattern);
    WriteByteValue(key, "FileInstanceMode", Settings.FileInstanceMode);
}
