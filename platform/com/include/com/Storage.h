#pragma once

// Structured storage: IStorage over a compound file on disk, created by StgCreateDocfile.
//
// The file is written in the standard compound-file format (version 3, 512-byte sectors; streams
// under 4096 bytes in the mini stream), so other tools read it. A storage is transacted: streams
// are written in memory, Commit replaces the file with the new content (written aside and
// renamed), and releasing without Commit leaves the file as last committed. StgCreateDocfile with
// STGM_CREATE writes a valid empty file at once. Only streams directly under the root are
// supported; an open storage holds its file exclusively within the process.
//
//     IStorage* stg;  IStream* stm;
//     StgCreateDocfile(path, STGM_CREATE | STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg);
//     stg->CreateStream(u"ActiveMovieGraph", STGM_WRITE | STGM_CREATE | STGM_SHARE_EXCLUSIVE, 0, 0, &stm);
//     persist->Save(stm, TRUE);  stm->Release();
//     stg->Commit(STGC_DEFAULT);  stg->Release();

#include <com/Stream.h>

using SNB = OLECHAR**;
struct IEnumSTATSTG;

DEFINE_GUID(IID_IStorage, 0x0000000B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IStorage : IUnknown {
    // Creates a stream; an existing one is replaced with STGM_CREATE, else STG_E_FILEALREADYEXISTS.
    // Names have at most 31 characters and none of '/', '\', ':', '!' (STG_E_INVALIDNAME).
    STDMETHOD(CreateStream)(const OLECHAR* name, DWORD mode, DWORD reserved1, DWORD reserved2, IStream** stream) PURE;
    // Opens an existing stream (STG_E_FILENOTFOUND); one that is open already: STG_E_ACCESSDENIED.
    STDMETHOD(OpenStream)(const OLECHAR* name, void* reserved1, DWORD mode, DWORD reserved2, IStream** stream) PURE;
    STDMETHOD(CreateStorage)(const OLECHAR* name, DWORD mode, DWORD reserved1, DWORD reserved2, IStorage** storage) PURE;
    STDMETHOD(OpenStorage)(const OLECHAR* name, IStorage* priority, DWORD mode, SNB exclude, DWORD reserved, IStorage** storage) PURE;
    STDMETHOD(CopyTo)(DWORD exclude_count, const IID* exclude_iids, SNB exclude_names, IStorage* dest) PURE;
    STDMETHOD(MoveElementTo)(const OLECHAR* name, IStorage* dest, const OLECHAR* new_name, DWORD flags) PURE;
    // Writes every stream's current content to the file.
    STDMETHOD(Commit)(DWORD flags) PURE;
    // Throws away what was written since the last Commit.
    STDMETHOD(Revert)() PURE;
    STDMETHOD(EnumElements)(DWORD reserved1, void* reserved2, DWORD reserved3, IEnumSTATSTG** elements) PURE;
    STDMETHOD(DestroyElement)(const OLECHAR* name) PURE;
    STDMETHOD(RenameElement)(const OLECHAR* old_name, const OLECHAR* new_name) PURE;
    STDMETHOD(SetElementTimes)(const OLECHAR* name, const FILETIME* ctime, const FILETIME* atime, const FILETIME* mtime) PURE;
    STDMETHOD(SetClass)(REFCLSID clsid) PURE;
    STDMETHOD(SetStateBits)(DWORD bits, DWORD mask) PURE;
    STDMETHOD(Stat)(STATSTG* stat, DWORD flags) PURE;
};
COM_INTERFACE(IStorage, IID_IStorage, IUnknown);
using LPSTORAGE = IStorage*;

// Creates (STGM_CREATE: or truncates) a compound file at a Windows-form path. The mode must be
// transacted with write access. Fails with STG_E_FILEALREADYEXISTS (exists, no STGM_CREATE),
// STG_E_PATHNOTFOUND, STG_E_ACCESSDENIED, STG_E_SHAREVIOLATION (open in this process),
// STG_E_INVALIDFLAG (a mode not supported) or STG_E_INVALIDNAME (no path).
HRESULT StgCreateDocfile(const OLECHAR* path, DWORD mode, DWORD reserved, IStorage** storage);
