#pragma once

// The filter graph manager object (see FilterGraph.h for its behaviour). Its members are spread
// over FilterGraph.cpp (filters and connections), GraphControl.cpp (state, position, forwarded
// interfaces) and GraphFile.cpp (persistence).

#include <com/ComPtr.h>
#include <com/Object.h>
#include <dshow/EventInterfaces.h>
#include <dshow/FilterGraph.h>
#include <dshow/SeekingInterfaces.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace dshow::detail {

// A reference clock on the process clock (base::Clock), in 100 ns units.
HRESULT create_system_clock(IReferenceClock** clock);
// Registers CLSID_SystemDeviceEnum.
void register_device_enumerator();
void register_capture_graph_builder();

struct RegisteredFilter {
    CLSID clsid;
    std::u16string name;
    FilterRole role;
    DWORD merit;
};
// The registered intermediate filters and renderers, highest merit first.
std::vector<RegisteredFilter> registered_graph_filters(FilterRole role);

class FilterGraph final
    : public com::Object<IGraphBuilder, IMediaControl, IMediaPosition, IBasicAudio, IVideoWindow, IPersistStream, IMediaEventEx,
                         IMediaEventSink, IMediaSeeking> {
public:
    FilterGraph();
    ~FilterGraph() override;

    COM_NO_DISPATCH

    // IFilterGraph
    STDMETHODIMP AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    STDMETHODIMP RemoveFilter(IBaseFilter* filter) override;
    STDMETHODIMP EnumFilters(IEnumFilters** filters) override;
    STDMETHODIMP FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    STDMETHODIMP ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Reconnect(IPin* pin) override;
    STDMETHODIMP Disconnect(IPin* pin) override;
    STDMETHODIMP SetDefaultSyncSource() override;
    // IGraphBuilder
    STDMETHODIMP Connect(IPin* output, IPin* input) override;
    STDMETHODIMP Render(IPin* output) override;
    STDMETHODIMP RenderFile(LPCWSTR file, LPCWSTR play_list) override;
    STDMETHODIMP AddSourceFilter(LPCWSTR file, LPCWSTR name, IBaseFilter** filter) override;
    STDMETHODIMP SetLogFile(DWORD_PTR file) override;
    STDMETHODIMP Abort() override;
    STDMETHODIMP ShouldOperationContinue() override;

    // IMediaControl
    STDMETHODIMP Run() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP GetState(LONG timeout_ms, OAFilterState* state) override;
    STDMETHODIMP RenderFile(BSTR file) override;
    STDMETHODIMP AddSourceFilter(BSTR file, IDispatch** filter) override;
    STDMETHODIMP get_FilterCollection(IDispatch** collection) override;
    STDMETHODIMP get_RegFilterCollection(IDispatch** collection) override;
    STDMETHODIMP StopWhenReady() override;

    // IMediaPosition
    STDMETHODIMP get_Duration(REFTIME* length) override;
    STDMETHODIMP put_CurrentPosition(REFTIME time) override;
    STDMETHODIMP get_CurrentPosition(REFTIME* time) override;
    STDMETHODIMP get_StopTime(REFTIME* time) override;
    STDMETHODIMP put_StopTime(REFTIME time) override;
    STDMETHODIMP get_PrerollTime(REFTIME* time) override;
    STDMETHODIMP put_PrerollTime(REFTIME time) override;
    STDMETHODIMP put_Rate(double rate) override;
    STDMETHODIMP get_Rate(double* rate) override;
    STDMETHODIMP CanSeekForward(LONG* can) override;
    STDMETHODIMP CanSeekBackward(LONG* can) override;

    // IBasicAudio
    STDMETHODIMP put_Volume(LONG volume) override;
    STDMETHODIMP get_Volume(LONG* volume) override;
    STDMETHODIMP put_Balance(LONG balance) override;
    STDMETHODIMP get_Balance(LONG* balance) override;

    // IVideoWindow
    DSHOW_VIDEO_WINDOW_MEMBERS

    // IMediaEvent, IMediaEventEx (GraphEvents.cpp)
    STDMETHODIMP GetEventHandle(OAEVENT* handle) override;
    STDMETHODIMP GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout_ms) override;
    STDMETHODIMP WaitForCompletion(LONG timeout_ms, LONG* code) override;
    STDMETHODIMP CancelDefaultHandling(LONG code) override;
    STDMETHODIMP RestoreDefaultHandling(LONG code) override;
    STDMETHODIMP FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
    STDMETHODIMP SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) override;
    STDMETHODIMP SetNotifyFlags(LONG flags) override;
    STDMETHODIMP GetNotifyFlags(LONG* flags) override;
    // IMediaEventSink
    STDMETHODIMP Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

    // IMediaSeeking (GraphSeeking.cpp)
    DSHOW_MEDIA_SEEKING_MEMBERS

    // IPersistStream
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clear_dirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;

