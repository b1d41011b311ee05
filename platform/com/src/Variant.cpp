#include <com/Variant.h>

#include "Text.h"

#include <base/Text.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>

namespace {

bool is_known_type(VARTYPE vt)
{
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

// The value of an integer-like or boolean variant, or nothing for other types.
std::optional<std::int64_t> integer_of(const VARIANT& v)
{
    switch (v.vt) {
    case VT_EMPTY:
        return 0;
    case VT_I4:
    case VT_INT:
        return v.lVal;
    case VT_UI4:
    case VT_UINT:
        return v.ulVal;
    case VT_BOOL:
        return v.boolVal;
    case VT_I2:
        return v.iVal;
    case VT_UI2:
        return v.uiVal;
    case VT_UI1:
        return v.bVal;
    case VT_I1:
        return static_cast<signed char>(v.cVal);
    default:
        return std::nullopt;
    }
}

// Parses optional blanks, an optional sign and decimal digits; nothing for other text.
std::optional<std::int64_t> parse_integer(std::u16string_view text, bool& overflow)
{
    overflow = false;
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    size_t digits_start = i;
    std::int64_t value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + (text[i] - u'0');
        if (value > 0xFFFFFFFFll)
            overflow = true;
        ++i;
    }
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i == digits_start || i != text.size())
        return std::nullopt;
    return negative ? -value : value;
}

BSTR bstr_of(const std::string& ascii)
{
    std::u16string wide(ascii.begin(), ascii.end());
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

// Converts `source` to `type` into the empty `out`.
HRESULT convert(const VARIANT& source, VARTYPE type, VARIANT& out)
{
    if (source.vt == type)
        return VariantCopy(&out, &source);

    switch (type) {
    case VT_EMPTY:
        return S_OK;

    case VT_I4:
    case VT_UI4:
    case VT_BOOL: {
        std::optional<std::int64_t> value;
        if (source.vt == VT_BSTR) {
            auto text = std::u16string_view(source.bstrVal ? source.bstrVal : u"", SysStringLen(source.bstrVal));
            if (type == VT_BOOL && base::equals_ignoring_case(text, u"True")) {
                value = -1;
            } else if (type == VT_BOOL && base::equals_ignoring_case(text, u"False")) {
                value = 0;
            } else {
                bool overflow = false;
                value = parse_integer(text, overflow);
                if (overflow)
                    return DISP_E_OVERFLOW;
            }
        } else {
            value = integer_of(source);
        }
        if (!value)
            return DISP_E_TYPEMISMATCH;
        if (type == VT_I4) {
            if (*value < INT32_MIN || *value > INT32_MAX)
                return DISP_E_OVERFLOW;
            out.lVal = static_cast<LONG>(*value);
        } else if (type == VT_UI4) {
            if (*value < 0 || *value > UINT32_MAX)
                return DISP_E_OVERFLOW;
            out.ulVal = static_cast<ULONG>(*value);
        } else {
            out.boolVal = *value ? VARIANT_TRUE : VARIANT_FALSE;
        }
        out.vt = type;
        return S_OK;
    }

    case VT_BSTR: {
        std::string text;
        if (source.vt == VT_BOOL) {
            text = source.boolVal ? "True" : "False";
        } else if (source.vt == VT_EMPTY) {
            text = "";
        } else if (auto value = integer_of(source)) {
            text = std::to_string(*value);
        } else {
            return DISP_E_TYPEMISMATCH;
        }
        BSTR bstr = bstr_of(text);
        if (!bstr)
            return E_OUTOFMEMORY;
        out.vt = VT_BSTR;
        out.bstrVal = bstr;
        return S_OK;
    }

    case VT_UNKNOWN:
    case VT_DISPATCH: {
        if (source.vt != VT_UNKNOWN && source.vt != VT_DISPATCH)
            return DISP_E_TYPEMISMATCH;
        IUnknown* from = source.vt == VT_UNKNOWN ? source.punkVal : source.pdispVal;
        void* interface = nullptr;
        if (from) {
            HRESULT hr = from->QueryInterface(type == VT_UNKNOWN ? IID_IUnknown : IID_IDispatch, &interface);
            if (FAILED(hr))
                return hr;
        }
        out.vt = type;
        if (type == VT_UNKNOWN)
            out.punkVal = static_cast<IUnknown*>(interface);
        else
            out.pdispVal = static_cast<IDispatch*>(interface);
        return S_OK;
    }

    default:
        return is_known_type(type) ? DISP_E_TYPEMISMATCH : DISP_E_BADVARTYPE;
    }
}

}

void VariantInit(VARIANT* v)
{
    if (v)
        v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v)
{
    if (!v)
        return E_INVALIDARG;
    if (!is_known_type(v->vt))
        return DISP_E_BADVARTYPE;
    if (v->vt == VT_BSTR)
        SysFreeString(v->bstrVal);
    else if (v->vt == VT_UNKNOWN && v->punkVal)
        v->punkVal->Release();
    else if (v->vt == VT_DISPATCH && v->pdispVal)
        v->pdispVal->Release();
    v->vt = VT_EMPTY;
    v->llVal = 0;
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source)
{
    if (!dest || !source)
        return E_INVALIDARG;
    if (dest == source)
        return S_OK;
    if (!is_known_type(source->vt))
        return DISP_E_BADVARTYPE;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    VARIANT copy = *source;
    if (source->vt == VT_BSTR && source->bstrVal) {
        copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source->bstrVal), SysStringByteLen(source->bstrVal));
        if (!copy.bstrVal)
            return E_OUTOFMEMORY;
    } else if (source->vt == VT_UNKNOWN && source->punkVal) {
        source->punkVal->AddRef();
    } else if (source->vt == VT_DISPATCH && source->pdispVal) {
        source->pdispVal->AddRef();
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, USHORT, VARTYPE type)
{
    if (!dest || !source)
        return E_INVALIDARG;
    if (!is_known_type(source->vt))
        return DISP_E_BADVARTYPE;
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = convert(*source, type, result);
    if (FAILED(hr))
        return hr;
    // `dest` may be `source`: clear it only once the conversion has succeeded.
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *dest = result;
    return S_OK;
}
