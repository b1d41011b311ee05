// Compound files (graph files among them) from anywhere: the reader accepts or refuses each, and
// every stream it lists can be read at its size.

#include <com/CompoundFileReader.h>
#include <com/Stream.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    auto file = com::CompoundFileReader::parse(std::vector<BYTE>(data, data + size), &error);
    if (!file) {
        if (error.empty())
            std::abort();
        return 0;
    }
    for (const com::CompoundFileEntry& entry : file->entries()) {
        if (entry.type != STGTY_STREAM)
            continue;
        auto bytes = file->read_stream(entry.path);
        if (!bytes || bytes->size() != entry.size)
            std::abort();
    }
    return 0;
}
