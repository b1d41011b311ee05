#pragma once

// The compound-file binary format, version 3: constants and the writer used by the storages.

#include <com/Guid.h>

#include <string>
#include <vector>

namespace com::cfb {

constexpr BYTE signature[8] = { 0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1 };
constexpr WORD minor_version = 0x003E;
constexpr WORD major_version = 3;
constexpr WORD byte_order = 0xFFFE;
constexpr WORD sector_shift = 9;
constexpr WORD mini_sector_shift = 6;
constexpr size_t sector_size = 512;
constexpr size_t mini_sector_size = 64;
constexpr size_t header_size = 512;
constexpr DWORD mini_stream_cutoff = 4096;
constexpr size_t entry_size = 128;
constexpr size_t entries_per_sector = sector_size / entry_size;
constexpr size_t ids_per_sector = sector_size / 4;
constexpr size_t header_difat_count = 109;
constexpr size_t max_name_units = 31; // plus the terminator: 64 bytes

constexpr DWORD MAXREGSECT = 0xFFFFFFFA;
constexpr DWORD DIFSECT = 0xFFFFFFFC;
constexpr DWORD FATSECT = 0xFFFFFFFD;
constexpr DWORD ENDOFCHAIN = 0xFFFFFFFE;
constexpr DWORD FREESECT = 0xFFFFFFFF;
constexpr DWORD NOSTREAM = 0xFFFFFFFF;

constexpr BYTE type_unused = 0;
constexpr BYTE type_storage = 1;
constexpr BYTE type_stream = 2;
constexpr BYTE type_root = 5;
constexpr BYTE color_red = 0;
constexpr BYTE color_black = 1;

// Directory order: shorter names first, then by code unit with ASCII letters upper-cased.
int compare_names(std::u16string_view a, std::u16string_view b);

struct StreamContent {
    std::u16string name;
    std::vector<BYTE> bytes;
};

// The whole file for streams directly under the root.
std::vector<BYTE> build_file(const std::vector<StreamContent>& streams, const CLSID& root_clsid, const FILETIME& modified);

}
