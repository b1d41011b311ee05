#include <registry/Testing.h>

#include "HiveText.h"
#include "Names.h"
#include "Store.h"

#include <base/Home.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace registry {

static Hive& hive_of(Store& store, HKEY handle)
{
    Hive* hive = store.hive(handle);
    if (!hive)
        throw std::invalid_argument("registry: not a hive handle");
    return *hive;
}

static std::vector<std::string> path_of(std::string_view key_path)
{
    std::vector<std::string> names;
    if (split_path(key_path, names) != ERROR_SUCCESS)
        throw std::invalid_argument("registry: bad key path " + std::string(key_path));
    return names;
}

std::string hive_path(HKEY handle)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Hive& hive = hive_of(store, handle);
    return hive.loaded ? hive.path : base::platform_home() + "/" + hive.file_name;
}

LONG flush_all()
{
    auto& store = Store::the();
    auto lock = store.lock();
    return store.save_all();
}

void forget_hives()
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.forget();
}

void restart()
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.save_all();
    store.forget();
}

void set_machine_keys(bool present)
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.machine_keys = present;
    store.forget();
}

void reset_for_test()
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.forget();
    store.denials.clear();
    store.value_faults.clear();
    store.journaling = false;
    store.journal.clear();
}

void deny(HKEY hive, std::string_view key_path, Deny what, LONG error)
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.denials.push_back({ &hive_of(store, hive), path_of(key_path), what, error });
}

void set_read_only(HKEY handle, bool read_only)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Hive* hive = &hive_of(store, handle);
    std::erase_if(store.denials, [&](const Denial& denial) {
        return denial.hive == hive && denial.what == Deny::Write && denial.path.empty();
    });
    if (read_only)
        store.denials.push_back({ hive, {}, Deny::Write, ERROR_ACCESS_DENIED });
}

void fail_value_write(HKEY hive, std::string_view key_path, std::string_view value_name, LONG error)
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.value_faults.push_back({ &hive_of(store, hive), path_of(key_path), std::string(value_name), error });
}

void clear_faults()
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.denials.clear();
    store.value_faults.clear();
}

std::optional<RawValue> read_value(HKEY handle, std::string_view key_path, std::string_view value_name)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Hive& hive = hive_of(store, handle);
    store.refresh(hive);
    Key* key = hive.root.find(path_of(key_path));
    const Value* value = key ? key->value(std::string(value_name)) : nullptr;
    if (!value)
        return std::nullopt;
    return RawValue { value->type, value->data };
}

void write_value(HKEY handle, std::string_view key_path, std::string_view value_name, DWORD type, std::vector<BYTE> data)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Hive& hive = hive_of(store, handle);
    store.refresh(hive);
    store.change(hive, { Change::Kind::SetValue, path_of(key_path), std::string(value_name), type, std::move(data) });
}

bool key_exists(HKEY handle, std::string_view key_path)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Hive& hive = hive_of(store, handle);
    store.refresh(hive);
    return hive.root.find(path_of(key_path)) != nullptr;
}

void start_journal()
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.journaling = true;
}

void stop_journal()
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.journaling = false;
}

std::vector<JournalEntry> take_journal()
{
    auto& store = Store::the();
    auto lock = store.lock();
    return std::exchange(store.journal, {});
}

std::string to_string(const JournalEntry& entry)
{
    static constexpr const char* op_names[] = { "open", "create", "query", "set", "delete-value", "delete-key" };
    auto& store = Store::the();
    const char* hive_name = "?";
    for (int i = 0; i < 3; ++i) {
        if (store.hive_by_index(i)->handle == entry.hive)
            hive_name = store.hive_by_index(i)->name;
    }
    std::string text = op_names[static_cast<int>(entry.op)];
    text += ' ';
    text += hive_name;
    if (!entry.key.empty())
        text += "\\" + entry.key;
    using Op = JournalEntry::Op;
    if (entry.op == Op::QueryValue || entry.op == Op::SetValue || entry.op == Op::DeleteValue)
        text += " \"" + entry.value + "\"";
    if (entry.op == Op::SetValue || (entry.op == Op::QueryValue && entry.result == ERROR_SUCCESS && !entry.data.empty())) {
        const char* type = type_name(entry.type);
        text += ' ';
        text += type ? std::string(type) : "type" + std::to_string(entry.type);
        text += ' ';
        text += encode_data(entry.type, entry.data);
    }
    text += " -> " + std::to_string(entry.result);
    return text;
}

}
