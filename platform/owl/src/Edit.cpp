#include <owl/Edit.h>

#include <user/Controls.h>

namespace OWL {

TEdit::TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h, UINT text_limit, bool multiline,
    TModule* module)
    : TWindow(parent, text, module)
    , m_text_limit(text_limit)
{
    Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    if (multiline)
        Attr.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    Attr.Id = static_cast<UINT>(id);
    Attr.X = x;
    Attr.Y = y;
    Attr.W = w;
    Attr.H = h;
}

void TEdit::SetupWindow()
{
    TWindow::SetupWindow();
    if (m_text_limit)
        SendMessageA(GetHandle(), EM_LIMITTEXT, m_text_limit, 0);
}

int TEdit::GetText(char* text, int size) const
{
    if (!text || size <= 0)
        return 0;
    text[0] = '\0';
    return GetHandle() ? GetWindowTextA(GetHandle(), text, size) : 0;
}

void TEdit::SetText(const char* text)
{
    SetCaption(text);
}

}
