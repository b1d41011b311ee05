#include <owl/CommandEnabler.h>

namespace OWL {

void TCommandEnabler::Enable(bool enable)
{
    m_enabled = enable;
    m_handled = true;
}

TMenuItemEnabler::TMenuItemEnabler(HMENU menu, UINT id, int position)
    : TCommandEnabler(id)
    , m_menu(menu)
    , m_position(position)
{
}

void TMenuItemEnabler::Enable(bool enable)
{
    TCommandEnabler::Enable(enable);
    EnableMenuItem(m_menu, static_cast<UINT>(m_position), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void TMenuItemEnabler::SetCheck(int state)
{
    m_handled = true;
    CheckMenuItem(m_menu, static_cast<UINT>(m_position), MF_BYPOSITION | (state == Checked ? MF_CHECKED : MF_UNCHECKED));
}

void TMenuItemEnabler::SetText(const char* text)
{
    m_handled = true;
    UINT state = GetMenuState(m_menu, static_cast<UINT>(m_position), MF_BYPOSITION);
    UINT keep = state & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
    ModifyMenuA(m_menu, static_cast<UINT>(m_position), MF_BYPOSITION | MF_STRING | keep, GetId(), text);
}

}
