#pragma once

// The text of the program's error boxes: the message, and when a code is given a line
// "\n    Return code = 80004005" after it. The whole fits `size` bytes with its terminator; the
// message gives way so that the code line always shows.
//
//     char text[260];
//     FormatErrorText(text, sizeof text, "Cannot open the file", hr);
//     MessageBoxA(nullptr, text, "Orbivane", MB_ICONHAND);

#include <base/Errors.h>

#include <cstddef>

void FormatErrorText(char* out, std::size_t size, const char* message, HRESULT code);
