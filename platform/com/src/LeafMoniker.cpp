#include <com/LeafMoniker.h>

#include "Text.h"

namespace com {

namespace {

// Answers a leaf moniker's own pointer, so that IsEqual recognises one among other monikers.
DEFINE_GUID(IID_LeafMonikerSelf, 0x6A1D2C40, 0x3F0E, 0x4B8E, 0x9C, 0x51, 0x7E, 0x0B, 0x52, 0x6D, 0x11, 0xA3);

template<typename T>
HRESULT not_offered(T** out)
{
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

}

LeafMoniker::LeafMoniker(REFCLSID clsid, DWORD system_kind)
    : m_clsid(clsid)
    , m_system_kind(system_kind)
{
}

void* LeafMoniker::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_LeafMonikerSelf))
        return this;
    return Object::find_interface(iid);
}

STDMETHODIMP LeafMoniker::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = m_clsid;
    return S_OK;
}

STDMETHODIMP LeafMoniker::BindToStorage(IBindCtx*, IMoniker*, REFIID, void** out)
{
    if (out)
        *out = nullptr;
    return MK_E_NOTBINDABLE;
}

STDMETHODIMP LeafMoniker::Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker** reduced)
{
    if (!reduced)
        return E_POINTER;
    AddRef();
    *reduced = this;
    return MK_S_REDUCED_TO_SELF;
}

STDMETHODIMP LeafMoniker::ComposeWith(IMoniker*, BOOL, IMoniker** composite) { return not_offered(composite); }

STDMETHODIMP LeafMoniker::Enum(BOOL, IEnumMoniker** monikers)
{
    if (!monikers)
        return E_POINTER;
    *monikers = nullptr;
    return S_OK;
}

STDMETHODIMP LeafMoniker::IsEqual(IMoniker* other)
{
    if (!other)
        return E_INVALIDARG;
    void* self = nullptr;
    if (FAILED(other->QueryInterface(IID_LeafMonikerSelf, &self)) || !self)
        return S_FALSE;
    auto* leaf = static_cast<LeafMoniker*>(self);
    bool equal = IsEqualCLSID(leaf->m_clsid, m_clsid) && same_as(*leaf);
    leaf->Release();
    return equal ? S_OK : S_FALSE;
}

HRESULT LeafMoniker::ask_running_object_table(const std::function<HRESULT(IRunningObjectTable*)>& ask)
{
    IRunningObjectTable* table = nullptr;
    HRESULT hr = GetRunningObjectTable(0, &table);
    if (FAILED(hr))
        return hr;
    hr = ask(table);
    table->Release();
    return hr;
}

STDMETHODIMP LeafMoniker::IsRunning(IBindCtx*, IMoniker* left, IMoniker*)
{
    if (left)
        return E_NOTIMPL;
    return ask_running_object_table([this](IRunningObjectTable* table) { return table->IsRunning(this); });
}

STDMETHODIMP LeafMoniker::GetTimeOfLastChange(IBindCtx*, IMoniker* left, FILETIME* time)
{
    if (!time)
        return E_POINTER;
    if (left)
        return E_NOTIMPL;
    return ask_running_object_table([this, time](IRunningObjectTable* table) { return table->GetTimeOfLastChange(this, time); });
}

STDMETHODIMP LeafMoniker::Inverse(IMoniker** inverse) { return not_offered(inverse); }

STDMETHODIMP LeafMoniker::CommonPrefixWith(IMoniker*, IMoniker** prefix) { return not_offered(prefix); }

STDMETHODIMP LeafMoniker::RelativePathTo(IMoniker*, IMoniker** path) { return not_offered(path); }

STDMETHODIMP LeafMoniker::GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* name)
{
    if (!name)
        return E_POINTER;
    *name = detail::task_string(display_name());
    return *name ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP LeafMoniker::ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG* eaten, IMoniker** out)
{
    if (eaten)
        *eaten = 0;
    return not_offered(out);
}

STDMETHODIMP LeafMoniker::IsSystemMoniker(DWORD* kind)
{
    if (!kind)
        return E_POINTER;
    *kind = m_system_kind;
    return m_system_kind == MKSYS_NONE ? S_FALSE : S_OK;
}

}
