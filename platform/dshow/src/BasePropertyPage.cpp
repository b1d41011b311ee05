// The common part of property pages: dialog, dirty state, site.

#include <dshow/BasePropertyPage.h>

#include <base/Text.h>
#include <com/TaskMemory.h>
#include <gdi/Fonts.h>

#include <cstring>

namespace dshow {

namespace {

LPOLESTR task_text(const std::string& text)
{
    std::u16string wide = base::to_utf16(text);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
    if (copy)
        std::memcpy(copy, wide.c_str(), (wide.size() + 1) * sizeof(OLECHAR));
    return copy;
}

}

BasePropertyPage::BasePropertyPage(std::string title, std::string template_name)
    : m_title(std::move(title))
    , m_template(std::move(template_name))
{
}

BasePropertyPage::~BasePropertyPage()
{
    if (m_dialog && IsWindow(m_dialog))
        DestroyWindow(m_dialog);
}

STDMETHODIMP BasePropertyPage::SetPageSite(IPropertyPageSite* site)
{
    if (site && m_site)
        return E_UNEXPECTED;
    m_site = site;
    return S_OK;
}

STDMETHODIMP BasePropertyPage::Activate(HWND parent, LPCRECT rect, BOOL)
{
    if (!rect)
        return E_POINTER;
    if (m_dialog)
        return E_UNEXPECTED;
    m_dialog = CreateDialogParamA(nullptr, m_template.c_str(), parent, dialog_proc, reinterpret_cast<LPARAM>(this));
    if (!m_dialog)
        return E_OUTOFMEMORY;
    MoveWindow(m_dialog, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, FALSE);
    m_filling = true; // the controls' own notifications while filled are no user changes
    on_activate();
    m_filling = false;
    return S_OK;
}

STDMETHODIMP BasePropertyPage::Deactivate()
{
    if (!m_dialog)
        return E_UNEXPECTED;
    on_deactivate();
    HWND dialog = m_dialog;
    m_dialog = nullptr;
    DestroyWindow(dialog);
    return S_OK;
}

STDMETHODIMP BasePropertyPage::GetPageInfo(PROPPAGEINFO* info)
{
    if (!info)
        return E_POINTER;
    const user::DialogTemplate* t = user::find_dialog(m_template.c_str());
    if (!t)
        return E_UNEXPECTED;
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = task_text(m_title);
    info->size = SIZE { gdi::dialog_units_to_pixels_x(t->cx), gdi::dialog_units_to_pixels_y(t->cy) };
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return info->pszTitle ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP BasePropertyPage::SetObjects(ULONG count, IUnknown** objects)
{
    if (m_connected) {
        on_disconnect();
        m_connected = false;
    }
    if (count == 0)
        return S_OK;
    if (!objects || !objects[0])
        return E_POINTER;
    HRESULT hr = on_connect(objects[0]);
    if (FAILED(hr)) {
        on_disconnect();
        return hr;
    }
    m_connected = true;
    m_dirty = false;
    return S_OK;
}

STDMETHODIMP BasePropertyPage::Show(UINT command)
{
    if (!m_dialog)
        return E_UNEXPECTED;
    ShowWindow(m_dialog, static_cast<int>(command));
    return S_OK;
}

STDMETHODIMP BasePropertyPage::Move(LPCRECT rect)
{
    if (!rect)
        return E_POINTER;
    if (!m_dialog)
        return E_UNEXPECTED;
    MoveWindow(m_dialog, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP BasePropertyPage::IsPageDirty()
{
    return m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP BasePropertyPage::Apply()
{
    if (!m_connected)
        return E_UNEXPECTED;
    if (!m_dirty)
        return S_OK;
    HRESULT hr = on_apply();
    if (SUCCEEDED(hr)) {
        m_dirty = false;
        if (m_site)
            m_site->OnStatusChange(PROPPAGESTATUS_CLEAN);
    }
    return hr;
}

STDMETHODIMP BasePropertyPage::Help(LPCOLESTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP BasePropertyPage::TranslateAccelerator(MSG*)
{
    return S_FALSE;
}

INT_PTR BasePropertyPage::on_command(int, int, HWND)
{
    return FALSE;
}

void BasePropertyPage::set_dirty()
{
    m_dirty = true;
    if (m_site)
        m_site->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

INT_PTR CALLBACK BasePropertyPage::dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        return FALSE;
    }
    auto* page = reinterpret_cast<BasePropertyPage*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!page || page->m_dialog != dialog || page->m_filling)
        return FALSE;
    if (message == WM_COMMAND)
        return page->on_command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
    return FALSE;
}

}
