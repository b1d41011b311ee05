#pragma once

// The configuration interfaces of the AVI multiplexer: IConfigAviMux (master stream, the 'idx1'
// compatibility index) and IConfigInterleaving (how the streams are interleaved). The modes are
// those of dshow::AviWriter (AviWriter.h), which writes the file.

#include <com/Unknown.h>
#include <dshow/AviWriter.h>

DEFINE_GUID(IID_IConfigAviMux, 0x5ACD6AA0, 0xF482, 0x11CE, 0x8B, 0x67, 0x00, 0xAA, 0x00, 0xA3, 0xF1, 0xA6);
DEFINE_GUID(IID_IConfigInterleaving, 0xBEE3D220, 0x157B, 0x11D0, 0xBD, 0x23, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);

struct IConfigAviMux : IUnknown {
    // The stream (0-based, in the order the inputs were connected) whose duration sets the
    // video timing; -1 for none. A number beyond the streams is accepted and changes nothing.
    STDMETHOD(SetMasterStream)(LONG stream) PURE;
    STDMETHOD(GetMasterStream)(LONG* stream) PURE;
    // TRUE writes the 'idx1' index older readers need besides the OpenDML indexes.
    STDMETHOD(SetOutputCompatibilityIndex)(BOOL old_index) PURE;
    STDMETHOD(GetOutputCompatibilityIndex)(BOOL* old_index) PURE;
};
COM_INTERFACE(IConfigAviMux, IID_IConfigAviMux, IUnknown);

struct IConfigInterleaving : IUnknown {
    // One of the INTERLEAVE_* values; E_INVALIDARG otherwise.
    STDMETHOD(put_Mode)(InterleavingMode mode) PURE;
    STDMETHOD(get_Mode)(InterleavingMode* mode) PURE;
    // The stream time of one interleave block and how far sound is written ahead of the video
    // (100 ns units); a NULL pointer keeps that value.
    STDMETHOD(put_Interleaving)(const REFERENCE_TIME* interleave, const REFERENCE_TIME* preroll) PURE;
    STDMETHOD(get_Interleaving)(REFERENCE_TIME* interleave, REFERENCE_TIME* preroll) PURE;
};
COM_INTERFACE(IConfigInterleaving, IID_IConfigInterleaving, IUnknown);
