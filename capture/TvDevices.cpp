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
    CComPtr<IEnumMoniker> monikers;
    monikers.Attach(EnumerateDevices(category));
    if (!monikers)
        return nullptr;

    for (;;) {
        CComPtr<IMoniker> moniker;
        if (monikers->Next(1, &moniker, nullptr) != S_OK)
            return nullptr;
        char readName[260] {};
        if (!ReadFriendlyName(moniker, readName, sizeof readName))
            continue;

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
