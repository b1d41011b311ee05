#include "FilterGraphImpl.h"
#include "Enumerators.h"

#include <base/Handles.h>
#include <base/Sync.h>
#include <base/Text.h>
#include <com/ClassRegistry.h>
#include <dshow/FileSource.h>
#include <dshow/SystemFilters.h>
#include <dshow/VfwErrors.h>

#include <algorithm>
#include <map>
#include <set>

namespace dshow::detail {

namespace {

struct FilterRegistry {
    std::mutex lock;
    std::vector<RegisteredFilter> filters;
};

FilterRegistry& filter_registry()
{
    static FilterRegistry instance;
    return instance;
}

CComPtr<IBaseFilter> filter_of(IPin* pin)
{
    CComPtr<IBaseFilter> filter;
    PIN_INFO info {};
    if (pin && SUCCEEDED(pin->QueryPinInfo(&info)))
        filter.Attach(info.pFilter);
    return filter;
}

PIN_DIRECTION direction_of(IPin* pin)
{
    PIN_DIRECTION direction = PINDIR_INPUT;
    pin->QueryDirection(&direction);
    return direction;
}

bool same_object(IUnknown* a, IUnknown* b)
{
    CComPtr<IUnknown> left(a);
    return left.IsEqualObject(b);
}

// The unconnected pins of `filter` in `direction`.
std::vector<CComPtr<IPin>> free_pins(IBaseFilter* filter, PIN_DIRECTION direction)
{
    std::vector<CComPtr<IPin>> list;
    CComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return list;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        CComPtr<IPin> held;
        held.Attach(pin);
        CComPtr<IPin> peer;
        if (direction_of(pin) == direction && FAILED(pin->ConnectedTo(&peer)))
            list.push_back(held);
    }
    return list;
}

// The filters connected behind `filter`'s output pins.
std::vector<CComPtr<IBaseFilter>> downstream_of(IBaseFilter* filter)
{
    std::vector<CComPtr<IBaseFilter>> list;
    CComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return list;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        CComPtr<IPin> held;
        held.Attach(pin);
        CComPtr<IPin> peer;
        if (direction_of(pin) == PINDIR_OUTPUT && SUCCEEDED(pin->ConnectedTo(&peer))) {
            if (auto next = filter_of(peer))
                list.push_back(next);
        }
    }
    return list;
}

// True when `to` can be reached from `from` along connections (or is `from`).
bool reaches(IBaseFilter* from, IBaseFilter* to)
{
    std::vector<CComPtr<IBaseFilter>> todo { CComPtr<IBaseFilter>(from) };
    std::set<IBaseFilter*> seen;
    while (!todo.empty()) {
        CComPtr<IBaseFilter> f = todo.back();
        todo.pop_back();
        if (same_object(f, to))
            return true;
        if (!seen.insert(f.p).second)
            continue;
        for (auto& next : downstream_of(f))
            todo.push_back(next);
    }
    return false;
}

bool has_output_pins(IBaseFilter* filter)
{
    CComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return false;
    IPin* pin = nullptr;
    bool found = false;
    while (!found && pins->Next(1, &pin, nullptr) == S_OK) {
        found = direction_of(pin) == PINDIR_OUTPUT;
        pin->Release();
    }
    return found;
}

// Results that say the pins themselves cannot be connected, whatever sits between them.
bool hopeless(HRESULT hr)
{
    return hr == VFW_E_ALREADY_CONNECTED || hr == VFW_E_NOT_STOPPED || hr == VFW_E_NOT_IN_GRAPH
        || hr == VFW_E_INVALID_DIRECTION || hr == E_POINTER;
}

constexpr int max_connect_depth = 2;
constexpr int max_render_depth = 4;

}

std::vector<RegisteredFilter> registered_graph_filters(FilterRole role)
{
    auto& r = filter_registry();
    std::lock_guard guard(r.lock);
    std::vector<RegisteredFilter> list;
    for (auto& entry : r.filters) {
        if (entry.role == role && entry.merit > MERIT_DO_NOT_USE)
            list.push_back(entry);
    }
    std::stable_sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.merit > b.merit; });
    return list;
}

