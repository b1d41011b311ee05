// Choosing the capture graph's compressors and its separate audio capture device by the
// FriendlyName the system device enumerator lists them under.

#include <capture/Tv.h>

#include <base/Text.h>
#include <dshow/DeviceEnumerator.h>

bool STv::SelectCompressor(CComPtr<IBaseFilter>& field, REFCLSID category, const char* name, LPCWSTR graphName)
{
    if (!m_graph)
        return false;
    field = nullptr;
    if (!name || lstrcmpiA(name, "<No compression>") == 0)
        return false;
    field.Attach(BindDeviceByName(category, name, NameMatch::Exact, nullptr));
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
    m_audioCaptureFilter.Attach(BindDeviceByName(CLSID_AudioInputDeviceCategory, name ? name : "", NameMatch::Contains, m_audioCaptureName));
    if (!m_audioCaptureFilter)
        return false;
    m_graph->AddFilter(m_audioCaptureFilter, u"audioCapture");
    return true;
}
