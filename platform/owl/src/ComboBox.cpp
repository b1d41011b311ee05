#include <owl/ComboBox.h>

#include <algorithm>

namespace OWL {

namespace {

int send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0)
{
    return static_cast<int>(SendMessageA(window, message, wparam, lparam));
}

LPARAM text_param(const char* text)
{
    return reinterpret_cast<LPARAM>(text ? text : "");
}

std::string item_text(HWND window, UINT length_message, UINT text_message, int index)
{
    int length = send(window, length_message, static_cast<WPARAM>(index));
    if (length < 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    send(window, text_message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}

TComboBox::TComboBox(TWindow* parent, int resourceId, unsigned textLimit, TModule* module)
    : TControl(parent, resourceId, module)
    , m_text_limit(textLimit)
{
}

void TComboBox::SetupWindow()
{
    if (m_text_limit > 0)
        send(GetHandle(), CB_LIMITTEXT, m_text_limit - 1);
}

int TComboBox::AddString(const char* text) { return send(GetHandle(), CB_ADDSTRING, 0, text_param(text)); }
void TComboBox::ClearList() { send(GetHandle(), CB_RESETCONTENT); }
int TComboBox::GetCount() const { return send(GetHandle(), CB_GETCOUNT); }
int TComboBox::GetSelIndex() const { return send(GetHandle(), CB_GETCURSEL); }
int TComboBox::SetSelIndex(int index) { return send(GetHandle(), CB_SETCURSEL, static_cast<WPARAM>(index)); }

int TComboBox::SetSelString(const char* text, int searchIndex)
{
    return send(GetHandle(), CB_SELECTSTRING, static_cast<WPARAM>(searchIndex), text_param(text));
}

std::string TComboBox::GetString(int index) const
{
    return item_text(GetHandle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

int TComboBox::SetItemData(int index, LPARAM data)
{
    return send(GetHandle(), CB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

LPARAM TComboBox::GetItemData(int index) const
{
    return SendMessageA(GetHandle(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

int TComboBox::GetText(char* buffer, int size) const
{
    return TControl::GetText(buffer, size);
}

int TListBox::AddString(const char* text) { return send(GetHandle(), LB_ADDSTRING, 0, text_param(text)); }

int TListBox::InsertString(const char* text, int index)
{
    return send(GetHandle(), LB_INSERTSTRING, static_cast<WPARAM>(index), text_param(text));
}

int TListBox::DeleteString(int index) { return send(GetHandle(), LB_DELETESTRING, static_cast<WPARAM>(index)); }
void TListBox::ClearList() { send(GetHandle(), LB_RESETCONTENT); }
int TListBox::GetCount() const { return send(GetHandle(), LB_GETCOUNT); }
int TListBox::GetSelIndex() const { return send(GetHandle(), LB_GETCURSEL); }
int TListBox::SetSelIndex(int index) { return send(GetHandle(), LB_SETCURSEL, static_cast<WPARAM>(index)); }

int TListBox::SetSelString(const char* text, int searchIndex)
{
    return send(GetHandle(), LB_SELECTSTRING, static_cast<WPARAM>(searchIndex), text_param(text));
}

std::string TListBox::GetString(int index) const
{
    return item_text(GetHandle(), LB_GETTEXTLEN, LB_GETTEXT, index);
}

std::string TListBox::GetSelString() const
{
    int index = GetSelIndex();
    return index < 0 ? std::string() : GetString(index);
}

int TListBox::SetItemData(int index, LPARAM data)
{
    return send(GetHandle(), LB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

LPARAM TListBox::GetItemData(int index) const
{
    return SendMessageA(GetHandle(), LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

}
