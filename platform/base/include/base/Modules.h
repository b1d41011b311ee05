#pragma once

// Loadable modules: a table of named modules with their exported functions and load counts.
//
// There are no driver libraries here; the areas that stand in for them (the virtual hardware)
// register a module by name with its exports. LoadLibraryA finds a registered module and counts
// the load; GetModuleHandleA finds only modules that are loaded now (a count above zero);
// FreeLibrary lowers the count, and at zero the module is unloaded. Names match ignoring case,
// with any folder dropped and ".dll" added when the name has no extension, as on Windows.
// GetModuleHandleA(NULL) is the program itself.
//
//     base::Modules::register_module("btvid_32.dll", {{"I2CIsInitOK", base::export_of(&i2c_is_init_ok)}}, 1);
//     HMODULE m = GetModuleHandleA("BTVID_32");        // loaded: found
//     auto* fn = reinterpret_cast<int (*)()>(GetProcAddress(m, "I2CIsInitOK"));

#include <base/Types.h>

#include <map>
#include <string>

using FARPROC = INT_PTR (*)();

namespace base {

template<typename Function>
FARPROC export_of(Function* function) { return reinterpret_cast<FARPROC>(function); }

class Modules {
public:
    using Exports = std::map<std::string, FARPROC>;
    // Adds or replaces a module; `load_count` above zero registers it as already loaded.
    static HMODULE register_module(const std::string& name, Exports exports, int load_count = 0);
    static void unregister_module(const std::string& name);
    // The current load count (0 when unloaded or unknown).
    static int load_count(const std::string& name);
};

}

HMODULE LoadLibraryA(LPCSTR name);
HMODULE GetModuleHandleA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// The program's path in Windows form (module NULL or the program), or a registered module's path
// in the program's folder. Cut to whole characters and terminated; a cut gives `size` and
// ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size);
