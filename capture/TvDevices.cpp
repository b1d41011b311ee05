// Finding a device filter by its FriendlyName.

#include <capture/Tv.h>

#include <base/Text.h>
#include <com/BStr.h>
#include <com/Variant.h>
#include <dshow/DeviceEnumerator.h>

IBaseFilter* STv::FindFilterByFriendlyName(const char* name, REFCLSID category)
{
    if (!m_graph)
        return nullptr;

    CComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
            reinterpret_cast<void**>(&devices))))
        return nullptr;
    CComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(category, &monikers, 0) != S_OK || !monikers)
        return nullptr;

    IBaseFilter* filter = nullptr;
    for (;;) {
        CComPtr<IMoniker> moniker;
        if (monikers->Next(1, &moniker, nullptr) != S_OK)
            break;
        CComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))))
            continue;
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = nullptr;
        if (FAILED(bag->Read(u"FriendlyName", &value, nullptr)))
            continue;
        if (value.vt != VT_BSTR || !value.bstrVal) {
            VariantClear(&value);
            continue;
        }
        char read_name[260] = {};
        WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, read_name, sizeof read_name, nullptr, nullptr);
        read_name[sizeof read_name - 1] = 0;
        VariantClear(&value);

        if (name && *name && lstrcmpiA(name, read_name) != 0)
            continue;
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        break;
    }
    return filter;
}
