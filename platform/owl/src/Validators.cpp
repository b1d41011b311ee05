#include <owl/Validators.h>

#include <cerrno>
#include <cstdlib>

namespace OWL {

TFilterValidator::TFilterValidator(const char* set)
{
    for (const char* p = set ? set : ""; *p; ++p) {
        auto first = static_cast<unsigned char>(*p);
        if (p[1] == '-' && p[2]) {
            auto last = static_cast<unsigned char>(p[2]);
            for (unsigned c = first; c <= last; ++c)
                m_set.set(c);
            p += 2;
        } else {
            m_set.set(first);
        }
    }
}

bool TFilterValidator::IsValidInput(const std::string& text) const
{
    for (char c : text) {
        if (!Admits(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

TRangeValidator::TRangeValidator(long min, long max)
    : TFilterValidator("0-9")
    , m_min(min)
    , m_max(max)
{
}

bool TRangeValidator::IsValid(const std::string& text) const
{
    if (text.empty() || !IsValidInput(text) || text.size() > 18)
        return false;
    long value = std::strtol(text.c_str(), nullptr, 10);
    return value >= m_min && value <= m_max;
}

}
