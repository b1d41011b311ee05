#include "NumberText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

bool ReadLeadingNumber(const char* text, LONG& value)
{
    if (!text)
        return false;
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f')
        ++text;
    char* end = nullptr;
    errno = 0;
    long long number = std::strtoll(text, &end, 10);
    if (end == text)
        return false;
    if (number > INT_MAX)
        number = INT_MAX;
    if (number < INT_MIN)
        number = INT_MIN;
    value = static_cast<LONG>(number);
    return true;
}
