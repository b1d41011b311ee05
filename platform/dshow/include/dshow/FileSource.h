#pragma once

// The file source (CLSID_FileSource): plays a media file a user has, read and decoded by FFmpeg's
// libraries. Load (IFileSourceFilter) opens the file and makes one output pin per stream it can
// decode: "Video" gives top-down YUY2 frames, "Audio" 16-bit PCM (mono or stereo, the file's
// rate); a second stream of a kind is "Video 2", "Audio 2"... Streams it cannot decode get no pin
// and are counted in undecodable_streams(), which the graph's RenderFile reports as a partial
// render. This is what IGraphBuilder::RenderFile and AddSourceFilter use for every file. From
// Load until the filter is released the file is held open for reading with FILE_SHARE_READ, so
// others may read it but not write, move or delete it.
//
// Each pin has its own streaming thread, started when the filter pauses from stopped: it decodes
// from the start position onward and delivers samples timestamped in stream time, (media time -
// start) / rate, then the end of the stream. Stop flushes downstream (so a renderer waiting for a
// sample's time lets go) and joins the threads.
//
// IMediaSeeking (media time only): the duration of the file, SetPositions of the start position
// (a stopped filter keeps it for the next pause; a paused or running one flushes and restarts
// there), SetRate for slow or fast playback (sound resampled to the rate's length). The position
// reached is the graph's to keep: GetCurrentPosition answers the start position.

#include <dshow/BaseFilter.h>
#include <dshow/FileInterfaces.h>
#include <dshow/SeekingInterfaces.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

DEFINE_GUID(CLSID_FileSource, 0x5F0E7A41, 0x3C2B, 0x4D8E, 0x9A, 0x61, 0xB7, 0xC4, 0xE2, 0xD1, 0x9F, 0x30);

namespace dshow {

class FileSource final : public BaseFilter, public IFileSourceFilter, public IMediaSeeking {
public:
    FileSource();
    ~FileSource() override;

    DSHOW_FORWARD_UNKNOWN(BaseFilter)

    // IFileSourceFilter: `file` is a Windows-form path. VFW_E_NOT_FOUND for a missing file,
    // VFW_E_UNKNOWN_FILE_TYPE for one that is no media file, E_UNEXPECTED when loaded before.
    STDMETHODIMP Load(LPCOLESTR file, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) override;

    DSHOW_MEDIA_SEEKING_MEMBERS

    // Audio and video streams of the loaded file that have no pin.
    int undecodable_streams() const;

protected:
    void* find_interface(REFIID iid) override;

private:
    class Stream;

    HRESULT on_pause() override;
    HRESULT on_stop() override;
    void start_streams();
    void stop_streams();

    mutable std::mutex m_seek_lock;
    std::u16string m_file;
    std::string m_linux_path;
    HANDLE m_hold { INVALID_HANDLE_VALUE };
    REFERENCE_TIME m_duration { 0 };
    REFERENCE_TIME m_start { 0 };
    double m_rate { 1.0 };
    int m_undecodable { 0 };
    std::vector<Stream*> m_streams;
};

}
