// The live preview: rendering the capture device's preview into the graph, running it, and the
// video window inside the client window (or full screen). While a recording target records, the
// picture is the target's own preview, and showing, fitting and placing go to it.

#include <capture/Tv.h>

#include <media/MediaIn.h>

#include <base/Clock.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/MediaType.h>
#include <dshow/PinCategory.h>
#include <dshow/VfwErrors.h>
#include <user/SystemMetrics.h>

namespace {

OAHWND owner_of(HWND window)
{
    return reinterpret_cast<OAHWND>(window);
}

}

void STv::STvShow(bool on)
{
    if (m_recordingTarget) {
        m_videoShown = on ? 1 : 0;
        m_recordingTarget->ShowPreview(on);
        return;
    }
    if (!on) {
        if (m_running)
            Stop();
        ReleasePreviewWindow();
        m_videoShown = 0;
        return;
    }
    if (m_captureGraphActive)
        return; // the capture graph shows the picture already
    STvBuildPreviewGraph();
    if (!Run()) {
        ErrorBox("Could not start video preview.  (STvShow)", 0);
        return;
    }
    STvGrabPreviewWindow();
    m_videoShown = 1;
    RouteAudio(m_lineIn != 0);
    PlaceVideoWindow(GetScreenMode());
}

void STv::AddAudioRendererToGraph()
{
    FILTER_INFO info {};
    if (FAILED(m_audioRenderer->QueryFilterInfo(&info)))
        return;
    bool inGraph = info.pGraph != nullptr;
    if (info.pGraph)
        info.pGraph->Release();
    if (!inGraph)
        m_graph->AddFilter(m_audioRenderer, u"audioOut");
}

HRESULT STv::STvBuildPreviewGraph()
{
    if (m_previewBuilt || !m_captureFilter || !m_builder || !m_graph)
        return S_OK;

    CComPtr<IPin> audioPin;
    audioPin.Attach(FindAudioPin(m_captureFilter));
    if (audioPin || m_captureIsMpeg2) {
        if (!m_audioRenderer) {
            m_audioRenderer.Attach(FindFilterByFriendlyName(m_audioRendererName, CLSID_AudioRendererCategory));
            if (m_audioRenderer)
                m_graph->AddFilter(m_audioRenderer, u"audioOut");
        } else {
            AddAudioRendererToGraph();
        }
    }
    if (audioPin && !m_captureIsMpeg2) {
        m_graph->Render(audioPin);
        audioPin = nullptr;
    }

    HRESULT hr;
    if (!m_captureIsMpeg2) {
        hr = BuilderRenderStream(&PIN_CATEGORY_PREVIEW, nullptr, m_captureFilter, nullptr, nullptr);
    } else {
        BuilderRenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, m_captureFilter, nullptr, nullptr);
        hr = BuilderRenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Audio, m_captureFilter, nullptr, m_audioRenderer);
    }
    if (hr == VFW_S_NOPREVIEWPIN)
        m_noPreviewPin = 1;
    else if (hr != S_OK)
        ErrorBox("Cannot preview   (STvBuildPreviewGraph)", hr);

    m_previewBuilt = 1;
    if (m_debug)
        PublishGraph();
    return hr;
}

bool STv::Run()
{
    if (m_running)
        return true;
    if (!m_previewBuilt || !m_graph)
        return false;
    if (!m_mediaControl && (FAILED(m_graph.QueryInterface(&m_mediaControl)) || !m_mediaControl))
        return false;
    // S_FALSE: the change to running is still under way.
    if (FAILED(m_mediaControl->Run()))
        return false;
    m_running = 1;
    m_videoShown = 1;
    return true;
}

void STv::Stop()
{
    // A graph runs on without a video window as well, so it is stopped all the same.
    if (m_running && m_mediaControl && m_mediaControl->Stop() == S_OK)
        m_running = 0;
}

void STv::STvGrabPreviewWindow()
{
    if (!m_captureFilter || !m_builder || m_videoWindow)
        return;
    HRESULT hr;
    if (!m_noPreviewPin)
        hr = m_graph.QueryInterface(&m_videoWindow);
    else
        hr = BuilderFindInterface(&PIN_CATEGORY_CAPTURE, nullptr, IID_IVideoWindow, reinterpret_cast<void**>(&m_videoWindow));
    if (FAILED(hr) || !m_videoWindow) {
        m_videoWindow = nullptr;
        ErrorBox("Cannot find preview window   (STvGrabPreviewWindow)", FAILED(hr) ? hr : E_NOINTERFACE);
        return;
    }
    // No pause before the owner changes (as there is on the way back, ReleasePreviewWindow): the
    // video window has taken each change when its call returns, and a pause here would only
    // delay the first picture.
    m_videoWindow->put_Visible(OAFALSE);
    m_videoWindow->put_Owner(owner_of(m_parentWindow));
    m_videoWindow->put_WindowStyle(static_cast<LONG>(WS_CHILD));
    RECT client {};
    GetClientRect(m_parentWindow, &client);
    m_videoWindow->SetWindowPosition(0, 0, client.right, client.bottom);
    m_videoWindow->put_Visible(OATRUE);
    m_videoWindow->put_MessageDrain(owner_of(m_parentWindow));
}

void STv::ReleasePreviewWindow()
{
    if (!m_videoWindow)
        return;
    m_videoWindow->put_Visible(OAFALSE);
    Sleep(60);
    m_videoWindow->put_WindowStyle(static_cast<LONG>(WS_CAPTION | WS_THICKFRAME));
    m_videoWindow->put_Owner(0);
    Sleep(60);
    m_videoWindow = nullptr;
}

void STv::FitVideoWindow()
{
    if (m_screenMode == 1)
        return;
    if (m_recordingTarget) {
        m_recordingTarget->FitPreview();
        return;
    }
    if (!m_videoWindow)
        return;
    RECT client {};
    GetClientRect(m_parentWindow, &client);
    m_videoWindow->SetWindowPosition(client.left, client.top, client.right - client.left, client.bottom - client.top);
}

void STv::PlaceVideoWindow(LONG mode)
{
    m_screenMode = mode;
    if (!m_videoShown)
        return;
    if (m_videoWindow) {
        LONG exStyle = 0;
        if (mode == 1) {
            m_videoWindow->put_Owner(0);
            m_videoWindow->put_WindowStyle(static_cast<LONG>(WS_POPUP | WS_MAXIMIZE));
            m_videoWindow->SetWindowPosition(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
            m_videoWindow->get_WindowStyleEx(&exStyle);
            m_videoWindow->put_WindowStyleEx(static_cast<LONG>(exStyle | WS_EX_TOPMOST));
            m_videoWindow->put_WindowStyleEx(static_cast<LONG>(exStyle & ~WS_EX_TOPMOST));
        } else {
            m_videoWindow->put_Owner(owner_of(m_parentWindow));
            m_videoWindow->put_WindowStyle(static_cast<LONG>(WS_CHILD));
            RECT client {};
            GetClientRect(m_parentWindow, &client);
            m_videoWindow->SetWindowPosition(0, 0, client.right - client.left, client.bottom - client.top);
            m_videoWindow->get_WindowStyleEx(&exStyle);
            m_videoWindow->put_WindowStyleEx(static_cast<LONG>(exStyle & ~WS_EX_TOPMOST));
        }
    } else if (m_recordingTarget) {
        m_recordingTarget->SetFullScreen(mode != 0); // full window too
    }
}
