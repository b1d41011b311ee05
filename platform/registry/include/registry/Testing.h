#pragma once

// Hooks for tests of the registry and of code that keeps its settings there.
//
// A test can look at a hive's file, restart the registry as a new process would see it, refuse
// access the way a restricted user meets it (a read-only hive, a key that cannot be created or
// opened, one value that cannot be written), seed and inspect raw values without going through
// handles, and record a journal of the calls the code under test made, in order.
//
//     registry::set_read_only(HKEY_LOCAL_MACHINE, true);   // HKLM writes: ERROR_ACCESS_DENIED
//     registry::start_journal();
//     SaveSettings();
//     auto calls = registry::take_journal();               // every open, create, set, delete...
//     registry::restart();                                 // save, forget, read the files again
//
// Key paths are relative to the hive ("Software\\Kestrelon\\Orbivane"); names ignore case.

#include <base/Errors.h>
#include <base/Types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

// The Linux path of a hive's file (in the platform home as it is now).
std::string hive_path(HKEY hive);

// Writes every hive that has unsaved changes, as at process exit; the first failure's code.
LONG flush_all();
// Drops every hive from memory and closes every handle without saving, as when a process is
// killed; the next call reads the hive files again (from the platform home as it is then).
void forget_hives();
// flush_all() then forget_hives(): the process ends normally and a new one starts.
void restart();
// forget_hives(), clear_faults() and stop_journal(): a clean start for the next test.
void reset_for_test();
// Whether hives get the keys every machine has (the Run keys of the local machine and the current
// user) when they lack them; on unless a test of the registry's own mechanics wants bare hives.
// Forgets the hives, so the next call reads them again.
void set_machine_keys(bool present);

// What a test can refuse for a key and every key below it.
enum class Deny {
    Open,   // RegOpenKeyExA and RegCreateKeyExA of the key fail
    Create, // RegCreateKeyExA of the key fails, whether or not it exists
    Write,  // opening with write rights, creating keys and changing values there fail
};
// Refuses `what` below key_path ("" is the whole hive) with `error`.
void deny(HKEY hive, std::string_view key_path, Deny what, LONG error = ERROR_ACCESS_DENIED);
// The whole hive read-only (or writable again), as the local machine's hive is for a plain user.
void set_read_only(HKEY hive, bool read_only);
// RegSetValueExA of this one value fails with `error`.
void fail_value_write(HKEY hive, std::string_view key_path, std::string_view value_name, LONG error = ERROR_ACCESS_DENIED);
// Lifts every deny, read-only and value fault.
void clear_faults();

// A value's type and bytes as stored.
struct RawValue {
    DWORD type { 0 };
    std::vector<BYTE> data;
    bool operator==(const RawValue&) const = default;
};
std::optional<RawValue> read_value(HKEY hive, std::string_view key_path, std::string_view value_name);
// Stores a value, creating the key; ignores faults and the journal; saved like any change.
void write_value(HKEY hive, std::string_view key_path, std::string_view value_name, DWORD type, std::vector<BYTE> data);
bool key_exists(HKEY hive, std::string_view key_path);

// One registry call recorded while the journal runs.
struct JournalEntry {
    enum class Op { OpenKey, CreateKey, QueryValue, SetValue, DeleteValue, DeleteKey };
    Op op;
    HKEY hive;
    std::string key;   // path from the hive root, in the case the caller gave
    std::string value; // value name (QueryValue, SetValue, DeleteValue)
    DWORD type { 0 };  // SetValue: the type given; QueryValue: the type read
    std::vector<BYTE> data; // SetValue: the bytes given; QueryValue: the bytes read
    LONG result { 0 };
};
void start_journal();
void stop_journal();
// The entries recorded so far; the journal starts over (and keeps running).
std::vector<JournalEntry> take_journal();
// One line per entry: set HKEY_CURRENT_USER\Software\Kestrelon\Orbivane "Volume" binary hex:32 -> 0
std::string to_string(const JournalEntry& entry);

}
