// AVI capture: the engine's graph extended into a capture graph (capture pin, optional
// compressor, AVI multiplexer, file writer; the sound from the device's own audio pin through a
// Smart Tee that keeps the preview sound, or from a separate audio capture device), started
// with the capture pin held off until the graph runs, and stopped again.

#include <capture/SampleCaptureGraphBuilder.h>
#include <capture/Tv.h>

#include <media/MediaIn.h>

#include <base/Clock.h>
#include <base/Text.h>
#include <com/ClassRegistry.h>
#include <dshow/CaptureInterfaces.h>
#include <dshow/MediaType.h>
#include <dshow/MuxInterfaces.h>
#include <dshow/PinCategory.h>
#include <dshow/FileWriter.h>
#include <dshow/SystemFilters.h>
#include <dshow/WavDest.h>

namespace {

constexpr const char* kTempCaptureFile = ".\\tmp.avi";

}

bool STv::StartCapture(const char* path, const char* videoCompressorName, const char* audioCompressorName,
    const char* audioDeviceName)
{
    if (m_capturePrepared)
        return true;
    if (!m_mediaControl && m_graph)
        m_graph.QueryInterface(&m_mediaControl);
    if (!m_mediaControl)
        return false;
    if (m_captureGraphActive) {
        m_mediaControl->Run();
        m_running = 1;
        m_capturePrepared = 1;
        return true;
    }
    if (path)
        base::copy_bounded(m_captureFile, sizeof m_captureFile, path);

    BYTE wasShown = m_captureIsMpeg2 ? 0 : m_videoShown;
    if (m_running) {
        Stop();
        ReleasePreviewWindow();
        if (m_debug)
            PublishGraph();
        m_videoShown = 0;
    }
    if (m_previewBuilt)
        TearDownGraph();

    SelectVideoCompressor(videoCompressorName);
    SelectAudioCompressor(audioCompressorName);

    if (!m_captureGraphActive && !STvBuildCaptureGraph(audioDeviceName))
        return false;
    if (wasShown)
        STvBuildPreviewGraph();
    if (!m_mediaControl)
        return false;

    m_droppedBaseline = 0;
    m_passedBaseline = 0;

    REFERENCE_TIME never = MAXLONGLONG;
    bool streamControl = m_builder
        && m_builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, nullptr, &never, nullptr, 0, 0) == S_OK;
    if (streamControl)
        m_mediaControl->Run();
    else
        m_mediaControl->Pause();
    if (streamControl && !m_droppedFrames)
        BuilderFindInterface(&PIN_CATEGORY_CAPTURE, nullptr, IID_IAMDroppedFrames, reinterpret_cast<void**>(&m_droppedFrames));

    if (m_builder)
        m_builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, nullptr, nullptr, &never, 0, 0);
    if (m_droppedFrames) {
        m_droppedFrames->GetNumDropped(&m_droppedBaseline);
        m_droppedFrames->GetNumNotDropped(&m_passedBaseline);
    }
    if (!streamControl && m_mediaControl->Run() != S_OK)
        return false;
    m_running = 1;
    m_capturePrepared = 1;
    if (wasShown) {
        STvGrabPreviewWindow();
        m_videoShown = 1;
    }
    return true;
}

bool STv::STvBuildCaptureGraph(const char* audioDeviceName)
{
    if (m_captureGraphActive)
        return true;
    if (m_capturePrepared || !m_captureFilter || !m_builder || !m_graph)
        return false;

    if (!m_captureFile[0])
        base::copy_bounded(m_captureFile, sizeof m_captureFile, kTempCaptureFile);
    WCHAR file[260] {};
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, m_captureFile, -1, file, 260);
    file[259] = 0;

    m_multiplexer = nullptr;
    m_fileSink = nullptr;
    HRESULT hr = m_builder->SetOutputFileName(&MEDIASUBTYPE_Avi, file, &m_multiplexer, &m_fileSink);
    if (hr != S_OK) {
        ErrorBox("Cannot set output file.   (STvBuildCaptureGraph)", hr);
        return false;
    }
    m_muxConfig = nullptr;
    if (m_multiplexer.QueryInterface(&m_muxConfig) == S_OK)
        m_muxConfig->SetOutputCompatibilityIndex(TRUE);

    if (m_captureIsMpeg2) {
        BuilderRenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, m_captureFilter, m_videoCompressor, m_multiplexer);
        hr = BuilderRenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, m_captureFilter, m_audioCompressor, m_multiplexer);
    } else {
        hr = BuilderRenderStream(&PIN_CATEGORY_CAPTURE, nullptr, m_captureFilter, m_videoCompressor, m_multiplexer);
    }
    if (m_debug)
        PublishGraph();
    if (hr != S_OK) {
        ErrorBox("Cannot render video capture stream.   (STvBuildCaptureGraph)", hr);
        return false;
    }

    if (!m_captureIsMpeg2)
        RenderCaptureAudio(audioDeviceName, m_multiplexer);
    if (m_debug)
        PublishGraph();
    m_captureGraphActive = 1;

    CComPtr<IConfigAviMux> master;
    if (SUCCEEDED(m_multiplexer.QueryInterface(&master)))
        master->SetMasterStream(1);
    CComPtr<IConfigInterleaving> interleaving;
    if (SUCCEEDED(m_multiplexer.QueryInterface(&interleaving)))
        interleaving->put_Mode(INTERLEAVE_CAPTURE);
    return true;
}

