#pragma once

// dshow::BasePropertyPage, the common part of a property page: its dialog, made from a
// registered dialog template when the frame activates the page, its dirty state and its site.
//
// A page class names its template (a child dialog: WS_CHILD | DS_CONTROL, empty caption) and
// title, binds to the object it edits in on_connect, fills its controls in on_activate, reacts
// to their notifications in on_command / on_notify (calling set_dirty when the user changed
// something) and writes the controls' values to the object in on_apply:
//
//     class VolumePage final : public dshow::BasePropertyPage {
//     public:
//         VolumePage() : BasePropertyPage("Volume", "VOLUMEPAGE") {}
//         HRESULT on_connect(IUnknown* object) override { return object->QueryInterface(...); }
//         ...
//     };
//
// The page's size is its template's, in pixels.

#include <com/ComPtr.h>
#include <com/Object.h>
#include <dshow/PropertyPages.h>
#include <user/Dialogs.h>

#include <string>

namespace dshow {

class BasePropertyPage : public com::Object<IPropertyPage> {
public:
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT command) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR help_dir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

protected:
    BasePropertyPage(std::string title, std::string template_name);
    ~BasePropertyPage() override;

    // Binds to the first object; a failure keeps the page out of the frame.
    virtual HRESULT on_connect(IUnknown* object) = 0;
    // Drops what on_connect took; also called before a second on_connect.
    virtual void on_disconnect() = 0;
    // The dialog exists: fill its controls from the object (their notifications are ignored).
    virtual void on_activate() { }
    // The dialog is about to be destroyed.
    virtual void on_deactivate() { }
    // WM_COMMAND from one of the dialog's controls; TRUE when handled.
    virtual INT_PTR on_command(int id, int code, HWND control);
    // Writes the controls' values to the object; called only when the page is dirty.
    virtual HRESULT on_apply() { return S_OK; }

    // Marks the page changed and tells the frame (which enables its Apply button).
    void set_dirty();
    void set_title(std::string title) { m_title = std::move(title); }
    HWND dialog() const { return m_dialog; }

private:
    static INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

    std::string m_title;
    const std::string m_template;
    CComPtr<IPropertyPageSite> m_site;
    HWND m_dialog { nullptr };
    bool m_dirty { false };
    bool m_connected { false };
    bool m_filling { false };
};

}