private:
    struct Entry {
        CComPtr<IBaseFilter> filter;
        std::u16string name;
    };

    std::vector<Entry> snapshot() const;
    bool contains(IBaseFilter* filter) const;
    bool is_stopped() const;
    std::u16string unique_name(const std::u16string& wanted) const;
    // Filters ordered so that each comes before the filters upstream of it.
    std::vector<CComPtr<IBaseFilter>> downstream_first() const;

    HRESULT connect(IPin* output, IPin* input, int depth);
    HRESULT connect_through(IBaseFilter* middle, IPin* output, IPin* input, int depth);
    HRESULT render(IPin* output, int depth);
    HRESULT render_through(IBaseFilter* filter, IPin* output, int depth);
    void disconnect_both(IPin* pin);
    HRESULT add_registered(const RegisteredFilter& entry, CComPtr<IBaseFilter>& filter);

    template<typename Interface>
    std::vector<CComPtr<Interface>> filters_with() const;
    // The first filter with the interface, or E_NOINTERFACE.
    template<typename Interface>
    HRESULT first_with(CComPtr<Interface>& found) const;
    // Sets a level on every filter with IBasicAudio; the first failure is the result.
    HRESULT set_audio(HRESULT (STDMETHODCALLTYPE IBasicAudio::*set)(LONG), LONG level);

    // Events: queues one for the application and tells the notify window.
    void queue_event(LONG code, LONG_PTR param1, LONG_PTR param2);
    // Counts the renderers that will send EC_COMPLETE (connected filters without outputs) and
    // forgets the notices received; called when the graph starts streaming anew.
    void reset_completion();
    // Every renderer has finished since the graph started streaming.
    bool completed() const;
    // The position is no longer the end: the graph stopped (its position kept) or sought.
    void forget_completion();
    // Seeking: the filters that seek (the sources), and the media position now.
    std::vector<CComPtr<IMediaSeeking>> seeking_filters() const;
    REFERENCE_TIME media_position() const;
    // Stops the filters and starts them again in the state they had, from `position` at `rate`.
    HRESULT restart_at(REFERENCE_TIME position, double rate);
    HRESULT stop_filters();

    mutable std::recursive_mutex m_lock;
    std::vector<Entry> m_filters;
    CComPtr<IReferenceClock> m_clock;
    FILTER_STATE m_state { State_Stopped };
    bool m_dirty { false };
    // Stream time: what ran before the last Run, and the reference time of that Run.
    REFERENCE_TIME m_position_before { 0 };
    REFERENCE_TIME m_run_start { 0 };
    // Media position of stream time 0, and the playback rate (seeking graphs).
    REFERENCE_TIME m_segment_start { 0 };
    double m_rate { 1.0 };

    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    mutable std::mutex m_event_lock;
    std::condition_variable m_event_changed;
    std::deque<Event> m_events;
    HANDLE m_event_handle { nullptr };
    HWND m_notify_window { nullptr };
    UINT m_notify_message { 0 };
    LONG_PTR m_notify_instance { 0 };
    LONG m_notify_flags { 0 };
    bool m_handle_complete { true };
    int m_renderers { 0 };
    int m_completes { 0 };
    bool m_completed { false };
};

}
