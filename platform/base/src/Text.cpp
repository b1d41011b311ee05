#include <base/Errors.h>
#include <base/Text.h>

#include <algorithm>
#include <cstring>

namespace base {

namespace {

// Decodes one character at text[i]; a malformed byte counts as one character U+FFFD.
char32_t decode_utf8(std::string_view text, std::size_t i, std::size_t& length)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char b0 = byte(i);
    length = 1;
    if (b0 < 0x80)
        return b0;
    int count;
    char32_t cp;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        count = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        count = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        count = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0xFFFD;
    }
    for (int k = 1; k <= count; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0xFFFD;
    length = count + 1;
    return cp;
}

void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void append_utf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

// Decodes one UTF-16 character; a lone surrogate becomes U+FFFD.
char32_t decode_utf16(std::u16string_view text, std::size_t i, std::size_t& length)
{
    char16_t u = text[i];
    length = 1;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        length = 2;
        return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    if (u >= 0xD800 && u <= 0xDFFF)
        return 0xFFFD;
    return u;
}

int sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

}

std::size_t utf8_cut(std::string_view text, std::size_t max_bytes)
{
    if (text.size() <= max_bytes)
        return text.size();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t length;
        decode_utf8(text, i, length);
        if (i + length > max_bytes)
            break;
        i += length;
    }
    return i;
}

std::size_t copy_bounded(char* dest, std::size_t capacity, std::string_view source)
{
    if (!dest || capacity == 0)
        return 0;
    std::size_t n = utf8_cut(source, capacity - 1);
    std::memmove(dest, source.data(), n);
    dest[n] = '\0';
    return n;
}

std::size_t copy_bounded(char* dest, std::size_t capacity, const char* source)
{
    return copy_bounded(dest, capacity, std::string_view(source ? source : ""));
}

std::size_t copy_bounded(WCHAR* dest, std::size_t capacity, std::u16string_view source)
{
    if (!dest || capacity == 0)
        return 0;
    std::size_t n = std::min(source.size(), capacity - 1);
    if (n > 0 && n < source.size() && source[n - 1] >= 0xD800 && source[n - 1] <= 0xDBFF)
        --n;
    std::memmove(dest, source.data(), n * sizeof(WCHAR));
    dest[n] = 0;
    return n;
}

std::u16string to_utf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length;
        append_utf16(out, decode_utf8(text, i, length));
        i += length;
    }
    return out;
}

std::string to_utf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length;
        append_utf8(out, decode_utf16(text, i, length));
        i += length;
    }
    return out;
}

std::size_t u16_length(const WCHAR* text)
{
    std::size_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

std::string folded_ascii(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = fold_ascii(c);
    return folded;
}

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold_ascii(a[i]) != fold_ascii(b[i]))
            return false;
    return true;
}

bool equals_ignoring_case(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper_ascii(a[i]) != upper_ascii(b[i]))
            return false;
    return true;
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equals_ignoring_case(text.substr(0, prefix.size()), prefix);
}

namespace {

// One conversion of the Windows formatter: flags, width, precision, size and type.
struct Conversion {
    bool left = false;
    bool zero = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;
    bool wide_64 = false;
    bool half = false;
};

void pad_into(std::string& out, std::string_view body, const Conversion& conv, bool numeric, std::size_t sign_prefix)
{
    std::size_t length = body.size();
    std::size_t width = conv.width > 0 ? static_cast<std::size_t>(conv.width) : 0;
    if (length >= width) {
        out += body;
        return;
    }
    std::size_t fill = width - length;
    if (conv.left) {
        out += body;
        out.append(fill, ' ');
    } else if (conv.zero && numeric) {
        out += body.substr(0, sign_prefix);
        out.append(fill, '0');
        out += body.substr(sign_prefix);
    } else {
        out.append(fill, ' ');
        out += body;
    }
}

void format_integer(std::string& out, ULONGLONG magnitude, bool negative, unsigned radix, bool upper, const Conversion& conv)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string number;
    do {
        number.push_back(digits[magnitude % radix]);
        magnitude /= radix;
    } while (magnitude);
    std::reverse(number.begin(), number.end());
    if (conv.precision >= 0 && number.size() < static_cast<std::size_t>(conv.precision))
        number.insert(0, static_cast<std::size_t>(conv.precision) - number.size(), '0');
    if (conv.precision == 0 && number == "0")
        number.clear();
    std::string_view prefix;
    if (negative)
        prefix = "-";
    else if (conv.alternate && radix == 16 && number != "0" && !number.empty())
        prefix = upper ? "0X" : "0x";
    std::string body;
    body.reserve(prefix.size() + number.size());
    body.append(prefix).append(number);
    pad_into(out, body, conv, conv.precision < 0, prefix.size());
}

