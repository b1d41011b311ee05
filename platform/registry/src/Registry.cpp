#include <registry/Registry.h>

#include "Names.h"
#include "Store.h"

#include <algorithm>
#include <cstring>

using namespace registry;

namespace {

constexpr REGSAM right_delete = 0x00010000;
constexpr REGSAM right_write_dac = 0x00040000;
constexpr REGSAM right_write_owner = 0x00080000;
constexpr REGSAM generic_read = 0x80000000;
constexpr REGSAM generic_write = 0x40000000;
constexpr REGSAM generic_execute = 0x20000000;
constexpr REGSAM generic_all = 0x10000000;
constexpr REGSAM maximum_allowed = 0x02000000;
constexpr REGSAM write_rights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | right_delete | right_write_dac | right_write_owner;
constexpr DWORD option_create_link = 0x0002;

// The rights a requested mask stands for.
REGSAM rights_of(REGSAM sam)
{
    REGSAM rights = sam & ~(generic_read | generic_write | generic_execute | generic_all | maximum_allowed | KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (sam & generic_read)
        rights |= KEY_READ;
    if (sam & generic_write)
        rights |= KEY_WRITE;
    if (sam & generic_execute)
        rights |= KEY_EXECUTE;
    if (sam & (generic_all | maximum_allowed))
        rights |= KEY_ALL_ACCESS;
    return rights;
}

// The key a handle stands for, resolved in the hive as it is now.
struct Target {
    Hive* hive { nullptr };
    std::vector<std::string> path;
    REGSAM access { 0 };
    Key* key { nullptr };
};

LONG resolve(Store& store, HKEY handle, Target& target)
{
    if (!handle)
        return ERROR_INVALID_HANDLE;
    if (Hive* hive = store.hive(handle)) {
        target.hive = hive;
        target.path.clear();
        target.access = KEY_ALL_ACCESS;
    } else if (const OpenKey* open = store.open_key(handle)) {
        target.hive = open->hive;
        target.path = open->path;
        target.access = open->access;
    } else {
        return ERROR_INVALID_HANDLE;
    }
    store.refresh(*target.hive);
    target.key = target.hive->root.find(target.path);
    return target.key ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// resolve(), then the handle must carry `right`.
LONG resolve_with(Store& store, HKEY handle, REGSAM right, Target& target)
{
    LONG result = resolve(store, handle, target);
    if (result == ERROR_SUCCESS && !(target.access & right))
        result = ERROR_ACCESS_DENIED;
    return result;
}

// Copies a key's or value's name out with its terminator, as the enumerations do.
LONG copy_name(const std::string& name, LPSTR out, LPDWORD cch)
{
    if (name.size() + 1 > *cch)
        return ERROR_MORE_DATA;
    std::memcpy(out, name.c_str(), name.size() + 1);
    *cch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Keys carry no class: an empty one where the caller asks for it.
void copy_no_class(LPSTR out, LPDWORD cch)
{
    if (out && cch && *cch)
        *out = '\0';
    if (cch)
        *cch = 0;
}

// A change to the target's key needs `right` on the handle and no write denial there.
LONG check_write(const Store& store, const Target& target, REGSAM right)
{
    if (!(target.access & right))
        return ERROR_ACCESS_DENIED;
    return store.denied(*target.hive, target.path, Deny::Write);
}

std::vector<std::string> concat(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<std::string> path = a;
    path.insert(path.end(), b.begin(), b.end());
    return path;
}

// The path of `names` below `from`, in the case the keys are stored with as far as they exist.
std::vector<std::string> stored_names(const Key& from, const std::vector<std::string>& names)
{
    std::vector<std::string> path;
    const Key* key = &from;
    for (const auto& name : names) {
        key = key ? key->subkey(name) : nullptr;
        path.push_back(key ? key->name : name);
    }
    return path;
}

// The names of `subkey` below the target, and the full path they make in the case the keys are
// stored with.
LONG subkey_path(const Target& target, LPCSTR subkey, std::vector<std::string>& names, std::vector<std::string>& path)
{
    LONG result = split_path(subkey, names);
    if (result == ERROR_SUCCESS)
        path = concat(target.path, stored_names(*target.key, names));
    return result;
}

std::string journal_path(const Target& target, LPCSTR subkey)
{
    std::string path = join_path(target.path);
    if (subkey && *subkey) {
        if (!path.empty())
            path += '\\';
        path += subkey;
    }
    return path;
}

void journal(Store& store, JournalEntry::Op op, const Target& target, LPCSTR subkey, LPCSTR value, DWORD type,
    const BYTE* data, size_t size, LONG result)
{
    if (!store.journaling || !target.hive)
        return;
    JournalEntry entry { op, target.hive->handle, journal_path(target, subkey), value ? value : "", type, {}, result };
    if (data)
        entry.data.assign(data, data + size);
    store.record(std::move(entry));
}

// Copies `size` bytes to a caller's buffer the way RegQueryValueExA does.
LONG copy_out(const std::vector<BYTE>& bytes, LPBYTE data, LPDWORD size)
{
    if (!size)
        return ERROR_SUCCESS;
    auto needed = static_cast<DWORD>(bytes.size());
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed)
        std::memcpy(data, bytes.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG open_key(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, PHKEY phkResult)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Target parent;
    LONG result = resolve(store, hKey, parent);
    std::vector<std::string> names;
    if (result == ERROR_SUCCESS)
        result = split_path(lpSubKey ? lpSubKey : "", names);
    if (result == ERROR_SUCCESS)
        result = store.denied(*parent.hive, concat(parent.path, names), Deny::Open);
    Key* key = nullptr;
    if (result == ERROR_SUCCESS) {
        key = parent.key->find(names);
        if (!key)
            result = ERROR_FILE_NOT_FOUND;
    }
    REGSAM rights = rights_of(samDesired);
    if (result == ERROR_SUCCESS) {
        auto path = concat(parent.path, stored_names(*parent.key, names));
        if (LONG denial = (rights & write_rights) ? store.denied(*parent.hive, path, Deny::Write) : ERROR_SUCCESS) {
            if (samDesired & maximum_allowed)
                rights &= ~write_rights;
            else
                result = denial;
        }
        if (result == ERROR_SUCCESS)
            *phkResult = store.add_handle({ parent.hive, std::move(path), rights });
    }
    journal(store, JournalEntry::Op::OpenKey, parent, lpSubKey, nullptr, 0, nullptr, 0, result);
    return result;
}

LONG create_key(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, PHKEY phkResult, LPDWORD lpdwDisposition)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Target parent;
    LONG result = resolve(store, hKey, parent);
    std::vector<std::string> names, path;
    if (result == ERROR_SUCCESS)
        result = subkey_path(parent, lpSubKey, names, path);
    if (result == ERROR_SUCCESS) {
        result = path.size() > max_key_depth ? ERROR_INVALID_PARAMETER : store.denied(*parent.hive, path, Deny::Open);
    }
    if (result == ERROR_SUCCESS)
        result = store.denied(*parent.hive, path, Deny::Create);
    REGSAM rights = rights_of(samDesired);
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    if (result == ERROR_SUCCESS) {
        LONG write_denial = store.denied(*parent.hive, path, Deny::Write);
        if (!parent.key->find(names)) {
            disposition = REG_CREATED_NEW_KEY;
            if (!(parent.access & KEY_CREATE_SUB_KEY))
                result = ERROR_ACCESS_DENIED;
            else if (write_denial)
                result = write_denial;
            else
                store.change(*parent.hive, { Change::Kind::CreateKey, path, {}, 0, {} });
        }
        if (result == ERROR_SUCCESS && write_denial && (rights & write_rights)) {
            if (samDesired & maximum_allowed)
                rights &= ~write_rights;
            else
                result = write_denial;
        }
    }
    if (result == ERROR_SUCCESS) {
        *phkResult = store.add_handle({ parent.hive, std::move(path), rights });
        if (lpdwDisposition)
            *lpdwDisposition = disposition;
    }
    journal(store, JournalEntry::Op::CreateKey, parent, lpSubKey, nullptr, 0, nullptr, 0, result);
    return result;
}

}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    return open_key(hKey, lpSubKey, samDesired, phkResult);
}

LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult)
{
    return RegOpenKeyExA(hKey, lpSubKey, 0, maximum_allowed, phkResult);
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD dwOptions, REGSAM samDesired, LPSECURITY_ATTRIBUTES,
    PHKEY phkResult, LPDWORD lpdwDisposition)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (!lpSubKey || (dwOptions & (REG_OPTION_VOLATILE | option_create_link)))
        return ERROR_INVALID_PARAMETER;
    return create_key(hKey, lpSubKey, samDesired, phkResult, lpdwDisposition);
}

LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult)
{
    return RegCreateKeyExA(hKey, lpSubKey ? lpSubKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE, maximum_allowed, nullptr, phkResult, nullptr);
}

LONG RegCloseKey(HKEY hKey)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Hive* hive = store.hive(hKey);
    if (!hive) {
        const OpenKey* open = hKey ? store.open_key(hKey) : nullptr;
        if (!open)
            return ERROR_INVALID_HANDLE;
        hive = open->hive;
        store.remove_handle(hKey);
    }
    return store.save(*hive);
}

LONG RegFlushKey(HKEY hKey)
{
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    LONG result = resolve(store, hKey, target);
    if (result != ERROR_SUCCESS && result != ERROR_KEY_DELETED)
        return result;
    return store.save(*target.hive);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    LONG result = resolve_with(store, hKey, KEY_QUERY_VALUE, target);
    const Value* value = nullptr;
    if (result == ERROR_SUCCESS) {
        value = target.key->value(lpValueName ? lpValueName : "");
        if (!value)
            result = ERROR_FILE_NOT_FOUND;
    }
    if (result == ERROR_SUCCESS) {
        if (lpType)
            *lpType = value->type;
        result = copy_out(value->data, lpData, lpcbData);
    }
    bool read = result == ERROR_SUCCESS && lpData;
    journal(store, JournalEntry::Op::QueryValue, target, nullptr, lpValueName, value ? value->type : 0,
        read ? value->data.data() : nullptr, read ? value->data.size() : 0, result);
    return result;
}

