#pragma once

// The graph's event interfaces: IMediaEvent and IMediaEventEx, through which an application takes
// the events the graph queued (GetEvent, FreeEventParams) and asks for a window message each time
// one is queued (SetNotifyWindow); and IMediaEventSink, through which a filter tells its graph of
// an event (a renderer's EC_COMPLETE at the end of its stream).
//
// The graph handles EC_COMPLETE itself by default: it queues one EC_COMPLETE for the application
// when every renderer of the running graph has sent its own (FilterGraph.h).

#include <dshow/GraphInterfaces.h>

DEFINE_GUID(IID_IMediaEvent, 0x56A868B6, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaEventEx, 0x56A868C0, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaEventSink, 0x56A868A2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

// SetNotifyFlags: no window messages.
constexpr LONG AM_MEDIAEVENT_NONOTIFY = 0x01;

struct IMediaEvent : IDispatch {
    // A manual-reset event object, set while events are queued.
    STDMETHOD(GetEventHandle)(OAEVENT* handle) PURE;
    // The oldest queued event; E_ABORT when none came within `timeout_ms` (INFINITE waits).
    STDMETHOD(GetEvent)(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout_ms) PURE;
    // Waits until the graph completes (EC_COMPLETE, EC_ERRORABORT or EC_USERABORT in `code`);
    // E_ABORT on time-out, VFW_E_WRONG_STATE when the graph is not running.
    STDMETHOD(WaitForCompletion)(LONG timeout_ms, LONG* code) PURE;
    // Passes `code` to the application instead of handling it in the graph (EC_COMPLETE: each
    // renderer's own notice is queued).
    STDMETHOD(CancelDefaultHandling)(LONG code) PURE;
    STDMETHOD(RestoreDefaultHandling)(LONG code) PURE;
    STDMETHOD(FreeEventParams)(LONG code, LONG_PTR param1, LONG_PTR param2) PURE;
};
COM_INTERFACE(IMediaEvent, IID_IMediaEvent, IDispatch);

struct IMediaEventEx : IMediaEvent {
    // Posts `message` (wParam 0, lParam `instance`) to `window` each time an event is queued;
    // window 0 stops it.
    STDMETHOD(SetNotifyWindow)(OAHWND window, LONG message, LONG_PTR instance) PURE;
    STDMETHOD(SetNotifyFlags)(LONG flags) PURE;
    STDMETHOD(GetNotifyFlags)(LONG* flags) PURE;
};
COM_INTERFACE(IMediaEventEx, IID_IMediaEventEx, IMediaEvent);

struct IMediaEventSink : IUnknown {
    STDMETHOD(Notify)(LONG code, LONG_PTR param1, LONG_PTR param2) PURE;
};
COM_INTERFACE(IMediaEventSink, IID_IMediaEventSink, IUnknown);
