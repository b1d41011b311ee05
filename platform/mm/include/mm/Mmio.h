#pragma once

// Multimedia file I/O (mmio): opening a file by name and closing it again.
//
// Only what the program calls is built: creating a file for writing (MMIO_CREATE | MMIO_WRITE)
// in compatibility sharing, which makes a new empty file or empties an existing one; opening an
// existing file for reading and writing (MMIO_READWRITE), which fails while another opener's
// sharing forbids writing (MMIOERR_SHARINGVIOLATION: the file is in use) or the file is
// read-only (MMIOERR_ACCESSDENIED); closing either; asking whether a file exists (MMIO_EXIST) and deleting one (MMIO_DELETE), which open
// nothing and answer TRUE (as an HMMIO, not to be closed) or NULL. The path is Windows-form (see base/Path.h) and names a plain file: a '+' in it has no
// compound-file meaning. Other open modes fail with MMSYSERR_NOTSUPPORTED; a failed open gives
// NULL and, when an MMIOINFO is passed, the reason in its wErrorRet.
//
//     HMMIO file = mmioOpenA(path, nullptr, MMIO_CREATE | MMIO_WRITE);
//     if (file)
//         mmioClose(file, 0);

#include <base/Types.h>
#include <mm/MmSystem.h>

// Access.
#define MMIO_READ 0x00000000
#define MMIO_WRITE 0x00000001
#define MMIO_READWRITE 0x00000002
// Sharing: compatibility mode, the only one built.
#define MMIO_COMPAT 0x00000000
// Creation.
#define MMIO_CREATE 0x00001000
// Without opening: delete the file, or test that it exists.
#define MMIO_DELETE 0x00000200
#define MMIO_EXIST 0x00004000

#define MMIOERR_BASE 256
#define MMIOERR_FILENOTFOUND (MMIOERR_BASE + 1)
#define MMIOERR_OUTOFMEMORY (MMIOERR_BASE + 2)
#define MMIOERR_CANNOTOPEN (MMIOERR_BASE + 3)
#define MMIOERR_CANNOTCLOSE (MMIOERR_BASE + 4)
#define MMIOERR_PATHNOTFOUND (MMIOERR_BASE + 11)
#define MMIOERR_ACCESSDENIED (MMIOERR_BASE + 12)
#define MMIOERR_SHARINGVIOLATION (MMIOERR_BASE + 13)
#define MMIOERR_TOOMANYOPENFILES (MMIOERR_BASE + 15)

using FOURCC = DWORD;
using LPMMIOPROC = LRESULT (*)(LPSTR info, UINT message, LPARAM param1, LPARAM param2);

// How a file is to be opened and, after a failure, why it was not. Callers zero it; only
// wErrorRet is written back here (buffered and custom I/O are not built).
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;
    LPMMIOPROC pIOProc;
    UINT wErrorRet;
    HANDLE htask;
    LONG cchBuffer;
    LPSTR pchBuffer;
    LPSTR pchNext;
    LPSTR pchEndRead;
    LPSTR pchEndWrite;
    LONG lBufOffset;
    LONG lDiskOffset;
    DWORD adwInfo[3];
    DWORD dwReserved1;
    DWORD dwReserved2;
    HMMIO hmmio;
};
using LPMMIOINFO = MMIOINFO*;

// Opens `path` as `flags` say; NULL on failure (the reason in info->wErrorRet when given).
HMMIO mmioOpenA(LPSTR path, LPMMIOINFO info, DWORD flags);
// Closes a file mmioOpenA opened; MMSYSERR_INVALHANDLE for anything else.
MMRESULT mmioClose(HMMIO file, UINT flags);
