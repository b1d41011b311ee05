#include <base/Files.h>
#include <base/Path.h>
#include <base/Text.h>
#include <com/TaskMemory.h>
#include <dshow/FileWriter.h>
#include <dshow/SystemFilters.h>

#include <cstring>

namespace dshow {

namespace {

HRESULT last_error_result()
{
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}

class FileWriter::Input final : public InputPin, public IFileWriterTarget {
public:
    Input(BaseFilter& filter, std::u16string name)
        : InputPin(filter, std::move(name))
    {
    }
    FileWriter& writer() const { return static_cast<FileWriter&>(filter()); }

    DSHOW_FORWARD_UNKNOWN(InputPin)

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return IsEqualGUID(type.majortype, MEDIATYPE_Stream) ? S_OK : S_FALSE; }
    HRESULT receive(IMediaSample* sample) override { return writer().write_sample(sample); }
    HRESULT end_of_stream() override
    {
        std::lock_guard guard(writer().m_file_lock);
        ++writer().m_ends;
        return S_OK;
    }
    STDMETHODIMP OpenTarget(std::string* linux_path) override { return writer().open_file(linux_path); }

protected:
    void* find_interface(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_IFileWriterTarget))
            return static_cast<IFileWriterTarget*>(this);
        return InputPin::find_interface(iid);
    }
};

FileWriter::FileWriter()
    : BaseFilter(CLSID_FileWriter)
{
    m_input = make_pin<Input>(u"in");
}

FileWriter::~FileWriter()
{
    on_stop();
}

void* FileWriter::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IFileSinkFilter))
        return static_cast<IFileSinkFilter*>(this);
    return BaseFilter::find_interface(iid);
}

STDMETHODIMP FileWriter::SetFileName(LPCOLESTR file, const AM_MEDIA_TYPE* type)
{
    if (!file)
        return E_POINTER;
    std::u16string name(file, base::u16_length(file));
    if (name.empty())
        return E_INVALIDARG;
    if (!is_stopped())
        return VFW_E_WRONG_STATE;
    // Check now that the file can be written, without leaving a file that was not there.
    std::string path = base::to_utf8(name);
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return last_error_result();
    bool existed = GetLastError() == static_cast<DWORD>(ERROR_ALREADY_EXISTS);
    CloseHandle(probe);
    if (!existed)
        DeleteFileA(path.c_str());

    std::lock_guard guard(m_file_lock);
    m_name = std::move(name);
    m_type = type ? MediaType(*type) : MediaType();
    return S_OK;
}

STDMETHODIMP FileWriter::GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type)
{
    if (!file)
        return E_POINTER;
    *file = nullptr;
    std::lock_guard guard(m_file_lock);
    if (m_name.empty())
        return E_FAIL;
    auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc((m_name.size() + 1) * sizeof(WCHAR)));
    if (!copy)
        return E_OUTOFMEMORY;
    std::memcpy(copy, m_name.c_str(), (m_name.size() + 1) * sizeof(WCHAR));
    if (type && FAILED(CopyMediaType(type, &m_type.get()))) {
        CoTaskMemFree(copy);
        return E_OUTOFMEMORY;
    }
    *file = copy;
    return S_OK;
}

std::string FileWriter::file_name() const
{
    std::lock_guard guard(m_file_lock);
    return base::to_utf8(m_name);
}

ULONGLONG FileWriter::bytes_received() const
{
    std::lock_guard guard(m_file_lock);
    return m_received;
}

int FileWriter::ends() const
{
    std::lock_guard guard(m_file_lock);
    return m_ends;
}

HRESULT FileWriter::open_file(std::string* linux_path)
{
    std::lock_guard guard(m_file_lock);
    if (m_name.empty())
        return E_FAIL;
    std::string path = base::to_utf8(m_name);
    if (!m_file) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return last_error_result();
        m_file = file;
        m_position = 0;
        m_ends = 0;
    }
    if (linux_path)
        *linux_path = base::resolve_path(path);
    return S_OK;
}

HRESULT FileWriter::on_pause()
{
    return open_file(nullptr);
}

HRESULT FileWriter::on_stop()
{
    std::lock_guard guard(m_file_lock);
    if (m_file) {
        CloseHandle(m_file);
        m_file = nullptr;
    }
    return S_OK;
}

HRESULT FileWriter::write_sample(IMediaSample* sample)
{
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)))
        return E_POINTER;
    LONG length = sample->GetActualDataLength();
    REFERENCE_TIME start = 0, stop = 0;
    std::lock_guard guard(m_file_lock);
    if (!m_file)
        return VFW_E_WRONG_STATE;
    ULONGLONG offset = SUCCEEDED(sample->GetTime(&start, &stop)) && start >= 0 ? static_cast<ULONGLONG>(start) : m_position;
    LARGE_INTEGER to {};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(m_file, to, nullptr, FILE_BEGIN))
        return last_error_result();
    DWORD written = 0;
    if (length > 0 && (!WriteFile(m_file, data, static_cast<DWORD>(length), &written, nullptr) || written != static_cast<DWORD>(length)))
        return last_error_result();
    m_position = offset + static_cast<ULONGLONG>(length);
    m_received += static_cast<ULONGLONG>(length);
    return S_OK;
}

}
