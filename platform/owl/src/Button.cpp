#include <owl/Button.h>
#include <owl/Static.h>

#include <algorithm>

namespace OWL {

unsigned TCheckBox::GetCheck() const
{
    return static_cast<unsigned>(SendMessageA(GetHandle(), BM_GETCHECK, 0, 0));
}

void TCheckBox::SetCheck(unsigned state)
{
    SendMessageA(GetHandle(), BM_SETCHECK, state, 0);
}

TStatic::TStatic(TWindow* parent, int resourceId, unsigned textLimit, TModule* module)
    : TControl(parent, resourceId, module)
    , m_text_limit(textLimit)
{
}

int TStatic::GetText(char* buffer, int size) const
{
    if (m_text_limit > 0)
        size = std::min(size, static_cast<int>(m_text_limit));
    return TControl::GetText(buffer, size);
}

}
