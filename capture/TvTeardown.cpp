// Tearing down the graph behind the capture filter.

#include <capture/SampleCaptureGraphBuilder.h>
#include <capture/Tv.h>

#include <base/Clock.h>

bool STv::TearDownGraph()
{
    m_fileSink = nullptr;
    m_muxConfig = nullptr;
    m_multiplexer = nullptr;

    DropVideoWindow();

    if (m_captureFilter)
        RemoveDownstream(m_captureFilter);
    if (m_audioCaptureFilter)
        RemoveDownstream(m_audioCaptureFilter);

    m_captureGraphActive = 0;
    m_previewBuilt = 0;
    m_noPreviewPin = 0;

    if (m_builder)
        m_builder->ReleaseAll();

    if (m_graphRegistration)
        RemoveFromRot(m_graphRegistration);
    return true;
}

void STv::DropVideoWindow()
{
    if (!m_videoWindow)
        return;
    m_videoWindow->put_Visible(OAFALSE);
    Sleep(60);
    m_videoWindow->put_Owner(0);
    Sleep(60);
    m_videoWindow = nullptr;
}

bool STv::RemoveDownstream(IBaseFilter* filter)
{
    if (!m_graph || !filter)
        return false;

    CComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return true;
    pins->Reset();

    for (;;) {
        IPin* pin = nullptr;
        if (pins->Next(1, &pin, nullptr) != S_OK)
            break;
        IPin* peer = nullptr;
        pin->ConnectedTo(&peer);
        if (peer) {
            PIN_INFO info {};
            if (SUCCEEDED(peer->QueryPinInfo(&info))) {
                if (info.dir == PINDIR_INPUT) {
                    RemoveDownstream(info.pFilter);
                    m_graph->Disconnect(peer);
                    m_graph->Disconnect(pin);
                    m_graph->RemoveFilter(info.pFilter);
                }
                if (info.pFilter)
                    info.pFilter->Release();
            }
            peer->Release();
        }
        pin->Release();
    }
    return true;
}
