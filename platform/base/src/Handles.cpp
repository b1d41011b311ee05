#include <base/Errors.h>
#include <base/Handles.h>

#include <mutex>
#include <unordered_map>

namespace base {

namespace {

std::mutex s_mutex;
std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> s_table;
std::uintptr_t s_next = 0x1000;

}

HANDLE Handles::add(std::shared_ptr<KernelObject> object)
{
    std::lock_guard lock(s_mutex);
    std::uintptr_t value = s_next;
    s_next += 4;
    s_table.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> Handles::lookup(HANDLE handle)
{
    std::lock_guard lock(s_mutex);
    auto it = s_table.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == s_table.end() ? nullptr : it->second;
}

bool Handles::remove(HANDLE handle)
{
    std::shared_ptr<KernelObject> object; // destroyed after the lock is released
    std::lock_guard lock(s_mutex);
    auto it = s_table.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == s_table.end())
        return false;
    object = std::move(it->second);
    s_table.erase(it);
    return true;
}

std::size_t Handles::count()
{
    std::lock_guard lock(s_mutex);
    return s_table.size();
}

}

BOOL CloseHandle(HANDLE handle)
{
    if (!base::Handles::remove(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
