#pragma once

// VARIANT, the tagged value of automation, and the calls that initialise, clear, copy and convert it.
//
// A VARIANT owns what it holds: VariantClear frees a BSTR and releases an interface, VariantCopy
// makes a deep copy. VariantChangeType converts between VT_EMPTY, VT_I4, VT_UI4, VT_BOOL, VT_BSTR,
// VT_UNKNOWN and VT_DISPATCH (numbers as decimal text, booleans as "True"/"False"); other
// conversions fail with DISP_E_TYPEMISMATCH, overflow with DISP_E_OVERFLOW.
//
//     VARIANT v;
//     VariantInit(&v);
//     bag->Read(L"FriendlyName", &v, nullptr);     // v.vt == VT_BSTR
//     VariantClear(&v);

#include <com/BStr.h>
#include <com/Dispatch.h>

using VARTYPE = USHORT;
using VARIANT_BOOL = SHORT;
using DATE = double;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        ULONGLONG ullVal;
        LONG lVal;
        ULONG ulVal;
        INT intVal;
        UINT uintVal;
        SHORT iVal;
        USHORT uiVal;
        CHAR cVal;
        BYTE bVal;
        float fltVal;
        double dblVal;
        DATE date;
        VARIANT_BOOL boolVal;
        SCODE scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        void* byref;
    };
};
using LPVARIANT = VARIANT*;

#define V_VT(v) ((v)->vt)
#define V_I4(v) ((v)->lVal)
#define V_UI4(v) ((v)->ulVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_BSTR(v) ((v)->bstrVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_DISPATCH(v) ((v)->pdispVal)

// VariantChangeType flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x1;
constexpr USHORT VARIANT_ALPHABOOL = 0x2;

// Sets vt to VT_EMPTY without freeing anything.
void VariantInit(VARIANT* v);
// Frees what the variant holds and sets VT_EMPTY; DISP_E_BADVARTYPE for a type it does not know.
HRESULT VariantClear(VARIANT* v);
// Clears `dest`, then deep-copies `source` into it.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);
// Converts `source` to `type` into `dest` (which may be `source`); `dest` is cleared first.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, USHORT flags, VARTYPE type);
