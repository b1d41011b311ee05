#include "Store.h"

#include "Associations.h"
#include "Autostart.h"
#include "HiveText.h"
#include "Names.h"

#include <registry/Registry.h>

#include <base/Clock.h>
#include <base/Errors.h>
#include <base/FileTime.h>
#include <base/Home.h>
#include <base/Text.h>

#include <cstdio>
#include <cstdlib>

namespace registry {

FILETIME now_filetime()
{
    return base::filetime_from_unix_ms(base::Clock::wall_ms());
}

static void save_at_exit()
{
    auto& store = Store::the();
    auto lock = store.lock();
    store.save_all();
}

Store& Store::the()
{
    // Never destroyed: hives are saved by the exit handler, and other exit-time code may still
    // use the registry.
    static Store* store = [] {
        auto* made = new Store;
        std::atexit(save_at_exit);
        return made;
    }();
    return *store;
}

Store::Store()
    : m_hives {
        { HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKEY_CLASSES_ROOT.hive" },
        { HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKEY_CURRENT_USER.hive" },
        { HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE.hive" },
    }
{
}

Hive* Store::hive(HKEY predefined)
{
    for (auto& hive : m_hives) {
        if (hive.handle == predefined)
            return &hive;
    }
    return nullptr;
}

std::string Store::lock_path() const { return base::platform_home() + "/registry.lock"; }

void Store::load(Hive& hive, bool lock_held)
{
    if (!hive.loaded) {
        hive.path = base::platform_home() + "/" + hive.file_name;
        remove_stale_temporaries(hive.path);
    }
    FILETIME now = now_filetime();
    for (int attempt = 0;; ++attempt) {
        FileRead read = read_file(hive.path);
        std::string fault;
        if (read.result == FileRead::Result::Missing) {
            hive.root = Key {};
            hive.stamp = {};
            hive.broken = false;
            break;
        }
        if (read.result == FileRead::Result::Read) {
            Key root;
            std::string dropped;
            if (parse_hive_text(read.text, root, now, fault, &dropped)) {
                if (!dropped.empty() && !hive.depth_reported) {
                    std::fprintf(stderr, "registry: the hive file %s holds keys deeper than %zu levels (%s); they are dropped\n",
                        hive.path.c_str(), max_key_depth, dropped.c_str());
                    hive.depth_reported = true;
                }
                hive.root = std::move(root);
                hive.stamp = read.stamp;
                hive.broken = false;
                break;
            }
        } else {
            fault = read.error;
        }

        // Unreadable: keep the file under another name and start empty, unless another
        // process has replaced it meanwhile (then read the new one).
        std::unique_ptr<FileLock> file_lock;
        if (!lock_held)
            file_lock = std::make_unique<FileLock>(lock_path());
        if (stamp_of(hive.path) != read.stamp && attempt < 3)
            continue;
        std::string error;
        std::string aside = set_aside(hive.path, base::Clock::wall_seconds(), error);
        hive.root = Key {};
        if (!aside.empty()) {
            std::fprintf(stderr, "registry: the hive file %s could not be read (%s); it is kept as %s and %s starts empty\n",
                hive.path.c_str(), fault.c_str(), aside.c_str(), hive.name);
            hive.stamp = stamp_of(hive.path);
            hive.broken = false;
        } else {
            std::fprintf(stderr, "registry: the hive file %s could not be read (%s) nor moved aside (%s); %s starts empty and will not be saved\n",
                hive.path.c_str(), fault.c_str(), error.c_str(), hive.name);
            hive.stamp = read.stamp;
            hive.broken = true;
        }
        break;
    }
    hive.root.last_write = now;
    if (machine_keys && (hive.handle == HKEY_LOCAL_MACHINE || hive.handle == HKEY_CURRENT_USER))
        ensure_run_key(hive.root, hive.handle == HKEY_LOCAL_MACHINE, now);
    if (machine_keys && hive.handle == HKEY_CLASSES_ROOT)
        ensure_web_association(hive.root, now);
    for (const auto& change : hive.pending)
        apply(hive.root, change, now);
    hive.loaded = true;
}

void Store::refresh(Hive& hive)
{
    if (!hive.loaded || stamp_of(hive.path) != hive.stamp)
        load(hive, false);
}

void Store::change(Hive& hive, Change change)
{
    apply(hive.root, change, now_filetime());
    hive.pending.push_back(std::move(change));
}

LONG Store::save(Hive& hive)
{
    if (!hive.loaded || hive.pending.empty())
        return ERROR_SUCCESS;
    FileLock file_lock(lock_path());
    if (stamp_of(hive.path) != hive.stamp)
        load(hive, true);
    if (hive.broken)
        return ERROR_CANTWRITE;
    std::string error;
    LONG result = replace_file(hive.path, write_hive_text(hive.root, hive.name), hive.stamp, error);
    if (result == ERROR_SUCCESS) {
        hive.pending.clear();
        hive.save_failure_reported = false;
        if (hive.handle == HKEY_LOCAL_MACHINE || hive.handle == HKEY_CURRENT_USER)
            sync_run_entries();
    } else if (!hive.save_failure_reported) {
        std::fprintf(stderr, "registry: %s could not be saved: %s\n", hive.name, error.c_str());
        hive.save_failure_reported = true;
    }
    return result;
}

void Store::sync_run_entries()
{
    Hive& machine = *hive(HKEY_LOCAL_MACHINE);
    Hive& user = *hive(HKEY_CURRENT_USER);
    for (Hive* other : { &machine, &user }) {
        if (!other->loaded || stamp_of(other->path) != other->stamp)
            load(*other, true);
    }
    sync_autostart(machine.root, user.root);
}

LONG Store::save_all()
{
    LONG first = ERROR_SUCCESS;
    for (auto& hive : m_hives) {
        LONG result = save(hive);
        if (first == ERROR_SUCCESS)
            first = result;
    }
    return first;
}

void Store::forget()
{
    for (auto& hive : m_hives) {
        hive.loaded = false;
        hive.path.clear();
        hive.root = Key {};
        hive.stamp = {};
        hive.pending.clear();
        hive.broken = false;
        hive.save_failure_reported = false;
    }
    m_handles.clear();
}

const OpenKey* Store::open_key(HKEY handle) const
{
    auto it = m_handles.find(reinterpret_cast<ULONG_PTR>(handle));
    return it == m_handles.end() ? nullptr : &it->second;
}

HKEY Store::add_handle(OpenKey key)
{
    ULONG_PTR value = m_next_handle;
    m_next_handle += 4;
    m_handles.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

bool Store::remove_handle(HKEY handle) { return m_handles.erase(reinterpret_cast<ULONG_PTR>(handle)) != 0; }

static bool covers(const std::vector<std::string>& prefix, const std::vector<std::string>& path)
{
    if (prefix.size() > path.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (!base::equals_ignoring_case(prefix[i], path[i]))
            return false;
    }
    return true;
}

LONG Store::denied(const Hive& hive, const std::vector<std::string>& path, Deny what) const
{
    for (const auto& denial : denials) {
        if (denial.hive == &hive && denial.what == what && covers(denial.path, path))
            return denial.error;
    }
    return ERROR_SUCCESS;
}

LONG Store::value_fault(const Hive& hive, const std::vector<std::string>& path, const std::string& name) const
{
    for (const auto& fault : value_faults) {
        if (fault.hive == &hive && fault.path.size() == path.size() && covers(fault.path, path) && base::equals_ignoring_case(fault.name, name))
            return fault.error;
    }
    return ERROR_SUCCESS;
}

void Store::record(JournalEntry entry)
{
    if (journaling)
        journal.push_back(std::move(entry));
}

}
