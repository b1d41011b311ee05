#pragma once

// IDispatch, late-bound automation: members are looked up by name (GetIDsOfNames) and called by
// number (Invoke) with their arguments in a DISPPARAMS, last argument first.
//
// Type information (ITypeInfo) is not provided: GetTypeInfoCount reports 0.

#include <com/BStr.h>
#include <com/Unknown.h>

using DISPID = LONG;
using MEMBERID = DISPID;
using LCID = DWORD;

struct VARIANT;
using VARIANTARG = VARIANT;
struct ITypeInfo;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

struct DISPPARAMS {
    VARIANTARG* rgvarg; // arguments, in reverse order
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource; // freed by the caller
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    PVOID pvReserved;
    HRESULT(STDMETHODCALLTYPE* pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

DEFINE_GUID(IID_IDispatch, 0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IDispatch : IUnknown {
    STDMETHOD(GetTypeInfoCount)(UINT* count) PURE;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) PURE;
    // Maps names[0] (a member) and names[1..] (its named arguments) to DISPIDs; DISP_E_UNKNOWNNAME
    // with DISPID_UNKNOWN for each name not known.
    STDMETHOD(GetIDsOfNames)(REFIID reserved, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) PURE;
    STDMETHOD(Invoke)(DISPID member, REFIID reserved, LCID locale, WORD flags, DISPPARAMS* params,
        VARIANT* result, EXCEPINFO* exception, UINT* bad_argument) PURE;
};
COM_INTERFACE(IDispatch, IID_IDispatch, IUnknown);
using LPDISPATCH = IDispatch*;

// The IDispatch members of an automation interface an object of the layer implements without type
// information: no type info, and late-bound calls are refused.
#define COM_NO_DISPATCH                                                                           \
    STDMETHODIMP GetTypeInfoCount(UINT* count) override                                             \
    {                                                                                               \
        if (!count)                                                                                 \
            return E_POINTER;                                                                       \
        *count = 0;                                                                                 \
        return S_OK;                                                                                \
    }                                                                                               \
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override                                 \
    {                                                                                               \
        if (info)                                                                                   \
            *info = nullptr;                                                                        \
        return E_NOTIMPL;                                                                           \
    }                                                                                               \
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; } \
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
