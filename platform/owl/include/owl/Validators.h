#pragma once

// Validators: what an edit control object (owl/Edit.h) lets the user type.
//
// TFilterValidator admits the characters of a set written as in a pattern: single characters and
// ranges "a-z" ("0-9a-zA-Z " is digits, letters and the space). A typed character outside the set
// is refused with a beep; text set by the program is not checked.
//
//     name->SetValidator(new OWL::TFilterValidator("0-9a-zA-Z "));

#include <bitset>
#include <string>

namespace OWL {

class TValidator {
public:
    virtual ~TValidator() = default;
    // Whether the text the edit would hold after a keystroke may be kept.
    virtual bool IsValidInput(const std::string& text) const = 0;
    // Whether the text is complete and valid (checked when the dialog closes); true by default.
    virtual bool IsValid(const std::string& text) const { return IsValidInput(text); }
};

class TFilterValidator : public TValidator {
public:
    explicit TFilterValidator(const char* set);
    bool IsValidInput(const std::string& text) const override;
    bool Admits(unsigned char c) const { return m_set[c]; }

private:
    std::bitset<256> m_set;
};

// Digits only, and the number within [min, max].
class TRangeValidator : public TFilterValidator {
public:
    TRangeValidator(long min, long max);
    bool IsValid(const std::string& text) const override;

private:
    long m_min;
    long m_max;
};

}
