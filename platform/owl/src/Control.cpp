#include <owl/Control.h>

namespace OWL {

TControl::TControl(TWindow* parent, int resourceId, TModule* module)
    : TWindow(parent, nullptr, module)
{
    Attr.Id = static_cast<UINT>(resourceId);
}

TControl::TControl(TWindow* parent, int id, const char* title, int x, int y, int w, int h, TModule* module)
    : TWindow(parent, title, module)
    , m_from_template(false)
{
    Attr.Style = WS_CHILD | WS_VISIBLE;
    Attr.Id = static_cast<UINT>(id);
    Attr.X = x;
    Attr.Y = y;
    Attr.W = w;
    Attr.H = h;
}

bool TControl::Create()
{
    if (GetHandle())
        return true;
    if (!m_from_template)
        return TWindow::Create();
    HWND parent = GetParentO() ? GetParentO()->GetHandle() : nullptr;
    HWND control = parent ? GetDlgItem(parent, GetId()) : nullptr;
    if (!control || !Attach(control))
        return false;
    SetupWindow();
    return true;
}

bool TControl::DrawReflected(DRAWITEMSTRUCT& item)
{
    switch (item.itemAction) {
    case ODA_DRAWENTIRE: ODADrawEntire(item); return true;
    case ODA_FOCUS: ODAFocus(item); return true;
    case ODA_SELECT: ODASelect(item); return true;
    default: return false;
    }
}

int TControl::GetText(char* buffer, int size) const
{
    if (size > 0)
        buffer[0] = '\0';
    return GetHandle() ? GetWindowTextA(GetHandle(), buffer, size) : 0;
}

void TControl::SetText(const char* text)
{
    if (GetHandle())
        SetWindowTextA(GetHandle(), text ? text : "");
}

int TControl::GetTextLen() const
{
    return GetHandle() ? GetWindowTextLengthA(GetHandle()) : 0;
}

void TControl::EnableWindow(bool enable)
{
    if (GetHandle())
        ::EnableWindow(GetHandle(), enable ? TRUE : FALSE);
}

bool TControl::IsWindowEnabled() const
{
    return GetHandle() && ::IsWindowEnabled(GetHandle());
}

}
