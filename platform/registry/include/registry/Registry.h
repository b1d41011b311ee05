#pragma once

// The registry API: keys and typed values in three persistent hives.
//
// HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are the predefined handles, with
// their Windows values. Each hive is a text file in the platform home (base::platform_home()),
// read the first time the process touches the hive. A value keeps its type and its exact bytes:
// nothing is added or converted (a REG_SZ written without its terminator is read back without
// one). Key and value names ignore ASCII case and keep the case they were created with;
// subkey paths separate names with `\`.
//
//     HKEY key;
//     DWORD disposition;
//     if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane", 0, nullptr,
//                         REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, &disposition) == ERROR_SUCCESS) {
//         BYTE volume = 80;
//         RegSetValueExA(key, "Volume", 0, REG_BINARY, &volume, 1);
//         RegCloseKey(key); // the hive file is replaced now
//     }
//
// Access is checked per handle as on Windows: querying needs KEY_QUERY_VALUE, enumerating
// subkeys KEY_ENUMERATE_SUB_KEYS, setting and deleting values KEY_SET_VALUE, creating a subkey
// through a handle KEY_CREATE_SUB_KEY (a handle opened with KEY_WRITE cannot read values).
// The predefined handles carry every right. A hive that is read-only for this process refuses
// opening with write rights and creating keys with ERROR_ACCESS_DENIED.
//
// Persistence: a changed hive is written to a temporary file, synced and renamed over the hive
// file when a key is closed or flushed after a change, and at process exit, so the file always
// holds a whole hive. Several processes may share the hives: before every call the file is
// checked, and when another process has replaced it the hive is read again and this process's
// unsaved changes are applied on top; saving does the same under a lock, so concurrent
// processes keep each other's writes (for one value, the last process to save wins).
// Registry/Testing.h has the hooks tests use.

#include <base/Errors.h>
#include <base/Types.h>

using REGSAM = DWORD;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
using PFILETIME = FILETIME*;

// The predefined keys: the LONG values 0x80000000.. widened to a handle, as on Windows.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000000u)))))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000001u)))))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000002u)))))

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;
constexpr DWORD REG_QWORD_LITTLE_ENDIAN = 11;

// Access rights of a key handle.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_EXECUTE = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// RegCreateKeyExA options and dispositions.
constexpr DWORD REG_OPTION_RESERVED = 0x0000;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0x0000;
constexpr DWORD REG_OPTION_VOLATILE = 0x0001;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist. An empty or null subkey
// opens hKey again.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
// RegOpenKeyExA with every right.
LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
// Opens a key, creating it and its missing parents; *lpdwDisposition tells which happened.
// Volatile keys are not supported (ERROR_INVALID_PARAMETER).
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions, REGSAM samDesired,
    LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult, LPDWORD lpdwDisposition);
// RegCreateKeyExA with every right.
LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
// Releases the handle; writes the hive when it has unsaved changes (the result is that of the write).
LONG RegCloseKey(HKEY hKey);
// Writes the key's hive now if it has unsaved changes.
LONG RegFlushKey(HKEY hKey);

// Reads a value (a null or empty name is the key's default value). With lpData null only the
// size is given; a buffer smaller than the data gives ERROR_MORE_DATA with the needed size in
// *lpcbData and leaves the buffer untouched. The bytes are returned exactly as stored.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
// Reads the default value of hKey's subkey as a string (always terminated; "" when it has none).
LONG RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData);
// Stores cbData bytes of any type exactly as given.
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData);
// Sets the default value of hKey's subkey (created when missing) to a REG_SZ string.
LONG RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD cbData);
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
// Deletes a subkey that has no subkeys of its own (else ERROR_ACCESS_DENIED).
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

// Subkeys and values are enumerated in name order (ignoring case); ERROR_NO_MORE_ITEMS past the end.
// *lpcchName is the buffer size in characters including the terminator; on success the name's length.
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
    LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved, LPDWORD lpType,
    LPBYTE lpData, LPDWORD lpcbData);
// Counts and longest lengths of a key's subkeys and values (names in characters without the terminator).
LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
    LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
    LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime);
