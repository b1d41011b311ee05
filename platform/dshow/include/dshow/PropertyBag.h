#pragma once

// IPropertyBag, named values read and written as VARIANTs, as a device moniker describes its
// device ("FriendlyName", "CLSID", "DevicePath"), with IErrorLog for the reader's error reports.

#include <com/Variant.h>

DEFINE_GUID(IID_IPropertyBag, 0x55272A00, 0x42CB, 0x11CE, 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51);
DEFINE_GUID(IID_IErrorLog, 0x3127CA40, 0x446E, 0x11CE, 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51);

struct IErrorLog : IUnknown {
    STDMETHOD(AddError)(LPCOLESTR property, EXCEPINFO* info) PURE;
};
COM_INTERFACE(IErrorLog, IID_IErrorLog, IUnknown);

struct IPropertyBag : IUnknown {
    // Reads `name` into `value` (VT_EMPTY asks for the stored type, else converts to value->vt);
    // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when there is no such property.
    STDMETHOD(Read)(LPCOLESTR name, VARIANT* value, IErrorLog* log) PURE;
    STDMETHOD(Write)(LPCOLESTR name, VARIANT* value) PURE;
};
COM_INTERFACE(IPropertyBag, IID_IPropertyBag, IUnknown);
