// What the client shows of a running recording: its duration, its drop ratio and the size of
// its file, read from the recording target while one exists and from the engine's graph else.

#include <capture/Tv.h>

#include <media/MediaIn.h>

#include <base/Files.h>
#include <base/Text.h>

bool STv::GetStatistic(const char* key, void* out)
{
    if (!key || !out)
        return false;
    if (lstrcmpiA(key, "duration") == 0) {
        if (m_recordingTarget) {
            *static_cast<LONG*>(out) = m_recordingTarget->GetElapsed();
            return true;
        }
        REFTIME position = 0;
        if (!m_mediaPosition || FAILED(m_mediaPosition->get_CurrentPosition(&position)))
            return false;
        *static_cast<LONG*>(out) = static_cast<LONG>(position);
        return true;
    }
    if (lstrcmpiA(key, "dropratio") == 0) {
        if (!m_droppedFrames)
            return false;
        LONG dropped = 0;
        LONG passed = 0;
        if (FAILED(m_droppedFrames->GetNumDropped(&dropped)))
            dropped = 0;
        if (FAILED(m_droppedFrames->GetNumNotDropped(&passed)))
            passed = 0;
        if (passed == 0 || passed == m_passedBaseline || dropped + passed == 0)
            return false;
        *static_cast<float*>(out) = static_cast<float>(dropped) / static_cast<float>(dropped + passed);
        return true;
    }
    return false;
}

LONG STv::GetElapsedSeconds()
{
    if (m_recordingTarget)
        return m_recordingTarget->GetElapsed();
    REFTIME position = 0;
    if (!m_mediaPosition || FAILED(m_mediaPosition->get_CurrentPosition(&position)))
        return -1;
    return static_cast<LONG>(position);
}

LONG STv::GetFileSize()
{
    if (m_recordingTarget)
        return m_recordingTarget->GetFileSize();
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!m_captureFile[0] || !GetFileAttributesExA(m_captureFile, GetFileExInfoStandard, &data))
        return -1;
    return static_cast<LONG>(data.nFileSizeLow);
}
