// The MPEG-2 capture chain of the engine's capture graph builder: which pins deliver MPEG-2,
// and the demultiplexer and tees behind them.

#include <capture/SampleCaptureGraphBuilder.h>

#include <dshow/MediaType.h>

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

// The demultiplexer chain is not available yet: MPEG-2 devices cannot be rendered.
HRESULT ISampleCaptureGraphBuilder::BuildMpeg2Path(IBaseFilter* capture)
{
    return capture ? E_NOTIMPL : E_POINTER;
}

HRESULT ISampleCaptureGraphBuilder::RenderPreview(IBaseFilter* demultiplexer)
{
    return demultiplexer ? E_NOTIMPL : E_POINTER;
}