std::string format_impl(const char* format, va_list args, bool wide)
{
    std::string out;
    if (!format)
        return out;
    for (const char* p = format; *p;) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        ++p;
        Conversion conv;
        for (;; ++p) {
            if (*p == '-')
                conv.left = true;
            else if (*p == '0')
                conv.zero = true;
            else if (*p == '#')
                conv.alternate = true;
            else
                break;
        }
        while (*p >= '0' && *p <= '9')
            conv.width = conv.width * 10 + (*p++ - '0');
        if (*p == '.') {
            ++p;
            conv.precision = 0;
            while (*p >= '0' && *p <= '9')
                conv.precision = conv.precision * 10 + (*p++ - '0');
        }
        if (*p == 'l') {
            ++p; // 32 bits: the same as no size
        } else if (*p == 'h') {
            conv.half = true;
            ++p;
        } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            conv.wide_64 = true;
            p += 3;
        }
        char type = *p;
        if (!type)
            break;
        ++p;
        switch (type) {
        case 'd':
        case 'i': {
            LONGLONG value = conv.wide_64 ? va_arg(args, LONGLONG) : static_cast<LONGLONG>(va_arg(args, int));
            if (conv.half)
                value = static_cast<SHORT>(value);
            ULONGLONG magnitude = value < 0 ? ULONGLONG(0) - static_cast<ULONGLONG>(value) : static_cast<ULONGLONG>(value);
            format_integer(out, magnitude, value < 0, 10, false, conv);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            ULONGLONG value = conv.wide_64 ? va_arg(args, ULONGLONG) : static_cast<ULONGLONG>(va_arg(args, unsigned int));
            if (conv.half)
                value = static_cast<WORD>(value);
            format_integer(out, value, false, type == 'u' ? 10 : 16, type == 'X', conv);
            break;
        }
        case 'c':
        case 'C': {
            int value = va_arg(args, int);
            std::string body;
            bool wide_char = (type == 'C') != wide;
            if (wide_char)
                body = to_utf8(std::u16string(1, static_cast<char16_t>(value)));
            else
                body = std::string(1, static_cast<char>(value));
            pad_into(out, body, conv, false, 0);
            break;
        }
        case 's':
        case 'S': {
            bool wide_string = (type == 'S') != wide;
            std::string body;
            if (wide_string) {
                auto* text = va_arg(args, const WCHAR*);
                std::u16string_view view = text ? std::u16string_view(text, u16_length(text)) : u"(null)";
                if (conv.precision >= 0 && view.size() > static_cast<std::size_t>(conv.precision))
                    view = view.substr(0, static_cast<std::size_t>(conv.precision));
                body = to_utf8(view);
            } else {
                auto* text = va_arg(args, const char*);
                std::string_view view = text ? text : "(null)";
                if (conv.precision >= 0)
                    view = view.substr(0, utf8_cut(view, static_cast<std::size_t>(conv.precision)));
                body = std::string(view);
            }
            pad_into(out, body, conv, false, 0);
            break;
        }
        default:
            out += type; // "%%" and unknown conversions give the character itself
            break;
        }
    }
    return out;
}

constexpr std::size_t wsprintf_limit = 1024;

}

std::string format_windows(const char* format, va_list args) { return format_impl(format, args, false); }

}

int lstrcmpA(LPCSTR a, LPCSTR b)
{
    if (!a || !b)
        return a ? 1 : b ? -1 : 0;
    return base::sign(std::strcmp(a, b));
}

int lstrcmpiA(LPCSTR a, LPCSTR b)
{
    if (!a || !b)
        return a ? 1 : b ? -1 : 0;
    return base::sign(_stricmp(a, b));
}

