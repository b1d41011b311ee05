#pragma once

// dshow::BaseFilter, the base of every filter in the layer: IBaseFilter with its state
// (Stopped, Paused, Running), the graph it joined, its reference clock and its pins.
//
// How a filter is written:
//
//     class Renderer final : public dshow::BaseFilter {
//     public:
//         Renderer() : BaseFilter(CLSID_MyRenderer) { make_pin<Input>(u"Input"); }
//     private:
//         class Input final : public dshow::InputPin {
//         public:
//             Input(BaseFilter& f, std::u16string name) : InputPin(f, std::move(name)) { }
//             HRESULT check_media_type(const AM_MEDIA_TYPE& t) override { return IsEqualGUID(t.majortype, MEDIATYPE_Video) ? S_OK : S_FALSE; }
//             HRESULT receive(IMediaSample* sample) override { ... use it (AddRef to keep) ... }
//         };
//     };
//     com::register_class(CLSID_MyRenderer, [](IUnknown* o, REFIID iid, void** out) {
//         return com::create_instance<Renderer>(o, iid, out); });
//
// Pins (Pins.h) share the filter's reference count: AddRef on a pin keeps its filter alive, and a
// pin lives as long as its filter (a removed pin is kept until the filter goes, so held pointers
// stay valid). The filter owns its pins; make_pin adds one, remove_pin takes a disconnected one
// off the list.
//
// State changes (Stop/Pause/Run) are serialised by a state lock and call the hooks on_pause,
// on_run and on_stop after the pins were activated (Pause from Stopped commits the output pins'
// allocators) or before they are deactivated (Stop). Run from Stopped pauses first. A source
// starts its streaming thread in on_pause or on_run and joins it in on_stop; the streaming thread
// must not call Stop/Pause/Run. lock() guards the filter's data (pins, connections, state) and
// is held only briefly; never hold it while delivering a sample.
//
// A filter with more interfaces inherits them too, lists them in find_interface and forwards
// IUnknown with DSHOW_FORWARD_UNKNOWN(dshow::BaseFilter).

#include <com/ComPtr.h>
#include <com/Object.h>
#include <dshow/FilterInterfaces.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Defines QueryInterface, AddRef and Release of a class that inherits more interfaces than its
// base, forwarding to `Base` (which finds the extra ones through find_interface).
#define DSHOW_FORWARD_UNKNOWN(Base)                                                                     \
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return Base::QueryInterface(iid, out); } \
    STDMETHODIMP_(ULONG) AddRef() override { return Base::AddRef(); }                                   \
    STDMETHODIMP_(ULONG) Release() override { return Base::Release(); }

namespace dshow {

class BasePin;

class BaseFilter : public com::Object<IBaseFilter> {
public:
    // IPersist
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout_ms, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    FILTER_STATE state() const;
    bool is_stopped() const { return state() == State_Stopped; }
    // The graph joined (no reference held), or nullptr.
    IFilterGraph* graph() const;
    // The name given by the graph.
    std::u16string name() const;
    const CLSID& clsid() const { return m_clsid; }
    // The reference time at which Run set stream time 0.
    REFERENCE_TIME start_time() const;
    // The clock's time minus the start time while running; 0 without a clock or when not running.
    REFERENCE_TIME stream_time() const;
    // The reference clock set by the graph (AddRef'd in the returned pointer), or empty.
    CComPtr<IReferenceClock> clock() const;

    // The pins, in order (the pointers stay valid while the filter lives).
    std::vector<BasePin*> pins() const;
    // Guards pins, connections and state; shared by the filter's pins.
    std::recursive_mutex& lock() const { return m_lock; }

protected:
    explicit BaseFilter(REFCLSID clsid);
    ~BaseFilter() override;

    // Makes a pin of type Pin(*this, args...) and appends it to the pin list.
    template<typename Pin, typename... Args>
    Pin* make_pin(Args&&... args)
    {
        auto pin = std::make_unique<Pin>(*this, std::forward<Args>(args)...);
        Pin* raw = pin.get();
        add_pin(std::move(pin));
        return raw;
    }
    void add_pin(std::unique_ptr<BasePin> pin);
    // Takes a pin off the list (E_INVALIDARG when not ours, VFW_E_ALREADY_CONNECTED while connected).
    HRESULT remove_pin(BasePin* pin);

    // Hooks of the state changes, called under the state lock. A failure leaves the state as it
    // was (Pause from Stopped deactivates the pins again).
    virtual HRESULT on_pause() { return S_OK; }
    virtual HRESULT on_run(REFERENCE_TIME) { return S_OK; }
    virtual HRESULT on_stop() { return S_OK; }
    // Tells the graph of an event (IMediaEventSink::Notify); nothing outside a graph.
    void notify_event(LONG code, LONG_PTR param1, LONG_PTR param2);

    // What GetState returns besides the state: VFW_S_CANT_CUE for a live source while paused.
    virtual HRESULT state_result(FILTER_STATE) const { return S_OK; }

private:
    const CLSID m_clsid;
    mutable std::recursive_mutex m_lock;
    std::mutex m_state_lock;
    FILTER_STATE m_state { State_Stopped };
    REFERENCE_TIME m_start { 0 };
    IFilterGraph* m_graph { nullptr };
    std::u16string m_name;
    CComPtr<IReferenceClock> m_clock;
    std::vector<std::unique_ptr<BasePin>> m_pins;
    std::vector<std::unique_ptr<BasePin>> m_removed_pins;
};

}
