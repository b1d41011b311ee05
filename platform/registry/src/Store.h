#pragma once

// The registry of this process: the three hives, the open key handles, and what tests have
// switched on (denials, value faults, the journal). One mutex guards it all; every function
// here expects the caller to hold it (Store::lock()).
//
// A hive is read from its file on first use. Changes go to the tree at once and into the
// hive's list of unsaved changes; before each call the file is checked, and if another
// process has replaced it the tree is read again and the unsaved changes applied on top.
// Saving writes the tree under the registry lock file and clears the list.

#include "HiveFile.h"
#include "Key.h"

#include <registry/Registry.h>
#include <registry/Testing.h>

#include <base/Types.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace registry {

struct Hive {
    Hive(HKEY handle, const char* name, const char* file_name)
        : handle(handle)
        , name(name)
        , file_name(file_name)
    {
    }

    HKEY handle;
    const char* name;      // "HKEY_CURRENT_USER"
    const char* file_name; // "HKEY_CURRENT_USER.hive"

    bool loaded { false };
    std::string path;
    Key root;
    FileStamp stamp;              // of the file the tree was read from or last written to
    std::vector<Change> pending;  // made since then
    bool broken { false };        // the file could not be read nor moved aside: never overwrite it
    bool save_failure_reported { false };
    bool depth_reported { false };   // keys too deep to keep were dropped and said so
};

// A handle made by RegOpenKeyExA or RegCreateKeyExA.
struct OpenKey {
    Hive* hive;
    std::vector<std::string> path; // names as stored when opened
    REGSAM access;
};

struct Denial {
    Hive* hive;
    std::vector<std::string> path; // folded
    Deny what;
    LONG error;
};

struct ValueFault {
    Hive* hive;
    std::vector<std::string> path; // folded
    std::string name;              // folded
    LONG error;
};

class Store {
public:
    static Store& the();
    std::unique_lock<std::mutex> lock() { return std::unique_lock(m_mutex); }

    // The hive of a predefined handle, or null.
    Hive* hive(HKEY predefined);
    Hive* hive_by_index(int index) { return &m_hives[index]; }

    // Reads the hive if it is not loaded yet, or again if its file was replaced.
    void refresh(Hive&);
    // Applies a change and remembers it until the next save.
    void change(Hive&, Change);
    LONG save(Hive&);
    LONG save_all();
    void forget();

    // The open handle, or null for a handle this process does not have.
    const OpenKey* open_key(HKEY handle) const;
    HKEY add_handle(OpenKey);
    bool remove_handle(HKEY handle);

    // The first denial of `what` that covers `path`, or ERROR_SUCCESS.
    LONG denied(const Hive&, const std::vector<std::string>& path, Deny what) const;
    LONG value_fault(const Hive&, const std::vector<std::string>& path, const std::string& name) const;
    std::vector<Denial> denials;
    std::vector<ValueFault> value_faults;

    bool machine_keys { true }; // hives get the keys every machine has when they lack them
    bool journaling { false };
    std::vector<JournalEntry> journal;
    void record(JournalEntry entry);

private:
    Store();
    void load(Hive&, bool lock_held);
    // Keeps the desktop's autostart entries in step with both hives' Run keys; the file lock is held.
    void sync_run_entries();
    std::string lock_path() const;

    std::mutex m_mutex;
    Hive m_hives[3];
    std::map<ULONG_PTR, OpenKey> m_handles;
    ULONG_PTR m_next_handle { 0x1000 };
};

FILETIME now_filetime();

}
