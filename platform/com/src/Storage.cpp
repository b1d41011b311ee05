#include <com/Object.h>
#include <com/Storage.h>
#include <com/TaskMemory.h>

#include <base/Clock.h>
#include <base/Text.h>

#include "CompoundFileFormat.h"
#include "Text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr ULONGLONG max_stream_size = 0x7FFFFFFF;

// Paths of the compound files open in this process.
std::mutex s_open_lock;
std::set<std::string> s_open_paths;

std::string canonical(const std::string& path)
{
    std::error_code ec;
    auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    return ec ? path : p.string();
}

HRESULT error_from_errno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return STG_E_ACCESSDENIED;
    case ENOSPC:
    case EDQUOT:
        return STG_E_MEDIUMFULL;
    case EMFILE:
    case ENFILE:
        return STG_E_TOOMANYOPENFILES;
    default:
        return STG_E_WRITEFAULT;
    }
}

// Writes the file aside and renames it over `path`, so a failure never leaves half a file.
HRESULT write_file(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::string temporary = path + ".~" + std::to_string(getpid());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return error_from_errno(errno);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(temporary.c_str());
            return error_from_errno(error);
        }
        done += static_cast<size_t>(n);
    }
    if (::fdatasync(fd) != 0 || ::close(fd) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return error_from_errno(error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return error_from_errno(error);
    }
    return S_OK;
}

bool valid_element_name(std::u16string_view name)
{
    if (name.empty() || name.size() > com::cfb::max_name_units)
        return false;
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!')
            return false;
    }
    return true;
}

struct StreamData {
    std::u16string name;
    std::vector<BYTE> bytes;
    bool open { false };
    bool reverted { false }; // the storage went away or reverted: the stream is dead
};

struct StorageState {
    std::mutex lock;
    std::vector<std::shared_ptr<StreamData>> streams;
};

class DocfileStream final : public com::Object<IStream> {
public:
    DocfileStream(std::shared_ptr<StorageState> state, std::shared_ptr<StreamData> data, DWORD mode)
        : m_state(std::move(state))
        , m_data(std::move(data))
        , m_mode(mode)
    {
    }

    ~DocfileStream() override
    {
        std::lock_guard guard(m_state->lock);
        m_data->open = false;
    }

    STDMETHODIMP Read(void* buffer, ULONG count, ULONG* read) override
    {
        if (read)
            *read = 0;
        if (!buffer && count)
            return STG_E_INVALIDPOINTER;
        std::lock_guard guard(m_state->lock);
        if (HRESULT hr = usable(STGM_WRITE); FAILED(hr))
            return hr;
        ULONGLONG size = m_data->bytes.size();
        ULONG n = m_position >= size ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(count, size - m_position));
        if (n)
            std::memcpy(buffer, m_data->bytes.data() + m_position, n);
        m_position += n;
        if (read)
            *read = n;
        return S_OK;
    }

    STDMETHODIMP Write(const void* buffer, ULONG count, ULONG* written) override
    {
        if (written)
            *written = 0;
        if (!buffer && count)
            return STG_E_INVALIDPOINTER;
        std::lock_guard guard(m_state->lock);
        if (HRESULT hr = usable(STGM_READ); FAILED(hr))
            return hr;
        if (m_position + count > max_stream_size)
            return STG_E_MEDIUMFULL;
        if (m_position + count > m_data->bytes.size())
            m_data->bytes.resize(m_position + count, 0);
        if (count)
            std::memcpy(m_data->bytes.data() + m_position, buffer, count);
        m_position += count;
        if (written)
            *written = count;
        return S_OK;
    }

    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* new_position) override
    {
        std::lock_guard guard(m_state->lock);
        if (m_data->reverted)
            return STG_E_REVERTED;
        if (HRESULT hr = com::seek_target(m_position, m_data->bytes.size(), move, origin, m_position); FAILED(hr))
            return hr;
        if (new_position)
            new_position->QuadPart = m_position;
        return S_OK;
    }

    STDMETHODIMP SetSize(ULARGE_INTEGER size) override
    {
        std::lock_guard guard(m_state->lock);
        if (HRESULT hr = usable(STGM_READ); FAILED(hr))
            return hr;
        if (size.QuadPart > max_stream_size)
            return STG_E_MEDIUMFULL;
        m_data->bytes.resize(size.QuadPart, 0);
        return S_OK;
    }

    STDMETHODIMP CopyTo(IStream* dest, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override
    {
        if (read)
            read->QuadPart = 0;
        if (written)
            written->QuadPart = 0;
        if (!dest)
            return STG_E_INVALIDPOINTER;
        std::vector<BYTE> chunk;
        {
            std::lock_guard guard(m_state->lock);
            if (m_data->reverted)
                return STG_E_REVERTED;
            ULONGLONG size = m_data->bytes.size();
            ULONGLONG n = m_position >= size ? 0 : std::min<ULONGLONG>(count.QuadPart, size - m_position);
            chunk.assign(m_data->bytes.begin() + static_cast<std::ptrdiff_t>(m_position),
                m_data->bytes.begin() + static_cast<std::ptrdiff_t>(m_position + n));
            m_position += n;
        }
        if (read)
            read->QuadPart = chunk.size();
        ULONG done = 0;
        HRESULT hr = dest->Write(chunk.data(), static_cast<ULONG>(chunk.size()), &done);
        if (written)
            written->QuadPart = done;
        return hr;
    }

    // The stream writes straight into its transacted storage: nothing more to commit or revert.
    STDMETHODIMP Commit(DWORD) override
    {
        std::lock_guard guard(m_state->lock);
        return m_data->reverted ? STG_E_REVERTED : S_OK;
    }
    STDMETHODIMP Revert() override
    {
        std::lock_guard guard(m_state->lock);
        return m_data->reverted ? STG_E_REVERTED : S_OK;
    }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

    STDMETHODIMP Stat(STATSTG* stat, DWORD flags) override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        std::lock_guard guard(m_state->lock);
        if (m_data->reverted)
            return STG_E_REVERTED;
        std::memset(stat, 0, sizeof *stat);
        if (!(flags & STATFLAG_NONAME)) {
            stat->pwcsName = com::detail::task_string(m_data->name);
            if (!stat->pwcsName)
                return STG_E_INSUFFICIENTMEMORY;
        }
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = m_data->bytes.size();
        stat->grfMode = m_mode;
        return S_OK;
    }

    STDMETHODIMP Clone(IStream** clone) override
    {
        if (clone)
            *clone = nullptr;
        return STG_E_UNIMPLEMENTEDFUNCTION;
    }

