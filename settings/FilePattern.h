#pragma once

// The time codes of a file-name pattern (ImprovedFilePattern): a pattern is formatted as strftime
// does, against the current local time, but only codes the runtime knows are expanded. Any other
// "%" (an unknown code such as "%q", a "%" at the end) stays in the name as typed, and a result
// that does not fit gives the pattern's text unexpanded, cut to fit, so the name is always defined.
//
//     char name[260];
//     FormatFilePattern("Event_%Y-%m-%d_%q", name, sizeof name);   // "Event_2026-12-08_%q"

#include <cstddef>

// Writes the formatted text (terminated, at most size - 1 characters) and returns its length.
std::size_t FormatFilePattern(const char* pattern, char* out, std::size_t size);
