#pragma once

// The running-object table: a process-wide list of objects registered under monikers, so that
// tools (and tests) can find them by name.
//
// Register holds a reference to the object (and the moniker) until Revoke; a name registered
// twice gets a second entry and cookie, with MK_S_MONIKERALREADYREGISTERED. Cookies are never 0
// and never reused. Revoke of an unknown cookie returns E_INVALIDARG.

#include <com/Moniker.h>

#include <string>
#include <vector>

constexpr DWORD ROTFLAGS_REGISTRATIONKEEPSALIVE = 0x1;
constexpr DWORD ROTFLAGS_ALLOWANYCLIENT = 0x2;

DEFINE_GUID(IID_IRunningObjectTable, 0x00000010, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IRunningObjectTable : IUnknown {
    STDMETHOD(Register)(DWORD flags, IUnknown* object, IMoniker* name, DWORD* cookie) PURE;
    STDMETHOD(Revoke)(DWORD cookie) PURE;
    // S_OK when an object is registered under `name`, else S_FALSE.
    STDMETHOD(IsRunning)(IMoniker* name) PURE;
    // The first object registered under `name` (AddRef'd), or MK_E_UNAVAILABLE.
    STDMETHOD(GetObject)(IMoniker* name, IUnknown** object) PURE;
    STDMETHOD(NoteChangeTime)(DWORD cookie, FILETIME* time) PURE;
    STDMETHOD(GetTimeOfLastChange)(IMoniker* name, FILETIME* time) PURE;
    // A snapshot of the registered names, in registration order.
    STDMETHOD(EnumRunning)(IEnumMoniker** monikers) PURE;
};
COM_INTERFACE(IRunningObjectTable, IID_IRunningObjectTable, IUnknown);
using LPRUNNINGOBJECTTABLE = IRunningObjectTable*;

// The table of this process; CO_E_NOTINITIALIZED on a thread without COM, E_FAIL when switched off.
HRESULT GetRunningObjectTable(DWORD reserved, LPRUNNINGOBJECTTABLE* table);

namespace com {

// Display names of the registered entries, in registration order (UTF-16).
std::vector<std::u16string> running_object_names();
// Makes GetRunningObjectTable fail with E_FAIL (false) or work again (true).
void set_running_object_table_available(bool available);
// Revokes every entry, releasing the objects (for test teardown).
void clear_running_object_table();

}
