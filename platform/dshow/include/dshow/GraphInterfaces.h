#pragma once

// The interfaces of the filter graph manager as an application sees it: IGraphBuilder
// (IFilterGraph with intelligent Connect and Render), IMediaControl, IMediaPosition, IBasicAudio
// and IVideoWindow. The last four are automation interfaces (IDispatch); the layer's objects
// give no type information and refuse late-bound calls (E_NOTIMPL).
//
// IBasicAudio and IVideoWindow are also what renderers implement; the graph forwards them to the
// filters that have them (FilterGraph.h).

#include <com/Dispatch.h>
#include <dshow/FilterInterfaces.h>

using OAFilterState = LONG;
using OAHWND = LONG_PTR;
using OAEVENT = LONG_PTR;
constexpr LONG OATRUE = -1;
constexpr LONG OAFALSE = 0;

DEFINE_GUID(IID_IGraphBuilder, 0x56A868A9, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaControl, 0x56A868B1, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaPosition, 0x56A868B2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IBasicAudio, 0x56A868B3, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IVideoWindow, 0x56A868B4, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

struct IGraphBuilder : IFilterGraph {
    // Connects directly if the pins agree, else through filters already in the graph, else
    // through registered intermediate filters: VFW_E_CANNOT_CONNECT when nothing works.
    STDMETHOD(Connect)(IPin* output, IPin* input) PURE;
    // Connects an output pin onward to a renderer: free inputs of filters already in the graph
    // first, then registered renderers; VFW_E_CANNOT_RENDER when nothing takes it.
    STDMETHOD(Render)(IPin* output) PURE;
    STDMETHOD(RenderFile)(LPCWSTR file, LPCWSTR play_list) PURE;
    STDMETHOD(AddSourceFilter)(LPCWSTR file, LPCWSTR name, IBaseFilter** filter) PURE;
    STDMETHOD(SetLogFile)(DWORD_PTR file) PURE;
    STDMETHOD(Abort)() PURE;
    STDMETHOD(ShouldOperationContinue)() PURE;
};
COM_INTERFACE(IGraphBuilder, IID_IGraphBuilder, IFilterGraph);

struct IMediaControl : IDispatch {
    // Pauses first when stopped; S_OK when every filter runs, S_FALSE while one is still changing.
    STDMETHOD(Run)() PURE;
    STDMETHOD(Pause)() PURE;
    STDMETHOD(Stop)() PURE;
    // The graph's state (a FILTER_STATE); VFW_S_STATE_INTERMEDIATE or VFW_S_CANT_CUE as the filters say.
    STDMETHOD(GetState)(LONG timeout_ms, OAFilterState* state) PURE;
    STDMETHOD(RenderFile)(BSTR file) PURE;
    STDMETHOD(AddSourceFilter)(BSTR file, IDispatch** filter) PURE;
    STDMETHOD(get_FilterCollection)(IDispatch** collection) PURE;
    STDMETHOD(get_RegFilterCollection)(IDispatch** collection) PURE;
    STDMETHOD(StopWhenReady)() PURE;
};
COM_INTERFACE(IMediaControl, IID_IMediaControl, IDispatch);

struct IMediaPosition : IDispatch {
    STDMETHOD(get_Duration)(REFTIME* length) PURE;
    STDMETHOD(put_CurrentPosition)(REFTIME time) PURE;
    // Seconds of stream time since Run, not counting paused time.
    STDMETHOD(get_CurrentPosition)(REFTIME* time) PURE;
    STDMETHOD(get_StopTime)(REFTIME* time) PURE;
    STDMETHOD(put_StopTime)(REFTIME time) PURE;
    STDMETHOD(get_PrerollTime)(REFTIME* time) PURE;
    STDMETHOD(put_PrerollTime)(REFTIME time) PURE;
    STDMETHOD(put_Rate)(double rate) PURE;
    STDMETHOD(get_Rate)(double* rate) PURE;
    STDMETHOD(CanSeekForward)(LONG* can) PURE;
    STDMETHOD(CanSeekBackward)(LONG* can) PURE;
};
COM_INTERFACE(IMediaPosition, IID_IMediaPosition, IDispatch);

struct IBasicAudio : IDispatch {
    // Hundredths of a decibel, -10000 (silence) to 0 (full); E_INVALIDARG outside.
    STDMETHOD(put_Volume)(LONG volume) PURE;
    STDMETHOD(get_Volume)(LONG* volume) PURE;
    STDMETHOD(put_Balance)(LONG balance) PURE;
    STDMETHOD(get_Balance)(LONG* balance) PURE;
};
COM_INTERFACE(IBasicAudio, IID_IBasicAudio, IDispatch);

struct IVideoWindow : IDispatch {
    STDMETHOD(put_Caption)(BSTR caption) PURE;
    STDMETHOD(get_Caption)(BSTR* caption) PURE;
    STDMETHOD(put_WindowStyle)(LONG style) PURE;
    STDMETHOD(get_WindowStyle)(LONG* style) PURE;
    STDMETHOD(put_WindowStyleEx)(LONG style) PURE;
    STDMETHOD(get_WindowStyleEx)(LONG* style) PURE;
    STDMETHOD(put_AutoShow)(LONG show) PURE;
    STDMETHOD(get_AutoShow)(LONG* show) PURE;
    STDMETHOD(put_WindowState)(LONG state) PURE;
    STDMETHOD(get_WindowState)(LONG* state) PURE;
    STDMETHOD(put_BackgroundPalette)(LONG palette) PURE;
    STDMETHOD(get_BackgroundPalette)(LONG* palette) PURE;
    STDMETHOD(put_Visible)(LONG visible) PURE;
    STDMETHOD(get_Visible)(LONG* visible) PURE;
    STDMETHOD(put_Left)(LONG left) PURE;
    STDMETHOD(get_Left)(LONG* left) PURE;
    STDMETHOD(put_Width)(LONG width) PURE;
    STDMETHOD(get_Width)(LONG* width) PURE;
    STDMETHOD(put_Top)(LONG top) PURE;
    STDMETHOD(get_Top)(LONG* top) PURE;
    STDMETHOD(put_Height)(LONG height) PURE;
    STDMETHOD(get_Height)(LONG* height) PURE;
    STDMETHOD(put_Owner)(OAHWND owner) PURE;
    STDMETHOD(get_Owner)(OAHWND* owner) PURE;
    STDMETHOD(put_MessageDrain)(OAHWND drain) PURE;
    STDMETHOD(get_MessageDrain)(OAHWND* drain) PURE;
    STDMETHOD(get_BorderColor)(LONG* color) PURE;
    STDMETHOD(put_BorderColor)(LONG color) PURE;
    STDMETHOD(get_FullScreenMode)(LONG* mode) PURE;
    STDMETHOD(put_FullScreenMode)(LONG mode) PURE;
    STDMETHOD(SetWindowForeground)(LONG focus) PURE;
    STDMETHOD(NotifyOwnerMessage)(OAHWND window, LONG message, LONG_PTR wparam, LONG_PTR lparam) PURE;
    STDMETHOD(SetWindowPosition)(LONG left, LONG top, LONG width, LONG height) PURE;
    STDMETHOD(GetWindowPosition)(LONG* left, LONG* top, LONG* width, LONG* height) PURE;
    STDMETHOD(GetMinIdealImageSize)(LONG* width, LONG* height) PURE;
    STDMETHOD(GetMaxIdealImageSize)(LONG* width, LONG* height) PURE;
    STDMETHOD(GetRestorePosition)(LONG* left, LONG* top, LONG* width, LONG* height) PURE;
    STDMETHOD(HideCursor)(LONG hide) PURE;
    STDMETHOD(IsCursorHidden)(LONG* hidden) PURE;
};
COM_INTERFACE(IVideoWindow, IID_IVideoWindow, IDispatch);

// Every IVideoWindow member, declared in a class that implements the interface.
#define DSHOW_VIDEO_WINDOW_MEMBERS                                                                          \
    STDMETHODIMP put_Caption(BSTR caption) override;                                                        \
    STDMETHODIMP get_Caption(BSTR* caption) override;                                                       \
    STDMETHODIMP put_WindowStyle(LONG style) override;                                                      \
    STDMETHODIMP get_WindowStyle(LONG* style) override;                                                     \
    STDMETHODIMP put_WindowStyleEx(LONG style) override;                                                    \
    STDMETHODIMP get_WindowStyleEx(LONG* style) override;                                                   \
    STDMETHODIMP put_AutoShow(LONG show) override;                                                          \
    STDMETHODIMP get_AutoShow(LONG* show) override;                                                         \
    STDMETHODIMP put_WindowState(LONG state) override;                                                      \
    STDMETHODIMP get_WindowState(LONG* state) override;                                                     \
    STDMETHODIMP put_BackgroundPalette(LONG palette) override;                                              \
    STDMETHODIMP get_BackgroundPalette(LONG* palette) override;                                             \
    STDMETHODIMP put_Visible(LONG visible) override;                                                        \
    STDMETHODIMP get_Visible(LONG* visible) override;                                                       \
    STDMETHODIMP put_Left(LONG left) override;                                                              \
    STDMETHODIMP get_Left(LONG* left) override;                                                             \
    STDMETHODIMP put_Width(LONG width) override;                                                            \
    STDMETHODIMP get_Width(LONG* width) override;                                                           \
    STDMETHODIMP put_Top(LONG top) override;                                                                \
    STDMETHODIMP get_Top(LONG* top) override;                                                               \
    STDMETHODIMP put_Height(LONG height) override;                                                          \
    STDMETHODIMP get_Height(LONG* height) override;                                                         \
    STDMETHODIMP put_Owner(OAHWND owner) override;                                                          \
    STDMETHODIMP get_Owner(OAHWND* owner) override;                                                         \
    STDMETHODIMP put_MessageDrain(OAHWND drain) override;                                                   \
    STDMETHODIMP get_MessageDrain(OAHWND* drain) override;                                                  \
    STDMETHODIMP get_BorderColor(LONG* color) override;                                                     \
    STDMETHODIMP put_BorderColor(LONG color) override;                                                      \
    STDMETHODIMP get_FullScreenMode(LONG* mode) override;                                                   \
    STDMETHODIMP put_FullScreenMode(LONG mode) override;                                                    \
    STDMETHODIMP SetWindowForeground(LONG focus) override;                                                  \
    STDMETHODIMP NotifyOwnerMessage(OAHWND window, LONG message, LONG_PTR wparam, LONG_PTR lparam) override;\
    STDMETHODIMP SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;                  \
    STDMETHODIMP GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;              \
    STDMETHODIMP GetMinIdealImageSize(LONG* width, LONG* height) override;                                  \
    STDMETHODIMP GetMaxIdealImageSize(LONG* width, LONG* height) override;                                  \
    STDMETHODIMP GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height) override;             \
    STDMETHODIMP HideCursor(LONG hide) override;                                                            \
    STDMETHODIMP IsCursorHidden(LONG* hidden) override;
