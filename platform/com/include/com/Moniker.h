#pragma once

// IMoniker, a name that binds to an object, with IEnumMoniker and item monikers.
//
// An item moniker is a delimiter and an item name; its display name is the two joined, e.g.
// CreateItemMoniker(u"!", u"FilterGraph 0012f3a0 pid 000004d8") shows as
// "!FilterGraph 0012f3a0 pid 000004d8". Two item monikers are equal when their delimiters match
// and their items match ignoring ASCII case. Alone (no moniker to the left) an item moniker binds
// to the object registered under it in the running-object table.
// Other areas implement IMoniker for their own names (device monikers) on com::LeafMoniker.

#include <com/BindContext.h>
#include <com/Persist.h>

DEFINE_GUID(IID_IMoniker, 0x0000000F, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IEnumMoniker, 0x00000102, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(CLSID_ItemMoniker, 0x00000304, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IEnumMoniker;

// IMoniker::IsSystemMoniker kinds.
constexpr DWORD MKSYS_NONE = 0;
constexpr DWORD MKSYS_GENERICCOMPOSITE = 1;
constexpr DWORD MKSYS_FILEMONIKER = 2;
constexpr DWORD MKSYS_ANTIMONIKER = 3;
constexpr DWORD MKSYS_ITEMMONIKER = 4;
constexpr DWORD MKSYS_POINTERMONIKER = 5;

struct IMoniker : IPersistStream {
    STDMETHOD(BindToObject)(IBindCtx* context, IMoniker* left, REFIID iid, void** out) PURE;
    STDMETHOD(BindToStorage)(IBindCtx* context, IMoniker* left, REFIID iid, void** out) PURE;
    STDMETHOD(Reduce)(IBindCtx* context, DWORD how_far, IMoniker** left, IMoniker** reduced) PURE;
    STDMETHOD(ComposeWith)(IMoniker* right, BOOL only_if_not_generic, IMoniker** composite) PURE;
    STDMETHOD(Enum)(BOOL forward, IEnumMoniker** monikers) PURE;
    // S_OK when `other` names the same thing, else S_FALSE.
    STDMETHOD(IsEqual)(IMoniker* other) PURE;
    STDMETHOD(Hash)(DWORD* hash) PURE;
    STDMETHOD(IsRunning)(IBindCtx* context, IMoniker* left, IMoniker* newly_running) PURE;
    STDMETHOD(GetTimeOfLastChange)(IBindCtx* context, IMoniker* left, FILETIME* time) PURE;
    STDMETHOD(Inverse)(IMoniker** inverse) PURE;
    STDMETHOD(CommonPrefixWith)(IMoniker* other, IMoniker** prefix) PURE;
    STDMETHOD(RelativePathTo)(IMoniker* other, IMoniker** path) PURE;
    // The name as text, in task memory (CoTaskMemFree).
    STDMETHOD(GetDisplayName)(IBindCtx* context, IMoniker* left, LPOLESTR* name) PURE;
    STDMETHOD(ParseDisplayName)(IBindCtx* context, IMoniker* left, LPOLESTR name, ULONG* eaten, IMoniker** out) PURE;
    STDMETHOD(IsSystemMoniker)(DWORD* kind) PURE;
};
COM_INTERFACE(IMoniker, IID_IMoniker, IPersistStream);
using LPMONIKER = IMoniker*;

struct IEnumMoniker : IUnknown {
    // Hands out up to `count` monikers (AddRef'd): S_OK when all were there, S_FALSE at the end.
    STDMETHOD(Next)(ULONG count, IMoniker** monikers, ULONG* fetched) PURE;
    STDMETHOD(Skip)(ULONG count) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumMoniker** clone) PURE;
};
COM_INTERFACE(IEnumMoniker, IID_IEnumMoniker, IUnknown);

HRESULT CreateItemMoniker(LPCOLESTR delimiter, LPCOLESTR item, LPMONIKER* moniker);

namespace com {

// An IEnumMoniker over a fixed list (each AddRef'd by the enumerator), for areas that list monikers.
HRESULT create_moniker_enumerator(IMoniker* const* monikers, ULONG count, IEnumMoniker** out);

}
