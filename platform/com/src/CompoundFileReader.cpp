#include <com/CompoundFileReader.h>
#include <com/Stream.h>

#include "CompoundFileFormat.h"
#include "Text.h"

#include <base/Text.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace com {

using namespace cfb;

class CompoundFileParser {
public:
    explicit CompoundFileParser(std::vector<BYTE> bytes)
        : m_bytes(std::move(bytes))
    {
    }

    bool run(CompoundFileReader& out);
    const std::string& error() const { return m_error; }

private:
    struct RawEntry {
        std::u16string name;
        BYTE type;
        BYTE color;
        DWORD left, right, child;
        CLSID clsid;
        DWORD start;
        ULONGLONG size;
    };

    bool fail(std::string message)
    {
        if (m_error.empty())
            m_error = std::move(message);
        return false;
    }

    WORD u16(size_t at) const { return static_cast<WORD>(m_bytes[at] | (m_bytes[at + 1] << 8)); }
    DWORD u32(size_t at) const
    {
        return static_cast<DWORD>(m_bytes[at]) | (static_cast<DWORD>(m_bytes[at + 1]) << 8) | (static_cast<DWORD>(m_bytes[at + 2]) << 16)
            | (static_cast<DWORD>(m_bytes[at + 3]) << 24);
    }
    size_t sector_offset(DWORD sector) const { return header_size + size_t(sector) * sector_size; }

    bool read_header();
    bool read_fat();
    // Follows a FAT chain; each sector may belong to one chain only.
    bool chain(DWORD start, std::vector<DWORD>& sectors, const char* what, bool claim = true);
    bool read_directory();
    bool check_tree(DWORD id, std::set<DWORD>& visited, const std::u16string& prefix, int depth, int& black_height, int blacks, bool parent_red,
        std::vector<std::pair<DWORD, std::u16string>>& order);
    bool read_streams(CompoundFileReader& out, const std::vector<std::pair<DWORD, std::u16string>>& order);

    std::vector<BYTE> m_bytes;
    std::string m_error;
    size_t m_sector_count { 0 };
    DWORD m_fat_sectors { 0 }, m_directory_start { 0 }, m_mini_fat_start { 0 }, m_mini_fat_sectors { 0 };
    DWORD m_difat_start { 0 }, m_difat_sectors { 0 };
    std::vector<DWORD> m_fat;
    std::vector<bool> m_claimed;
    std::vector<RawEntry> m_entries;
    std::vector<DWORD> m_mini_fat;
    std::vector<BYTE> m_mini_stream;
};

bool CompoundFileParser::read_header()
{
    if (m_bytes.size() < header_size)
        return fail("file shorter than the header");
    if (std::memcmp(m_bytes.data(), signature, sizeof signature) != 0)
        return fail("bad signature");
    for (size_t i = 8; i < 24; ++i) {
        if (m_bytes[i])
            return fail("header CLSID not zero");
    }
    if (u16(24) != minor_version)
        return fail("minor version is not 0x3E");
    if (u16(26) != major_version)
        return fail("major version is not 3");
    if (u16(28) != byte_order)
        return fail("byte order mark is not FFFE");
    if (u16(30) != sector_shift)
        return fail("sector shift is not 9");
    if (u16(32) != mini_sector_shift)
        return fail("mini sector shift is not 6");
    for (size_t i = 34; i < 40; ++i) {
        if (m_bytes[i])
            return fail("reserved header bytes not zero");
    }
    if (u32(40) != 0)
        return fail("directory sector count must be 0 in version 3");
    if (u32(56) != mini_stream_cutoff)
        return fail("mini stream cutoff is not 4096");
    if ((m_bytes.size() - header_size) % sector_size != 0)
        return fail("file size is not a whole number of sectors");
    m_sector_count = (m_bytes.size() - header_size) / sector_size;
    m_fat_sectors = u32(44);
    m_directory_start = u32(48);
    m_mini_fat_start = u32(60);
    m_mini_fat_sectors = u32(64);
    m_difat_start = u32(68);
    m_difat_sectors = u32(72);
    if (m_fat_sectors == 0 || m_fat_sectors > m_sector_count)
        return fail("bad FAT sector count");
    return true;
}

