#pragma once

// The file writer (CLSID_FileWriter): one input, "in", taking a byte stream (MEDIATYPE_Stream),
// and IFileSinkFilter for the file's name.
//
// SetFileName takes a Windows-form path (base/Path.h) and checks at once that the file can be
// written: a missing folder fails with HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), no permission
// with ERROR_ACCESS_DENIED, a file another writer holds open with ERROR_SHARING_VIOLATION. The
// file is created or truncated when the filter pauses and held open (others may only read it)
// until it stops.
//
// Two ways bytes reach the file: samples received on "in" are written at the byte offset their
// start time gives (after the last write when they carry no time); and the AVI multiplexer,
// whose output pin finds IFileWriterTarget on "in", has its AVI writer fill the opened file
// directly, so a recording costs no copies between the two filters.

#include <dshow/BaseFilter.h>
#include <dshow/FileInterfaces.h>
#include <dshow/Pins.h>

#include <string>

// The multiplexer's way to the file: not a public interface of the platform.
DEFINE_GUID(IID_IFileWriterTarget, 0x0B1A5E01, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x01);

struct IFileWriterTarget : IUnknown {
    // Creates or truncates the file if the writer has not yet (it pauses first as a rule) and
    // gives its Linux path, for the caller to write. Fails as opening the file failed.
    STDMETHOD(OpenTarget)(std::string* linux_path) PURE;
};
COM_INTERFACE(IFileWriterTarget, IID_IFileWriterTarget, IUnknown);

namespace dshow {

class FileWriter final : public BaseFilter, public IFileSinkFilter {
public:
    FileWriter();
    ~FileWriter() override;

    DSHOW_FORWARD_UNKNOWN(BaseFilter)

    // IFileSinkFilter: E_POINTER, E_INVALIDARG (empty), VFW_E_WRONG_STATE unless stopped, or
    // the failure of the check described above.
    STDMETHODIMP SetFileName(LPCOLESTR file, const AM_MEDIA_TYPE* type) override;
    // E_FAIL (and NULL) before a name was set.
    STDMETHODIMP GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) override;

    // The name as given, in UTF-8 (empty when none).
    std::string file_name() const;
    // Bytes written through received samples.
    ULONGLONG bytes_received() const;
    // End-of-stream notices received since the last pause.
    int ends() const;

protected:
    void* find_interface(REFIID iid) override;

private:
    class Input;
    friend class Input;

    HRESULT on_pause() override;
    HRESULT on_stop() override;

    HRESULT open_file(std::string* linux_path);
    HRESULT write_sample(IMediaSample* sample);

    Input* m_input;
    mutable std::mutex m_file_lock;
    std::u16string m_name;
    MediaType m_type;
    HANDLE m_file { nullptr };
    ULONGLONG m_position { 0 };
    ULONGLONG m_received { 0 };
    int m_ends { 0 };
};

}
