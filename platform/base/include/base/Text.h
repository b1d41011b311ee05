#pragma once

// Text in the program's two encodings: byte strings in the "ANSI" code page, which is UTF-8 here,
// and UTF-16 strings of WCHAR.
//
// Byte limits count bytes, and every cut keeps whole characters: copy_bounded() is the one way
// to put text into a fixed buffer (a 260-byte path, a 64-byte tip) and always terminates it.
// Case-insensitive comparisons fold the ASCII letters only. wsprintfA follows Windows: %ld, %lu
// and %lx are 32 bits wide whatever `long` is here, there is no floating point, and the output is
// cut at 1024 bytes including the terminator.
//
//     char name[260];
//     base::copy_bounded(name, sizeof(name), user_text);
//     wsprintfA(line, "Return code = %lX", hr);     // "Return code = 80004005"

#include <base/Types.h>

#include <cstdarg>
#include <string>
#include <string_view>

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

namespace base {

// The longest prefix of `text` of at most `max_bytes` bytes that ends on a character boundary.
std::size_t utf8_cut(std::string_view text, std::size_t max_bytes);

// Copies `source` into `dest` of `capacity` bytes, cut to whole characters, always terminated
// (nothing is written when capacity is 0). Returns the bytes copied, without the terminator.
std::size_t copy_bounded(char* dest, std::size_t capacity, std::string_view source);
std::size_t copy_bounded(char* dest, std::size_t capacity, const char* source);

// The same for UTF-16 text: never splits a surrogate pair.
std::size_t copy_bounded(WCHAR* dest, std::size_t capacity, std::u16string_view source);

// UTF-8 <-> UTF-16. Malformed input becomes U+FFFD.
std::u16string to_utf16(std::string_view text);
std::string to_utf8(std::u16string_view text);

// Length of a NUL-terminated UTF-16 string (0 for NULL).
std::size_t u16_length(const WCHAR* text);

// ASCII case folding, as every case-insensitive comparison here uses (never the locale's).
constexpr char fold_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char upper_ascii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char16_t upper_ascii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }
// `text` with its ASCII letters in lower case: the form folded names are kept and ordered in.
std::string folded_ascii(std::string_view text);
bool equals_ignoring_case(std::string_view a, std::string_view b);
bool equals_ignoring_case(std::u16string_view a, std::u16string_view b);
bool starts_with_ignoring_case(std::string_view text, std::string_view prefix);

// Formats as wvsprintfA does, without the 1024-byte limit.
std::string format_windows(const char* format, va_list args);

}

int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrcmpiA(LPCSTR a, LPCSTR b);
int lstrlenA(LPCSTR text);
LPSTR lstrcpyA(LPSTR dest, LPCSTR source);
// Copies at most max_length - 1 bytes (whole characters) and terminates.
LPSTR lstrcpynA(LPSTR dest, LPCSTR source, int max_length);
LPSTR lstrcatA(LPSTR dest, LPCSTR source);
int _stricmp(const char* a, const char* b);
int _strnicmp(const char* a, const char* b, std::size_t count);

int wsprintfA(LPSTR out, LPCSTR format, ...);
int wvsprintfA(LPSTR out, LPCSTR format, va_list args);
// The format and %s arguments are UTF-16; %S takes a byte string.
int wsprintfW(LPWSTR out, LPCWSTR format, ...);
int wvsprintfW(LPWSTR out, LPCWSTR format, va_list args);

int lstrlenW(LPCWSTR text);
LPWSTR lstrcpyW(LPWSTR dest, LPCWSTR source);
int lstrcmpW(LPCWSTR a, LPCWSTR b);

// Both code pages (CP_ACP and CP_UTF8) are UTF-8. A length of -1 includes the terminator.
// A destination too small gives 0 and ERROR_INSUFFICIENT_BUFFER, with the buffer filled as far as
// whole characters go and not terminated, as on Windows.
int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR source, int source_length, LPWSTR dest, int dest_length);
int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR source, int source_length, LPSTR dest, int dest_length,
    LPCSTR default_char, LPBOOL used_default_char);