FilterGraph::FilterGraph()
{
    create_system_clock(&m_clock);
    m_event_handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

FilterGraph::~FilterGraph()
{
    // Stop, break every connection (the pins hold their peers), then let the filters go.
    auto order = downstream_first();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        (*it)->Stop();
    for (auto& entry : m_filters) {
        CComPtr<IEnumPins> pins;
        if (SUCCEEDED(entry.filter->EnumPins(&pins)) && pins) {
            IPin* pin = nullptr;
            while (pins->Next(1, &pin, nullptr) == S_OK) {
                pin->Disconnect();
                pin->Release();
            }
        }
    }
    for (auto& entry : m_filters) {
        entry.filter->JoinFilterGraph(nullptr, nullptr);
        entry.filter->SetSyncSource(nullptr);
    }
    m_filters.clear();
    if (m_event_handle)
        CloseHandle(m_event_handle);
}

std::vector<FilterGraph::Entry> FilterGraph::snapshot() const
{
    std::lock_guard guard(m_lock);
    return m_filters;
}

bool FilterGraph::contains(IBaseFilter* filter) const
{
    if (!filter)
        return false;
    std::lock_guard guard(m_lock);
    return std::any_of(m_filters.begin(), m_filters.end(), [filter](auto& e) { return same_object(e.filter, filter); });
}

bool FilterGraph::is_stopped() const
{
    std::lock_guard guard(m_lock);
    return m_state == State_Stopped;
}

std::u16string FilterGraph::unique_name(const std::u16string& wanted) const
{
    auto taken = [this](const std::u16string& name) {
        return std::any_of(m_filters.begin(), m_filters.end(), [&](auto& e) { return e.name == name; });
    };
    if (!wanted.empty() && !taken(wanted))
        return wanted;
    std::u16string stem = wanted.empty() ? u"Filter" : wanted;
    for (int n = 1;; ++n) {
        char digits[8];
        wsprintfA(digits, "%04d", n);
        std::u16string name = stem + u" " + base::to_utf16(digits);
        if (!taken(name))
            return name;
    }
}

STDMETHODIMP FilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name)
{
    if (!filter)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    if (contains(filter))
        return VFW_E_DUPLICATE_NAME;
    std::u16string wanted = name ? std::u16string(name, base::u16_length(name)) : std::u16string();
    std::u16string given = unique_name(wanted);
    HRESULT hr = filter->JoinFilterGraph(this, given.c_str());
    if (FAILED(hr))
        return hr;
    filter->SetSyncSource(m_clock);
    m_filters.push_back({ CComPtr<IBaseFilter>(filter), given });
    m_dirty = true;
    return (!wanted.empty() && given != wanted) ? VFW_S_DUPLICATE_NAME : S_OK;
}

void FilterGraph::disconnect_both(IPin* pin)
{
    CComPtr<IPin> peer;
    if (SUCCEEDED(pin->ConnectedTo(&peer)))
        peer->Disconnect();
    pin->Disconnect();
}

STDMETHODIMP FilterGraph::RemoveFilter(IBaseFilter* filter)
{
    if (!filter)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    auto it = std::find_if(m_filters.begin(), m_filters.end(), [filter](auto& e) { return same_object(e.filter, filter); });
    if (it == m_filters.end())
        return VFW_E_NOT_FOUND;
    if (m_state != State_Stopped)
        return VFW_E_NOT_STOPPED;
    CComPtr<IBaseFilter> held = it->filter;
    CComPtr<IEnumPins> pins;
    if (SUCCEEDED(held->EnumPins(&pins)) && pins) {
        IPin* pin = nullptr;
        while (pins->Next(1, &pin, nullptr) == S_OK) {
            disconnect_both(pin);
            pin->Release();
        }
    }
    m_filters.erase(it);
    held->JoinFilterGraph(nullptr, nullptr);
    held->SetSyncSource(nullptr);
    m_dirty = true;
    return S_OK;
}

