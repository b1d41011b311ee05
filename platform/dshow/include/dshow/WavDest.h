#pragma once

// The WAV multiplexer (CLSID_WavDest, the platform's own class): one input, "Input", taking
// sound in any WAVEFORMATEX format (PCM or compressed), and one output, "Wave Out"
// (MEDIATYPE_Stream, MEDIASUBTYPE_WAVE), to the file writer (FileWriter.h).
//
// When the filter pauses from stopped it opens the file the writer behind it created and writes
// the RIFF 'WAVE' header with the input's format ('fmt ', a 'fact' chunk for compressed sound,
// 'data'); samples are appended as they arrive; Stop patches the sizes and the sample count and
// closes the file, so a file is complete after every stop. Errors are the system's, as
// AviWriter reports them; after one the filter refuses further samples.
//
//     builder->SetFiltergraph(graph);   // ... audio pin -> "Input"; "Wave Out" -> file writer "in"

#include <dshow/BaseFilter.h>
#include <dshow/Pins.h>

#include <cstdio>
#include <mutex>
#include <vector>

DEFINE_GUID(CLSID_WavDest, 0x0B1A5E02, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x02);
DEFINE_GUID(MEDIASUBTYPE_WAVE, 0xE436EB8B, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

namespace dshow {

class FileStreamPin;

class WavDest final : public BaseFilter {
public:
    WavDest();
    ~WavDest() override;

    // The result of completing the last file (S_OK before any).
    HRESULT last_result() const;

private:
    class Input;
    friend class Input;

    HRESULT on_pause() override;
    HRESULT on_stop() override;
    HRESULT receive(IMediaSample* sample);
    HRESULT write(const void* data, std::size_t size);

    Input* m_input;
    FileStreamPin* m_output;
    mutable std::mutex m_write_lock;
    std::FILE* m_file { nullptr };
    std::vector<BYTE> m_format; // the 'fmt ' contents
    bool m_compressed { false };
    ULONGLONG m_data_bytes { 0 };
    HRESULT m_error { S_OK };
    HRESULT m_last_result { S_OK };
};

}
