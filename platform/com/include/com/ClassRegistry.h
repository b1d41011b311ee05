#pragma once

// The class registry behind CoCreateInstance and CoGetClassObject.
//
// Areas and the virtual hardware register a factory function per CLSID at start-up; the program
// creates objects by CLSID as on Windows:
//
//     com::register_class(CLSID_SmartTee, [](IUnknown* outer, REFIID iid, void** out) {
//         return com::create_instance<SmartTee>(outer, iid, out);
//     });
//     CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, (void**)&tee);
//
// A test can switch any class off (set_class_enabled); creating it then fails exactly as for a
// class that was never registered (REGDB_E_CLASSNOTREG).

#include <com/ClassFactory.h>
#include <com/Object.h>

#include <functional>

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// Creates an instance of a registered class and queries it for `iid`. Fails with E_POINTER,
// CO_E_NOTINITIALIZED (thread not initialised), REGDB_E_CLASSNOTREG (unknown, switched off or not
// available in `context`), or the factory's own result; *out is NULL on failure.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* out);
// Hands out a class factory (IClassFactory) for a registered class; same failures.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID server_info, REFIID iid, LPVOID* out);

namespace com {

// Makes one instance: S_OK with *out set to the `iid` interface of a new object, or a failure.
using ClassFactoryFunction = std::function<HRESULT(IUnknown* outer, REFIID iid, void** out)>;

// Registers (or replaces) the class; `contexts` says which CLSCTX_* values find it.
void register_class(REFCLSID clsid, ClassFactoryFunction factory, DWORD contexts = CLSCTX_INPROC_SERVER);
void unregister_class(REFCLSID clsid);
bool is_class_registered(REFCLSID clsid);
// Switches a class off (false) or on again; a switched-off class behaves as unregistered.
// Works for classes not registered yet, so a test may switch a class off before start-up.
void set_class_enabled(REFCLSID clsid, bool enabled);
// Switches every class on again.
void enable_all_classes();

}
