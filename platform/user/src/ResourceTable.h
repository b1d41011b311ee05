#pragma once

// The templates the program's resources register under an id or a name, and their lookup the
// way LoadMenuA and LoadAcceleratorsA take a resource name: MAKEINTRESOURCE(id), "#id" or a name
// that matches without regard to case. The caller holds the area's lock.

#include <base/Text.h>
#include <base/Types.h>

#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

namespace user::detail {

template<typename Template>
class ResourceTable {
public:
    void add(UINT id, Template entry) { m_by_id[id] = std::move(entry); }
    void add(std::string_view name, Template entry) { m_by_name[key_of(name)] = std::move(entry); }
    void clear()
    {
        m_by_id.clear();
        m_by_name.clear();
    }

    // The template a resource name names, or nullptr.
    const Template* find(const char* name) const
    {
        if (!name)
            return nullptr;
        if (IS_INTRESOURCE(name))
            return find_in(m_by_id, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
        if (name[0] == '#')
            return find_in(m_by_id, static_cast<UINT>(std::strtoul(name + 1, nullptr, 10)));
        return find_in(m_by_name, key_of(name));
    }

private:
    static std::string key_of(std::string_view name)
    {
        std::string key(name);
        for (char& c : key)
            c = base::fold_ascii(c);
        return key;
    }
    template<typename Map, typename Key>
    static const Template* find_in(const Map& map, const Key& key)
    {
        auto it = map.find(key);
        return it == map.end() ? nullptr : &it->second;
    }

    std::map<UINT, Template> m_by_id;
    std::map<std::string, Template> m_by_name;
};

}
