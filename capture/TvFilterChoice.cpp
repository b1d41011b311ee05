// Choosing the capture graph's compressors and its separate audio capture device by the
// FriendlyName the system device enumerator lists them under.

#include <capture/Tv.h>

#include <base/Text.h>
#include <dshow/DeviceEnumerator.h>

#include <cstring>

IBaseFilter* STv::BindDeviceByName(REFCLSID category, const char* name, bool substring, char* matchedName)
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

        bool matches = substring ? std::strstr(readName, name) != nullptr : lstrcmpA(readName, name) == 0;
        if (!matches)
            continue;
        IBaseFilter* filter = nullptr;
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        if (filter && matchedName)
            base::copy_bounded(matchedName, 260, readName);
        return filter;
    }
}

bool STv::SelectCompressor(CComPtr<IBaseFilter>& field, REFCLSID category, const char* name, LPCWSTR graphName)
{
    if (!m_graph)
        return false;
    field = nullptr;
    if (!name || lstrcmpiA(name, "<No compression>") == 0)
        return false;
    field.Attach(BindDeviceByName(category, name, false, nullptr));
    if (!field)
        return false;
    m_graph->AddFilter(field, graphName);
    return true;
}

bool STv::SelectVideoCompressor(const char* name)
{
    return SelectCompressor(m_videoCompressor, CLSID_VideoCompressorCategory, name, u"compressor");
}

bool STv::SelectAudioCompressor(const char* name)
{
    return SelectCompressor(m_audioCompressor, CLSID_AudioCompressorCategory, name, u"audioCompressor");
}

bool STv::SelectAudioCaptureDevice(const char* name)
{
    if (!m_graph)
        return false;
    if (m_audioCaptureFilter) {
        m_graph->RemoveFilter(m_audioCaptureFilter);
        m_audioCaptureFilter = nullptr;
    }
    m_audioCaptureFilter.Attach(BindDeviceByName(CLSID_AudioInputDeviceCategory, name ? name : "", true, m_audioCaptureName));
    if (!m_audioCaptureFilter)
        return false;
    m_graph->AddFilter(m_audioCaptureFilter, u"audioCapture");
    return true;
}
