#pragma once

// THotLink: an owner-drawn button of a dialog template that shows a web address as underlined blue
// text and opens it in the user's browser when clicked.
//
// Opening asks a browser that serves DDE first (services "NETSCAPE", "IEXPLORE", "MOSAIC", topic
// "WWW_OpenURL"); when none answers, it runs the command registered for ".htm" pages (on this
// desktop "xdg-open \"%1\"") with the address in place of its "%1".
//
//     link = new THotLink(this, 22006, "www.example.org/orbivane");

#include <owl/Button.h>

#include <string>

class THotLink : public OWL::TButton {
public:
    THotLink(OWL::TWindow* parent, int id, const char* address, OWL::TModule* module = nullptr);

    // Opens the address ("http://" is put in front when it does not begin with "http:"); true on success.
    static bool OpenURL(const char* address);
    // The command that opens a web address with the registered browser; false when none is registered.
    static bool GetBrowserCommand(std::string& out, const char* address);

    bool EvNotify(UINT code) override;

protected:
    void SetupWindow() override;
    void ODADrawEntire(DRAWITEMSTRUCT& item) override;
    void ODAFocus(DRAWITEMSTRUCT& item) override;
    void ODASelect(DRAWITEMSTRUCT& item) override;

private:
    void Store(const DRAWITEMSTRUCT& item);

    HDC m_dc = nullptr;
    RECT m_rect {};
    UINT m_itemState = 0;
    std::string m_address;
};
