#pragma once

// ISpecifyPropertyPages: an object lists the CLSIDs of its property pages, which a property
// frame then creates. GetPages fills a CAUUID whose pElems is task memory (CoTaskMemAlloc) that
// the caller frees with CoTaskMemFree; an object without pages gives cElems 0 and pElems NULL.

#include <com/Unknown.h>

DEFINE_GUID(IID_ISpecifyPropertyPages, 0xB196B28B, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);

struct CAUUID {
    ULONG cElems;
    GUID* pElems;
};

struct ISpecifyPropertyPages : IUnknown {
    STDMETHOD(GetPages)(CAUUID* pages) PURE;
};
COM_INTERFACE(ISpecifyPropertyPages, IID_ISpecifyPropertyPages, IUnknown);