void STv::RenderCaptureAudio(const char* audioDeviceName, IBaseFilter* sink)
{
    CComPtr<IPin> audioPin;
    audioPin.Attach(FindAudioPin(m_captureFilter));
    if (audioPin) {
        CComPtr<IPin> peer;
        audioPin->ConnectedTo(&peer);
        m_graph->Disconnect(audioPin);
        if (peer)
            m_graph->Disconnect(peer);
        if (!peer && m_audioRenderer) {
            // The teardown before took the preview's renderer out; its sound keeps playing.
            AddAudioRendererToGraph();
            GetUnconnectedPin(m_audioRenderer, PINDIR_INPUT, &peer);
        }

        CComPtr<IBaseFilter> tee;
        if (SUCCEEDED(CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                reinterpret_cast<void**>(&tee)))
            && FAILED(m_graph->AddFilter(tee, u"Tee")))
            tee = nullptr;
        if (tee) {
            ConnectPinToFilter(audioPin, tee);
            CComPtr<IPin> capture;
            tee->FindPin(u"Capture", &capture);
            if (capture) {
                if (m_audioCompressor) {
                    ConnectPinToFilter(capture, m_audioCompressor);
                    ConnectFilters(m_audioCompressor, sink);
                } else {
                    ConnectPinToFilter(capture, sink);
                }
            }
            CComPtr<IPin> preview;
            tee->FindPin(u"Preview", &preview);
            if (preview && peer)
                preview->Connect(peer, nullptr);
        } else if (m_audioCompressor) {
            ConnectPinToFilter(audioPin, m_audioCompressor);
            ConnectFilters(m_audioCompressor, sink);
        } else {
            ConnectPinToFilter(audioPin, sink);
        }
        return;
    }
    if (!audioDeviceName)
        return;
    SelectAudioCaptureDevice(audioDeviceName);
    if (!m_audioCaptureFilter)
        return;
    HRESULT hr = BuilderRenderStream(&PIN_CATEGORY_CAPTURE, nullptr, m_audioCaptureFilter, m_audioCompressor, sink);
    if (hr != S_OK)
        ErrorBox("Cannot render audio capture stream.   (STvBuildCaptureGraph)", hr);
}

bool STv::StartSoundCapture(const char* path, const char* audioCompressorName, const char* audioDeviceName)
{
    if (m_capturePrepared)
        return true;
    if (!m_mediaControl && m_graph)
        m_graph.QueryInterface(&m_mediaControl);
    if (!m_mediaControl || !m_captureFilter || !m_graph)
        return false;
    if (path)
        base::copy_bounded(m_captureFile, sizeof m_captureFile, path);
    if (!m_captureFile[0])
        base::copy_bounded(m_captureFile, sizeof m_captureFile, ".\\tmp.wav");

    BYTE wasShown = m_captureIsMpeg2 ? 0 : m_videoShown;
    if (m_running) {
        Stop();
        ReleasePreviewWindow();
        m_videoShown = 0;
    }
    TearDownGraph();
    SelectAudioCompressor(audioCompressorName);

    WCHAR file[260] {};
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, m_captureFile, -1, file, 260);
    file[259] = 0;
    CComPtr<IBaseFilter> wave;
    CComPtr<IBaseFilter> writer;
    HRESULT hr = CoCreateInstance(CLSID_WavDest, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&wave));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_FileWriter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&writer));
    CComPtr<IFileSinkFilter> sink;
    if (SUCCEEDED(hr))
        hr = writer.QueryInterface(&sink);
    if (SUCCEEDED(hr))
        hr = sink->SetFileName(file, nullptr);
    if (FAILED(hr)) {
        ErrorBox("Cannot set output file.   (StartSoundCapture)", hr);
        return false;
    }
    m_graph->AddFilter(wave, u"WAV Dest");
    m_graph->AddFilter(writer, u"File Writer");
    ConnectFilters(wave, writer);
    m_multiplexer = wave;
    m_fileSink = sink;

    if (m_captureIsMpeg2)
        hr = BuilderRenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, m_captureFilter, m_audioCompressor, wave);
    else
        RenderCaptureAudio(audioDeviceName, wave);
    CComPtr<IPin> input;
    wave->FindPin(u"Input", &input);
    CComPtr<IPin> source;
    if (!input || input->ConnectedTo(&source) != S_OK) {
        ErrorBox("Cannot render audio capture stream.   (StartSoundCapture)", FAILED(hr) ? hr : E_FAIL);
        TearDownGraph();
        if (wasShown)
            STvShow(true);
        return false;
    }
    if (m_debug)
        PublishGraph();
    m_captureGraphActive = 1;
    if (wasShown)
        STvBuildPreviewGraph();
    // Capture pins an earlier capture left switched off pass again.
    REFERENCE_TIME never = MAXLONGLONG;
    if (m_builder)
        m_builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, nullptr, nullptr, &never, 0, 0);
    if (SUCCEEDED(m_mediaControl->Run())) {
        m_running = 1;
        m_capturePrepared = 1;
    }
    if (wasShown) {
        STvGrabPreviewWindow();
        m_videoShown = 1;
    }
    return m_capturePrepared != 0;
}

bool STv::StopRecording(bool restartPreview)
{
    BYTE shown = m_videoShown;
    if (m_recordingTarget) {
        m_recordingTarget->Stop();
        DeleteRecordingTarget();
        if (!restartPreview)
            return true;
        Sleep(1000);
        if (!m_captureFilter) {
            if (!STvFindTvFilter())
                return false;
            SetupDevice();
            STvShow(shown != 0);
        }
        return true;
    }

    if (!m_mediaControl)
        return false;
    if (m_mediaControl->Stop() != S_OK)
        return false;
    m_running = 0;
    m_capturePrepared = 0;
    TearDownGraph();
    if (shown)
        STvShow(true);
    return true;
}
