#pragma once

// IClassFactory, the object that makes instances of one class (what CoGetClassObject returns).

#include <com/Unknown.h>

DEFINE_GUID(IID_IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IClassFactory : IUnknown {
    // Makes a new instance and hands out its `iid` interface; `outer` asks for aggregation.
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID iid, void** out) PURE;
    // Keeps the server loaded while locked; nothing is ever unloaded here, so it only counts.
    STDMETHOD(LockServer)(BOOL lock) PURE;
};
COM_INTERFACE(IClassFactory, IID_IClassFactory, IUnknown);