int lstrlenA(LPCSTR text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

LPSTR lstrcpyA(LPSTR dest, LPCSTR source)
{
    if (!dest || !source)
        return nullptr;
    std::memmove(dest, source, std::strlen(source) + 1);
    return dest;
}

LPSTR lstrcpynA(LPSTR dest, LPCSTR source, int max_length)
{
    if (!dest || max_length <= 0)
        return dest;
    base::copy_bounded(dest, static_cast<std::size_t>(max_length), source);
    return dest;
}

LPSTR lstrcatA(LPSTR dest, LPCSTR source)
{
    if (!dest || !source)
        return nullptr;
    std::memmove(dest + std::strlen(dest), source, std::strlen(source) + 1);
    return dest;
}

int _stricmp(const char* a, const char* b) { return _strnicmp(a, b, static_cast<std::size_t>(-1)); }

int _strnicmp(const char* a, const char* b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        int ca = static_cast<unsigned char>(base::fold_ascii(a[i]));
        int cb = static_cast<unsigned char>(base::fold_ascii(b[i]));
        if (ca != cb || ca == 0)
            return ca - cb;
    }
    return 0;
}

int wvsprintfA(LPSTR out, LPCSTR format, va_list args)
{
    std::string text = base::format_impl(format, args, false);
    return static_cast<int>(base::copy_bounded(out, base::wsprintf_limit, text));
}

int wsprintfA(LPSTR out, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int n = wvsprintfA(out, format, args);
    va_end(args);
    return n;
}

int wvsprintfW(LPWSTR out, LPCWSTR format, va_list args)
{
    std::string narrow_format = base::to_utf8(std::u16string_view(format ? format : u"", base::u16_length(format)));
    std::u16string text = base::to_utf16(base::format_impl(narrow_format.c_str(), args, true));
    return static_cast<int>(base::copy_bounded(out, base::wsprintf_limit, std::u16string_view(text)));
}

int wsprintfW(LPWSTR out, LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int n = wvsprintfW(out, format, args);
    va_end(args);
    return n;
}

int lstrlenW(LPCWSTR text) { return static_cast<int>(base::u16_length(text)); }

LPWSTR lstrcpyW(LPWSTR dest, LPCWSTR source)
{
    if (!dest || !source)
        return nullptr;
    std::memmove(dest, source, (base::u16_length(source) + 1) * sizeof(WCHAR));
    return dest;
}

int lstrcmpW(LPCWSTR a, LPCWSTR b)
{
    if (!a || !b)
        return a ? 1 : b ? -1 : 0;
    std::u16string_view va(a, base::u16_length(a)), vb(b, base::u16_length(b));
    return va < vb ? -1 : va > vb ? 1 : 0;
}

namespace {

bool supported_code_page(UINT code_page) { return code_page == CP_ACP || code_page == CP_UTF8 || code_page == CP_OEMCP; }

}

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR source, int source_length, LPWSTR dest, int dest_length)
{
    if (!supported_code_page(code_page) || !source || source_length == 0 || dest_length < 0 || (dest_length > 0 && !dest)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::size_t length = source_length < 0 ? std::strlen(source) + 1 : static_cast<std::size_t>(source_length);
    std::string_view text(source, length);
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n;
        char32_t cp = base::decode_utf8(text, i, n);
        if (cp == 0xFFFD && (flags & MB_ERR_INVALID_CHARS) && !(n == 3 && text.substr(i, 3) == "\xEF\xBF\xBD")) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        std::size_t before = out.size();
        base::append_utf16(out, cp);
        if (dest_length > 0 && out.size() > static_cast<std::size_t>(dest_length)) {
            std::copy(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(before), dest);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        i += n;
    }
    if (dest_length > 0)
        std::copy(out.begin(), out.end(), dest);
    return static_cast<int>(out.size());
}

int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR source, int source_length, LPSTR dest, int dest_length,
    LPCSTR, LPBOOL used_default_char)
{
    if (!supported_code_page(code_page) || !source || source_length == 0 || dest_length < 0 || (dest_length > 0 && !dest)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::size_t length = source_length < 0 ? base::u16_length(source) + 1 : static_cast<std::size_t>(source_length);
    std::u16string_view text(source, length);
    std::string out;
    bool replaced = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n;
        char32_t cp = base::decode_utf16(text, i, n);
        if (cp == 0xFFFD && text[i] != 0xFFFD) {
            if (flags & WC_ERR_INVALID_CHARS) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            replaced = true;
        }
        std::size_t before = out.size();
        base::append_utf8(out, cp);
        if (dest_length > 0 && out.size() > static_cast<std::size_t>(dest_length)) {
            std::memcpy(dest, out.data(), before);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        i += n;
    }
    if (used_default_char)
        *used_default_char = replaced ? TRUE : FALSE;
    if (dest_length > 0)
        std::memcpy(dest, out.data(), out.size());
    return static_cast<int>(out.size());
}
