#include "DeviceNames.h"

#include <base/Text.h>
#include <com/BStr.h>
#include <com/ComPtr.h>
#include <com/Variant.h>
#include <dshow/DeviceEnumerator.h>

void VisitDevices(REFCLSID category, const std::function<bool(IMoniker* moniker, const char* name)>& visit)
{
    CComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
            reinterpret_cast<void**>(&devices))))
        return;
    CComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(category, &monikers, 0) != S_OK || !monikers)
        return;
    for (;;) {
        CComPtr<IMoniker> moniker;
        if (monikers->Next(1, &moniker, nullptr) != S_OK)
            return;
        CComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))))
            return;
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = nullptr;
        if (FAILED(bag->Read(u"FriendlyName", &value, nullptr)) || value.vt != VT_BSTR || !value.bstrVal) {
            VariantClear(&value);
            return;
        }
        char name[260] = {};
        WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, name, sizeof name, nullptr, nullptr);
        name[sizeof name - 1] = '\0';
        VariantClear(&value);
        if (!visit(moniker, name))
            return;
    }
}
