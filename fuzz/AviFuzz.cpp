// AVI files from anywhere: the reader accepts or refuses each with a reason, and reads every
// chunk it accepted.

#include <dshow/AviReader.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // One file in memory for the whole run, rewritten for each input.
    static int fd = memfd_create("avi-fuzz", MFD_CLOEXEC);
    static std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    dshow::AviReader reader;
    if (FAILED(reader.open(path))) {
        if (reader.problem().empty())
            std::abort();
        return 0;
    }
    std::vector<BYTE> bytes;
    for (const dshow::AviChunk& chunk : reader.chunks())
        if (FAILED(reader.read_chunk(chunk, bytes)) || bytes.size() != chunk.size)
            std::abort();
    return 0;
}
