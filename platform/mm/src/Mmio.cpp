#include <mm/Mmio.h>

#include <base/Errors.h>
#include <base/Files.h>
#include <base/Handles.h>

#include <memory>

namespace mm::detail {

namespace {

// An open mmio file: the file handle it reads and writes through.
class MmioFile final : public base::KernelObject {
public:
    explicit MmioFile(HANDLE file)
        : m_file(file)
    {
    }
    ~MmioFile() override
    {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
    }
    // Closes the file now; false when that failed.
    bool close()
    {
        HANDLE file = m_file;
        m_file = INVALID_HANDLE_VALUE;
        return CloseHandle(file) != FALSE;
    }

private:
    HANDLE m_file;
};

UINT open_error(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return MMIOERR_FILENOTFOUND;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
        return MMIOERR_PATHNOTFOUND;
    case ERROR_ACCESS_DENIED:
        return MMIOERR_ACCESSDENIED;
    case ERROR_SHARING_VIOLATION:
        return MMIOERR_SHARINGVIOLATION;
    case ERROR_TOO_MANY_OPEN_FILES:
        return MMIOERR_TOOMANYOPENFILES;
    default:
        return MMIOERR_CANNOTOPEN;
    }
}

}

}

HMMIO mmioOpenA(LPSTR path, LPMMIOINFO info, DWORD flags)
{
    auto fail = [info](UINT error) -> HMMIO {
        if (info)
            info->wErrorRet = error;
        return nullptr;
    };
    if (!path)
        return fail(MMSYSERR_INVALPARAM);
    HMMIO done = reinterpret_cast<HMMIO>(static_cast<UINT_PTR>(TRUE));
    if (flags == MMIO_EXIST) {
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return fail(MMIOERR_FILENOTFOUND);
        return done;
    }
    if (flags == MMIO_DELETE) {
        if (!DeleteFileA(path))
            return fail(mm::detail::open_error(GetLastError()));
        return done;
    }
    bool create = flags == (MMIO_CREATE | MMIO_WRITE);
    if (!create && flags != MMIO_READWRITE)
        return fail(MMSYSERR_NOTSUPPORTED);

    // Compatibility mode: other openers may read and write alongside.
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE file = create
        ? CreateFileA(path, GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
        : CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(mm::detail::open_error(GetLastError()));
    if (info)
        info->wErrorRet = MMSYSERR_NOERROR;
    HANDLE handle = base::Handles::add(std::make_shared<mm::detail::MmioFile>(file));
    return reinterpret_cast<HMMIO>(handle);
}

MMRESULT mmioClose(HMMIO file, UINT)
{
    HANDLE handle = reinterpret_cast<HANDLE>(file);
    auto object = base::Handles::get<mm::detail::MmioFile>(handle);
    if (!object)
        return MMSYSERR_INVALHANDLE;
    base::Handles::remove(handle);
    return object->close() ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
}
