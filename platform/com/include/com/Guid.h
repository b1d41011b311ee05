#pragma once

// GUIDs: the 128-bit identifiers of classes (CLSID) and interfaces (IID), and their text form.
//
// Named GUIDs are defined with their public values by DEFINE_GUID, which makes an inline
// constexpr object usable in every translation unit and in constant expressions:
//
//     DEFINE_GUID(CLSID_FilterGraph, 0xE436EBB3, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
//     if (IsEqualGUID(clsid, CLSID_FilterGraph)) ...
//
// The text form is the registry one, upper case with braces: {E436EBB3-524F-11CE-9F53-0020AF0BA770}.

#include <base/Types.h>
#include <com/HResults.h>

#include <string>

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using FMTID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFFMTID = const FMTID&;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCLSID = CLSID*;

#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    inline constexpr GUID name { l, w1, w2, { b1, b2, b3, b4, b5, b6, b7, b8 } }

constexpr bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i])
            return false;
    }
    return true;
}

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
constexpr bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

DEFINE_GUID(GUID_NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DEFINE_GUID(IID_NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DEFINE_GUID(CLSID_NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);

// Writes the 38-character braced form and a NUL; returns the characters written including the
// NUL (39), or 0 when `cchMax` is too small.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax);
// Parses the braced form; CO_E_CLASSSTRING for anything else.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// Parses the braced form; E_INVALIDARG for anything else.
HRESULT IIDFromString(LPCOLESTR text, LPIID iid);

namespace com {

// A strict weak order over GUIDs, for maps keyed by class or interface.
struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const;
};

// The braced upper-case form as UTF-8.
std::string guid_to_string(REFGUID guid);

}
