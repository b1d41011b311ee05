#pragma once

// Known folders: SHGetFolderPathA and its relatives over the XDG user folders.
//
// Documents and Videos are the XDG user folders (~/.config/user-dirs.dirs, else ~/Documents and
// ~/Videos); application data is $XDG_CONFIG_HOME (~/.config); local and common application data
// are $XDG_DATA_HOME (~/.local/share), since a user cannot write a machine-wide folder here and
// callers keep their own files there; program files is the folder that holds the program's folder.
// Paths are returned in Windows form without a trailing `\`, at most MAX_PATH bytes with the
// terminator. A folder that does not exist is an error unless CSIDL_FLAG_CREATE asks to create it.
// These functions are also exported by the module "shell32.dll" (base/Modules.h).
//
//     char path[MAX_PATH];
//     SHGetFolderPathAndSubDirA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, "Orbivane", path);

#include <base/Errors.h>
#include <base/Types.h>

#include <optional>
#include <string>

#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_MYVIDEO 0x000e
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00

#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

HRESULT SHGetFolderPathA(HWND window, int csidl, HANDLE token, DWORD flags, LPSTR path);
// The folder with `sub_folder` (may be NULL or empty) appended; CSIDL_FLAG_CREATE creates both.
HRESULT SHGetFolderPathAndSubDirA(HWND window, int csidl, HANDLE token, DWORD flags, LPCSTR sub_folder, LPSTR path);
BOOL SHGetSpecialFolderPathA(HWND window, LPSTR path, int csidl, BOOL create);

namespace shell {

// The Linux path a CSIDL value (flags ignored) stands for, or nothing for a folder not known here.
std::optional<std::string> known_folder(int csidl);

}