bool CompoundFileParser::read_fat()
{
    // FAT sector locations: 109 in the header, then the DIFAT chain.
    std::vector<DWORD> locations;
    for (size_t k = 0; k < header_difat_count; ++k) {
        DWORD s = u32(76 + 4 * k);
        if (k < m_fat_sectors)
            locations.push_back(s);
        else if (s != FREESECT)
            return fail("unused header DIFAT slot not FREESECT");
    }
    std::vector<DWORD> difat_sectors;
    DWORD next = m_difat_start;
    if (m_difat_sectors == 0 && next != ENDOFCHAIN && next != FREESECT)
        return fail("DIFAT start without DIFAT sectors");
    for (DWORD d = 0; d < m_difat_sectors; ++d) {
        if (next >= m_sector_count)
            return fail("DIFAT sector out of range");
        for (DWORD seen : difat_sectors) {
            if (seen == next)
                return fail("DIFAT chain loops");
        }
        difat_sectors.push_back(next);
        size_t at = sector_offset(next);
        for (size_t k = 0; k + 1 < ids_per_sector; ++k) {
            DWORD s = u32(at + 4 * k);
            if (locations.size() < m_fat_sectors)
                locations.push_back(s);
            else if (s != FREESECT)
                return fail("unused DIFAT slot not FREESECT");
        }
        next = u32(at + 4 * (ids_per_sector - 1));
    }
    if (m_difat_sectors && next != ENDOFCHAIN && next != FREESECT)
        return fail("DIFAT chain does not end");
    if (locations.size() != m_fat_sectors)
        return fail("DIFAT lists fewer FAT sectors than the header counts");

    for (DWORD s : locations) {
        if (s >= m_sector_count)
            return fail("FAT sector out of range");
        size_t at = sector_offset(s);
        for (size_t k = 0; k < ids_per_sector; ++k)
            m_fat.push_back(u32(at + 4 * k));
    }
    if (m_fat.size() < m_sector_count)
        return fail("FAT does not cover the file");
    m_claimed.assign(m_sector_count, false);
    for (DWORD s : locations) {
        if (m_fat[s] != FATSECT)
            return fail("FAT sector not marked FATSECT");
        if (m_claimed[s])
            return fail("FAT sector listed twice");
        m_claimed[s] = true;
    }
    for (DWORD s : difat_sectors) {
        if (m_fat[s] != DIFSECT)
            return fail("DIFAT sector not marked DIFSECT");
        if (m_claimed[s])
            return fail("DIFAT sector also used as FAT sector");
        m_claimed[s] = true;
    }
    for (size_t s = 0; s < m_fat.size(); ++s) {
        DWORD v = m_fat[s];
        if (s >= m_sector_count && v != FREESECT)
            return fail("FAT entry beyond the end of the file in use");
        if ((v == FATSECT || v == DIFSECT) && !m_claimed[s])
            return fail("sector marked FATSECT/DIFSECT but not listed");
        if (v <= MAXREGSECT && v >= m_sector_count)
            return fail("FAT entry points beyond the file");
        if (v == 0xFFFFFFFB)
            return fail("reserved FAT value");
    }
    return true;
}

bool CompoundFileParser::chain(DWORD start, std::vector<DWORD>& sectors, const char* what, bool claim)
{
    sectors.clear();
    DWORD s = start;
    while (s != ENDOFCHAIN) {
        if (s >= m_sector_count)
            return fail(std::string(what) + ": chain leaves the file");
        if (m_claimed[s])
            return fail(std::string(what) + ": sector used twice or chain loops");
        m_claimed[s] = claim;
        if (!claim) {
            for (DWORD seen : sectors) {
                if (seen == s)
                    return fail(std::string(what) + ": chain loops");
            }
        }
        sectors.push_back(s);
        s = m_fat[s];
        if (s > MAXREGSECT && s != ENDOFCHAIN)
            return fail(std::string(what) + ": chain hits a free or special sector");
    }
    return true;
}

bool CompoundFileParser::read_directory()
{
    std::vector<DWORD> sectors;
    if (!chain(m_directory_start, sectors, "directory"))
        return false;
    if (sectors.empty())
        return fail("no directory");
    for (DWORD s : sectors) {
        for (size_t k = 0; k < entries_per_sector; ++k) {
            size_t at = sector_offset(s) + k * entry_size;
            RawEntry e {};
            WORD name_bytes = u16(at + 64);
            e.type = m_bytes[at + 66];
            e.color = m_bytes[at + 67];
            e.left = u32(at + 68);
            e.right = u32(at + 72);
            e.child = u32(at + 76);
            e.clsid.Data1 = u32(at + 80);
            e.clsid.Data2 = u16(at + 84);
            e.clsid.Data3 = u16(at + 86);
            std::memcpy(e.clsid.Data4, &m_bytes[at + 88], 8);
            e.start = u32(at + 116);
            e.size = u32(at + 120); // version 3: the high half is not used
            if (e.type == type_unused) {
                m_entries.push_back(e);
                continue;
            }
            if (e.type != type_storage && e.type != type_stream && e.type != type_root)
                return fail("bad directory entry type");
            if (e.color != color_red && e.color != color_black)
                return fail("bad directory entry colour");
            if (name_bytes < 2 || name_bytes > 64 || name_bytes % 2)
                return fail("bad directory name length");
            size_t units = name_bytes / 2 - 1;
            for (size_t i = 0; i < units; ++i) {
                char16_t c = u16(at + 2 * i);
                if (c == 0)
                    return fail("NUL inside a directory name");
                e.name += c;
            }
            if (u16(at + 2 * units) != 0)
                return fail("directory name not terminated");
            if (e.type == type_stream) {
                for (size_t i = 100; i < 116; ++i) {
                    if (m_bytes[at + i])
                        return fail("stream entry with time stamps");
                }
            }
            m_entries.push_back(e);
        }
    }
    if (m_entries.empty() || m_entries[0].type != type_root)
        return fail("first directory entry is not the root");
    if (m_entries[0].name != u"Root Entry")
        return fail("root entry is not named \"Root Entry\"");
    if (m_entries[0].left != NOSTREAM || m_entries[0].right != NOSTREAM)
        return fail("root entry has siblings");
    for (size_t i = 1; i < m_entries.size(); ++i) {
        if (m_entries[i].type == type_root)
            return fail("second root entry");
    }
    return true;
}

