#pragma once

// Whether a file is an ASF file: every one begins with the header object's GUID.

#include <cstring>
#include <fstream>
#include <string>

namespace test_support {

inline bool is_asf_file(const std::string& path)
{
    static const unsigned char header[16] = { 0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62,
        0xCE, 0x6C };
    std::ifstream in(path, std::ios::binary);
    char bytes[16] = {};
    in.read(bytes, sizeof bytes);
    return in && std::memcmp(bytes, header, sizeof header) == 0;
}

}
