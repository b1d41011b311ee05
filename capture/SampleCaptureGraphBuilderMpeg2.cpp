// The MPEG-2 capture chain of the engine's capture graph builder: which pins deliver MPEG-2,
// and the demultiplexer and tees behind them.

#include <capture/SampleCaptureGraphBuilder.h>

#include <capture/Mpeg2Formats.h>

#include <com/ClassRegistry.h>
#include <dshow/MediaType.h>
#include <dshow/Mpeg2.h>
#include <dshow/SystemFilters.h>

#include <string_view>

bool ISampleCaptureGraphBuilder::IsMpeg2Pin(IPin* pin)
{
    if (!pin)
        return false;
    CComPtr<IEnumMediaTypes> types;
    if (FAILED(pin->EnumMediaTypes(&types)) || !types || FAILED(types->Reset()))
        return false;
    for (;;) {
        AM_MEDIA_TYPE* type = nullptr;
        if (types->Next(1, &type, nullptr) != S_OK || !type)
            return false;
        bool major = IsEqualGUID(type->majortype, MEDIATYPE_Video) || IsEqualGUID(type->majortype, MEDIATYPE_Stream);
        bool sub = IsEqualGUID(type->subtype, MEDIASUBTYPE_MPEG2_VIDEO) || IsEqualGUID(type->subtype, MEDIASUBTYPE_MPEG2_PROGRAM);
        DeleteMediaType(type);
        if (major && sub)
            return true;
    }
}

HRESULT ISampleCaptureGraphBuilder::FindMpeg2Pin(IBaseFilter* filter, IPin** pin)
{
    if (!filter || !pin)
        return E_POINTER;
    *pin = nullptr;
    CComPtr<IEnumPins> pins;
    if (HRESULT hr = filter->EnumPins(&pins); FAILED(hr))
        return hr;
    if (!pins)
        return E_FAIL;
    pins->Reset();
    for (;;) {
        CComPtr<IPin> candidate;
        if (pins->Next(1, &candidate, nullptr) != S_OK)
            return E_FAIL;
        PIN_DIRECTION direction {};
        if (FAILED(candidate->QueryDirection(&direction)) || direction != PINDIR_OUTPUT)
            continue;
        if (IsMpeg2Pin(candidate)) {
            *pin = candidate.Detach();
            return S_OK;
        }
    }
}

HRESULT ISampleCaptureGraphBuilder::AddMpeg2Demux()
{
    if (m_outputFilter)
        return S_OK;
    if (HRESULT hr = CoCreateInstance(CLSID_MPEG2Demultiplexer, nullptr, CLSCTX_ALL, IID_IBaseFilter,
            reinterpret_cast<void**>(&m_outputFilter));
        FAILED(hr))
        return hr;
    return m_graph->AddFilter(m_outputFilter, u"MPEG2 Demux");
}

HRESULT ISampleCaptureGraphBuilder::BuildMpeg2Path(IBaseFilter* capture)
{
    if (!capture)
        return E_FAIL;
    if (HRESULT hr = AddMpeg2Demux(); FAILED(hr))
        return hr;
    CComPtr<IPin> pin;
    if (FindMpeg2Pin(capture, &pin) == S_OK && SUCCEEDED(ConnectPinToFilter(pin, m_outputFilter)))
        return S_OK;
    m_graph->RemoveFilter(m_outputFilter);
    return E_FAIL;
}

HRESULT ISampleCaptureGraphBuilder::ConnectPinToFilter(IPin* output, IBaseFilter* downstream)
{
    if (!output || !downstream)
        return E_INVALIDARG;
    PIN_DIRECTION direction {};
    if (FAILED(output->QueryDirection(&direction)) || direction != PINDIR_OUTPUT)
        return E_FAIL;
    CComPtr<IEnumPins> pins;
    if (HRESULT hr = downstream->EnumPins(&pins); FAILED(hr))
        return hr;
    for (CComPtr<IPin> candidate; pins && pins->Next(1, &candidate, nullptr) == S_OK; candidate.Release()) {
        PIN_DIRECTION side {};
        if (FAILED(candidate->QueryDirection(&side)) || side != PINDIR_INPUT)
            continue;
        if (SUCCEEDED(m_graph->ConnectDirect(output, candidate, nullptr)))
            return S_OK;
    }
    m_graph->RemoveFilter(downstream);
    return E_FAIL;
}

