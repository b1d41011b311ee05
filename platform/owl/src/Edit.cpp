#include <owl/Edit.h>

#include <user/MessageBox.h>

#include <string>

namespace OWL {

TEdit::TEdit(TWindow* parent, int resourceId, unsigned textLimit, TModule* module)
    : TControl(parent, resourceId, module)
    , m_text_limit(textLimit)
{
}

TEdit::TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h, unsigned textLimit,
    bool multiline, TModule* module)
    : TControl(parent, id, text, x, y, w, h, module)
    , m_text_limit(textLimit)
{
    Attr.Style |= WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    if (multiline)
        Attr.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
}

TEdit::~TEdit() = default;

void TEdit::SetValidator(TValidator* validator)
{
    m_validator.reset(validator);
}

bool TEdit::IsValid() const
{
    if (!m_validator)
        return true;
    std::string text(static_cast<std::size_t>(GetTextLen()) + 1, '\0');
    GetText(text.data(), static_cast<int>(text.size()));
    text.resize(std::char_traits<char>::length(text.c_str()));
    return m_validator->IsValid(text);
}

void TEdit::SetSelection(int start, int end)
{
    SendMessageA(GetHandle(), EM_SETSEL, static_cast<WPARAM>(start), end);
}

void TEdit::Insert(const char* text)
{
    SendMessageA(GetHandle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void TEdit::SetupWindow()
{
    if (m_text_limit > 0)
        SendMessageA(GetHandle(), EM_LIMITTEXT, m_text_limit - 1, 0);
}

LRESULT TEdit::WindowProc(UINT message, WPARAM wparam, LPARAM lparam)
{
    // Typed characters (not the control characters of editing keys) pass the validator first.
    if (message == WM_CHAR && m_validator && wparam >= 0x20 && wparam != 0x7F) {
        std::string typed(1, static_cast<char>(wparam));
        if (!m_validator->IsValidInput(typed)) {
            MessageBeep(0);
            return 0;
        }
    }
    return TControl::WindowProc(message, wparam, lparam);
}

}
