#pragma once

// Reading a number typed into a dialog's box as "%ld" reads it: blanks skipped, a sign allowed,
// the decimal digits that follow. The value is kept within the 32-bit range, so any length of
// digits reads safely.
//
//     LONG country;
//     if (!ReadLeadingNumber(text, country)) country = -1;

#include <base/Types.h>

// False when the text does not start with a number.
bool ReadLeadingNumber(const char* text, LONG& value);
