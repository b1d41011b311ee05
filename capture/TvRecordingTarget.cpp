// The engine's recording target: the object that records to a Windows Media file and shows
// its own preview while the engine's graph has given the device up.

#include <capture/Tv.h>

#include <media/MediaIn.h>

#include <utility>

void STv::DeleteRecordingTarget()
{
    // Detached first: a target's teardown may pump messages, and handlers reaching the engine
    // meanwhile must not find a target half deleted.
    delete std::exchange(m_recordingTarget, nullptr);
}
