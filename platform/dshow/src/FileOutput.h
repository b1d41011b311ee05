#pragma once

// A file written through one large buffer, with in-place patches of bytes already written.
//
// Small writes collect in the buffer; a large body is written straight from the caller's memory
// together with whatever the buffer holds, in one writev. Positions are logical: buffered bytes
// count. The first failure sticks and is returned by every later call.

#include <base/Errors.h>

#include <sys/uio.h>

#include <cstddef>
#include <string>
#include <vector>

namespace dshow {

class FileOutput {
public:
    FileOutput() = default;
    ~FileOutput();
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    HRESULT open(const std::string& path, std::size_t buffer_size);
    bool is_open() const { return m_fd >= 0; }

    HRESULT write(const void* data, std::size_t size);
    // head, then body, then tail; a body of `direct_threshold` bytes or more skips the buffer.
    HRESULT write(const void* head, std::size_t head_size, const void* body, std::size_t body_size, const void* tail, std::size_t tail_size);
    // Overwrites bytes at `offset`, which must lie before position().
    HRESULT patch(unsigned long long offset, const void* data, std::size_t size);
    HRESULT flush();
    HRESULT close();

    unsigned long long position() const { return m_flushed + m_used; }
    HRESULT error() const { return m_error; }

    static constexpr std::size_t direct_threshold = 64 * 1024;

private:
    HRESULT write_vectors(iovec* vectors, int count);
    HRESULT fail(int error);

    int m_fd = -1;
    std::vector<unsigned char> m_buffer;
    std::size_t m_used = 0;
    unsigned long long m_flushed = 0;
    HRESULT m_error = S_OK;
};

}
