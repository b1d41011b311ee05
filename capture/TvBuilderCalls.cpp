// The engine's calls of its capture graph builder, in one place.

#include <capture/SampleCaptureGraphBuilder.h>
#include <capture/Tv.h>

bool STv::NewBuilder()
{
    DeleteBuilder();
    m_builder = new ISampleCaptureGraphBuilder;
    return true;
}

void STv::DeleteBuilder()
{
    delete m_builder;
    m_builder = nullptr;
}

HRESULT STv::BuilderSetFiltergraph()
{
    return m_builder ? m_builder->SetFiltergraph(m_graph) : E_UNEXPECTED;
}

HRESULT STv::BuilderFindInterface(const GUID* category, const GUID* type, REFIID iid, void** out)
{
    if (!m_builder || !m_captureFilter) {
        if (out)
            *out = nullptr;
        return E_UNEXPECTED;
    }
    return m_builder->FindInterface(category, type, m_captureFilter, iid, out);
}

bool STv::BuilderIsMpeg2Capture()
{
    return m_builder && m_builder->IsMpeg2Capture(m_captureFilter);
}

HRESULT STv::BuilderRenderStream(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* compressor,
    IBaseFilter* renderer)
{
    return m_builder ? m_builder->RenderStream(category, type, source, compressor, renderer) : E_UNEXPECTED;
}
