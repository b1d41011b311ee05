#pragma once

// IStream, a seekable byte stream (ISequentialStream plus position, size and status), with the
// STGM_* access modes and STATSTG shared with storages.
//
// The layer's streams are the streams of a compound file (Storage.h); IPersistStream objects
// save themselves into one.

#include <com/Unknown.h>

// Access and sharing modes (STGM_*).
constexpr DWORD STGM_DIRECT = 0x00000000;
constexpr DWORD STGM_TRANSACTED = 0x00010000;
constexpr DWORD STGM_SIMPLE = 0x08000000;
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
constexpr DWORD STGM_PRIORITY = 0x00040000;
constexpr DWORD STGM_DELETEONRELEASE = 0x04000000;
constexpr DWORD STGM_NOSCRATCH = 0x00100000;
constexpr DWORD STGM_CREATE = 0x00001000;
constexpr DWORD STGM_CONVERT = 0x00020000;
constexpr DWORD STGM_FAILIFTHERE = 0x00000000;
constexpr DWORD STGM_NOSNAPSHOT = 0x00200000;

// Commit flags (STGC_*).
constexpr DWORD STGC_DEFAULT = 0;
constexpr DWORD STGC_OVERWRITE = 1;
constexpr DWORD STGC_ONLYIFCURRENT = 2;
constexpr DWORD STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE = 4;

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;

constexpr DWORD STGTY_STORAGE = 1;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STGTY_LOCKBYTES = 3;
constexpr DWORD STGTY_PROPERTY = 4;

// Status of a stream or storage. pwcsName is task memory (CoTaskMemFree) unless STATFLAG_NONAME.
struct STATSTG {
    LPOLESTR pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

DEFINE_GUID(IID_ISequentialStream, 0x0C733A30, 0x2A1C, 0x11CE, 0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D);
DEFINE_GUID(IID_IStream, 0x0000000C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct ISequentialStream : IUnknown {
    // Reads up to `count` bytes at the position; S_OK also at the end (with *read < count).
    STDMETHOD(Read)(void* buffer, ULONG count, ULONG* read) PURE;
    // Writes `count` bytes at the position, growing the stream as needed.
    STDMETHOD(Write)(const void* buffer, ULONG count, ULONG* written) PURE;
};
COM_INTERFACE(ISequentialStream, IID_ISequentialStream, IUnknown);

struct IStream : ISequentialStream {
    // Moves the position relative to STREAM_SEEK_SET/CUR/END; a position before 0 is refused.
    STDMETHOD(Seek)(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* new_position) PURE;
    STDMETHOD(SetSize)(ULARGE_INTEGER size) PURE;
    STDMETHOD(CopyTo)(IStream* dest, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) PURE;
    STDMETHOD(Commit)(DWORD flags) PURE;
    STDMETHOD(Revert)() PURE;
    STDMETHOD(LockRegion)(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lock_type) PURE;
    STDMETHOD(UnlockRegion)(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lock_type) PURE;
    STDMETHOD(Stat)(STATSTG* stat, DWORD flags) PURE;
    STDMETHOD(Clone)(IStream** clone) PURE;
};
COM_INTERFACE(IStream, IID_IStream, ISequentialStream);
using LPSTREAM = IStream*;

namespace com {

// Where IStream::Seek moves a stream of `size` bytes at `position`; STG_E_INVALIDFUNCTION for an
// unknown origin or a place before the start, leaving `target` alone.
HRESULT seek_target(ULONGLONG position, ULONGLONG size, LARGE_INTEGER move, DWORD origin, ULONGLONG& target);

}
