#pragma once

// com::LeafMoniker, the base of the monikers that name one thing on their own (item monikers,
// device monikers): no moniker to the left is needed and none is built to the right.
//
// The base answers as COM's simple monikers do: Reduce reduces to the moniker itself and leaves
// the caller's left moniker as it was (MK_S_REDUCED_TO_SELF); IsEqual(null) is E_INVALIDARG,
// and two monikers are equal only when both are leaf monikers of one class whose same_as()
// agrees; IsRunning and GetTimeOfLastChange ask the running-object table; composing, inverting,
// prefixes, relative paths, parsing and persistence are not offered (E_NOTIMPL), Enum lists
// nothing and BindToStorage fails with MK_E_NOTBINDABLE unless a moniker offers storage.
//
// A moniker class gives its class id and system kind, and implements binding, the display name,
// equality within its class and its hash:
//
//     class PathMoniker final : public com::LeafMoniker {
//     public:
//         PathMoniker() : LeafMoniker(CLSID_PathMoniker, MKSYS_NONE) { }
//         STDMETHODIMP BindToObject(IBindCtx*, IMoniker* left, REFIID iid, void** out) override;
//         STDMETHODIMP Hash(DWORD* hash) override;
//     protected:
//         std::u16string display_name() const override;
//         bool same_as(const LeafMoniker& other) const override; // `other` is a PathMoniker
//     };

#include <com/Moniker.h>
#include <com/Object.h>
#include <com/RunningObjectTable.h>

#include <functional>
#include <string>

namespace com {

class LeafMoniker : public Object<IMoniker> {
public:
    // IPersist / IPersistStream
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream*) override { return E_NOTIMPL; }
    STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

    // IMoniker
    STDMETHODIMP BindToStorage(IBindCtx* context, IMoniker* left, REFIID iid, void** out) override;
    STDMETHODIMP Reduce(IBindCtx* context, DWORD how_far, IMoniker** left, IMoniker** reduced) override;
    STDMETHODIMP ComposeWith(IMoniker* right, BOOL only_if_not_generic, IMoniker** composite) override;
    STDMETHODIMP Enum(BOOL forward, IEnumMoniker** monikers) override;
    STDMETHODIMP IsEqual(IMoniker* other) override;
    STDMETHODIMP IsRunning(IBindCtx* context, IMoniker* left, IMoniker* newly_running) override;
    STDMETHODIMP GetTimeOfLastChange(IBindCtx* context, IMoniker* left, FILETIME* time) override;
    STDMETHODIMP Inverse(IMoniker** inverse) override;
    STDMETHODIMP CommonPrefixWith(IMoniker* other, IMoniker** prefix) override;
    STDMETHODIMP RelativePathTo(IMoniker* other, IMoniker** path) override;
    STDMETHODIMP GetDisplayName(IBindCtx* context, IMoniker* left, LPOLESTR* name) override;
    STDMETHODIMP ParseDisplayName(IBindCtx* context, IMoniker* left, LPOLESTR name, ULONG* eaten, IMoniker** out) override;
    // S_OK with the kind given at construction, S_FALSE when that is MKSYS_NONE.
    STDMETHODIMP IsSystemMoniker(DWORD* kind) override;

protected:
    LeafMoniker(REFCLSID clsid, DWORD system_kind);

    virtual std::u16string display_name() const = 0;
    // Whether `other`, a leaf moniker of this moniker's class, names the same thing.
    virtual bool same_as(const LeafMoniker& other) const = 0;

    void* find_interface(REFIID iid) override;

    // Calls `ask` with the running-object table; its result, or the table's failure.
    static HRESULT ask_running_object_table(const std::function<HRESULT(IRunningObjectTable*)>& ask);

private:
    CLSID m_clsid;
    DWORD m_system_kind;
};

}
