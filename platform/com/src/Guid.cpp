#include <com/Guid.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int guid_text_length = 38;

std::string format(REFGUID g)
{
    char text[guid_text_length + 1];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
        static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
        g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

int hex_value(OLECHAR c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool parse(LPCOLESTR text, GUID* out)
{
    if (!text)
        return false;
    size_t length = 0;
    while (length <= guid_text_length && text[length])
        ++length;
    if (length != guid_text_length || text[0] != u'{' || text[37] != u'}')
        return false;
    for (int dash : { 9, 14, 19, 24 }) {
        if (text[dash] != u'-')
            return false;
    }
    auto read = [&](int from, int digits, std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < digits; ++i) {
            int v = hex_value(text[from + i]);
            if (v < 0)
                return false;
            value = (value << 4) | static_cast<std::uint32_t>(v);
        }
        return true;
    };
    std::uint32_t v = 0;
    GUID g {};
    if (!read(1, 8, v))
        return false;
    g.Data1 = v;
    if (!read(10, 4, v))
        return false;
    g.Data2 = static_cast<WORD>(v);
    if (!read(15, 4, v))
        return false;
    g.Data3 = static_cast<WORD>(v);
    static constexpr int byte_at[8] = { 20, 22, 25, 27, 29, 31, 33, 35 };
    for (int i = 0; i < 8; ++i) {
        if (!read(byte_at[i], 2, v))
            return false;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    *out = g;
    return true;
}

}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax)
{
    if (!buffer || cchMax < guid_text_length + 1)
        return 0;
    std::string text = format(guid);
    for (int i = 0; i < guid_text_length; ++i)
        buffer[i] = static_cast<OLECHAR>(text[i]);
    buffer[guid_text_length] = 0;
    return guid_text_length + 1;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    if (!parse(text, clsid)) {
        *clsid = CLSID_NULL;
        return CO_E_CLASSSTRING;
    }
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR text, LPIID iid)
{
    if (!iid)
        return E_INVALIDARG;
    if (!parse(text, iid)) {
        *iid = IID_NULL;
        return E_INVALIDARG;
    }
    return S_OK;
}

namespace com {

bool GuidLess::operator()(const GUID& a, const GUID& b) const
{
    if (a.Data1 != b.Data1)
        return a.Data1 < b.Data1;
    if (a.Data2 != b.Data2)
        return a.Data2 < b.Data2;
    if (a.Data3 != b.Data3)
        return a.Data3 < b.Data3;
    return std::memcmp(a.Data4, b.Data4, sizeof a.Data4) < 0;
}

std::string guid_to_string(REFGUID guid) { return format(guid); }

}