private:
    // Under the lock: STG_E_REVERTED once the stream is dead, STG_E_ACCESSDENIED when it was
    // opened with the access mode `refused`.
    HRESULT usable(DWORD refused) const
    {
        if (m_data->reverted)
            return STG_E_REVERTED;
        return (m_mode & 3) == refused ? STG_E_ACCESSDENIED : S_OK;
    }

    std::shared_ptr<StorageState> m_state;
    std::shared_ptr<StreamData> m_data;
    DWORD m_mode;
    ULONGLONG m_position { 0 };
};

class Docfile final : public com::Object<IStorage> {
public:
    Docfile(std::string path, std::string key, DWORD mode)
        : m_path(std::move(path))
        , m_key(std::move(key))
        , m_mode(mode)
        , m_state(std::make_shared<StorageState>())
    {
    }

    ~Docfile() override
    {
        {
            // Uncommitted changes are dropped; open streams become unusable.
            std::lock_guard guard(m_state->lock);
            for (auto& s : m_state->streams)
                s->reverted = true;
        }
        std::lock_guard guard(s_open_lock);
        s_open_paths.erase(m_key);
    }

    // Writes the committed (empty) content for the first time.
    HRESULT write_empty()
    {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        return write_file(m_path, com::cfb::build_file({}, m_clsid, now));
    }

    STDMETHODIMP CreateStream(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStream** stream) override
    {
        if (!stream)
            return STG_E_INVALIDPOINTER;
        *stream = nullptr;
        if (!name)
            return STG_E_INVALIDNAME;
        auto view = com::detail::wide_view(name);
        if (!valid_element_name(view))
            return STG_E_INVALIDNAME;
        if (!(mode & STGM_SHARE_EXCLUSIVE) || (mode & STGM_TRANSACTED) || (mode & 3) == STGM_READ || (mode & 3) == 3)
            return STG_E_INVALIDFLAG;
        std::lock_guard guard(m_state->lock);
        auto existing = find(view);
        if (existing != m_state->streams.end()) {
            if (!(mode & STGM_CREATE))
                return STG_E_FILEALREADYEXISTS;
            if ((*existing)->open)
                return STG_E_ACCESSDENIED;
            (*existing)->reverted = true;
            m_state->streams.erase(existing);
        }
        auto data = std::make_shared<StreamData>();
        data->name = std::u16string(view);
        data->open = true;
        m_state->streams.push_back(data);
        *stream = new DocfileStream(m_state, data, mode);
        return S_OK;
    }

    STDMETHODIMP OpenStream(const OLECHAR* name, void*, DWORD mode, DWORD, IStream** stream) override
    {
        if (!stream)
            return STG_E_INVALIDPOINTER;
        *stream = nullptr;
        if (!name)
            return STG_E_INVALIDNAME;
        if (!(mode & STGM_SHARE_EXCLUSIVE) || (mode & STGM_TRANSACTED) || (mode & STGM_CREATE) || (mode & 3) == 3)
            return STG_E_INVALIDFLAG;
        std::lock_guard guard(m_state->lock);
        auto existing = find(com::detail::wide_view(name));
        if (existing == m_state->streams.end())
            return STG_E_FILENOTFOUND;
        if ((*existing)->open)
            return STG_E_ACCESSDENIED;
        (*existing)->open = true;
        *stream = new DocfileStream(m_state, *existing, mode);
        return S_OK;
    }

