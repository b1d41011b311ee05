#pragma once

// IBindCtx, the context of a moniker binding: objects kept alive for the binding, options, and
// named parameters. Created by CreateBindCtx; monikers here accept a NULL one as well.

#include <com/Unknown.h>

struct IRunningObjectTable;
struct IEnumString;

struct BIND_OPTS {
    DWORD cbStruct; // sizeof(BIND_OPTS)
    DWORD grfFlags;
    DWORD grfMode;
    DWORD dwTickCountDeadline;
};

DEFINE_GUID(IID_IBindCtx, 0x0000000E, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IBindCtx : IUnknown {
    // Holds a reference to `object` until ReleaseBoundObjects or the context's end.
    STDMETHOD(RegisterObjectBound)(IUnknown* object) PURE;
    STDMETHOD(RevokeObjectBound)(IUnknown* object) PURE;
    STDMETHOD(ReleaseBoundObjects)() PURE;
    STDMETHOD(SetBindOptions)(BIND_OPTS* options) PURE;
    STDMETHOD(GetBindOptions)(BIND_OPTS* options) PURE;
    STDMETHOD(GetRunningObjectTable)(IRunningObjectTable** table) PURE;
    STDMETHOD(RegisterObjectParam)(LPOLESTR key, IUnknown* object) PURE;
    STDMETHOD(GetObjectParam)(LPOLESTR key, IUnknown** object) PURE;
    STDMETHOD(EnumObjectParam)(IEnumString** keys) PURE;
    STDMETHOD(RevokeObjectParam)(LPOLESTR key) PURE;
};
COM_INTERFACE(IBindCtx, IID_IBindCtx, IUnknown);
using LPBC = IBindCtx*;

HRESULT CreateBindCtx(DWORD reserved, LPBC* context);