IPin* ISampleCaptureGraphBuilder::FindPinByName(IBaseFilter* filter, bool wantOutput, bool audio)
{
    if (!m_builder || !filter)
        return nullptr;
    CComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins || FAILED(pins->Reset()))
        return nullptr;
    const char16_t* part = audio ? u"udio" : u"ideo";
    for (CComPtr<IPin> pin; pins->Next(1, &pin, nullptr) == S_OK; pin.Release()) {
        PIN_INFO info {};
        if (FAILED(pin->QueryPinInfo(&info)))
            continue;
        if (info.pFilter)
            info.pFilter->Release();
        bool side = wantOutput ? info.dir == PINDIR_OUTPUT : info.dir == PINDIR_INPUT;
        if (side && std::u16string_view(info.achName).find(part) != std::u16string_view::npos)
            return pin.Detach();
    }
    return nullptr;
}

HRESULT ISampleCaptureGraphBuilder::CreateOutputPin(IMpeg2Demultiplexer* demultiplexer, AM_MEDIA_TYPE type, const char16_t* name,
    DWORD streamId)
{
    if (!demultiplexer)
        return E_INVALIDARG;
    CComPtr<IPin> pin;
    if (HRESULT hr = demultiplexer->CreateOutputPin(&type, const_cast<LPWSTR>(name), &pin); FAILED(hr))
        return hr;
    CComPtr<IMPEG2StreamIdMap> map;
    if (HRESULT hr = pin->QueryInterface(IID_IMPEG2StreamIdMap, reinterpret_cast<void**>(&map)); FAILED(hr))
        return hr;
    return map->MapStreamId(streamId, MPEG2_PROGRAM_ELEMENTARY_STREAM, 0, 0);
}

HRESULT ISampleCaptureGraphBuilder::CreateVideoPin(IMpeg2Demultiplexer* demultiplexer)
{
    return CreateOutputPin(demultiplexer, Mpeg2VideoType(), u"MpegVideo", m_videoStreamId);
}

HRESULT ISampleCaptureGraphBuilder::CreateAudioPin(IMpeg2Demultiplexer* demultiplexer)
{
    return CreateOutputPin(demultiplexer, Mpeg2AudioType(), u"MpegAudio", m_audioStreamId);
}

HRESULT ISampleCaptureGraphBuilder::RenderPreview(IBaseFilter* demultiplexer)
{
    if (!demultiplexer)
        return E_INVALIDARG;
    CComPtr<IMpeg2Demultiplexer> mpeg;
    if (HRESULT hr = demultiplexer->QueryInterface(IID_IMpeg2Demultiplexer, reinterpret_cast<void**>(&mpeg)); FAILED(hr))
        return hr;
    if (HRESULT hr = CreateVideoPin(mpeg); FAILED(hr))
        return hr;
    if (HRESULT hr = CreateAudioPin(mpeg); FAILED(hr))
        return hr;
    struct Branch {
        CComPtr<IBaseFilter>& tee;
        const char16_t* name;
        bool audio;
    };
    for (const Branch& branch : { Branch { m_videoTee, u"vidTee", false }, Branch { m_audioTee, u"audTee", true } }) {
        if (!branch.tee) {
            if (HRESULT hr = CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_ALL, IID_IBaseFilter,
                    reinterpret_cast<void**>(&branch.tee));
                FAILED(hr))
                return hr;
            if (HRESULT hr = m_graph->AddFilter(branch.tee, branch.name); FAILED(hr))
                return hr;
        }
        CComPtr<IPin> output;
        output.Attach(FindPinByName(m_outputFilter, true, branch.audio));
        if (!output)
            return E_FAIL;
        if (HRESULT hr = ConnectPinToFilter(output, branch.tee); FAILED(hr))
            return hr;
    }
    return S_OK;
}
