#include <dshow/BaseFilter.h>
#include <dshow/EventInterfaces.h>
#include <dshow/Pins.h>

#include "Enumerators.h"

#include <base/Text.h>
#include <com/TaskMemory.h>

#include <algorithm>

namespace dshow {

BaseFilter::BaseFilter(REFCLSID clsid)
    : m_clsid(clsid)
{
}

BaseFilter::~BaseFilter() = default;

STDMETHODIMP BaseFilter::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = m_clsid;
    return S_OK;
}

STDMETHODIMP BaseFilter::Stop()
{
    std::lock_guard state_guard(m_state_lock);
    if (state() == State_Stopped)
        return S_OK;
    HRESULT hr = on_stop();
    for (BasePin* pin : pins())
        pin->inactive();
    std::lock_guard guard(m_lock);
    m_state = State_Stopped;
    return hr;
}

STDMETHODIMP BaseFilter::Pause()
{
    std::lock_guard state_guard(m_state_lock);
    FILTER_STATE old = state();
    if (old == State_Paused)
        return S_OK;
    if (old == State_Stopped) {
        std::vector<BasePin*> activated;
        HRESULT hr = S_OK;
        for (BasePin* pin : pins()) {
            hr = pin->active();
            if (FAILED(hr))
                break;
            activated.push_back(pin);
        }
        if (SUCCEEDED(hr))
            hr = on_pause();
        if (FAILED(hr)) {
            for (BasePin* pin : activated)
                pin->inactive();
            return hr;
        }
    } else {
        HRESULT hr = on_pause();
        if (FAILED(hr))
            return hr;
    }
    std::lock_guard guard(m_lock);
    m_state = State_Paused;
    return S_OK;
}

STDMETHODIMP BaseFilter::Run(REFERENCE_TIME start)
{
    if (state() == State_Stopped) {
        HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    std::lock_guard state_guard(m_state_lock);
    if (state() == State_Running)
        return S_OK;
    {
        std::lock_guard guard(m_lock);
        m_start = start;
    }
    HRESULT hr = on_run(start);
    if (FAILED(hr))
        return hr;
    std::lock_guard guard(m_lock);
    m_state = State_Running;
    return S_OK;
}

STDMETHODIMP BaseFilter::GetState(DWORD, FILTER_STATE* out)
{
    if (!out)
        return E_POINTER;
    FILTER_STATE now = state();
    *out = now;
    return state_result(now);
}

STDMETHODIMP BaseFilter::SetSyncSource(IReferenceClock* clock)
{
    std::lock_guard guard(m_lock);
    m_clock = clock;
    return S_OK;
}

STDMETHODIMP BaseFilter::GetSyncSource(IReferenceClock** clock)
{
    if (!clock)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    return m_clock.CopyTo(clock);
}

STDMETHODIMP BaseFilter::EnumPins(IEnumPins** out)
{
    if (!out)
        return E_POINTER;
    CComPtr<IBaseFilter> self(this);
    *out = new detail::PinEnumerator([self]() {
        std::vector<CComPtr<IPin>> list;
        for (BasePin* pin : static_cast<BaseFilter*>(self.p)->pins())
            list.emplace_back(pin);
        return list;
    });
    return S_OK;
}

STDMETHODIMP BaseFilter::FindPin(LPCWSTR id, IPin** out)
{
    if (!id || !out)
        return E_POINTER;
    *out = nullptr;
    std::u16string_view wanted(id, base::u16_length(id));
    for (BasePin* pin : pins()) {
        if (pin->id() == wanted) {
            pin->AddRef();
            *out = pin;
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP BaseFilter::QueryFilterInfo(FILTER_INFO* info)
{
    if (!info)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    base::copy_bounded(info->achName, MAX_FILTER_NAME, m_name);
    info->pGraph = m_graph;
    if (m_graph)
        m_graph->AddRef();
    return S_OK;
}

STDMETHODIMP BaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    std::lock_guard guard(m_lock);
    m_graph = graph;
    m_name = name ? std::u16string(name, base::u16_length(name)) : std::u16string();
    return S_OK;
}

STDMETHODIMP BaseFilter::QueryVendorInfo(LPWSTR* info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL;
}

FILTER_STATE BaseFilter::state() const
{
    std::lock_guard guard(m_lock);
    return m_state;
}

IFilterGraph* BaseFilter::graph() const
{
    std::lock_guard guard(m_lock);
    return m_graph;
}

std::u16string BaseFilter::name() const
{
    std::lock_guard guard(m_lock);
    return m_name;
}

REFERENCE_TIME BaseFilter::start_time() const
{
    std::lock_guard guard(m_lock);
    return m_start;
}

REFERENCE_TIME BaseFilter::stream_time() const
{
    CComPtr<IReferenceClock> reference;
    REFERENCE_TIME start;
    {
        std::lock_guard guard(m_lock);
        if (m_state != State_Running || !m_clock)
            return 0;
        reference = m_clock;
        start = m_start;
    }
    REFERENCE_TIME now = 0;
    if (FAILED(reference->GetTime(&now)))
        return 0;
    return now - start;
}

CComPtr<IReferenceClock> BaseFilter::clock() const
{
    std::lock_guard guard(m_lock);
    return m_clock;
}

std::vector<BasePin*> BaseFilter::pins() const
{
    std::lock_guard guard(m_lock);
    std::vector<BasePin*> list;
    list.reserve(m_pins.size());
    for (auto& pin : m_pins)
        list.push_back(pin.get());
    return list;
}

void BaseFilter::add_pin(std::unique_ptr<BasePin> pin)
{
    std::lock_guard guard(m_lock);
    m_pins.push_back(std::move(pin));
}

HRESULT BaseFilter::remove_pin(BasePin* pin)
{
    std::lock_guard guard(m_lock);
    auto it = std::find_if(m_pins.begin(), m_pins.end(), [pin](auto& p) { return p.get() == pin; });
    if (it == m_pins.end())
        return E_INVALIDARG;
    if (pin->is_connected())
        return VFW_E_ALREADY_CONNECTED;
    m_removed_pins.push_back(std::move(*it));
    m_pins.erase(it);
    return S_OK;
}

void BaseFilter::notify_event(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    IFilterGraph* joined = graph();
    CComPtr<IMediaEventSink> sink;
    if (joined && SUCCEEDED(joined->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink))))
        sink->Notify(code, param1, param2);
}

}
