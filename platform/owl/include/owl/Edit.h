#pragma once

// TEdit: an edit field the program places itself (not one of a dialog template): a child "EDIT"
// window at a given place with a control id. Its notices (EN_CHANGE for typed and for set text)
// go to whatever window is its parent when it is made.
//
//     auto* field = new TEdit(nullptr, 1805, "", 0, 0, 40, 20);
//     field->Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_CENTER;
//     bar->Insert(*new TControlGadget(*field));

#include <owl/Window.h>

#include <string>

namespace OWL {

class TEdit : public TWindow {
public:
    // text_limit 0: no limit.
    TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h, UINT text_limit = 0,
        bool multiline = false, TModule* module = nullptr);

    int GetId() const { return static_cast<int>(Attr.Id); }
    // Copies at most size - 1 bytes, terminated; the length copied.
    int GetText(char* text, int size) const;
    // Sets the text (the field sends EN_CHANGE for it, as when typed).
    void SetText(const char* text);

protected:
    const char* GetClassName() override { return "EDIT"; }
    void SetupWindow() override;

private:
    UINT m_text_limit;
};

}
