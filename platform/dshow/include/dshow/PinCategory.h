#pragma once

// Pin categories and the property set that reports them: a capture device's output pins answer
// IKsPropertySet::Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY) with a GUID such as
// PIN_CATEGORY_CAPTURE or PIN_CATEGORY_PREVIEW. A pin without IKsPropertySet has no category.
// LOOK_UPSTREAM_ONLY and LOOK_DOWNSTREAM_ONLY are the category values that restrict the capture
// graph builder's interface search to one direction.

#include <com/Unknown.h>

DEFINE_GUID(IID_IKsPropertySet, 0x31EFAC30, 0x515C, 0x11D0, 0xA9, 0xAA, 0x00, 0xAA, 0x00, 0x61, 0xBE, 0x93);
DEFINE_GUID(AMPROPSETID_Pin, 0x9B00F101, 0x1567, 0x11D1, 0xB3, 0xF1, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5);

DEFINE_GUID(PIN_CATEGORY_CAPTURE, 0xFB6C4281, 0x0353, 0x11D1, 0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA);
DEFINE_GUID(PIN_CATEGORY_PREVIEW, 0xFB6C4282, 0x0353, 0x11D1, 0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA);
DEFINE_GUID(PIN_CATEGORY_ANALOGVIDEOIN, 0xFB6C4283, 0x0353, 0x11D1, 0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA);

DEFINE_GUID(LOOK_UPSTREAM_ONLY, 0xAC798BE0, 0x98E3, 0x11D1, 0xB3, 0xF1, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5);
DEFINE_GUID(LOOK_DOWNSTREAM_ONLY, 0xAC798BE1, 0x98E3, 0x11D1, 0xB3, 0xF1, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5);

constexpr DWORD AMPROPERTY_PIN_CATEGORY = 0;
constexpr DWORD AMPROPERTY_PIN_MEDIUM = 1;

// QuerySupported flags.
constexpr DWORD KSPROPERTY_SUPPORT_GET = 1;
constexpr DWORD KSPROPERTY_SUPPORT_SET = 2;

struct IKsPropertySet : IUnknown {
    STDMETHOD(Set)(REFGUID set, DWORD id, LPVOID instance, DWORD instance_bytes, LPVOID data, DWORD data_bytes) PURE;
    // Copies the property into `data` (data_bytes large) and its size into *returned.
    STDMETHOD(Get)(REFGUID set, DWORD id, LPVOID instance, DWORD instance_bytes, LPVOID data, DWORD data_bytes, DWORD* returned) PURE;
    STDMETHOD(QuerySupported)(REFGUID set, DWORD id, DWORD* support) PURE;
};
COM_INTERFACE(IKsPropertySet, IID_IKsPropertySet, IUnknown);

// IKsPropertySet failures.
constexpr HRESULT E_PROP_ID_UNSUPPORTED = static_cast<HRESULT>(0x80070490u);
constexpr HRESULT E_PROP_SET_UNSUPPORTED = static_cast<HRESULT>(0x80070492u);
