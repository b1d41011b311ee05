#pragma once

// The encoder's preview view: shows the picture of a video source while the encoder runs.
//
// A program creates a view by class, adds it to the video source's preview collection (which
// gives a stream cookie), and once the encoder is prepared gives it the window to show the
// picture in and starts it:
//
//     IWMEncDataView* view;  CoCreateInstance(CLSID_WMEncPreview, ..., IID_IWMEncDataView, ...);
//     previews->Add(view, &cookie);
//     encoder->PrepareToEncode(VARIANT_TRUE);
//     view->SetViewProperties(cookie, sizeof(HWND), (BYTE*)&parent);
//     encoder->Start();
//     view->StartView(cookie);
//
// Starting the view the first time makes the picture window, of class "VideoRenderer" titled
// "ActiveMovie Window", a visible direct child of the parent window, filling its client area.
// The window keeps showing the picture wherever the program moves it afterwards (to the desktop
// and back, for full screen): later starts only show it again. StopView hides it; the window
// goes when the encoder stops. Without a prepared encoder StartView fails with E_UNEXPECTED.
//
// The interface has no IDispatch part: its methods begin right after IUnknown's.

#include <base/Types.h>
#include <com/Unknown.h>

DEFINE_GUID(CLSID_WMEncPreview, 0xC3043B13, 0xE649, 0x436A, 0x9C, 0xE7, 0x8D, 0xA8, 0xCB, 0x0B, 0xF7, 0xC8);
DEFINE_GUID(IID_IWMEncDataView, 0xBB406AA0, 0x2B2B, 0x11D3, 0xB3, 0x6B, 0x00, 0xC0, 0x4F, 0x61, 0x08, 0xFF);

struct IWMEncDataView : IUnknown {
    // 3: for the view of `cookie`, `size` bytes at `data`: the parent window's handle, whose
    // size must be sizeof(HWND) (window handles are pointer-sized; E_INVALIDARG otherwise).
    STDMETHOD(SetViewProperties)(LONG cookie, DWORD size, BYTE* data) PURE;
    STDMETHOD(GetViewProperties)(LONG cookie, DWORD size, BYTE* data) PURE;
    STDMETHOD(Reserved5)() PURE;
    STDMETHOD(Reserved6)() PURE;
    STDMETHOD(Reserved7)() PURE;
    STDMETHOD(Reserved8)() PURE;
    // 9, 10.
    STDMETHOD(StartView)(LONG cookie) PURE;
    STDMETHOD(StopView)(LONG cookie) PURE;
};
COM_INTERFACE(IWMEncDataView, IID_IWMEncDataView, IUnknown);
