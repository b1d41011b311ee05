#pragma once

// TEdit: the object of an edit control of a dialog template, with a text limit and an optional
// validator (owl/Validators.h) that filters what the user types.
//
// The limit is the size of the buffer the text must fit, terminator included, as the class
// library counts it: TEdit(dialog, 401, 255) holds at most 254 characters.
//
//     auto* start = new OWL::TEdit(this, 411);
//     start->SetValidator(new OWL::TFilterValidator("0-9:apmAPM "));
//     auto* field = new OWL::TEdit(nullptr, 1805, "", 0, 0, 40, 20);   // placed by the program

#include <owl/Control.h>
#include <owl/Validators.h>

#include <user/Controls.h>

#include <memory>

namespace OWL {

class TEdit : public TControl {
public:
    TEdit(TWindow* parent, int resourceId, unsigned textLimit = 0, TModule* module = nullptr);
    // An edit field the program places itself (WS_BORDER, auto-scrolling); it sends EN_CHANGE
    // to its parent for typed and for set text.
    TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h, unsigned textLimit = 0,
        bool multiline = false, TModule* module = nullptr);
    ~TEdit() override;

    // The edit owns the validator; null removes it.
    void SetValidator(TValidator* validator);
    TValidator* GetValidator() const { return m_validator.get(); }
    // Whether the text satisfies the validator (true without one).
    bool IsValid() const;

    void SetSelection(int start, int end);
    void Insert(const char* text);

protected:
    const char* GetClassName() override { return "EDIT"; }
    void SetupWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    unsigned m_text_limit;
    std::unique_ptr<TValidator> m_validator;
};

}
