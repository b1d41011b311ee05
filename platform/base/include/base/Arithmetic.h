#pragma once

// MulDiv: a * b / c through a 64-bit intermediate, rounded to the nearest integer (halves away
// from zero); -1 when c is 0 or the result does not fit 32 bits.

#include <base/Types.h>

#include <cstdint>
#include <limits>

inline int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    std::int64_t product = static_cast<std::int64_t>(a) * b;
    bool negative = (product < 0) != (c < 0);
    std::int64_t magnitude = product < 0 ? -product : product;
    std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    std::int64_t result = (magnitude + divisor / 2) / divisor;
    if (negative)
        result = -result;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(result);
}