    STDMETHODIMP CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage** storage) override
    {
        if (storage)
            *storage = nullptr;
        return STG_E_UNIMPLEMENTEDFUNCTION;
    }
    STDMETHODIMP OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD, IStorage** storage) override
    {
        if (storage)
            *storage = nullptr;
        return STG_E_FILENOTFOUND;
    }
    STDMETHODIMP CopyTo(DWORD, const IID*, SNB, IStorage*) override { return STG_E_UNIMPLEMENTEDFUNCTION; }
    STDMETHODIMP MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override { return STG_E_UNIMPLEMENTEDFUNCTION; }

    STDMETHODIMP Commit(DWORD) override
    {
        std::vector<com::cfb::StreamContent> content;
        {
            std::lock_guard guard(m_state->lock);
            for (auto& s : m_state->streams)
                content.push_back({ s->name, s->bytes });
        }
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        HRESULT hr = write_file(m_path, com::cfb::build_file(content, m_clsid, now));
        if (SUCCEEDED(hr)) {
            m_committed = std::move(content);
            m_committed_clsid = m_clsid;
        }
        return hr;
    }

    STDMETHODIMP Revert() override
    {
        std::lock_guard guard(m_state->lock);
        for (auto& s : m_state->streams)
            s->reverted = true;
        m_state->streams.clear();
        for (auto& c : m_committed) {
            auto data = std::make_shared<StreamData>();
            data->name = c.name;
            data->bytes = c.bytes;
            m_state->streams.push_back(data);
        }
        m_clsid = m_committed_clsid;
        return S_OK;
    }

    STDMETHODIMP EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** elements) override
    {
        if (elements)
            *elements = nullptr;
        return STG_E_UNIMPLEMENTEDFUNCTION;
    }

    STDMETHODIMP DestroyElement(const OLECHAR* name) override
    {
        if (!name)
            return STG_E_INVALIDNAME;
        std::lock_guard guard(m_state->lock);
        auto existing = find(com::detail::wide_view(name));
        if (existing == m_state->streams.end())
            return STG_E_FILENOTFOUND;
        if ((*existing)->open)
            return STG_E_ACCESSDENIED;
        m_state->streams.erase(existing);
        return S_OK;
    }

    STDMETHODIMP RenameElement(const OLECHAR*, const OLECHAR*) override { return STG_E_UNIMPLEMENTEDFUNCTION; }
    STDMETHODIMP SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*, const FILETIME*) override { return STG_E_UNIMPLEMENTEDFUNCTION; }

    STDMETHODIMP SetClass(REFCLSID clsid) override
    {
        std::lock_guard guard(m_state->lock);
        m_clsid = clsid;
        return S_OK;
    }

    STDMETHODIMP SetStateBits(DWORD, DWORD) override { return STG_E_UNIMPLEMENTEDFUNCTION; }

    STDMETHODIMP Stat(STATSTG* stat, DWORD flags) override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        std::memset(stat, 0, sizeof *stat);
        if (!(flags & STATFLAG_NONAME)) {
            stat->pwcsName = com::detail::task_string(com::detail::utf8_to_utf16(m_path));
            if (!stat->pwcsName)
                return STG_E_INSUFFICIENTMEMORY;
        }
        std::lock_guard guard(m_state->lock);
        stat->type = STGTY_STORAGE;
        stat->grfMode = m_mode;
        stat->clsid = m_clsid;
        return S_OK;
    }

private:
    std::vector<std::shared_ptr<StreamData>>::iterator find(std::u16string_view name)
    {
        auto it = m_state->streams.begin();
        while (it != m_state->streams.end() && !base::equals_ignoring_case((*it)->name, name))
            ++it;
        return it;
    }

    std::string m_path;
    std::string m_key;
    DWORD m_mode;
    std::shared_ptr<StorageState> m_state;
    CLSID m_clsid {};
    std::vector<com::cfb::StreamContent> m_committed;
    CLSID m_committed_clsid {};
};

}

HRESULT StgCreateDocfile(const OLECHAR* path, DWORD mode, DWORD, IStorage** storage)
{
    if (!storage)
        return STG_E_INVALIDPOINTER;
    *storage = nullptr;
    if (!path || !*path)
        return STG_E_INVALIDNAME;
    DWORD access = mode & 3;
    if (!(mode & STGM_TRANSACTED) || (access != STGM_WRITE && access != STGM_READWRITE))
        return STG_E_INVALIDFLAG;

    std::string file = com::detail::linux_path(com::detail::wide_view(path));
    std::string key = canonical(file);
    {
        std::lock_guard guard(s_open_lock);
        if (s_open_paths.contains(key))
            return STG_E_SHAREVIOLATION;
        struct stat st;
        if (::stat(file.c_str(), &st) == 0) {
            if (!(mode & STGM_CREATE))
                return STG_E_FILEALREADYEXISTS;
            if (S_ISDIR(st.st_mode) || ::access(file.c_str(), W_OK) != 0)
                return STG_E_ACCESSDENIED;
        }
        s_open_paths.insert(key);
    }
    auto* docfile = new Docfile(file, key, mode);
    HRESULT hr = docfile->write_empty();
    if (FAILED(hr)) {
        docfile->Release();
        return hr;
    }
    *storage = docfile;
    return S_OK;
}
