#pragma once

// What the file API's parts share: the path tests, the error for a missing path, the metadata
// of a file as the Windows calls report it, and the Windows way of returning text.

#include <base/Errors.h>
#include <base/Types.h>

#include <string>
#include <sys/stat.h>

namespace base::files {

// The folder a Linux path is in ("." for a bare name, "/" at the root).
std::string parent_of(const std::string& linux_path);
bool is_directory(const std::string& linux_path);
// Without the owner's write permission a file or folder counts as read-only, for every user.
bool read_only(const struct stat& st);
bool folder_read_only(const std::string& linux_path);
// The error for a path that is not there: the file, or a folder on its way.
DWORD missing_error(const std::string& linux_path);
// Sets the last error; FALSE.
BOOL fail(DWORD code);

struct Info {
    DWORD attributes;
    FILETIME created;
    FILETIME accessed;
    FILETIME written;
    ULONGLONG size;
};

// A file's metadata (the creation time as tests may have set it); false when it is not there.
bool query(const std::string& linux_path, Info& info);

// Copies a result into a caller's buffer the Windows way: the length without the terminator,
// or, when it does not fit, the size needed with it.
DWORD return_text(const std::string& text, LPSTR buffer, DWORD size);

}
