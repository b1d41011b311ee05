#pragma once

// The thread's error object: rich error text that a failing automation call leaves behind for its
// caller, next to the HRESULT it returns.
//
// A failing object makes an error object and sets it for the thread; the caller takes it (taking
// clears it) and reads its description:
//
//     SetErrorInfo(0, com::make_error_info(u"Encoder", u"No profile has been set."));   // callee
//     IErrorInfo* info = nullptr;
//     if (GetErrorInfo(0, &info) == S_OK) { BSTR text; info->GetDescription(&text); ... }  // caller
//
// Each thread has at most one error object; setting another replaces it, setting NULL clears it.

#include <com/BStr.h>
#include <com/Unknown.h>

DEFINE_GUID(IID_IErrorInfo, 0x1CF2B120, 0x547D, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19);

struct IErrorInfo : IUnknown {
    STDMETHOD(GetGUID)(GUID* guid) PURE;
    // Each text is a new BSTR the caller frees.
    STDMETHOD(GetSource)(BSTR* source) PURE;
    STDMETHOD(GetDescription)(BSTR* description) PURE;
    STDMETHOD(GetHelpFile)(BSTR* help_file) PURE;
    STDMETHOD(GetHelpContext)(DWORD* help_context) PURE;
};
COM_INTERFACE(IErrorInfo, IID_IErrorInfo, IUnknown);

// Replaces the calling thread's error object (AddRefs `info`; NULL clears). `reserved` must be 0.
HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info);
// Hands the thread's error object to the caller and clears it: S_OK, or S_FALSE with NULL when
// there is none.
HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** info);

namespace com {

// A new error object (one reference, the caller's) with the given source and description.
IErrorInfo* make_error_info(const char16_t* source, const char16_t* description);
// Makes an error object with `description` and sets it for the thread (its reference passed on).
void set_error_description(const char16_t* source, const char16_t* description);

}
