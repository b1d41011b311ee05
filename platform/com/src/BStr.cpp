#include <com/BStr.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

// Layout: [DWORD byte length][bytes ...][two NUL bytes]; the BSTR points at the first byte.

static std::atomic<std::int64_t> s_bstrs { 0 };

static constexpr UINT max_bstr_bytes = 0x7FFFFFF0u;

static BSTR allocate(const void* data, UINT bytes)
{
    if (bytes > max_bstr_bytes)
        return nullptr;
    auto* block = static_cast<BYTE*>(std::malloc(sizeof(DWORD) + bytes + sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    DWORD length = bytes;
    std::memcpy(block, &length, sizeof length);
    if (data)
        std::memcpy(block + sizeof(DWORD), data, bytes);
    else
        std::memset(block + sizeof(DWORD), 0, bytes);
    block[sizeof(DWORD) + bytes] = 0;
    block[sizeof(DWORD) + bytes + 1] = 0;
    ++s_bstrs;
    return reinterpret_cast<BSTR>(block + sizeof(DWORD));
}

static BYTE* block_of(BSTR bstr) { return reinterpret_cast<BYTE*>(bstr) - sizeof(DWORD); }

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    UINT length = 0;
    while (text[length])
        ++length;
    return SysAllocStringLen(text, length);
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    if (length > max_bstr_bytes / sizeof(OLECHAR))
        return nullptr;
    return allocate(text, length * static_cast<UINT>(sizeof(OLECHAR)));
}

BSTR SysAllocStringByteLen(LPCSTR data, UINT bytes) { return allocate(data, bytes); }

INT SysReAllocString(BSTR* bstr, const OLECHAR* text)
{
    if (!bstr)
        return FALSE;
    if (!text) {
        SysFreeString(*bstr);
        *bstr = nullptr;
        return TRUE;
    }
    UINT length = 0;
    while (text[length])
        ++length;
    return SysReAllocStringLen(bstr, text, length);
}

INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT length)
{
    if (!bstr)
        return FALSE;
    // Copy first: `text` may point into the old string.
    BSTR fresh = SysAllocStringLen(text, length);
    if (!fresh)
        return FALSE;
    SysFreeString(*bstr);
    *bstr = fresh;
    return TRUE;
}

void SysFreeString(BSTR bstr)
{
    if (!bstr)
        return;
    --s_bstrs;
    std::free(block_of(bstr));
}

UINT SysStringByteLen(BSTR bstr)
{
    if (!bstr)
        return 0;
    DWORD length;
    std::memcpy(&length, block_of(bstr), sizeof length);
    return length;
}

UINT SysStringLen(BSTR bstr) { return SysStringByteLen(bstr) / sizeof(OLECHAR); }

namespace com {

std::int64_t outstanding_bstrs() { return s_bstrs.load(); }

}
