#pragma once

// Writes AVI files from timestamped video and sound samples: the work of the AVI multiplexer and
// the file writer, without the filter graph.
//
// Streams are described first, then the file is opened, samples are written as they arrive, and
// close() completes the file: it writes the indexes and patches every size, frame count and
// length. Past `riff_limit` bytes the file continues in OpenDML form (RIFF 'AVIX' extensions,
// 'ix##' standard indexes, an 'indx' super index per stream and the 'dmlh' frame total), so files
// of any size stay readable; the first RIFF keeps its 'idx1' for older readers.
//
//     dshow::AviWriter writer;
//     int video = writer.add_video_stream(dshow::make_yuy2_format(720, 576, UNITS / 25));
//     int audio = writer.add_audio_stream(dshow::make_pcm_format(44100, 2, 16));
//     writer.set_master_stream(audio);
//     if (FAILED(writer.open("/home/ann/Videos/news.avi"))) ...
//     writer.write(video, frame_bytes, start_time);    // from any number of threads, one at a time
//     writer.close();
//
// Interleaving (the modes of IConfigInterleaving):
// - INTERLEAVE_NONE, INTERLEAVE_NONE_BUFFERED: each sample is written when it arrives; the file
//   is not flagged as interleaved.
// - INTERLEAVE_CAPTURE: samples are written in blocks of `interleave` stream time, audio
//   `preroll` ahead of the video. Samples of the open block are written as they arrive (no copy);
//   samples of a later block wait until every stream has passed the open block. A stream never
//   waits for another more than one block: when one stream runs more than a block ahead of a
//   silent one, the block is closed without it, and late samples follow as they come. Nothing is
//   ever dropped.
// - INTERLEAVE_FULL: a block is only written once every stream has delivered past it (or ended,
//   see end_of_stream), sound of a block before its video, so the order is exact whatever the
//   arrival order. Up to
//   `queue_limit` bytes are held; beyond that the oldest block is written anyway.
// The block of a sample is its start time (minus the preroll for sound) divided by `interleave`.
//
// Timing: the file's time zero is the earliest sample time seen when the first chunk is written.
// Video chunks take one frame slot each, at start time / frame duration; a frame missing from
// the timestamps (a dropped frame) becomes an empty chunk of the stream's id, indexed with size 0
// and without the key-frame flag, so every later frame keeps its time and the sound stays in
// step. Gaps longer than an hour are not filled. A sample without a time takes the next slot; a
// sample whose slot has passed takes the next slot too. PCM sound that begins after time zero is
// preceded by silence. Sound is otherwise written back to back, as AVI has no sound timestamps.
//
// Master stream (IConfigAviMux::SetMasterStream): when the master is a sound stream with data,
// close() rewrites the timing of every video stream from the sound's duration, so both end
// together: dwMicroSecPerFrame = sound microseconds / video frames, and each video strh gets
// dwScale/dwRate equal to sound duration / frames (exact as a fraction when it fits 32 bits,
// else in 100 ns units). A master that names no stream, a video stream or a stream without
// data changes nothing.
//
// Output goes through one large buffer; video frames of 64 KB and more are written straight
// from the caller's memory together with the buffered bytes (one writev), so the cost is close
// to that of the plain file writes. Errors are HRESULTs from the system error: a folder that
// does not exist gives HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), no permission
// ERROR_ACCESS_DENIED, a full disk ERROR_DISK_FULL. After a write error the writer refuses
// further samples with the same result; close() still closes the file and reports it.
// One writer is not thread-safe: the multiplexer serialises its input pins.

#include <base/Errors.h>
#include <dshow/MediaFormats.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

enum InterleavingMode {
    INTERLEAVE_NONE = 0,
    INTERLEAVE_CAPTURE = 1,
    INTERLEAVE_FULL = 2,
    INTERLEAVE_NONE_BUFFERED = 3,
};

namespace dshow {

struct AviWriterOptions {
    InterleavingMode mode = INTERLEAVE_CAPTURE;
    REFERENCE_TIME interleave = UNITS; // stream time of one interleave block
    REFERENCE_TIME preroll = 0; // sound written this much ahead of the video
    bool compatibility_index = true; // 'idx1' in the first RIFF; false: OpenDML indexes only
    ULONGLONG riff_limit = 1ull << 30; // bytes of one RIFF before the next begins
    unsigned max_riffs = 512; // RIFFs the super indexes have room for
    std::size_t buffer_size = 4u << 20;
    std::size_t queue_limit = 64u << 20; // bytes held for interleaving at most
};

// What the writer has done so far, for the recording statistics.
struct AviWriterStats {
    ULONGLONG file_bytes = 0; // logical size of the file, buffered bytes included
    unsigned riffs = 0;
    bool open_dml = false;
};

class AviWriter {
public:
    AviWriter();
    explicit AviWriter(AviWriterOptions options);
    ~AviWriter(); // closes an open file (errors are lost: call close() to see them)

    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    AviWriterOptions& options();

    // Stream descriptions, before open(); each returns the stream number or -1 (after open(), a
    // malformed format, or more than 100 streams).
    int add_video_stream(const VIDEOINFOHEADER& format, std::string name = "Video");
    // A compressed stream whose format block goes on after the BITMAPINFOHEADER (a codec's
    // tables): biSize in the file counts them.
    int add_video_stream(const VIDEOINFOHEADER& format, std::span<const BYTE> extra, std::string name = "Video");
    // The format block is `format` followed by its `cbSize` extra bytes, which `extra` gives.
    int add_audio_stream(const WAVEFORMATEX& format, std::span<const BYTE> extra = {}, std::string name = "Audio");
    // -1 for none; see the header comment.
    void set_master_stream(int stream);
    int master_stream() const;
    int stream_count() const;

    // Creates or truncates the file (a Linux path) and writes the headers.
    HRESULT open(const std::string& path);
    bool is_open() const;

    // One sample of a stream: a video frame or a buffer of sound. `start` is its stream time;
    // `has_time` false when the sample carries none.
    HRESULT write(int stream, std::span<const BYTE> data, REFERENCE_TIME start, bool has_time = true, bool keyframe = true);
    // No more samples will come on `stream`; interleaving stops waiting for it.
    HRESULT end_of_stream(int stream);
    // Writes what is held, the indexes and the final headers, and closes the file. S_OK only when
    // every byte reached the file.
    HRESULT close();

    AviWriterStats stats() const;
    // Chunks written for a stream (video: frame slots, empty ones included).
    ULONGLONG chunks(int stream) const;
    // The first error met, S_OK when none.
    HRESULT error() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The HRESULT of a C library errno value, as the file functions report it.
HRESULT hresult_from_errno(int error);

}