STDMETHODIMP FilterGraph::EnumFilters(IEnumFilters** out)
{
    if (!out)
        return E_POINTER;
    CComPtr<IGraphBuilder> self(this);
    *out = new FilterEnumerator([self]() {
        std::vector<CComPtr<IBaseFilter>> list;
        for (auto& entry : static_cast<FilterGraph*>(self.p)->snapshot())
            list.push_back(entry.filter);
        return list;
    });
    return S_OK;
}

STDMETHODIMP FilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** out)
{
    if (!name || !out)
        return E_POINTER;
    *out = nullptr;
    std::u16string_view wanted(name, base::u16_length(name));
    std::lock_guard guard(m_lock);
    for (auto& entry : m_filters) {
        if (entry.name == wanted)
            return entry.filter.CopyTo(out);
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP FilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type)
{
    if (!output || !input)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    if (m_state != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!contains(filter_of(output)) || !contains(filter_of(input)))
        return VFW_E_NOT_IN_GRAPH;
    if (direction_of(output) != PINDIR_OUTPUT || direction_of(input) != PINDIR_INPUT)
        return VFW_E_INVALID_DIRECTION;
    HRESULT hr = output->Connect(input, type);
    if (SUCCEEDED(hr))
        m_dirty = true;
    return hr;
}

STDMETHODIMP FilterGraph::Reconnect(IPin* pin)
{
    if (!pin)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    if (m_state != State_Stopped)
        return VFW_E_NOT_STOPPED;
    CComPtr<IPin> peer;
    if (FAILED(pin->ConnectedTo(&peer)))
        return VFW_E_NOT_CONNECTED;
    AM_MEDIA_TYPE type {};
    pin->ConnectionMediaType(&type);
    IPin* output = direction_of(pin) == PINDIR_OUTPUT ? pin : peer.p;
    IPin* input = output == pin ? peer.p : pin;
    peer->Disconnect();
    pin->Disconnect();
    HRESULT hr = output->Connect(input, &type);
    FreeMediaType(type);
    return hr;
}

STDMETHODIMP FilterGraph::Disconnect(IPin* pin)
{
    if (!pin)
        return E_POINTER;
    if (!is_stopped())
        return VFW_E_NOT_STOPPED;
    HRESULT hr = pin->Disconnect();
    if (hr == S_OK)
        m_dirty = true;
    return hr;
}

STDMETHODIMP FilterGraph::SetDefaultSyncSource()
{
    std::lock_guard guard(m_lock);
    for (auto& entry : m_filters)
        entry.filter->SetSyncSource(m_clock);
    return S_OK;
}

STDMETHODIMP FilterGraph::Connect(IPin* output, IPin* input)
{
    if (!output || !input)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    return connect(output, input, max_connect_depth);
}

HRESULT FilterGraph::connect(IPin* output, IPin* input, int depth)
{
    HRESULT hr = ConnectDirect(output, input, nullptr);
    if (SUCCEEDED(hr) || hopeless(hr))
        return hr;
    if (depth <= 0)
        return VFW_E_CANNOT_CONNECT;

    auto from = filter_of(output);
    auto to = filter_of(input);
    for (auto& entry : snapshot()) {
        IBaseFilter* middle = entry.filter;
        if (same_object(middle, from) || same_object(middle, to) || reaches(middle, from) || reaches(to, middle))
            continue;
        if (SUCCEEDED(connect_through(middle, output, input, depth)))
            return S_OK;
    }
    for (auto& registered : registered_graph_filters(FilterRole::Intermediate)) {
        CComPtr<IBaseFilter> middle;
        if (FAILED(add_registered(registered, middle)))
            continue;
        if (SUCCEEDED(connect_through(middle, output, input, depth)))
            return S_OK;
        RemoveFilter(middle);
    }
    return VFW_E_CANNOT_CONNECT;
}

HRESULT FilterGraph::connect_through(IBaseFilter* middle, IPin* output, IPin* input, int depth)
{
    for (auto& middle_in : free_pins(middle, PINDIR_INPUT)) {
        if (FAILED(ConnectDirect(output, middle_in, nullptr)))
            continue;
        for (auto& middle_out : free_pins(middle, PINDIR_OUTPUT)) {
            if (SUCCEEDED(connect(middle_out, input, depth - 1)))
                return S_OK;
        }
        disconnect_both(middle_in);
    }
    return VFW_E_CANNOT_CONNECT;
}

HRESULT FilterGraph::add_registered(const RegisteredFilter& entry, CComPtr<IBaseFilter>& filter)
{
    HRESULT hr = CoCreateInstance(entry.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
    if (FAILED(hr))
        return hr;
    hr = AddFilter(filter, entry.name.c_str());
    if (FAILED(hr))
        filter.Release();
    return hr;
}

STDMETHODIMP FilterGraph::Render(IPin* output)
{
    if (!output)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    if (m_state != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (direction_of(output) != PINDIR_OUTPUT)
        return VFW_E_INVALID_DIRECTION;
    CComPtr<IPin> peer;
    if (SUCCEEDED(output->ConnectedTo(&peer)))
        return VFW_E_ALREADY_CONNECTED;
    if (!contains(filter_of(output)))
        return VFW_E_NOT_IN_GRAPH;
    return render(output, max_render_depth);
}

HRESULT FilterGraph::render_through(IBaseFilter* filter, IPin* output, int depth)
{
    for (auto& input : free_pins(filter, PINDIR_INPUT)) {
        if (FAILED(ConnectDirect(output, input, nullptr)))
            continue;
        // Whatever the new filter puts out must be rendered too.
        bool rendered = true;
        std::vector<CComPtr<IPin>> done;
        for (auto& next : free_pins(filter, PINDIR_OUTPUT)) {
            if (depth <= 0 || FAILED(render(next, depth - 1))) {
                rendered = false;
                break;
            }
            done.push_back(next);
        }
        if (rendered)
            return S_OK;
        for (auto& next : done) {
            CComPtr<IPin> peer;
            if (SUCCEEDED(next->ConnectedTo(&peer)))
                disconnect_both(next);
        }
        disconnect_both(input);
    }
    return VFW_E_CANNOT_RENDER;
}

HRESULT FilterGraph::render(IPin* output, int depth)
{
    auto from = filter_of(output);
    for (auto& entry : snapshot()) {
        IBaseFilter* candidate = entry.filter;
        if (same_object(candidate, from) || reaches(candidate, from))
            continue;
        if (SUCCEEDED(render_through(candidate, output, depth)))
            return S_OK;
    }
    for (auto role : { FilterRole::Renderer, FilterRole::Intermediate }) {
        for (auto& registered : registered_graph_filters(role)) {
            CComPtr<IBaseFilter> filter;
            if (FAILED(add_registered(registered, filter)))
                continue;
            bool ok = (role == FilterRole::Renderer || has_output_pins(filter)) && SUCCEEDED(render_through(filter, output, depth));
            if (ok)
                return S_OK;
            RemoveFilter(filter);
        }
    }
    return VFW_E_CANNOT_RENDER;
}

STDMETHODIMP FilterGraph::RenderFile(LPCWSTR file, LPCWSTR)
{
    CComPtr<IBaseFilter> source;
    HRESULT hr = AddSourceFilter(file, file, &source);
    if (FAILED(hr))
        return hr;
    int undecodable = static_cast<FileSource*>(static_cast<IBaseFilter*>(source))->undecodable_streams();
    int rendered = 0, audio_failed = 0, video_failed = 0;
    for (auto& pin : free_pins(source, PINDIR_OUTPUT)) {
        bool video = false;
        CComPtr<IEnumMediaTypes> types;
        AM_MEDIA_TYPE* offered = nullptr;
        if (SUCCEEDED(pin->EnumMediaTypes(&types)) && types && types->Next(1, &offered, nullptr) == S_OK) {
            video = IsEqualGUID(offered->majortype, MEDIATYPE_Video);
            DeleteMediaType(offered);
        }
        if (SUCCEEDED(Render(pin)))
            ++rendered;
        else
            ++(video ? video_failed : audio_failed);
    }
    if (rendered == 0) {
        RemoveFilter(source);
        return undecodable ? VFW_E_UNSUPPORTED_STREAM : VFW_E_CANNOT_RENDER;
    }
    if (undecodable)
        return VFW_S_PARTIAL_RENDER;
    if (audio_failed && !video_failed)
        return VFW_S_AUDIO_NOT_RENDERED;
    if (video_failed && !audio_failed)
        return VFW_S_VIDEO_NOT_RENDERED;
    return audio_failed ? VFW_S_PARTIAL_RENDER : S_OK;
}

STDMETHODIMP FilterGraph::AddSourceFilter(LPCWSTR file, LPCWSTR name, IBaseFilter** filter)
{
    if (!filter)
        return E_POINTER;
    *filter = nullptr;
    if (!file)
        return E_POINTER;
    CComPtr<IBaseFilter> source;
    CComPtr<IFileSourceFilter> loader;
    if (FAILED(CoCreateInstance(CLSID_FileSource, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&source)))
        || FAILED(source->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&loader))))
        return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
    HRESULT hr = loader->Load(file, nullptr);
    if (FAILED(hr))
        return hr;
    hr = AddFilter(source, name ? name : file);
    if (FAILED(hr))
        return hr;
    *filter = source.Detach();
    return S_OK;
}