LONG RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData)
{
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    LONG result = resolve(store, hKey, target);
    std::vector<std::string> names;
    if (result == ERROR_SUCCESS)
        result = split_path(lpSubKey ? lpSubKey : "", names);
    if (result == ERROR_SUCCESS && names.empty() && !(target.access & KEY_QUERY_VALUE))
        result = ERROR_ACCESS_DENIED;
    if (result == ERROR_SUCCESS)
        result = store.denied(*target.hive, concat(target.path, names), Deny::Open);
    Key* key = nullptr;
    if (result == ERROR_SUCCESS) {
        key = target.key->find(names);
        if (!key)
            result = ERROR_FILE_NOT_FOUND;
    }
    std::vector<BYTE> text;
    DWORD type = REG_SZ;
    if (result == ERROR_SUCCESS) {
        if (const Value* value = key->value("")) {
            type = value->type;
            text = value->data;
            if (type != REG_SZ && type != REG_EXPAND_SZ)
                result = ERROR_INVALID_DATA;
        }
        if (text.empty() || text.back() != 0)
            text.push_back(0);
    }
    if (result == ERROR_SUCCESS && lpcbData) {
        DWORD size = lpData ? static_cast<DWORD>(*lpcbData < 0 ? 0 : *lpcbData) : 0;
        result = copy_out(text, reinterpret_cast<LPBYTE>(lpData), &size);
        *lpcbData = static_cast<LONG>(size);
    }
    bool read = result == ERROR_SUCCESS && lpData;
    journal(store, JournalEntry::Op::QueryValue, target, lpSubKey, "", type, read ? text.data() : nullptr, read ? text.size() : 0, result);
    return result;
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    if (!lpData && cbData)
        return ERROR_INVALID_PARAMETER;
    std::string name = lpValueName ? lpValueName : "";
    if (name.size() > max_value_name)
        return ERROR_INVALID_PARAMETER;
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    LONG result = resolve(store, hKey, target);
    if (result == ERROR_SUCCESS)
        result = check_write(store, target, KEY_SET_VALUE);
    if (result == ERROR_SUCCESS)
        result = store.value_fault(*target.hive, target.path, name);
    if (result == ERROR_SUCCESS)
        store.change(*target.hive, { Change::Kind::SetValue, target.path, name, dwType, std::vector<BYTE>(lpData, lpData + cbData) });
    journal(store, JournalEntry::Op::SetValue, target, nullptr, name.c_str(), dwType, lpData, cbData, result);
    return result;
}