bool CompoundFileParser::check_tree(DWORD id, std::set<DWORD>& visited, const std::u16string& prefix, int depth, int& black_height, int blacks,
    bool parent_red, std::vector<std::pair<DWORD, std::u16string>>& order)
{
    if (id == NOSTREAM) {
        if (black_height < 0)
            black_height = blacks;
        else if (black_height != blacks)
            return fail("red-black tree unbalanced (black heights differ)");
        return true;
    }
    if (id >= m_entries.size() || id == 0)
        return fail("directory link out of range");
    if (!visited.insert(id).second)
        return fail("directory entry reached twice");
    const RawEntry& e = m_entries[id];
    if (e.type == type_unused)
        return fail("directory link to an unused entry");
    bool red = e.color == color_red;
    if (red && parent_red)
        return fail("red entry with a red parent");
    if (depth > 64)
        return fail("directory tree too deep");
    if (e.left != NOSTREAM && e.left < m_entries.size() && compare_names(m_entries[e.left].name, e.name) >= 0)
        return fail("left sibling not ordered before its parent");
    if (e.right != NOSTREAM && e.right < m_entries.size() && compare_names(m_entries[e.right].name, e.name) <= 0)
        return fail("right sibling not ordered after its parent");
    int child_blacks = blacks + (red ? 0 : 1);
    if (!check_tree(e.left, visited, prefix, depth + 1, black_height, child_blacks, red, order))
        return false;
    order.emplace_back(id, prefix + e.name);
    if (e.type == type_storage) {
        if (e.start != 0 && e.start != ENDOFCHAIN && e.start != FREESECT)
            return fail("storage entry with a start sector");
        int inner = -1;
        if (!check_tree(e.child, visited, prefix + e.name + u"/", 0, inner, 0, false, order))
            return false;
    } else if (e.child != NOSTREAM) {
        return fail("stream entry with a child");
    }
    return check_tree(e.right, visited, prefix, depth + 1, black_height, child_blacks, red, order);
}

