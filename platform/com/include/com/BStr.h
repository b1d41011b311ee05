#pragma once

// BSTR: a length-prefixed UTF-16 string, as automation passes strings.
//
// The 32-bit byte length sits just before the first character and a NUL follows the last, so a
// BSTR can hold embedded NULs and still be read as a C string. NULL is a valid empty BSTR.
// Every BSTR is counted so that tests can prove none leaks.

#include <base/Types.h>

#include <cstdint>

using BSTR = OLECHAR*;
using LPBSTR = BSTR*;

// A copy of the NUL-terminated `text`; NULL for NULL.
BSTR SysAllocString(const OLECHAR* text);
// `length` characters copied from `text`, or zeroed when `text` is NULL.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// `bytes` bytes copied from `data` (zeroed when NULL); the length may be odd.
BSTR SysAllocStringByteLen(LPCSTR data, UINT bytes);
// Replaces *bstr with a copy of `text` (which may point into *bstr); FALSE when out of memory.
INT SysReAllocString(BSTR* bstr, const OLECHAR* text);
INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT length);
void SysFreeString(BSTR bstr);
// Length in characters (byte length / 2); 0 for NULL.
UINT SysStringLen(BSTR bstr);
UINT SysStringByteLen(BSTR bstr);

namespace com {

// BSTRs allocated and not yet freed.
std::int64_t outstanding_bstrs();

}
