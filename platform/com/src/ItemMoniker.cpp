#include <com/LeafMoniker.h>

#include "Text.h"

#include <base/Text.h>

namespace {

class ItemMoniker final : public com::LeafMoniker {
public:
    ItemMoniker(std::u16string delimiter, std::u16string item)
        : LeafMoniker(CLSID_ItemMoniker, MKSYS_ITEMMONIKER)
        , m_delimiter(std::move(delimiter))
        , m_item(std::move(item))
    {
    }

    STDMETHODIMP BindToObject(IBindCtx*, IMoniker* left, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (left)
            return E_NOTIMPL;
        IUnknown* object = nullptr;
        HRESULT hr = ask_running_object_table([&](IRunningObjectTable* table) {
            return SUCCEEDED(table->GetObject(this, &object)) ? S_OK : MK_E_NOOBJECT;
        });
        if (FAILED(hr))
            return hr;
        hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
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

protected:
    std::u16string display_name() const override { return m_delimiter + m_item; }
    bool same_as(const LeafMoniker& other) const override
    {
        const auto& item = static_cast<const ItemMoniker&>(other);
        return item.m_delimiter == m_delimiter && base::equals_ignoring_case(item.m_item, m_item);
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
