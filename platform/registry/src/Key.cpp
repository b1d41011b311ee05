#include "Key.h"

#include <base/Text.h>

namespace registry {

Key* Key::subkey(const std::string& name) const
{
    auto it = subkeys.find(base::folded_ascii(name));
    return it == subkeys.end() ? nullptr : it->second.get();
}

const Value* Key::value(const std::string& name) const
{
    auto it = values.find(base::folded_ascii(name));
    return it == values.end() ? nullptr : &it->second;
}

Key* Key::find(const std::vector<std::string>& path)
{
    Key* key = this;
    for (const auto& name : path) {
        key = key->subkey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

Key& Key::make(const std::vector<std::string>& path, const FILETIME& now, bool* created)
{
    Key* key = this;
    bool made = false;
    for (const auto& name : path) {
        auto& slot = key->subkeys[base::folded_ascii(name)];
        made = !slot;
        if (made) {
            slot = std::make_unique<Key>();
            slot->name = name;
            slot->last_write = now;
            key->last_write = now;
        }
        key = slot.get();
    }
    if (created)
        *created = made;
    return *key;
}

void apply(Key& root, const Change& change, const FILETIME& now)
{
    switch (change.kind) {
    case Change::Kind::CreateKey:
        root.make(change.path, now);
        return;
    case Change::Kind::SetValue: {
        Key& key = root.make(change.path, now);
        auto [it, inserted] = key.values.try_emplace(base::folded_ascii(change.name));
        Value& value = it->second;
        if (inserted)
            value.name = change.name;
        value.type = change.type;
        value.data = change.data;
        key.last_write = now;
        return;
    }
    case Change::Kind::DeleteValue:
        if (Key* key = root.find(change.path)) {
            if (key->values.erase(base::folded_ascii(change.name)))
                key->last_write = now;
        }
        return;
    case Change::Kind::DeleteKey: {
        if (change.path.empty())
            return;
        std::vector<std::string> parent_path(change.path.begin(), change.path.end() - 1);
        Key* parent = root.find(parent_path);
        if (!parent)
            return;
        auto it = parent->subkeys.find(base::folded_ascii(change.path.back()));
        if (it != parent->subkeys.end() && it->second->subkeys.empty()) {
            parent->subkeys.erase(it);
            parent->last_write = now;
        }
        return;
    }
    }
}

}
