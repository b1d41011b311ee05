#pragma once

// The AVI multiplexer (CLSID_AviDest): inputs "Input 01", "Input 02", ... for video and sound,
// output "AVI Out" (MEDIATYPE_Stream, MEDIASUBTYPE_Avi) to the file writer (FileWriter.h).
//
// There is always one free input: connecting one adds the next. Inputs take video with a
// FORMAT_VideoInfo format and sound with FORMAT_WaveFormatEx (PCM, MPEG audio and other wave
// formats); anything else, MPEG-2 video included, is refused so the graph looks for a decoder.
// Each connected input is one stream of the file, numbered in pin order from 0.
//
// The file itself is dshow::AviWriter's work (AviWriter.h): when the filter pauses from stopped
// it describes the streams, applies the IConfigAviMux and IConfigInterleaving settings and
// opens the file the writer behind "AVI Out" created; samples are written as they arrive (the
// inputs are serialised); Stop completes the file (indexes, sizes, master-stream timing) and
// returns the result. When every connected input has ended, the end passes downstream.
// Settings change only while stopped (VFW_E_WRONG_STATE otherwise).

#include <dshow/AviWriter.h>
#include <dshow/BaseFilter.h>
#include <dshow/MuxInterfaces.h>
#include <dshow/Pins.h>

#include <memory>

namespace dshow {

class FileStreamPin;

class AviMux final : public BaseFilter, public IConfigAviMux, public IConfigInterleaving {
public:
    AviMux();
    ~AviMux() override;

    DSHOW_FORWARD_UNKNOWN(BaseFilter)

    // IConfigAviMux
    STDMETHODIMP SetMasterStream(LONG stream) override;
    STDMETHODIMP GetMasterStream(LONG* stream) override;
    STDMETHODIMP SetOutputCompatibilityIndex(BOOL old_index) override;
    STDMETHODIMP GetOutputCompatibilityIndex(BOOL* old_index) override;
    // IConfigInterleaving
    STDMETHODIMP put_Mode(InterleavingMode mode) override;
    STDMETHODIMP get_Mode(InterleavingMode* mode) override;
    STDMETHODIMP put_Interleaving(const REFERENCE_TIME* interleave, const REFERENCE_TIME* preroll) override;
    STDMETHODIMP get_Interleaving(REFERENCE_TIME* interleave, REFERENCE_TIME* preroll) override;

    // Options for the next file beyond the configuration interfaces (RIFF size for OpenDML...).
    AviWriterOptions& options() { return m_options; }
    // The result of completing the last file (S_OK before any).
    HRESULT last_result() const;

protected:
    void* find_interface(REFIID iid) override;

private:
    class Input;
    friend class Input;

    HRESULT on_pause() override;
    HRESULT on_stop() override;

    void add_input();
    HRESULT receive(Input& pin, IMediaSample* sample);
    HRESULT end_of_stream(Input& pin);

    FileStreamPin* m_output;
    int m_inputs_made { 0 };
    AviWriterOptions m_options;
    LONG m_master { -1 };

    mutable std::mutex m_write_lock;
    std::unique_ptr<AviWriter> m_writer;
    int m_streams { 0 };
    int m_ended { 0 };
    HRESULT m_last_result { S_OK };
};

}
