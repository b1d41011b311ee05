#pragma once

// Reads an AVI file and checks its structure strictly: what the writer promises, verified.
//
// open() walks every RIFF (the first 'AVI ' and any OpenDML 'AVIX' extensions), the headers,
// each stream's format, every chunk of the 'movi' lists, the 'idx1' index and the OpenDML
// 'indx'/'ix##' indexes, and fails with HRESULT_FROM_WIN32(ERROR_BAD_FORMAT) and a description
// (problem()) at the first inconsistency: a size that leaves its parent, a chunk of an unknown
// stream, an index entry that does not point at its chunk, a length or frame count that does not
// match the chunks, trailing bytes. Tests use it to read files back; the media player's checks
// can use it to tell a genuine file.
//
//     dshow::AviReader reader;
//     if (SUCCEEDED(reader.open(path)))
//         for (auto& stream : reader.streams()) ... stream.chunks, stream.duration_seconds()
//     std::vector<BYTE> frame;
//     reader.read_frame(0, 17, frame);

#include <base/Errors.h>
#include <dshow/AviFormat.h>

#include <string>
#include <vector>

namespace dshow {

struct AviStreamInfo {
    bool video = false;
    avi::StreamHeader header {};
    std::vector<BYTE> format; // the strf contents
    BITMAPINFOHEADER bitmap {}; // video
    WAVEFORMATEX wave {}; // sound (cbSize 0 when strf is shorter)
    std::string name; // strn, empty when absent
    FOURCC chunk_id = 0; // "00dc", "01wb" ...
    ULONGLONG chunks = 0; // data chunks in the file, empty ones included
    ULONGLONG empty_chunks = 0;
    ULONGLONG bytes = 0;
    bool super_index = false; // has an 'indx'

    // From the header's rate: video frames, or sound blocks, over dwRate / dwScale.
    double duration_seconds() const;
};

struct AviChunk {
    unsigned stream = 0;
    ULONGLONG offset = 0; // of the data, in the file
    DWORD size = 0;
    bool keyframe = false; // as the index says
    unsigned riff = 0;
};

class AviReader {
public:
    HRESULT open(const std::string& path);
    // Why open() failed.
    const std::string& problem() const { return m_problem; }

    const avi::MainHeader& main_header() const { return m_main; }
    const std::vector<AviStreamInfo>& streams() const { return m_streams; }
    // Every data chunk, in file order.
    const std::vector<AviChunk>& chunks() const { return m_chunks; }
    // The chunks of one stream, in order (frame n of a video stream is entry n).
    std::vector<AviChunk> stream_chunks(unsigned stream) const;

    unsigned riff_count() const { return m_riffs; }
    bool open_dml() const { return m_riffs > 1 || m_has_super_index; }
    bool has_idx1() const { return m_idx1_entries > 0 || m_has_idx1; }
    ULONGLONG idx1_entries() const { return m_idx1_entries; }
    // dmlh total frames; 0 without an 'odml' list.
    DWORD dml_total_frames() const { return m_dml_total_frames; }
    ULONGLONG file_size() const { return m_file_size; }

    HRESULT read_chunk(const AviChunk& chunk, std::vector<BYTE>& out) const;
    // Frame or sound buffer `index` of `stream`.
    HRESULT read_frame(unsigned stream, std::size_t index, std::vector<BYTE>& out) const;

private:
    struct Walk;
    HRESULT invalid(std::string what);

    std::string m_path;
    std::string m_problem;
    avi::MainHeader m_main {};
    std::vector<AviStreamInfo> m_streams;
    std::vector<AviChunk> m_chunks;
    unsigned m_riffs = 0;
    bool m_has_super_index = false;
    bool m_has_idx1 = false;
    ULONGLONG m_idx1_entries = 0;
    DWORD m_dml_total_frames = 0;
    ULONGLONG m_file_size = 0;
};

}
