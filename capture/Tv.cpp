// The engine's construction, destruction, error box.

#include <capture/Tv.h>
#include <capture/TvEngine.h>

#include <base/Modules.h>
#include <base/Text.h>
#include <com/Apartment.h>
#include <com/ClassRegistry.h>
#include <dshow/FilterGraph.h>
#include <media/ErrorText.h>
#include <user/MessageBox.h>

namespace {

constexpr const char* kDefaultName = "<default>";

}

STv* Tv = nullptr;

STv::STv(const char* deviceName, HWND parentWindow, BYTE lineIn, BYTE debug, const char* audioRendererName,
    const char* graphFilePath)
{
    m_debug = debug;
    m_lineIn = lineIn;
    m_parentWindow = parentWindow;

    base::copy_bounded(m_deviceName, sizeof m_deviceName, deviceName ? deviceName : "");
    if (lstrcmpiA(m_deviceName, kDefaultName) == 0)
        m_deviceName[0] = 0;
    if (audioRendererName) {
        base::copy_bounded(m_audioRendererName, sizeof m_audioRendererName, audioRendererName);
        if (lstrcmpiA(m_audioRendererName, kDefaultName) == 0 || lstrcmpiA(m_audioRendererName, "-1") == 0)
            m_audioRendererName[0] = 0;
    }
    if (graphFilePath)
        base::copy_bounded(m_graphFilePath, sizeof m_graphFilePath, graphFilePath);

    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IGraphBuilder,
            reinterpret_cast<void**>(&m_graph))))
        return;
    m_graph.QueryInterface(&m_mediaPosition);

    if (STvFindTvFilter())
        SetupDevice();
}

STv::~STv()
{
    if (m_capturePrepared)
        StopRecording(false);
    RouteAudio(true);
    DeleteTunerPageControl();
    TearDownGraph();

    if (m_graph) {
        if (m_captureFilter)
            m_graph->RemoveFilter(m_captureFilter);
        if (m_companionFilter)
            m_graph->RemoveFilter(m_companionFilter);
    }
    m_mediaControl = nullptr;
    m_mediaPosition = nullptr;

    DropVideoWindow();

    m_tuner = nullptr;
    DeleteBuilder();
    m_graph = nullptr;
    m_captureFilter = nullptr;
    m_videoCompressor = nullptr;
    m_audioCompressor = nullptr;
    m_audioCaptureFilter = nullptr;
    m_audioRenderer = nullptr;
    m_videoCompression = nullptr;
    m_droppedFrames = nullptr;
    m_multiplexer = nullptr;
    m_fileSink = nullptr;
    m_muxConfig = nullptr;
    m_crossbar = nullptr;
    m_companionFilter = nullptr;

    DeleteRecordingTarget();
    // The Bt848 driver's library belongs to the driver: the engine never loads it, so it never
    // frees it.
}

int STv::ErrorBox(const char* text, HRESULT code)
{
    char message[260];
    FormatErrorText(message, sizeof message, text, code);
    return MessageBoxExA(nullptr, message, "Orbivane", MB_ICONHAND, 0);
}
