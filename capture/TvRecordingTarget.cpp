// The engine's recording target: the object that records to a Windows Media file and shows
// its own preview while the engine's graph has given the device up.

#include <capture/Tv.h>

#include <media/WMFileIn.h>

#include <base/Clock.h>
#include <base/Text.h>

#include <cstring>

#include <utility>

void STv::DeleteRecordingTarget()
{
    // Detached first: a target's teardown may pump messages, and handlers reaching the engine
    // meanwhile must not find a target half deleted.
    delete std::exchange(m_recordingTarget, nullptr);
}

bool STv::StartWmRecording(const char* path, LONG mediaFlags, const char* audioDeviceName, const char* profileName,
    const char* copyright, const char* description, const char* title)
{
    if (m_capturePrepared)
        StopRecording(true);
    bool audioOnly = (mediaFlags & 2) == 0 || (path && std::strstr(path, ".wma"));
    if (!audioOnly) {
        // The encoder opens the device itself.
        STvShow(false);
        TearDownGraph();
        m_videoShown = 1; // the target's preview shows the picture
        // The tuner page's frame shows the device too.
        DeleteTunerPageControl();
        if (m_captureFilter) {
            if (m_graph)
                m_graph->RemoveFilter(m_captureFilter);
            m_captureFilter = nullptr;
            // Its pins' interfaces would keep the device open.
            m_videoCompression = nullptr;
            m_droppedFrames = nullptr;
            if (!m_tuner)
                Sleep(5000);
        }
    }
    if (m_recordingTarget) {
        m_recordingTarget->Stop();
        DeleteRecordingTarget();
    }
    // "-1" is how the sound page stores its default device; the encoder knows that as no name.
    if (audioDeviceName && lstrcmpA(audioDeviceName, "-1") == 0)
        audioDeviceName = nullptr;
    m_recordingTarget = new WMFileIn(path, mediaFlags, m_deviceName, audioDeviceName, profileName, m_parentWindow);
    if (title && *title)
        m_recordingTarget->SetAttribute("title", title);
    if (description && *description)
        m_recordingTarget->SetAttribute("description", description);
    if (copyright && *copyright)
        m_recordingTarget->SetAttribute("copyright", copyright);
    RouteAudio(m_lineIn != 0);
    bool result = m_recordingTarget->Start();
    m_recordingTarget->SetFullScreen(GetScreenMode() != 0);
    RouteAudio(m_lineIn != 0);
    return result;
}
