#pragma once

// OleCreatePropertyFrame: the modal frame that shows the property pages of one or more objects.
//
// The frame is a top-level dialog ("#32770") titled caption + " Properties" (the blank before
// "Properties" can be doubled for tests, dshow/Testing.h). Its children, in this order: a tab
// control ("SysTabControl32", id PROPFRAME_TAB) with one tab per page titled as the page's
// GetPageInfo says, an inner dialog ("#32770", empty title) below the tabs that
// hosts the active page's own dialog, and the buttons OK (IDOK), Cancel (IDCANCEL) and Apply
// (PROPFRAME_APPLY, enabled once a page reports itself dirty).
//
//     CAUUID pages;
//     specify->GetPages(&pages);
//     IUnknown* object = filter;
//     OleCreatePropertyFrame(owner, 30, 30, u"Tuner", 1, &object, pages.cElems, pages.pElems, 0, 0, nullptr);
//     CoTaskMemFree(pages.pElems);
//
// The call returns when the frame is closed. The frame opens on the first page that could be
// made (a page class that cannot be created or that fails SetObjects or GetPageInfo is
// left out); it switches pages on WM_NOTIFY with TCN_SELCHANGE from its tab control only
// (TCM_SETCURSEL alone changes nothing), deactivating the old page, which destroys its window.
// WM_COMMAND IDOK applies every dirty page and closes, IDCANCEL (and the close box) closes
// without applying, PROPFRAME_APPLY applies and stays open. While the frame is open its owner's
// top-level window is disabled and the frame's loop dispatches every message of the calling
// thread; another thread may drive the frame by sending or posting to its windows.

#include <dshow/PropertyPages.h>
#include <user/Window.h>

// Control ids of the frame's tab control and Apply button.
#define PROPFRAME_TAB 0x3020
#define PROPFRAME_APPLY 0x3021

// S_OK once the frame was shown and closed. E_POINTER for a null object or page list with a
// non-zero count, E_INVALIDARG without objects, E_FAIL when no page could be made (nothing
// is shown). A null caption titles the frame with the first object's filter or pin name, or
// "Properties" alone. `x`, `y` place the frame in the owner's client area (on the screen
// without an owner).
HRESULT OleCreatePropertyFrame(HWND owner, UINT x, UINT y, LPCOLESTR caption, ULONG object_count, IUnknown** objects,
    ULONG page_count, const CLSID* pages, LCID locale, DWORD reserved, LPVOID reserved_pointer);
