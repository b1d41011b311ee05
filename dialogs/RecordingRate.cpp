#include "RecordingRate.h"

#include "DeviceNames.h"

#include <settings/Settings.h>

#include <base/Text.h>
#include <com/ComPtr.h>
#include <dshow/CaptureGraphBuilder.h>
#include <dshow/CaptureInterfaces.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <dshow/MediaFormats.h>
#include <dshow/MediaType.h>
#include <dshow/PinCategory.h>

#include <cstring>

namespace {

// The bytes per second of a video stream format; 0 when it gives none.
DWORD video_rate(const AM_MEDIA_TYPE& type)
{
    if (type.formattype != FORMAT_VideoInfo || !type.pbFormat || type.cbFormat < sizeof(VIDEOINFOHEADER))
        return 0;
    VIDEOINFOHEADER video;
    std::memcpy(&video, type.pbFormat, sizeof video);
    if (video.dwBitRate)
        return video.dwBitRate / 8;
    if (video.AvgTimePerFrame <= 0)
        return 0;
    ULONGLONG frame = video.bmiHeader.biSizeImage;
    if (!frame)
        frame = static_cast<ULONGLONG>(video.bmiHeader.biWidth < 0 ? -video.bmiHeader.biWidth : video.bmiHeader.biWidth)
            * static_cast<ULONGLONG>(video.bmiHeader.biHeight < 0 ? -video.bmiHeader.biHeight : video.bmiHeader.biHeight)
            * video.bmiHeader.biBitCount / 8;
    ULONGLONG rate = frame * 10000000ull / static_cast<ULONGLONG>(video.AvgTimePerFrame);
    return rate > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(rate);
}

// The capture pin's stream format rate of a capture filter, in a graph of its own.
DWORD capture_rate(IBaseFilter* filter)
{
    CComPtr<IGraphBuilder> graph;
    CComPtr<ICaptureGraphBuilder2> builder;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
            reinterpret_cast<void**>(&graph)))
        || FAILED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
            reinterpret_cast<void**>(&builder))))
        return 0;
    DWORD rate = 0;
    if (SUCCEEDED(graph->AddFilter(filter, u"Capture")) && SUCCEEDED(builder->SetFiltergraph(graph))) {
        CComPtr<IAMStreamConfig> config;
        if (SUCCEEDED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, filter, IID_IAMStreamConfig,
                reinterpret_cast<void**>(&config)))
            && config) {
            AM_MEDIA_TYPE* type = nullptr;
            if (SUCCEEDED(config->GetFormat(&type)) && type) {
                rate = video_rate(*type);
                DeleteMediaType(type);
            }
        }
        graph->RemoveFilter(filter);
    }
    return rate;
}

}

DWORD DefaultRecordingRate()
{
    if (Settings.AudioFormat && Settings.AudioFormatSize >= static_cast<LONG>(sizeof(WAVEFORMATEX))) {
        WAVEFORMATEX format;
        std::memcpy(&format, Settings.AudioFormat, sizeof format);
        if (format.nAvgBytesPerSec)
            return format.nAvgBytesPerSec;
    }
    return 44100 * 2 * 2;
}

DWORD CaptureVideoRate(const char* deviceName)
{
    const bool named = deviceName && deviceName[0];
    DWORD rate = 0;
    VisitDevices(CLSID_VideoInputDeviceCategory, [&](IMoniker* moniker, const char* name) {
        if (named && lstrcmpiA(name, deviceName) != 0)
            return true;
        CComPtr<IBaseFilter> filter;
        if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)))
            && filter)
            rate = capture_rate(filter);
        return false;
    });
    return rate;
}

DWORD RecordingRate(LONG format, const char* deviceName)
{
    ULONGLONG rate = DefaultRecordingRate();
    if (format == 0)
        rate += CaptureVideoRate(deviceName);
    return rate > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(rate);
}
