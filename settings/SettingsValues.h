#pragma once

// Reading and writing single values of the program's settings key, as every loader and saver does.
//
// The readers return ERROR_SUCCESS or the reason they failed (and the caller applies its
// default): no key (ERROR_INVALID_HANDLE), a missing value, a value that does not fit the buffer
// it is read through (ERROR_MORE_DATA), one too short or not a number (ERROR_INVALID_DATA).
// They never write past the field they fill. Text is always terminated and cut to whole
// characters. Numbers are 32-bit.
//
//     BYTE flag;
//     Settings.OnTop = ReadByteValue(key, "OnTop", flag) == ERROR_SUCCESS && flag > 0;
//     WriteByteValue(key, "OnTop", Settings.OnTop);

#include <base/Types.h>
#include <registry/Registry.h>

#include <cstddef>

// Parses decimal text as "%ld" does on Windows: leading blanks, an optional sign, digits.
// False when there are no digits or the number does not fit 32 bits.
bool ParseDecimal(const char* text, LONG& value);

// A value of exactly one byte (read through a 1-byte buffer).
LONG ReadByteValue(HKEY key, const char* name, BYTE& value);
// A value of exactly four bytes, little-endian (REG_DWORD or a 4-byte REG_BINARY).
LONG ReadLongValue(HKEY key, const char* name, LONG& value);
// Text read through a buffer of `limit` bytes, copied up to its first NUL into `dest` of
// `capacity` bytes. `dest` is unchanged when the read fails.
LONG ReadTextValue(HKEY key, const char* name, char* dest, std::size_t capacity, DWORD limit);
// Decimal text read through a 260-byte buffer.
LONG ReadDecimalValue(HKEY key, const char* name, LONG& value);

LONG WriteByteValue(HKEY key, const char* name, BYTE value);
// REG_DWORD of four bytes.
LONG WriteDwordValue(HKEY key, const char* name, LONG value);
// REG_BINARY of four bytes, little-endian.
LONG WriteBinaryLongValue(HKEY key, const char* name, LONG value);
// REG_SZ with its terminator.
LONG WriteTextValue(HKEY key, const char* name, const char* text);
// REG_SZ of exactly `length` bytes: the text, cut to length - 1, padded with NULs.
LONG WriteFixedTextValue(HKEY key, const char* name, const char* text, DWORD length);
// REG_SZ of the number in decimal.
LONG WriteDecimalValue(HKEY key, const char* name, LONG value);
