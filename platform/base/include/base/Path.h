#pragma once

// Windows-form paths and their Linux counterparts.
//
// The program writes paths as Windows does: `\` separates (`/` is accepted as well), an absolute
// path is the Linux path with `\` for `/` (`\home\ann\Videos\news_1.avi`), a leading drive
// `X:` is ignored, and a relative path follows the process's current directory. File names are
// found without regard to ASCII case, as on Windows: resolve_path() picks the entry that exists
// under another case when there is no exact one. Every file entry point converts at its edge.

#include <string>
#include <string_view>

namespace base {

// The Linux spelling of a Windows-form path, without looking at the disk.
std::string to_linux_path(std::string_view windows_path);
// The Windows form of a Linux path: `/` becomes `\`.
std::string to_windows_path(std::string_view linux_path);
// The Linux path of an existing file or folder, each part matched ignoring case (an exact match
// wins); parts that do not exist are kept as written, so the result also serves to create them.
std::string resolve_path(std::string_view windows_path);
// Matches a file name against a pattern of `*` (any run, empty included) and `?` (one
// character), ignoring ASCII case. "*.*" matches every name.
bool match_wildcard(std::string_view pattern, std::string_view name);
// The text after the last `\` or `/` (the whole text when there is none).
std::string_view file_name_of(std::string_view path);
// The Windows-form folder of the running executable, with its trailing `\`.
std::string program_folder();

}
