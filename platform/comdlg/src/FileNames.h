#pragma once

// The file dialog's path arithmetic on Windows-form paths: absolute, without drive, "." or ".."
// parts, and without a trailing backslash except the root "\".

#include <string>
#include <utility>
#include <vector>

namespace comdlg::detail {

// `typed` (absolute, with or without drive, or relative to `folder`) as a normal absolute path.
std::string absolute_from(const std::string& folder, std::string typed);
// The folder above (the root stays the root).
std::string parent_of(const std::string& path);
// The last part.
std::string name_of(const std::string& path);
// `folder` and a name in it.
std::string join(const std::string& folder, const std::string& name);
bool is_folder(const std::string& path);
bool is_file(const std::string& path);
// The (description, pattern) pairs of a filter of strings closed by an empty one.
std::vector<std::pair<std::string, std::string>> parse_filter(const char* filter);
// The ';'-separated parts of a pattern.
std::vector<std::string> split_patterns(const std::string& pattern);

}
