#pragma once

// Where a value of a JSON text stands, for messages that point a person at the line to mend.
//
// A value is named by its path from the document: keys joined by '.', array indexes in
// brackets ("capture_cards[0].crossbar.inputs[2].type"); the empty path is the document itself.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sim::detail {

// The line (from 1) on which the value at `path` starts; nullopt when the text has no such value.
std::optional<std::size_t> json_line_of(std::string_view text, const std::string& path);
// The line (from 1) that holds the byte at `offset` of the text.
std::size_t line_at(std::string_view text, std::size_t offset);

}
