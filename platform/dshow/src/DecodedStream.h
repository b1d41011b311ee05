#pragma once

// One stream of a media file, demuxed and decoded by FFmpeg's libraries (libavformat, libavcodec,
// libswscale, libswresample): video as top-down YUY2 frames, sound as interleaved 16-bit PCM
// (mono or stereo, the stream's own rate). The file source (FileSource.h) opens one per output
// pin, each over its own demuxer, so every pin's thread reads at its own pace.
//
// Times are media times: 100 ns units from the start of the file. seek() goes to the key frame
// before a position and decodes up to it, so the first unit next() gives begins at (video: is
// shown at) that position. With a rate other than 1, sound is resampled so that it lasts 1/rate
// times as long at the same sample rate (half speed sounds an octave lower); video is untouched
// (its times are stretched by the caller).
//
// This file and DecodedStream.cpp are the only ones of the area that see FFmpeg.

#include <dshow/MediaType.h>

#include <memory>
#include <string>
#include <vector>

namespace dshow::detail {

struct FileStreamInfo {
    int index = -1; // the stream's number in the file
    bool video = false;
    bool decodable = false; // a decoder exists and the stream's format is known
    MediaType type; // what the decoded stream gives (valid when decodable)
};

struct FileInfo {
    REFERENCE_TIME duration = 0; // 0 when unknown
    std::vector<FileStreamInfo> streams; // audio and video streams only
};

// Opens `linux_path` and describes its streams: S_OK, or VFW_E_NOT_FOUND (no such file),
// VFW_E_UNKNOWN_FILE_TYPE (not a media file FFmpeg can read).
HRESULT probe_media_file(const std::string& linux_path, FileInfo& info);

class DecodedStream {
public:
    // Opens the stream `info.index` of the file; nullptr when it cannot be decoded.
    static std::unique_ptr<DecodedStream> open(const std::string& linux_path, const FileStreamInfo& info);
    ~DecodedStream();
    DecodedStream(const DecodedStream&) = delete;
    DecodedStream& operator=(const DecodedStream&) = delete;

    // Positions the stream so that the next unit starts at `position`; false when the file
    // cannot seek there (the stream then continues from where it was).
    bool seek(REFERENCE_TIME position, double rate);
    // The next unit: its bytes and its media time span (for sound, already at the rate's length
    // as stop - start = duration / rate). False at the end of the stream or on a fatal error.
    bool next(std::vector<BYTE>& data, REFERENCE_TIME& start, REFERENCE_TIME& stop);

    // Video without a copy: next_frame decodes up to the next frame to show and gives its media
    // time span; the frame waits in the stream until take_picture writes it, as YUY2 of
    // frame_bytes(), straight into the caller's buffer (false when it cannot be converted; the
    // frame is used up either way).
    bool next_frame(REFERENCE_TIME& start, REFERENCE_TIME& stop);
    bool take_picture(BYTE* out);
    std::size_t frame_bytes() const;

private:
    struct State;
    explicit DecodedStream(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

}
