#pragma once

// TStatic: the object of a static text of a dialog template; GetText reads at most the limit the
// object was made with (terminator included), when one was given.
//
//     auto* folder = new OWL::TStatic(this, 1308, 260);
//     folder->SetText(path);

#include <owl/Control.h>

namespace OWL {

class TStatic : public TControl {
public:
    TStatic(TWindow* parent, int resourceId, unsigned textLimit = 0, TModule* module = nullptr);
    int GetText(char* buffer, int size) const;

private:
    unsigned m_text_limit;
};

}
