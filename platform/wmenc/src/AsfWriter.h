#pragma once

// Writes one ASF file (internal): the picture as WMV version 8 and the sound as WMA version 2,
// at a profile's size, frame rate, sampling rate and bit rates, with text metadata in the
// file's content description (title, author, copyright, description, rating) and extended
// content description (any other name). Built on libavformat's ASF muxer and libavcodec's
// "wmv2" and "wmav2" encoders; libswscale and libswresample bring the input to the profile.
//
// Inputs are the capture formats: YUY2 or bottom-up RGB24 pictures of any size, 16-bit PCM of
// any rate and 1 or 2 channels, each timestamped in stream time (100 ns units). Pictures are
// taken at the profile's frame rate (extra ones dropped); sound is written without gaps from its
// first sample. write_video and write_audio may be called from different threads.
//
//     AsfWriter w;
//     w.open("/home/ann/news.wmv", profile, streams, metadata);
//     w.write_video(frame, AsfWriter::Picture::Yuy2, 720, 576, start);
//     w.write_audio(pcm, bytes, 44100, 2, start);
//     w.close();                    // flushes the encoders, writes the index, completes the header

#include <wmenc/Profiles.h>

#include <base/Errors.h>
#include <base/Types.h>
#include <dshow/MediaFormats.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace wmenc::detail {

using Metadata = std::vector<std::pair<std::string, std::string>>;

class AsfWriter {
public:
    enum class Picture { Yuy2, Rgb24 };

    AsfWriter();
    ~AsfWriter();
    AsfWriter(const AsfWriter&) = delete;
    AsfWriter& operator=(const AsfWriter&) = delete;

    // Creates the file with a video stream (when `video` and the profile has one) and an audio
    // stream (likewise). E_INVALIDARG for no stream at all, STG_E_ACCESSDENIED or E_FAIL when the
    // file cannot be written.
    HRESULT open(const std::string& linux_path, const Profile& profile, bool video, bool audio, const Metadata& metadata);
    HRESULT write_video(const BYTE* data, Picture format, int width, int height, REFERENCE_TIME start);
    HRESULT write_audio(const BYTE* pcm, std::size_t bytes, int rate, int channels, REFERENCE_TIME start);
    // Completes the file; later writes are ignored. Returns the first failure of the recording.
    HRESULT close();

    bool is_open() const;
    bool has_video() const;
    bool has_audio() const;
    // Bytes written to the file so far.
    LONGLONG bytes() const;
    // Milliseconds of content written so far (the longer stream).
    LONG duration_ms() const;

private:
    struct State;
    mutable std::mutex m_lock;
    std::unique_ptr<State> m_state;
};

}