STDMETHODIMP FilterGraph::SetLogFile(DWORD_PTR) { return S_OK; }
STDMETHODIMP FilterGraph::Abort() { return S_OK; }
STDMETHODIMP FilterGraph::ShouldOperationContinue() { return S_OK; }

std::vector<CComPtr<IBaseFilter>> FilterGraph::downstream_first() const
{
    auto entries = snapshot();
    std::vector<CComPtr<IBaseFilter>> order;
    std::set<IBaseFilter*> placed;
    // Repeatedly place the filters whose downstream filters are all placed; a loop (which the
    // graph never makes) is broken by placing the rest as they come.
    while (order.size() < entries.size()) {
        bool progress = false;
        for (auto& entry : entries) {
            if (placed.contains(entry.filter.p))
                continue;
            bool ready = true;
            for (auto& next : downstream_of(entry.filter)) {
                bool known = std::any_of(entries.begin(), entries.end(), [&](auto& e) { return same_object(e.filter, next); });
                bool next_placed = std::any_of(placed.begin(), placed.end(), [&](IBaseFilter* p) { return same_object(p, next); });
                if (known && !next_placed && !same_object(next, entry.filter))
                    ready = false;
            }
            if (ready) {
                order.push_back(entry.filter);
                placed.insert(entry.filter.p);
                progress = true;
            }
        }
        if (!progress) {
            for (auto& entry : entries) {
                if (placed.insert(entry.filter.p).second)
                    order.push_back(entry.filter);
            }
        }
    }
    return order;
}

}

namespace dshow {

void register_graph_filter(REFCLSID clsid, std::u16string name, FilterRole role, DWORD merit)
{
    auto& r = detail::filter_registry();
    std::lock_guard guard(r.lock);
    std::erase_if(r.filters, [&](auto& e) { return IsEqualCLSID(e.clsid, clsid); });
    r.filters.push_back({ clsid, std::move(name), role, merit });
}

void unregister_graph_filter(REFCLSID clsid)
{
    auto& r = detail::filter_registry();
    std::lock_guard guard(r.lock);
    std::erase_if(r.filters, [&](auto& e) { return IsEqualCLSID(e.clsid, clsid); });
}

void register_classes()
{
    detail::register_device_enumerator();
    detail::register_capture_graph_builder();
    register_system_filters();
    com::register_class(CLSID_FilterGraph, [](IUnknown* outer, REFIID iid, void** out) {
        return com::create_instance<detail::FilterGraph>(outer, iid, out);
    }, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER);
    com::register_class(CLSID_SystemClock, [](IUnknown* outer, REFIID iid, void** out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        CComPtr<IReferenceClock> clock;
        detail::create_system_clock(&clock);
        return clock->QueryInterface(iid, out);
    });
}

}
