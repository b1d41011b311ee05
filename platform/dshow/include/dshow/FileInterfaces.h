#pragma once

// IFileSourceFilter and IFileSinkFilter: filters that read or write a named file. The graph file
// records their file names (SOURCE "..." / SINK "...").

#include <dshow/FilterInterfaces.h>

DEFINE_GUID(IID_IFileSourceFilter, 0x56A868A6, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IFileSinkFilter, 0xA2104830, 0x7C70, 0x11CF, 0x8B, 0xCE, 0x00, 0xAA, 0x00, 0xA3, 0xF1, 0xA6);

struct IFileSourceFilter : IUnknown {
    STDMETHOD(Load)(LPCOLESTR file, const AM_MEDIA_TYPE* type) PURE;
    // The file name in task memory; `type` (may be NULL) receives the type, freed by the caller.
    STDMETHOD(GetCurFile)(LPOLESTR* file, AM_MEDIA_TYPE* type) PURE;
};
COM_INTERFACE(IFileSourceFilter, IID_IFileSourceFilter, IUnknown);

struct IFileSinkFilter : IUnknown {
    STDMETHOD(SetFileName)(LPCOLESTR file, const AM_MEDIA_TYPE* type) PURE;
    // The file name in task memory; `type` (may be NULL) receives the type, freed by the caller.
    STDMETHOD(GetCurFile)(LPOLESTR* file, AM_MEDIA_TYPE* type) PURE;
};
COM_INTERFACE(IFileSinkFilter, IID_IFileSinkFilter, IUnknown);
