// Finding a device filter by its FriendlyName, in the ways its users compare names.

#include <capture/Tv.h>

#include <base/Text.h>
#include <com/BStr.h>
#include <com/Variant.h>
#include <dshow/DeviceEnumerator.h>

#include <cstring>

IBaseFilter* STv::FindFilterByFriendlyName(const char* name, REFCLSID category)
{
    if (!m_graph)
        return nullptr;
    return BindDeviceByName(category, name ? name : "", NameMatch::EqualIgnoringCase, nullptr);
}

IBaseFilter* STv::BindDeviceByName(REFCLSID category, const char* name, NameMatch match, char* matchedName)
{
    CComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
            reinterpret_cast<void**>(&devices))))
        return nullptr;
    CComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(category, &monikers, 0) != S_OK || !monikers)
        return nullptr;

    for (;;) {
        CComPtr<IMoniker> moniker;
        if (monikers->Next(1, &moniker, nullptr) != S_OK)
            return nullptr;
        CComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))) || !bag)
            continue;
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = nullptr;
        if (FAILED(bag->Read(u"FriendlyName", &value, nullptr)) || value.vt != VT_BSTR || !value.bstrVal) {
            VariantClear(&value);
            continue;
        }
        char readName[260] {};
        WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, readName, sizeof readName, nullptr, nullptr);
        readName[sizeof readName - 1] = 0;
        VariantClear(&value);

        bool matches = false;
        switch (match) {
        case NameMatch::Exact:
            matches = lstrcmpA(readName, name) == 0;
            break;
        case NameMatch::Contains:
            matches = std::strstr(readName, name) != nullptr;
            break;
        case NameMatch::EqualIgnoringCase:
            matches = !*name || lstrcmpiA(name, readName) == 0;
            break;
        }
        if (!matches)
            continue;
        IBaseFilter* filter = nullptr;
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        if (filter && matchedName)
            base::copy_bounded(matchedName, 260, readName);
        return filter;
    }
}
