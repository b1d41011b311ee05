#pragma once

// The in-memory tree of a hive: keys with subkeys and typed values, and the changes made to it.
//
// Subkeys and values are kept by folded name, so lookups ignore case and every walk (the hive
// file, enumeration) sees them in one stable order. A Change is one modification as a path
// and a payload; applying the same list of changes again rebuilds this process's edits on top
// of a hive another process has written meanwhile.

#include <base/Types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace registry {

struct Value {
    std::string name; // as created
    DWORD type { 0 };
    std::vector<BYTE> data;
};

struct Key {
    std::string name; // as created; empty for a hive's root
    std::map<std::string, std::unique_ptr<Key>> subkeys; // by folded name
    std::map<std::string, Value> values;                 // by folded name
    FILETIME last_write {};

    Key* subkey(const std::string& name) const;
    const Value* value(const std::string& name) const;
    // The key at `path` below this one, or null.
    Key* find(const std::vector<std::string>& path);
    // The key at `path`, creating the missing ones with the names as given; *created tells
    // whether the last one was new.
    Key& make(const std::vector<std::string>& path, const FILETIME& now, bool* created = nullptr);
};

struct Change {
    enum class Kind { CreateKey, SetValue, DeleteValue, DeleteKey };
    Kind kind;
    std::vector<std::string> path; // of the key changed (DeleteKey: the key deleted)
    std::string name;              // value name
    DWORD type { 0 };
    std::vector<BYTE> data;
};

// Applies a change to a tree. Setting a value in a missing key creates the key (the change
// is newer than the tree); deleting a key that has gained subkeys meanwhile keeps it.
void apply(Key& root, const Change& change, const FILETIME& now);

}
