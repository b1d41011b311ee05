#include "CompoundFileFormat.h"

#include "Text.h"

#include <base/Text.h>

#include <algorithm>
#include <cstring>

namespace com::cfb {

int compare_names(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = base::upper_ascii(a[i]);
        char16_t y = base::upper_ascii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

namespace {

void put16(std::vector<BYTE>& out, size_t at, WORD v)
{
    out[at] = static_cast<BYTE>(v);
    out[at + 1] = static_cast<BYTE>(v >> 8);
}

void put32(std::vector<BYTE>& out, size_t at, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<BYTE>(v >> (8 * i));
}

void put64(std::vector<BYTE>& out, size_t at, ULONGLONG v)
{
    for (int i = 0; i < 8; ++i)
        out[at + i] = static_cast<BYTE>(v >> (8 * i));
}

void put_guid(std::vector<BYTE>& out, size_t at, const GUID& g)
{
    put32(out, at, g.Data1);
    put16(out, at + 4, g.Data2);
    put16(out, at + 6, g.Data3);
    std::memcpy(out.data() + at + 8, g.Data4, 8);
}

size_t sectors_for(size_t bytes, size_t unit) { return (bytes + unit - 1) / unit; }

struct DirectoryEntry {
    std::u16string name;
    BYTE type { type_unused };
    BYTE color { color_black };
    DWORD left { NOSTREAM };
    DWORD right { NOSTREAM };
    DWORD child { NOSTREAM };
    CLSID clsid {};
    FILETIME modified {};
    DWORD start { ENDOFCHAIN };
    ULONGLONG size { 0 };
};

// Links the sorted ids [from, to) into a balanced tree and returns its root. Nodes on the deepest
// level of an incomplete tree are red, all others black, which satisfies the red-black rules.
DWORD link_tree(std::vector<DirectoryEntry>& entries, const std::vector<DWORD>& sorted, size_t from, size_t to, int depth, int red_depth)
{
    if (from >= to)
        return NOSTREAM;
    size_t middle = from + (to - from) / 2;
    DWORD id = sorted[middle];
    entries[id].left = link_tree(entries, sorted, from, middle, depth + 1, red_depth);
    entries[id].right = link_tree(entries, sorted, middle + 1, to, depth + 1, red_depth);
    entries[id].color = depth == red_depth ? color_red : color_black;
    return id;
}

}

std::vector<BYTE> build_file(const std::vector<StreamContent>& streams, const CLSID& root_clsid, const FILETIME& modified)
{
    // Place the streams: small ones in the mini stream, the others in sectors of their own.
    std::vector<DirectoryEntry> entries(1 + streams.size());
    entries[0].name = u"Root Entry";
    entries[0].type = type_root;
    entries[0].clsid = root_clsid;
    entries[0].modified = modified;

    std::vector<BYTE> mini_stream;
    std::vector<DWORD> mini_fat;
    size_t large_sectors = 0;
    for (size_t i = 0; i < streams.size(); ++i) {
        auto& e = entries[i + 1];
        e.name = streams[i].name;
        e.type = type_stream;
        e.size = streams[i].bytes.size();
        if (e.size == 0)
            continue;
        if (e.size < mini_stream_cutoff) {
            size_t count = sectors_for(e.size, mini_sector_size);
            DWORD first = static_cast<DWORD>(mini_fat.size());
            e.start = first;
            for (size_t k = 0; k < count; ++k)
                mini_fat.push_back(k + 1 < count ? first + static_cast<DWORD>(k) + 1 : ENDOFCHAIN);
            mini_stream.insert(mini_stream.end(), streams[i].bytes.begin(), streams[i].bytes.end());
            mini_stream.resize(mini_fat.size() * mini_sector_size, 0);
        } else {
            large_sectors += sectors_for(e.size, sector_size);
        }
    }

    // The tree of the root's children.
    std::vector<DWORD> sorted;
    for (DWORD id = 1; id < entries.size(); ++id)
        sorted.push_back(id);
    std::sort(sorted.begin(), sorted.end(), [&](DWORD a, DWORD b) { return compare_names(entries[a].name, entries[b].name) < 0; });
    int levels = 0;
    while ((size_t(1) << levels) - 1 < sorted.size())
        ++levels;
    bool complete = sorted.size() == (size_t(1) << levels) - 1;
    entries[0].child = link_tree(entries, sorted, 0, sorted.size(), 0, complete ? -1 : levels - 1);

    // Sector counts; the FAT and DIFAT must also cover themselves.
    size_t directory_sectors = sectors_for(entries.size(), entries_per_sector);
    size_t mini_fat_sectors = sectors_for(mini_fat.size(), ids_per_sector);
    size_t mini_stream_sectors = sectors_for(mini_stream.size(), sector_size);
    size_t data_sectors = directory_sectors + mini_fat_sectors + mini_stream_sectors + large_sectors;
    size_t fat_sectors = 1;
    size_t difat_sectors = 0;
    for (;;) {
        size_t needed_difat = fat_sectors > header_difat_count ? sectors_for(fat_sectors - header_difat_count, ids_per_sector - 1) : 0;
        size_t needed_fat = sectors_for(data_sectors + fat_sectors + needed_difat, ids_per_sector);
        if (needed_fat <= fat_sectors && needed_difat == difat_sectors)
            break;
        fat_sectors = std::max(fat_sectors, needed_fat);
        difat_sectors = needed_difat;
    }

    // Layout: FAT, DIFAT, directory, mini FAT, mini stream, large streams.
    size_t total_sectors = fat_sectors + difat_sectors + data_sectors;
    std::vector<DWORD> fat(fat_sectors * ids_per_sector, FREESECT);
    DWORD next = 0;
    auto chain = [&](size_t count) {
        DWORD first = next;
        for (size_t k = 0; k < count; ++k, ++next)
            fat[next] = k + 1 < count ? next + 1 : ENDOFCHAIN;
        return count ? first : ENDOFCHAIN;
    };
    std::vector<DWORD> fat_locations;
    for (size_t k = 0; k < fat_sectors; ++k) {
        fat_locations.push_back(next);
        fat[next++] = FATSECT;
    }
    std::vector<DWORD> difat_locations;
    for (size_t k = 0; k < difat_sectors; ++k) {
        difat_locations.push_back(next);
        fat[next++] = DIFSECT;
    }
    DWORD directory_start = chain(directory_sectors);
    DWORD mini_fat_start = chain(mini_fat_sectors);
    DWORD mini_stream_start = chain(mini_stream_sectors);
    if (!mini_stream.empty()) {
        entries[0].start = mini_stream_start;
        entries[0].size = mini_stream.size();
    }
    std::vector<BYTE> file(header_size + total_sectors * sector_size, 0);
    auto sector_offset = [](DWORD sector) { return header_size + size_t(sector) * sector_size; };
    for (size_t i = 0; i < streams.size(); ++i) {
        auto& e = entries[i + 1];
        if (e.size < mini_stream_cutoff)
            continue;
        e.start = chain(sectors_for(e.size, sector_size));
        std::memcpy(file.data() + sector_offset(e.start), streams[i].bytes.data(), streams[i].bytes.size());
    }

    // Header.
    std::memcpy(file.data(), signature, sizeof signature);
    put16(file, 24, minor_version);
    put16(file, 26, major_version);
    put16(file, 28, byte_order);
    put16(file, 30, sector_shift);
    put16(file, 32, mini_sector_shift);
    put32(file, 40, 0);
    put32(file, 44, static_cast<DWORD>(fat_sectors));
    put32(file, 48, directory_start);
    put32(file, 52, 0);
    put32(file, 56, mini_stream_cutoff);
    put32(file, 60, mini_fat_start);
    put32(file, 64, static_cast<DWORD>(mini_fat_sectors));
    put32(file, 68, difat_sectors ? difat_locations[0] : ENDOFCHAIN);
    put32(file, 72, static_cast<DWORD>(difat_sectors));
    for (size_t k = 0; k < header_difat_count; ++k)
        put32(file, 76 + 4 * k, k < fat_locations.size() ? fat_locations[k] : FREESECT);

    // DIFAT sectors: 127 FAT locations each, then the next DIFAT sector.
    for (size_t d = 0; d < difat_sectors; ++d) {
        size_t at = sector_offset(difat_locations[d]);
        for (size_t k = 0; k < ids_per_sector - 1; ++k) {
            size_t index = header_difat_count + d * (ids_per_sector - 1) + k;
            put32(file, at + 4 * k, index < fat_locations.size() ? fat_locations[index] : FREESECT);
        }
        put32(file, at + 4 * (ids_per_sector - 1), d + 1 < difat_sectors ? difat_locations[d + 1] : ENDOFCHAIN);
    }

    // FAT.
    for (size_t k = 0; k < fat.size(); ++k)
        put32(file, sector_offset(fat_locations[k / ids_per_sector]) + 4 * (k % ids_per_sector), fat[k]);

    // Directory; unused slots are zero with NOSTREAM links.
    for (size_t slot = 0; slot < directory_sectors * entries_per_sector; ++slot) {
        size_t at = sector_offset(directory_start + static_cast<DWORD>(slot / entries_per_sector)) + (slot % entries_per_sector) * entry_size;
        if (slot >= entries.size()) {
            put32(file, at + 68, NOSTREAM);
            put32(file, at + 72, NOSTREAM);
            put32(file, at + 76, NOSTREAM);
            continue;
        }
        auto& e = entries[slot];
        for (size_t k = 0; k < e.name.size(); ++k)
            put16(file, at + 2 * k, e.name[k]);
        put16(file, at + 64, static_cast<WORD>((e.name.size() + 1) * 2));
        file[at + 66] = e.type;
        file[at + 67] = e.color;
        put32(file, at + 68, e.left);
        put32(file, at + 72, e.right);
        put32(file, at + 76, e.child);
        put_guid(file, at + 80, e.clsid);
        if (e.type == type_root) {
            put32(file, at + 108, e.modified.dwLowDateTime);
            put32(file, at + 112, e.modified.dwHighDateTime);
        }
        put32(file, at + 116, e.size ? e.start : ENDOFCHAIN);
        put64(file, at + 120, e.size);
    }

    // Mini FAT and mini stream.
    for (size_t k = 0; k < mini_fat_sectors * ids_per_sector; ++k)
        put32(file, sector_offset(mini_fat_start + static_cast<DWORD>(k / ids_per_sector)) + 4 * (k % ids_per_sector),
            k < mini_fat.size() ? mini_fat[k] : FREESECT);
    if (!mini_stream.empty())
        std::memcpy(file.data() + sector_offset(mini_stream_start), mini_stream.data(), mini_stream.size());

    return file;
}

}
