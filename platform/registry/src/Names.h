#pragma once

// Key and value names: their limits and the splitting of `\`-separated subkey paths. Names are
// kept and compared folded (base::folded_ascii, base::equals_ignoring_case).

#include <base/Types.h>

#include <string>
#include <string_view>
#include <vector>

namespace registry {

// The longest key name and value name, in bytes.
constexpr size_t max_key_name = 255;
constexpr size_t max_value_name = 16383;
// The most levels of keys below a hive's root.
constexpr size_t max_key_depth = 512;

// Splits "a\b\c" into its names; a trailing `\` is ignored and an empty path has no names.
// Returns ERROR_SUCCESS, or ERROR_BAD_PATHNAME for a leading `\` or an empty name between two,
// or ERROR_INVALID_PARAMETER for a name longer than max_key_name.
LONG split_path(std::string_view path, std::vector<std::string>& names);

std::string join_path(const std::vector<std::string>& names);

}
