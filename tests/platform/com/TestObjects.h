#pragma once

// Small COM objects shared by the COM tests.

#include <com/Object.h>
#include <com/Persist.h>

DEFINE_GUID(IID_IWidget, 0x5C0E7A10, 0x1B2D, 0x4E3F, 0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x40, 0x51);
DEFINE_GUID(CLSID_Widget, 0x5C0E7A11, 0x1B2D, 0x4E3F, 0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x40, 0x51);

struct IWidget : IUnknown {
    STDMETHOD_(int, Value)() PURE;
};
COM_INTERFACE(IWidget, IID_IWidget, IUnknown);

class Widget final : public com::Object<IWidget, IPersist> {
public:
    explicit Widget(int value = 7)
        : m_value(value)
    {
    }
    STDMETHODIMP_(int) Value() override { return m_value; }
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        *clsid = CLSID_Widget;
        return S_OK;
    }

private:
    int m_value;
};

// The reference count of any interface, read by an AddRef/Release pair.
inline ULONG ref_count(IUnknown* unknown)
{
    unknown->AddRef();
    return unknown->Release();
}
