#pragma once

// The names of recordings: the stem a base name and the File page's pattern make, and whether a
// file on disk is one of that stem's recordings.
//
// A stem is a strftime pattern. The base name (an event's name, or "tv") is taken literally: its
// "%" signs are doubled so they are not time codes, and path separators become "-" so the file
// stays in the recording folder. A recording is named strftime(stem), then "_" and an instance
// number or nothing, then "." and the extension; a file belongs to a stem only when its whole
// name has that form (letter case aside), so "News" and "News_late" never claim each other's
// files.
//
//     std::string stem = MakeRecordingStem("News", "%Y%m%d");       // "News_%Y%m%d"
//     IsRecordingOf(stem.c_str(), "wmv", "News_20261209_2.wmv");     // true
//     IsRecordingOf(stem.c_str(), "wmv", "News_late_20261209_1.wmv"); // false

#include <string>

// `base` null or empty is "tv"; `pattern` is appended after "_" when not empty.
std::string MakeRecordingStem(const char* base, const char* pattern);
// The literal text before the stem's first time code, for a wildcard search.
std::string RecordingStemPrefix(const char* stem);
bool IsRecordingOf(const char* stem, const char* extension, const char* fileName);
