#pragma once

// IPersist and IPersistStream: objects that tell their class and save themselves into a stream
// (and load themselves back), as a filter graph does into a graph file.

#include <com/Stream.h>

DEFINE_GUID(IID_IPersist, 0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IPersistStream, 0x00000109, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IPersist : IUnknown {
    STDMETHOD(GetClassID)(CLSID* clsid) PURE;
};
COM_INTERFACE(IPersist, IID_IPersist, IUnknown);

struct IPersistStream : IPersist {
    // S_OK when the object changed since it was last saved, S_FALSE otherwise.
    STDMETHOD(IsDirty)() PURE;
    STDMETHOD(Load)(IStream* stream) PURE;
    // Writes the object at the stream's position; `clear_dirty` resets the changed state.
    STDMETHOD(Save)(IStream* stream, BOOL clear_dirty) PURE;
    STDMETHOD(GetSizeMax)(ULARGE_INTEGER* size) PURE;
};
COM_INTERFACE(IPersistStream, IID_IPersistStream, IPersist);
using LPPERSISTSTREAM = IPersistStream*;