bool CompoundFileParser::read_streams(CompoundFileReader& out, const std::vector<std::pair<DWORD, std::u16string>>& order)
{
    // Mini stream (in the root's chain) and mini FAT.
    const RawEntry& root = m_entries[0];
    std::vector<DWORD> sectors;
    if (root.size) {
        if (!chain(root.start, sectors, "mini stream"))
            return false;
        if (sectors.size() != (root.size + sector_size - 1) / sector_size)
            return fail("mini stream chain length does not match its size");
        if (root.size % mini_sector_size)
            return fail("mini stream size is not whole mini sectors");
        for (DWORD s : sectors)
            m_mini_stream.insert(m_mini_stream.end(), m_bytes.begin() + sector_offset(s), m_bytes.begin() + sector_offset(s) + sector_size);
        m_mini_stream.resize(root.size);
    } else if (root.start != ENDOFCHAIN && root.start != FREESECT && root.start != 0) {
        return fail("empty mini stream with a start sector");
    }
    if (m_mini_fat_sectors) {
        if (!chain(m_mini_fat_start, sectors, "mini FAT"))
            return false;
        if (sectors.size() != m_mini_fat_sectors)
            return fail("mini FAT chain length differs from the header");
        for (DWORD s : sectors) {
            for (size_t k = 0; k < ids_per_sector; ++k)
                m_mini_fat.push_back(u32(sector_offset(s) + 4 * k));
        }
    } else if (m_mini_fat_start != ENDOFCHAIN) {
        return fail("mini FAT start without mini FAT sectors");
    }
    size_t mini_sectors = m_mini_stream.size() / mini_sector_size;
    if (mini_sectors > m_mini_fat.size())
        return fail("mini FAT does not cover the mini stream");
    std::vector<bool> mini_claimed(mini_sectors, false);

    for (auto& [id, path] : order) {
        const RawEntry& e = m_entries[id];
        CompoundFileEntry entry;
        entry.path = path;
        entry.name = e.name;
        entry.type = e.type == type_stream ? STGTY_STREAM : STGTY_STORAGE;
        entry.clsid = e.clsid;
        std::vector<BYTE> bytes;
        if (e.type == type_stream) {
            entry.size = e.size;
            entry.in_mini_stream = e.size > 0 && e.size < mini_stream_cutoff;
            if (e.size == 0) {
                // Nothing to read; the start sector is not used.
            } else if (entry.in_mini_stream) {
                DWORD s = e.start;
                while (s != ENDOFCHAIN) {
                    if (s >= mini_sectors)
                        return fail("mini chain leaves the mini stream");
                    if (mini_claimed[s])
                        return fail("mini sector used twice or mini chain loops");
                    mini_claimed[s] = true;
                    bytes.insert(bytes.end(), m_mini_stream.begin() + s * mini_sector_size, m_mini_stream.begin() + (s + 1) * mini_sector_size);
                    s = m_mini_fat[s];
                    if (s > MAXREGSECT && s != ENDOFCHAIN)
                        return fail("mini chain hits a free or special mini sector");
                }
                if (bytes.size() != (e.size + mini_sector_size - 1) / mini_sector_size * mini_sector_size)
                    return fail("mini chain length does not match the stream size");
            } else {
                if (!chain(e.start, sectors, "stream"))
                    return false;
                if (sectors.size() != (e.size + sector_size - 1) / sector_size)
                    return fail("stream chain length does not match the stream size");
                for (DWORD s : sectors)
                    bytes.insert(bytes.end(), m_bytes.begin() + sector_offset(s), m_bytes.begin() + sector_offset(s) + sector_size);
            }
            bytes.resize(e.size);
        }
        out.m_entries.push_back(entry);
        out.m_stream_bytes.push_back(std::move(bytes));
    }
    for (size_t s = 0; s < m_mini_fat.size(); ++s) {
        bool owned = s < mini_sectors && mini_claimed[s];
        if (!owned && m_mini_fat[s] != FREESECT)
            return fail("mini sector in use but owned by no stream");
    }
    for (size_t s = 0; s < m_sector_count; ++s) {
        if (!m_claimed[s] && m_fat[s] != FREESECT)
            return fail("sector in use but owned by no chain");
    }
    return true;
}

bool CompoundFileParser::run(CompoundFileReader& out)
{
    if (!read_header() || !read_fat() || !read_directory())
        return false;
    std::set<DWORD> visited;
    std::vector<std::pair<DWORD, std::u16string>> order;
    int black_height = -1;
    if (!check_tree(m_entries[0].child, visited, u"", 0, black_height, 0, false, order))
        return false;
    for (size_t i = 1; i < m_entries.size(); ++i) {
        if (m_entries[i].type != type_unused && !visited.contains(static_cast<DWORD>(i)))
            return fail("directory entry not reachable from the root");
    }
    // In-order, the siblings of each storage must come out sorted.
    std::map<std::u16string, std::u16string> last_by_parent;
    for (auto& [id, path] : order) {
        std::u16string parent = path.substr(0, path.size() - m_entries[id].name.size());
        auto it = last_by_parent.find(parent);
        if (it != last_by_parent.end() && compare_names(it->second, m_entries[id].name) >= 0)
            return fail("siblings out of order");
        last_by_parent[parent] = m_entries[id].name;
    }
    if (!read_streams(out, order))
        return false;
    out.m_root_clsid = m_entries[0].clsid;
    out.m_major_version = u16(26);
    return true;
}

std::optional<CompoundFileReader> CompoundFileReader::parse(std::vector<BYTE> bytes, std::string* error)
{
    CompoundFileParser parser(std::move(bytes));
    CompoundFileReader reader;
    if (!parser.run(reader)) {
        if (error)
            *error = parser.error();
        return std::nullopt;
    }
    return reader;
}

std::optional<CompoundFileReader> CompoundFileReader::open(const std::string& path, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot open " + path;
        return std::nullopt;
    }
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parse(std::move(bytes), error);
}

const CompoundFileEntry* CompoundFileReader::find(std::u16string_view path) const
{
    for (auto& e : m_entries) {
        if (base::equals_ignoring_case(e.path, path))
            return &e;
    }
    return nullptr;
}

std::optional<std::vector<BYTE>> CompoundFileReader::read_stream(std::u16string_view path) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].type == STGTY_STREAM && base::equals_ignoring_case(m_entries[i].path, path))
            return m_stream_bytes[i];
    }
    return std::nullopt;
}

}