LONG RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD)
{
    if (dwType != REG_SZ || !lpData)
        return ERROR_INVALID_PARAMETER;
    HKEY key;
    LONG result = RegCreateKeyExA(hKey, lpSubKey ? lpSubKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    result = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpData), static_cast<DWORD>(std::strlen(lpData) + 1));
    LONG closed = RegCloseKey(key);
    return result != ERROR_SUCCESS ? result : closed;
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    std::string name = lpValueName ? lpValueName : "";
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    LONG result = resolve(store, hKey, target);
    if (result == ERROR_SUCCESS)
        result = check_write(store, target, KEY_SET_VALUE);
    if (result == ERROR_SUCCESS && !target.key->value(name))
        result = ERROR_FILE_NOT_FOUND;
    if (result == ERROR_SUCCESS)
        store.change(*target.hive, { Change::Kind::DeleteValue, target.path, name, 0, {} });
    journal(store, JournalEntry::Op::DeleteValue, target, nullptr, name.c_str(), 0, nullptr, 0, result);
    return result;
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    LONG result = resolve(store, hKey, target);
    std::vector<std::string> names, path;
    if (result == ERROR_SUCCESS)
        result = subkey_path(target, lpSubKey, names, path);
    Key* key = nullptr;
    if (result == ERROR_SUCCESS) {
        key = target.key->find(names);
        if (path.empty())
            result = ERROR_ACCESS_DENIED; // a hive's root
    }
    if (result == ERROR_SUCCESS)
        result = store.denied(*target.hive, path, Deny::Open);
    if (result == ERROR_SUCCESS && !key)
        result = ERROR_FILE_NOT_FOUND;
    if (result == ERROR_SUCCESS)
        result = store.denied(*target.hive, path, Deny::Write);
    if (result == ERROR_SUCCESS && !key->subkeys.empty())
        result = ERROR_ACCESS_DENIED;
    if (result == ERROR_SUCCESS)
        store.change(*target.hive, { Change::Kind::DeleteKey, path, {}, 0, {} });
    journal(store, JournalEntry::Op::DeleteKey, target, lpSubKey, nullptr, 0, nullptr, 0, result);
    return result;
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
    LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    if (!lpName || !lpcchName || lpReserved)
        return ERROR_INVALID_PARAMETER;
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    if (LONG result = resolve_with(store, hKey, KEY_ENUMERATE_SUB_KEYS, target))
        return result;
    if (dwIndex >= target.key->subkeys.size())
        return ERROR_NO_MORE_ITEMS;
    const Key& subkey = *std::next(target.key->subkeys.begin(), dwIndex)->second;
    if (LONG result = copy_name(subkey.name, lpName, lpcchName))
        return result;
    copy_no_class(lpClass, lpcchClass);
    if (lpftLastWriteTime)
        *lpftLastWriteTime = subkey.last_write;
    return ERROR_SUCCESS;
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName)
{
    DWORD size = cchName;
    return RegEnumKeyExA(hKey, dwIndex, lpName, &size, nullptr, nullptr, nullptr, nullptr);
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved, LPDWORD lpType,
    LPBYTE lpData, LPDWORD lpcbData)
{
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    if (LONG result = resolve_with(store, hKey, KEY_QUERY_VALUE, target))
        return result;
    if (dwIndex >= target.key->values.size())
        return ERROR_NO_MORE_ITEMS;
    const Value& value = std::next(target.key->values.begin(), dwIndex)->second;
    if (LONG result = copy_name(value.name, lpValueName, lpcchValueName))
        return result;
    if (lpType)
        *lpType = value.type;
    return copy_out(value.data, lpData, lpcbData);
}

LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
    LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
    LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime)
{
    if (lpReserved)
        return ERROR_INVALID_PARAMETER;
    auto& store = Store::the();
    auto lock = store.lock();
    Target target;
    if (LONG result = resolve_with(store, hKey, KEY_QUERY_VALUE, target))
        return result;
    const Key& key = *target.key;
    DWORD longest_subkey = 0, longest_name = 0, longest_data = 0;
    for (const auto& [folded, subkey] : key.subkeys)
        longest_subkey = std::max(longest_subkey, static_cast<DWORD>(subkey->name.size()));
    for (const auto& [folded, value] : key.values) {
        longest_name = std::max(longest_name, static_cast<DWORD>(value.name.size()));
        longest_data = std::max(longest_data, static_cast<DWORD>(value.data.size()));
    }
    copy_no_class(lpClass, lpcchClass);
    if (lpcSubKeys)
        *lpcSubKeys = static_cast<DWORD>(key.subkeys.size());
    if (lpcbMaxSubKeyLen)
        *lpcbMaxSubKeyLen = longest_subkey;
    if (lpcbMaxClassLen)
        *lpcbMaxClassLen = 0;
    if (lpcValues)
        *lpcValues = static_cast<DWORD>(key.values.size());
    if (lpcbMaxValueNameLen)
        *lpcbMaxValueNameLen = longest_name;
    if (lpcbMaxValueLen)
        *lpcbMaxValueLen = longest_data;
    if (lpcbSecurityDescriptor)
        *lpcbSecurityDescriptor = 0; // keys carry no security descriptor here
    if (lpftLastWriteTime)
        *lpftLastWriteTime = key.last_write;
    return ERROR_SUCCESS;
}
