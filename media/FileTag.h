#pragma once

// The text tags a recording carries near its start ("Recorded by ...", "copyright ..."), found
// without parsing the file: the first 998 two-byte units are searched for the tag's name as
// UTF-16 text, ignoring ASCII case, and the text from the name up to the next zero unit is the
// tag. The file is read in binary and never past what it holds. Used by the player and the
// archive browser.
//
//     char text[260];
//     if (FindFileTag(path, "Recorded by", sizeof text, text)) ...   // "Recorded by Orbivane 1.0"

#include <base/Types.h>

// True with the tag's text (cut to `size` bytes with the terminator) in `out`; false when the
// file cannot be read or holds no such text.
bool FindFileTag(const char* path, const char* name, int size, char* out);

// The tag lookup of the player and the archive browser: only the tags "orbivane", "copyright" and
// "Recorded by" (any case) are looked for; any other name is false.
bool FindRecordingTag(const char* path, const char* name, int size, char* out);
