#include <com/Moniker.h>
#include <com/Object.h>
#include <com/RunningObjectTable.h>
#include <com/TaskMemory.h>

#include "Text.h"

#include <base/Text.h>

#include <cstring>

namespace {

// Interface pointer of an item moniker, to recognise one among other monikers.
DEFINE_GUID(IID_ItemMonikerSelf, 0x6A1D2C40, 0x3F0E, 0x4B8E, 0x9C, 0x51, 0x7E, 0x0B, 0x52, 0x6D, 0x11, 0xA3);

class ItemMoniker final : public com::Object<IMoniker> {
public:
    ItemMoniker(std::u16string delimiter, std::u16string item)
        : m_delimiter(std::move(delimiter))
        , m_item(std::move(item))
    {
    }

    const std::u16string& delimiter() const { return m_delimiter; }
    const std::u16string& item() const { return m_item; }

    // IPersist / IPersistStream
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        if (!clsid)
            return E_POINTER;
        *clsid = CLSID_ItemMoniker;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream*) override { return E_NOTIMPL; }
    STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

    // IMoniker
    STDMETHODIMP BindToObject(IBindCtx*, IMoniker* left, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (left)
            return E_NOTIMPL;
        IRunningObjectTable* table = nullptr;
        HRESULT hr = GetRunningObjectTable(0, &table);
        if (FAILED(hr))
            return hr;
        IUnknown* object = nullptr;
        hr = table->GetObject(this, &object);
        table->Release();
        if (FAILED(hr))
            return MK_E_NOOBJECT;
        hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    STDMETHODIMP BindToStorage(IBindCtx*, IMoniker*, REFIID, void** out) override
    {
        if (out)
            *out = nullptr;
        return MK_E_NOTBINDABLE;
    }
    STDMETHODIMP Reduce(IBindCtx*, DWORD, IMoniker** left, IMoniker** reduced) override
    {
        (void)left;
        if (!reduced)
            return E_POINTER;
        AddRef();
        *reduced = this;
        return MK_S_REDUCED_TO_SELF;
    }
    STDMETHODIMP ComposeWith(IMoniker*, BOOL, IMoniker** composite) override
    {
        if (composite)
            *composite = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP Enum(BOOL, IEnumMoniker** monikers) override
    {
        if (!monikers)
            return E_POINTER;
        *monikers = nullptr;
        return S_OK;
    }
    STDMETHODIMP IsEqual(IMoniker* other) override
    {
        if (!other)
            return E_INVALIDARG;
        void* self = nullptr;
        if (FAILED(other->QueryInterface(IID_ItemMonikerSelf, &self)) || !self)
            return S_FALSE;
        auto* item = static_cast<ItemMoniker*>(self);
        bool equal = item->m_delimiter == m_delimiter && base::equals_ignoring_case(item->m_item, m_item);
        item->Release();
        return equal ? S_OK : S_FALSE;
    }
    STDMETHODIMP Hash(DWORD* hash) override
    {
        if (!hash)
            return E_POINTER;
        DWORD h = 0;
        for (char16_t c : m_item)
            h = h * 31 + base::upper_ascii(c);
        *hash = h;
        return S_OK;
    }
    STDMETHODIMP IsRunning(IBindCtx*, IMoniker* left, IMoniker*) override
    {
        if (left)
            return E_NOTIMPL;
        IRunningObjectTable* table = nullptr;
        HRESULT hr = GetRunningObjectTable(0, &table);
        if (FAILED(hr))
            return hr;
        hr = table->IsRunning(this);
        table->Release();
        return hr;
    }
    STDMETHODIMP GetTimeOfLastChange(IBindCtx*, IMoniker* left, FILETIME* time) override
    {
        if (!time)
            return E_POINTER;
        if (left)
            return E_NOTIMPL;
        IRunningObjectTable* table = nullptr;
        HRESULT hr = GetRunningObjectTable(0, &table);
        if (FAILED(hr))
            return hr;
        hr = table->GetTimeOfLastChange(this, time);
        table->Release();
        return hr;
    }
    STDMETHODIMP Inverse(IMoniker** inverse) override
    {
        if (inverse)
            *inverse = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP CommonPrefixWith(IMoniker*, IMoniker** prefix) override
    {
        if (prefix)
            *prefix = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP RelativePathTo(IMoniker*, IMoniker** path) override
    {
        if (path)
            *path = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* name) override
    {
        if (!name)
            return E_POINTER;
        *name = com::detail::task_string(m_delimiter + m_item);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG* eaten, IMoniker** out) override
    {
        if (eaten)
            *eaten = 0;
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP IsSystemMoniker(DWORD* kind) override
    {
        if (!kind)
            return E_POINTER;
        *kind = MKSYS_ITEMMONIKER;
        return S_OK;
    }

protected:
    void* find_interface(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_ItemMonikerSelf))
            return this;
        return Object::find_interface(iid);
    }

private:
    std::u16string m_delimiter;
    std::u16string m_item;
};

}

HRESULT CreateItemMoniker(LPCOLESTR delimiter, LPCOLESTR item, LPMONIKER* moniker)
{
    if (!moniker)
        return E_INVALIDARG;
    *moniker = nullptr;
    if (!item)
        return E_INVALIDARG;
    *moniker = new ItemMoniker(std::u16string(com::detail::wide_view(delimiter)), std::u16string(com::detail::wide_view(item)));
    return S_OK;
}
