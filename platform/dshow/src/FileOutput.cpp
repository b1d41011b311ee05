#include "FileOutput.h"

#include <dshow/AviWriter.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace dshow {

HRESULT hresult_from_errno(int error)
{
    switch (error) {
    case 0:
        return S_OK;
    case ENOENT:
    case ENOTDIR:
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    case EMFILE:
    case ENFILE:
        return HRESULT_FROM_WIN32(ERROR_TOO_MANY_OPEN_FILES);
    case ENAMETOOLONG:
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    case ENOMEM:
        return E_OUTOFMEMORY;
    case EBUSY:
    case ETXTBSY:
        return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
    default:
        return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    }
}

FileOutput::~FileOutput()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

HRESULT FileOutput::fail(int error)
{
    if (SUCCEEDED(m_error))
        m_error = hresult_from_errno(error);
    return m_error;
}

HRESULT FileOutput::open(const std::string& path, std::size_t buffer_size)
{
    if (m_fd >= 0)
        return E_UNEXPECTED;
    m_error = S_OK;
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return fail(errno);
    m_buffer.resize(std::max<std::size_t>(buffer_size, 4096));
    m_used = 0;
    m_flushed = 0;
    return S_OK;
}

HRESULT FileOutput::write_vectors(iovec* vectors, int count)
{
    while (count > 0) {
        ssize_t written = ::writev(m_fd, vectors, std::min(count, IOV_MAX));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (written == 0)
            return fail(ENOSPC);
        m_flushed += static_cast<unsigned long long>(written);
        auto left = static_cast<std::size_t>(written);
        while (count > 0 && left >= vectors->iov_len) {
            left -= vectors->iov_len;
            ++vectors;
            --count;
        }
        if (count > 0) {
            vectors->iov_base = static_cast<char*>(vectors->iov_base) + left;
            vectors->iov_len -= left;
        }
        while (count > 0 && vectors->iov_len == 0) {
            ++vectors;
            --count;
        }
    }
    return S_OK;
}

HRESULT FileOutput::flush()
{
    if (FAILED(m_error))
        return m_error;
    if (m_fd < 0)
        return E_UNEXPECTED;
    if (m_used == 0)
        return S_OK;
    iovec vector { m_buffer.data(), m_used };
    m_used = 0;
    return write_vectors(&vector, 1);
}

HRESULT FileOutput::write(const void* data, std::size_t size)
{
    return write(data, size, nullptr, 0, nullptr, 0);
}

HRESULT FileOutput::write(const void* head, std::size_t head_size, const void* body, std::size_t body_size, const void* tail, std::size_t tail_size)
{
    if (FAILED(m_error))
        return m_error;
    if (m_fd < 0)
        return E_UNEXPECTED;
    std::size_t total = head_size + body_size + tail_size;
    if (body_size >= direct_threshold || total > m_buffer.size()) {
        iovec vectors[4];
        int count = 0;
        if (m_used)
            vectors[count++] = { m_buffer.data(), m_used };
        if (head_size)
            vectors[count++] = { const_cast<void*>(head), head_size };
        if (body_size)
            vectors[count++] = { const_cast<void*>(body), body_size };
        if (tail_size)
            vectors[count++] = { const_cast<void*>(tail), tail_size };
        m_used = 0;
        return write_vectors(vectors, count);
    }
    if (m_used + total > m_buffer.size()) {
        if (auto hr = flush(); FAILED(hr))
            return hr;
    }
    auto* out = m_buffer.data() + m_used;
    if (head_size)
        std::memcpy(out, head, head_size);
    if (body_size)
        std::memcpy(out + head_size, body, body_size);
    if (tail_size)
        std::memcpy(out + head_size + body_size, tail, tail_size);
    m_used += total;
    return S_OK;
}

HRESULT FileOutput::patch(unsigned long long offset, const void* data, std::size_t size)
{
    if (FAILED(m_error))
        return m_error;
    if (m_fd < 0)
        return E_UNEXPECTED;
    if (offset + size > position())
        return E_INVALIDARG;
    auto* bytes = static_cast<const unsigned char*>(data);
    // The part that has reached the file.
    if (offset < m_flushed) {
        auto n = static_cast<std::size_t>(std::min<unsigned long long>(size, m_flushed - offset));
        std::size_t done = 0;
        while (done < n) {
            ssize_t written = ::pwrite(m_fd, bytes + done, n - done, static_cast<off_t>(offset + done));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return fail(errno);
            }
            if (written == 0)
                return fail(ENOSPC);
            done += static_cast<std::size_t>(written);
        }
        bytes += n;
        offset += n;
        size -= n;
    }
    if (size)
        std::memcpy(m_buffer.data() + (offset - m_flushed), bytes, size);
    return S_OK;
}

HRESULT FileOutput::close()
{
    if (m_fd < 0)
        return m_error;
    flush();
    if (::close(m_fd) != 0)
        fail(errno);
    m_fd = -1;
    m_buffer = {};
    return m_error;
}

}
