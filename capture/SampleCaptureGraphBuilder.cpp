// The engine's capture graph builder: forwarding to the system builder, and the choice between
// a direct render and a render from the MPEG-2 chain's tees.

#include <capture/SampleCaptureGraphBuilder.h>

#include <com/ClassRegistry.h>

ISampleCaptureGraphBuilder::ISampleCaptureGraphBuilder()
{
    m_creation = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_ALL, IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&m_builder));
}

ISampleCaptureGraphBuilder::~ISampleCaptureGraphBuilder() = default;

HRESULT ISampleCaptureGraphBuilder::AllocCapFile(LPCOLESTR file, DWORDLONG size)
{
    return m_builder ? m_builder->AllocCapFile(file, size) : missing();
}

HRESULT ISampleCaptureGraphBuilder::ControlStream(const GUID* category, IBaseFilter* filter, REFERENCE_TIME* start, REFERENCE_TIME* stop,
    WORD start_cookie, WORD stop_cookie)
{
    return ControlStream(category, nullptr, filter, start, stop, start_cookie, stop_cookie);
}

HRESULT ISampleCaptureGraphBuilder::ControlStream(const GUID* category, const GUID* type, IBaseFilter* filter, REFERENCE_TIME* start,
    REFERENCE_TIME* stop, WORD start_cookie, WORD stop_cookie)
{
    return m_builder ? m_builder->ControlStream(category, type, filter, start, stop, start_cookie, stop_cookie) : missing();
}

HRESULT ISampleCaptureGraphBuilder::CopyCaptureFile(LPOLESTR old_file, LPOLESTR new_file, int allow_escape_abort,
    IAMCopyCaptureFileProgress* callback)
{
    return m_builder ? m_builder->CopyCaptureFile(old_file, new_file, allow_escape_abort, callback) : missing();
}

HRESULT ISampleCaptureGraphBuilder::FindInterface(const GUID* category, IBaseFilter* filter, REFIID iid, void** out)
{
    return FindInterface(category, nullptr, filter, iid, out);
}

HRESULT ISampleCaptureGraphBuilder::FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID iid, void** out)
{
    return m_builder ? m_builder->FindInterface(category, type, filter, iid, out) : missing();
}

HRESULT ISampleCaptureGraphBuilder::FindPin(IUnknown* source, PIN_DIRECTION direction, const GUID* category, const GUID* type,
    BOOL unconnected, int index, IPin** pin)
{
    return m_builder ? m_builder->FindPin(source, direction, category, type, unconnected, index, pin) : missing();
}

HRESULT ISampleCaptureGraphBuilder::GetFiltergraph(IGraphBuilder** graph)
{
    return m_builder ? m_builder->GetFiltergraph(graph) : missing();
}

HRESULT ISampleCaptureGraphBuilder::RenderStream(const GUID* category, IUnknown* source, IBaseFilter* compressor, IBaseFilter* renderer)
{
    return RenderStream(category, nullptr, source, compressor, renderer);
}

HRESULT ISampleCaptureGraphBuilder::RenderStream(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* compressor,
    IBaseFilter* renderer)
{
    if (!m_graph) {
        if (HRESULT hr = GetFiltergraph(&m_graph); FAILED(hr))
            return hr;
    }
    CComPtr<IBaseFilter> filter;
    if (!source || FAILED(source->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter))) || !filter)
        return E_INVALIDARG;
    if (!IsMpeg2Capture(filter))
        return m_builder->RenderStream(category, type, source, compressor, renderer);

    if (!m_outputFilter) {
        if (HRESULT hr = BuildMpeg2Path(filter); FAILED(hr)) {
            // A chain that failed is not a chain: the next render tries again.
            m_outputFilter = nullptr;
            return hr;
        }
        RenderPreview(m_outputFilter);
    }
    // Compared by value, so an equal type from anywhere picks the sound tee.
    IBaseFilter* tee = type && IsEqualGUID(*type, MEDIATYPE_Audio) ? m_audioTee.p : m_videoTee.p;
    HRESULT hr = m_builder->RenderStream(nullptr, type, tee, compressor, renderer);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT ISampleCaptureGraphBuilder::SetFiltergraph(IGraphBuilder* graph)
{
    return m_builder ? m_builder->SetFiltergraph(graph) : missing();
}

HRESULT ISampleCaptureGraphBuilder::SetOutputFileName(const GUID* type, LPCOLESTR file, IBaseFilter** mux, IFileSinkFilter** sink)
{
    if (!type || !file || !mux || !sink)
        return E_INVALIDARG;
    return m_builder ? m_builder->SetOutputFileName(type, file, mux, sink) : missing();
}

void ISampleCaptureGraphBuilder::ReleaseAll()
{
    m_outputFilter = nullptr;
    m_videoTee = nullptr;
    m_audioTee = nullptr;
}

bool ISampleCaptureGraphBuilder::IsMpeg2Capture(IBaseFilter* filter)
{
    CComPtr<IPin> pin;
    return filter && FindMpeg2Pin(filter, &pin) == S_OK;
}
