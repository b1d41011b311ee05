#include <base/Errors.h>
#include <base/Modules.h>
#include <base/Path.h>
#include <base/Text.h>

#include <memory>
#include <mutex>
#include <unistd.h>

namespace base {

namespace {

struct Module {
    std::string name;
    Modules::Exports exports;
    int load_count = 0;
};

std::mutex s_mutex;
// Modules by folded name; each keeps its address, and so its handle, for the whole run. Built on
// first use, since other areas register their modules before main.
std::map<std::string, std::unique_ptr<Module>>& modules()
{
    static std::map<std::string, std::unique_ptr<Module>> table;
    return table;
}

int s_program_marker;
HMODULE program_handle() { return reinterpret_cast<HMODULE>(&s_program_marker); }

std::string key_of(std::string_view name)
{
    std::string key = folded_ascii(file_name_of(name));
    if (key.find('.') == std::string::npos)
        key += ".dll";
    return key;
}

Module* find(std::string_view name)
{
    auto it = modules().find(key_of(name));
    return it == modules().end() ? nullptr : it->second.get();
}

Module* from_handle(HMODULE handle)
{
    for (auto& [key, module] : modules())
        if (reinterpret_cast<HMODULE>(module.get()) == handle)
            return module.get();
    return nullptr;
}

}

HMODULE Modules::register_module(const std::string& name, Exports exports, int load_count)
{
    std::lock_guard lock(s_mutex);
    auto& slot = modules()[key_of(name)];
    if (!slot)
        slot = std::make_unique<Module>();
    slot->name = std::string(file_name_of(name));
    slot->exports = std::move(exports);
    slot->load_count = load_count > 0 ? load_count : 0;
    return reinterpret_cast<HMODULE>(slot.get());
}

void Modules::unregister_module(const std::string& name)
{
    std::lock_guard lock(s_mutex);
    if (Module* module = find(name)) {
        // The entry stays so that its handle is never given to another module.
        module->exports.clear();
        module->load_count = 0;
        module->name.clear();
    }
}

int Modules::load_count(const std::string& name)
{
    std::lock_guard lock(s_mutex);
    Module* module = find(name);
    return module ? module->load_count : 0;
}

}

using namespace base;

HMODULE LoadLibraryA(LPCSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard lock(s_mutex);
    Module* module = find(name);
    if (!module || module->name.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++module->load_count;
    return reinterpret_cast<HMODULE>(module);
}

HMODULE GetModuleHandleA(LPCSTR name)
{
    if (!name)
        return program_handle();
    std::lock_guard lock(s_mutex);
    Module* module = find(name);
    if (!module || module->load_count <= 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(module);
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR name)
{
    std::lock_guard lock(s_mutex);
    Module* module = from_handle(handle);
    if (!module || module->load_count <= 0) {
        SetLastError(handle == program_handle() ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Names only: a value below 0x10000 is an ordinal, which no module here exports.
    if (reinterpret_cast<std::uintptr_t>(name) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    auto it = module->exports.find(name);
    if (it == module->exports.end() || !it->second) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return it->second;
}

BOOL FreeLibrary(HMODULE handle)
{
    if (handle == program_handle())
        return TRUE;
    std::lock_guard lock(s_mutex);
    Module* module = from_handle(handle);
    if (!module || module->load_count <= 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    --module->load_count;
    return TRUE;
}

DWORD GetModuleFileNameA(HMODULE handle, LPSTR file_name, DWORD size)
{
    std::string path;
    if (!handle || handle == program_handle()) {
        char buffer[4096];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
        if (n <= 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        path = to_windows_path(std::string_view(buffer, static_cast<std::size_t>(n)));
    } else {
        std::lock_guard lock(s_mutex);
        Module* module = from_handle(handle);
        if (!module || module->load_count <= 0) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        path = program_folder() + module->name;
    }
    if (!file_name || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::size_t copied = copy_bounded(file_name, size, path);
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(copied);
}
