#pragma once

// The text form of a hive file.
//
//     Orbivane registry hive 1
//     ; HKEY_CURRENT_USER
//
//     [Software\Kestrelon\Orbivane]
//     "Country"=dword:ffffffff
//     "Tuner"=sz:"Card 1\0\0\0"
//     "Volume"=binary:hex:50
//     end
//
// Every key has a line of its own, parents before children; keys and values appear in folded
// name order, so writing the same tree always gives the same bytes. Each value is its name,
// its type (none, sz, expand_sz, binary, dword, dword_be, link, multi_sz, qword or typeN) and
// all of its bytes: text types as a quoted string (\\ \" \0 \n \r \t \xHH escapes, valid UTF-8
// kept as is), a four-byte dword and an eight-byte qword as one hex number, anything else as
// hex: bytes. No key is written deeper than max_key_depth. Key names escape `%`, `[`, `]`, `\`,
// control characters and bytes that are not UTF-8 as %HH. Lines starting with `;` are
// comments. The final "end" line shows the file is whole.

#include "Key.h"

#include <string>
#include <string_view>

namespace registry {

std::string write_hive_text(const Key& root, std::string_view hive_name);

// Reads a hive's text into `root` (which must be empty). On a malformed text returns false
// with the line number and the fault in `error`. Keys deeper than max_key_depth, with their
// values, are left out; *dropped then says where the first one was and how many there were.
bool parse_hive_text(std::string_view text, Key& root, const FILETIME& loaded, std::string& error, std::string* dropped = nullptr);

// A type's name in the file ("sz", "binary" ...), or null for a type written as typeN.
const char* type_name(DWORD type);
// A value's data as the file writes it.
std::string encode_data(DWORD type, const std::vector<BYTE>& data);

}
