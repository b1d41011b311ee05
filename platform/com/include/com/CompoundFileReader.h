#pragma once

// com::CompoundFileReader reads a compound file and checks its structure strictly: header fields,
// FAT and DIFAT, every sector chain (in bounds, no cycles, no sector used twice), the mini stream,
// the directory tree (valid names, sibling order, red-black colouring) and stream sizes.
// Tests use it to check what StgCreateDocfile wrote; any other reader of such files may too.
//
//     std::string error;
//     auto file = com::CompoundFileReader::open("/tmp/debug.grf", &error);
//     ASSERT_TRUE(file) << error;
//     auto bytes = file->read_stream(u"ActiveMovieGraph");

#include <com/Guid.h>

#include <optional>
#include <string>
#include <vector>

namespace com {

struct CompoundFileEntry {
    std::u16string path; // names from the root down, joined by '/'
    std::u16string name;
    BYTE type { 0 };      // STGTY_STORAGE or STGTY_STREAM
    ULONGLONG size { 0 }; // stream size in bytes
    bool in_mini_stream { false };
    CLSID clsid {};
};

class CompoundFileReader {
public:
    // Reads and checks a file at a Linux path; nothing (and *error set) when it is not valid.
    static std::optional<CompoundFileReader> open(const std::string& path, std::string* error = nullptr);
    // Checks a file image held in memory.
    static std::optional<CompoundFileReader> parse(std::vector<BYTE> bytes, std::string* error = nullptr);

    // Every storage and stream below the root, in tree order (by name, shorter names first).
    const std::vector<CompoundFileEntry>& entries() const { return m_entries; }
    const CompoundFileEntry* find(std::u16string_view path) const;
    // The bytes of the stream at `path`, or nothing when there is no such stream.
    std::optional<std::vector<BYTE>> read_stream(std::u16string_view path) const;
    // The class stored on the root entry (IStorage::SetClass).
    const CLSID& root_clsid() const { return m_root_clsid; }
    WORD major_version() const { return m_major_version; }

private:
    std::vector<CompoundFileEntry> m_entries;
    std::vector<std::vector<BYTE>> m_stream_bytes; // parallel to m_entries
    CLSID m_root_clsid {};
    WORD m_major_version { 0 };

    friend class CompoundFileParser;
};

}
