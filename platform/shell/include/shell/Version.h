#pragma once

// Version resources: GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA.
//
// A file's version block is what its resources register with register_version_info() (the
// program registers its own; another file may be named). The block has the ANSI layout of a
// version resource: nodes of (length, value length, key, value, children), aligned to 4 bytes, with
// the fixed file information at the root, "StringFileInfo" tables keyed by language and code page
// ("040904b0") and "VarFileInfo\Translation". VerQueryValueA returns pointers into the caller's copy,
// so a caller may change values in place.
//
//     shell::VersionInfo info;
//     info.translations = { { 0x0409, 0x04b0 } };
//     info.tables = { { "040904b0", { { "ProductVersion", "2.1" } } } };
//     shell::register_version_info(info);
//     VerQueryValueA(block, "\\StringFileInfo\\040904b0\\ProductVersion", &value, &length);

#include <base/Types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

// The size of `file`'s version block, or 0 (ERROR_FILE_NOT_FOUND, or ERROR_RESOURCE_TYPE_NOT_FOUND
// when it has none). `handle` is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR file, LPDWORD handle);
// Copies the block; fails when `length` is smaller than its size.
BOOL GetFileVersionInfoA(LPCSTR file, DWORD handle, DWORD length, LPVOID data);
// Finds a value by its path of keys ("\" is the fixed file information; keys ignore case).
// False, with `value` null, when the block has no such value.
BOOL VerQueryValueA(LPCVOID block, LPCSTR sub_block, LPVOID* value, LPUINT length);

namespace shell {

struct VersionTranslation {
    WORD language = 0;
    WORD code_page = 0;
};

struct VersionStringTable {
    std::string key; // language and code page in hex, "040904b0"
    std::vector<std::pair<std::string, std::string>> strings;
};

struct VersionInfo {
    std::optional<VS_FIXEDFILEINFO> fixed; // signature and structure version filled in when zero
    std::vector<VersionTranslation> translations; // none: the block has no VarFileInfo
    std::vector<VersionStringTable> tables;
};

// Gives `file` (a Windows-form path; empty: the program itself) this version block, replacing any.
void register_version_info(const VersionInfo& info, const std::string& file = {});
// Removes the version block of `file` (empty: the program).
void unregister_version_info(const std::string& file = {});
// The block's bytes as GetFileVersionInfoA gives them.
std::vector<BYTE> build_version_block(const VersionInfo& info);

}
