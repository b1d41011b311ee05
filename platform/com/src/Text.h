#pragma once

// UTF-16 helpers and the Windows-to-Linux path conversion used inside the COM area.

#include <base/Types.h>

#include <string>
#include <string_view>

namespace com::detail {

std::u16string_view wide_view(const OLECHAR* text);
std::string utf16_to_utf8(std::u16string_view text);
std::u16string utf8_to_utf16(std::string_view text);
// A Windows-form path ("\dir\file.grf", "C:\dir\x") as a Linux path ("/dir/file.grf").
std::string linux_path(std::u16string_view windows_path);
// A copy in task memory, NUL-terminated; nullptr when out of memory.
LPOLESTR task_string(std::u16string_view text);

}
