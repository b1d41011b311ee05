#pragma once

// Property pages: an object lists the CLSIDs of its pages (ISpecifyPropertyPages), and a
// property frame (PropertyFrame.h) creates each page (IPropertyPage), gives it a site
// (IPropertyPageSite) and the objects to edit, and shows its window inside the frame.
//
// GetPages fills a CAUUID whose pElems is task memory (CoTaskMemAlloc) that the caller frees with
// CoTaskMemFree; an object without pages gives cElems 0 and pElems NULL. GetPageInfo's texts are
// task memory as well, freed by the frame.
//
// A page's life in a frame: SetPageSite(site), SetObjects(n, objects), GetPageInfo, then
// Activate(parent, rect, TRUE) creates its window and Show(SW_SHOWNORMAL) shows it; Deactivate
// destroys the window again (on a tab switch or when the frame closes). A page tells the site
// OnStatusChange(PROPPAGESTATUS_DIRTY) when the user changed something; the frame then calls
// Apply for pages whose IsPageDirty answers S_OK. Finally SetObjects(0, NULL) and
// SetPageSite(NULL) let it drop its references.

#include <com/Dispatch.h>
#include <com/Unknown.h>
#include <user/Messages.h>

DEFINE_GUID(IID_ISpecifyPropertyPages, 0xB196B28B, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_IPropertyPageSite, 0xB196B28C, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_IPropertyPage, 0xB196B28D, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);

struct CAUUID {
    ULONG cElems;
    GUID* pElems;
};

struct ISpecifyPropertyPages : IUnknown {
    STDMETHOD(GetPages)(CAUUID* pages) PURE;
};
COM_INTERFACE(ISpecifyPropertyPages, IID_ISpecifyPropertyPages, IUnknown);

// What a page tells the frame about itself; cb is the structure's size.
struct PROPPAGEINFO {
    ULONG cb;
    LPOLESTR pszTitle; // the tab text
    SIZE size; // the page window's size in pixels
    LPOLESTR pszDocString;
    LPOLESTR pszHelpFile;
    DWORD dwHelpContext;
};

// OnStatusChange flags.
constexpr DWORD PROPPAGESTATUS_DIRTY = 0x1;
constexpr DWORD PROPPAGESTATUS_VALIDATE = 0x2;
constexpr DWORD PROPPAGESTATUS_CLEAN = 0x4;

struct IPropertyPageSite : IUnknown {
    STDMETHOD(OnStatusChange)(DWORD flags) PURE;
    STDMETHOD(GetLocaleID)(LCID* locale) PURE;
    STDMETHOD(GetPageContainer)(IUnknown** container) PURE;
    STDMETHOD(TranslateAccelerator)(MSG* msg) PURE;
};
COM_INTERFACE(IPropertyPageSite, IID_IPropertyPageSite, IUnknown);

struct IPropertyPage : IUnknown {
    STDMETHOD(SetPageSite)(IPropertyPageSite* site) PURE;
    STDMETHOD(Activate)(HWND parent, LPCRECT rect, BOOL modal) PURE;
    STDMETHOD(Deactivate)() PURE;
    STDMETHOD(GetPageInfo)(PROPPAGEINFO* info) PURE;
    STDMETHOD(SetObjects)(ULONG count, IUnknown** objects) PURE;
    STDMETHOD(Show)(UINT command) PURE;
    STDMETHOD(Move)(LPCRECT rect) PURE;
    STDMETHOD(IsPageDirty)() PURE;
    STDMETHOD(Apply)() PURE;
    STDMETHOD(Help)(LPCOLESTR help_dir) PURE;
    STDMETHOD(TranslateAccelerator)(MSG* msg) PURE;
};
COM_INTERFACE(IPropertyPage, IID_IPropertyPage, IUnknown);
