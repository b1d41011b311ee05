// The capture graph builder: interface search around a filter, stream rendering with the Smart
// Tee for devices without a preview pin, stream control and the AVI output chain.

#include <dshow/CaptureGraphBuilder.h>

#include <com/ClassRegistry.h>
#include <com/ComPtr.h>
#include <dshow/CaptureInterfaces.h>
#include <dshow/FilterGraph.h>
#include <dshow/PinCategory.h>
#include <dshow/SystemFilters.h>
#include <dshow/VideoRenderer.h>
#include <dshow/VfwErrors.h>

#include "FilterGraphImpl.h"

#include <set>
#include <vector>

namespace dshow {

namespace {

std::vector<CComPtr<IPin>> pins_of(IBaseFilter* filter)
{
    std::vector<CComPtr<IPin>> result;
    CComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins)) || !pins)
        return result;
    for (;;) {
        CComPtr<IPin> pin;
        if (pins->Next(1, &pin, nullptr) != S_OK)
            break;
        result.push_back(pin);
    }
    return result;
}

bool direction_is(IPin* pin, PIN_DIRECTION wanted)
{
    PIN_DIRECTION direction {};
    return SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted;
}

CComPtr<IPin> peer_of(IPin* pin)
{
    CComPtr<IPin> peer;
    pin->ConnectedTo(&peer);
    return peer;
}

CComPtr<IBaseFilter> filter_of(IPin* pin)
{
    CComPtr<IBaseFilter> filter;
    PIN_INFO info {};
    if (SUCCEEDED(pin->QueryPinInfo(&info)))
        filter.Attach(info.pFilter);
    return filter;
}

bool in_graph(IBaseFilter* filter)
{
    FILTER_INFO info {};
    if (FAILED(filter->QueryFilterInfo(&info)))
        return false;
    bool member = info.pGraph != nullptr;
    if (info.pGraph)
        info.pGraph->Release();
    return member;
}

bool is_smart_tee(IBaseFilter* filter)
{
    CLSID clsid {};
    return filter && SUCCEEDED(filter->GetClassID(&clsid)) && IsEqualCLSID(clsid, CLSID_SmartTee);
}

bool is_look_only(const GUID* category)
{
    return category && (IsEqualGUID(*category, LOOK_UPSTREAM_ONLY) || IsEqualGUID(*category, LOOK_DOWNSTREAM_ONLY));
}

bool has_category(IPin* pin, const GUID& category)
{
    CComPtr<IKsPropertySet> properties;
    if (FAILED(pin->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&properties))) || !properties)
        return false;
    GUID found {};
    DWORD returned = 0;
    if (FAILED(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &found, sizeof found, &returned)))
        return false;
    return returned == sizeof found && IsEqualGUID(found, category);
}

// The pin's connection type when connected, else any type it offers.
bool offers_major_type(IPin* pin, const GUID& major)
{
    AM_MEDIA_TYPE connected {};
    if (pin->ConnectionMediaType(&connected) == S_OK) {
        bool match = IsEqualGUID(connected.majortype, major);
        FreeMediaType(connected);
        return match;
    }
    CComPtr<IEnumMediaTypes> types;
    if (FAILED(pin->EnumMediaTypes(&types)) || !types)
        return false;
    for (;;) {
        AM_MEDIA_TYPE* type = nullptr;
        if (types->Next(1, &type, nullptr) != S_OK)
            return false;
        bool match = IsEqualGUID(type->majortype, major);
        DeleteMediaType(type);
        if (match)
            return true;
    }
}

bool pin_matches(IPin* pin, const GUID* category, const GUID* type)
{
    if (category && !has_category(pin, *category))
        return false;
    return !type || offers_major_type(pin, *type);
}

HRESULT query(IUnknown* object, REFIID iid, void** out)
{
    return object && SUCCEEDED(object->QueryInterface(iid, out)) && *out ? S_OK : E_NOINTERFACE;
}

// Searches pin, peer, peer's filter and onward in one direction.
class Search {
public:
    Search(REFIID iid, void** out)
        : m_iid(iid)
        , m_out(out)
    {
    }

    bool filter(IBaseFilter* filter) { return query(filter, m_iid, m_out) == S_OK; }

    bool along(IPin* pin, PIN_DIRECTION side)
    {
        if (!m_seen.insert(pin).second)
            return false;
        if (query(pin, m_iid, m_out) == S_OK)
            return true;
        CComPtr<IPin> peer = peer_of(pin);
        if (!peer)
            return false;
        if (query(peer, m_iid, m_out) == S_OK)
            return true;
        CComPtr<IBaseFilter> next = filter_of(peer);
        if (!next || !m_filters.insert(next.p).second)
            return false;
        if (query(next, m_iid, m_out) == S_OK)
            return true;
        for (auto& onward : pins_of(next)) {
            if (direction_is(onward, side) && along(onward, side))
                return true;
        }
        return false;
    }

    void seen(IBaseFilter* filter) { m_filters.insert(filter); }

private:
    REFIID m_iid;
    void** m_out;
    std::set<void*> m_seen;
    std::set<void*> m_filters;
};

class CaptureGraphBuilder final : public com::Object<ICaptureGraphBuilder2> {
public:
    STDMETHODIMP SetFiltergraph(IGraphBuilder* graph) override
    {
        if (!graph)
            return E_POINTER;
        if (m_graph)
            return E_UNEXPECTED;
        m_graph = graph;
        return S_OK;
    }

    STDMETHODIMP GetFiltergraph(IGraphBuilder** graph) override
    {
        if (!graph)
            return E_POINTER;
        *graph = nullptr;
        if (HRESULT hr = ensure_graph(); FAILED(hr))
            return hr;
        *graph = m_graph;
        m_graph->AddRef();
        return S_OK;
    }

    STDMETHODIMP SetOutputFileName(const GUID* type, LPCOLESTR file, IBaseFilter** mux, IFileSinkFilter** sink) override
    {
        if (!type || !file || !mux)
            return E_POINTER;
        *mux = nullptr;
        if (sink)
            *sink = nullptr;
        if (!IsEqualGUID(*type, MEDIASUBTYPE_Avi))
            return E_INVALIDARG;
        if (HRESULT hr = ensure_graph(); FAILED(hr))
            return hr;
        CComPtr<IBaseFilter> multiplexer, writer;
        CComPtr<IFileSinkFilter> file_sink;
        HRESULT hr = CoCreateInstance(CLSID_AviDest, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&multiplexer));
        if (FAILED(hr))
            return hr;
        hr = CoCreateInstance(CLSID_FileWriter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&writer));
        if (FAILED(hr))
            return hr;
        if (FAILED(hr = writer->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&file_sink))))
            return hr;
        if (FAILED(hr = file_sink->SetFileName(file, nullptr)))
            return hr;
        if (FAILED(hr = m_graph->AddFilter(multiplexer, u"AVI Mux")))
            return hr;
        if (FAILED(hr = m_graph->AddFilter(writer, u"File Writer"))) {
            m_graph->RemoveFilter(multiplexer);
            return hr;
        }
        CComPtr<IPin> out, in;
        multiplexer->FindPin(u"AVI Out", &out);
        writer->FindPin(u"in", &in);
        hr = out && in ? m_graph->ConnectDirect(out, in, nullptr) : E_FAIL;
        if (FAILED(hr)) {
            m_graph->RemoveFilter(writer);
            m_graph->RemoveFilter(multiplexer);
            return hr;
        }
        *mux = multiplexer.Detach();
        if (sink)
            *sink = file_sink.Detach();
        return S_OK;
    }

    STDMETHODIMP FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!filter)
            return E_POINTER;
        Search search(iid, out);
        search.seen(filter);
        if (search.filter(filter))
            return S_OK;

        bool up = !category || !IsEqualGUID(*category, LOOK_DOWNSTREAM_ONLY);
        bool down = !category || !IsEqualGUID(*category, LOOK_UPSTREAM_ONLY);
        auto pins = pins_of(filter);
        if (category && !is_look_only(category)) {
            // Only the output pins of that category and type, downstream; then upstream.
            bool any = false;
            for (auto& pin : pins) {
                if (!direction_is(pin, PINDIR_OUTPUT) || !pin_matches(pin, category, type))
                    continue;
                any = true;
                if (search.along(pin, PINDIR_OUTPUT))
                    return S_OK;
            }
            if (!any)
                return E_NOINTERFACE;
            down = false;
        }
        for (auto& pin : pins) {
            if (((down && direction_is(pin, PINDIR_OUTPUT)) || (up && direction_is(pin, PINDIR_INPUT))) && query(pin, iid, out) == S_OK)
                return S_OK;
        }
        if (down) {
            for (auto& pin : pins) {
                if (direction_is(pin, PINDIR_OUTPUT) && search.along(pin, PINDIR_OUTPUT))
                    return S_OK;
            }
        }
        if (up) {
            for (auto& pin : pins) {
                if (direction_is(pin, PINDIR_INPUT) && search.along(pin, PINDIR_INPUT))
                    return S_OK;
            }
        }
        return E_NOINTERFACE;
    }

    STDMETHODIMP RenderStream(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* compressor, IBaseFilter* renderer) override
    {
        if (!source)
            return E_POINTER;
        if (HRESULT hr = ensure_graph(); FAILED(hr))
            return hr;

        CComPtr<IPin> output;
        HRESULT success = S_OK;
        CComPtr<IBaseFilter> inserted_tee;
        CComPtr<IBaseFilter> filter;
        CComPtr<IPin> source_pin;
        if (SUCCEEDED(source->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter))) && filter) {
            HRESULT hr = pick_output(filter, category, type, output, success, inserted_tee);
            if (FAILED(hr))
                return hr;
        } else if (SUCCEEDED(source->QueryInterface(IID_IPin, reinterpret_cast<void**>(&source_pin))) && source_pin) {
            if (!direction_is(source_pin, PINDIR_OUTPUT) || peer_of(source_pin))
                return E_INVALIDARG;
            output = source_pin;
        } else {
            return E_NOINTERFACE;
        }

        HRESULT hr = render_from(output, compressor, renderer);
        if (FAILED(hr)) {
            if (inserted_tee)
                m_graph->RemoveFilter(inserted_tee);
            return hr;
        }
        return success;
    }

    STDMETHODIMP ControlStream(const GUID* category, const GUID* type, IBaseFilter* filter, REFERENCE_TIME* start,
        REFERENCE_TIME* stop, WORD start_cookie, WORD stop_cookie) override
    {
        std::vector<CComPtr<IBaseFilter>> filters;
        if (filter) {
            filters.emplace_back(filter);
        } else {
            if (!m_graph)
                return E_FAIL;
            CComPtr<IEnumFilters> all;
            if (FAILED(m_graph->EnumFilters(&all)) || !all)
                return E_FAIL;
            for (;;) {
                CComPtr<IBaseFilter> next;
                if (all->Next(1, &next, nullptr) != S_OK)
                    break;
                filters.push_back(next);
            }
        }
        bool any = false;
        for (auto& f : filters) {
            for (auto& pin : pins_of(f)) {
                if (!direction_is(pin, PINDIR_OUTPUT) || !pin_matches(pin, category, type))
                    continue;
                CComPtr<IAMStreamControl> control;
                if (FAILED(pin->QueryInterface(IID_IAMStreamControl, reinterpret_cast<void**>(&control))) || !control)
                    return E_FAIL;
                if (HRESULT hr = control->StartAt(start, start_cookie); FAILED(hr))
                    return hr;
                if (HRESULT hr = control->StopAt(stop, FALSE, stop_cookie); FAILED(hr))
                    return hr;
                any = true;
            }
        }
        return any ? S_OK : E_FAIL;
    }

    STDMETHODIMP AllocCapFile(LPCOLESTR, DWORDLONG) override { return E_NOTIMPL; }
    STDMETHODIMP CopyCaptureFile(LPOLESTR, LPOLESTR, int, IAMCopyCaptureFileProgress*) override { return E_NOTIMPL; }

    STDMETHODIMP FindPin(IUnknown* source, PIN_DIRECTION direction, const GUID* category, const GUID* type, BOOL unconnected,
        int index, IPin** pin) override
    {
        if (!source || !pin)
            return E_POINTER;
        *pin = nullptr;
        auto fits = [&](IPin* candidate) {
            return direction_is(candidate, direction) && pin_matches(candidate, category, type) && !(unconnected && peer_of(candidate));
        };
        CComPtr<IBaseFilter> filter;
        CComPtr<IPin> given;
        if (SUCCEEDED(source->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter))) && filter) {
            for (auto& candidate : pins_of(filter)) {
                if (fits(candidate) && index-- == 0) {
                    *pin = candidate.Detach();
                    return S_OK;
                }
            }
            return E_FAIL;
        }
        if (SUCCEEDED(source->QueryInterface(IID_IPin, reinterpret_cast<void**>(&given))) && given) {
            if (index != 0 || !fits(given))
                return E_FAIL;
            *pin = given.Detach();
            return S_OK;
        }
        return E_NOINTERFACE;
    }

private:
    HRESULT ensure_graph()
    {
        if (m_graph)
            return S_OK;
        return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&m_graph));
    }

    // The output to render from a filter, with a Smart Tee on the capture pin where the filter
    // has no preview pin of that type (for capture, only on a video pin).
    HRESULT pick_output(IBaseFilter* filter, const GUID* category, const GUID* type, CComPtr<IPin>& output, HRESULT& success,
        CComPtr<IBaseFilter>& inserted_tee)
    {
        bool preview = category && IsEqualGUID(*category, PIN_CATEGORY_PREVIEW);
        bool capture = category && IsEqualGUID(*category, PIN_CATEGORY_CAPTURE);
        if (!category)
            return free_output_downstream(filter, type, output);

        CComPtr<IPin> own;
        if (FindPin(filter, PINDIR_OUTPUT, category, type, FALSE, 0, &own) == S_OK && !(preview || capture)) {
            if (peer_of(own))
                return E_INVALIDARG;
            output = own;
            return S_OK;
        }
        if (!preview && !capture)
            return E_INVALIDARG;

        CComPtr<IPin> preview_pin;
        bool has_preview = FindPin(filter, PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, type, FALSE, 0, &preview_pin) == S_OK;
        if (preview && has_preview) {
            if (peer_of(preview_pin))
                return E_INVALIDARG;
            output = preview_pin;
            return S_OK;
        }
        CComPtr<IPin> capture_pin;
        if (capture)
            capture_pin = own;
        else
            FindPin(filter, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, type, FALSE, 0, &capture_pin);
        if (!capture_pin)
            return E_INVALIDARG;
        // Sound is captured straight from its pin; only a video capture pin shares a tee.
        if (capture && (has_preview || !offers_major_type(capture_pin, MEDIATYPE_Video))) {
            if (peer_of(capture_pin))
                return E_INVALIDARG;
            output = capture_pin;
            return S_OK;
        }

        // No preview pin: both streams leave through a Smart Tee on the capture pin.
        CComPtr<IBaseFilter> tee;
        if (CComPtr<IPin> peer = peer_of(capture_pin)) {
            tee = filter_of(peer);
            if (!is_smart_tee(tee))
                return E_INVALIDARG;
        } else {
            HRESULT hr = CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&tee));
            if (FAILED(hr))
                return hr;
            if (FAILED(hr = m_graph->AddFilter(tee, u"Smart Tee")))
                return hr;
            CComPtr<IPin> input;
            tee->FindPin(u"Input", &input);
            hr = input ? m_graph->ConnectDirect(capture_pin, input, nullptr) : E_FAIL;
            if (FAILED(hr)) {
                m_graph->RemoveFilter(tee);
                return hr;
            }
            inserted_tee = tee;
        }
        CComPtr<IPin> branch;
        tee->FindPin(preview ? u"Preview" : u"Capture", &branch);
        if (!branch || peer_of(branch)) {
            if (inserted_tee)
                m_graph->RemoveFilter(tee);
            return E_INVALIDARG;
        }
        output = branch;
        if (preview)
            success = VFW_S_NOPREVIEWPIN;
        return S_OK;
    }

    // Without a category: the first free output of the type, following connected outputs on.
    HRESULT free_output_downstream(IBaseFilter* filter, const GUID* type, CComPtr<IPin>& output)
    {
        std::set<void*> seen;
        std::vector<CComPtr<IBaseFilter>> queue { CComPtr<IBaseFilter>(filter) };
        while (!queue.empty()) {
            CComPtr<IBaseFilter> current = queue.front();
            queue.erase(queue.begin());
            if (!seen.insert(current.p).second)
                continue;
            for (auto& pin : pins_of(current)) {
                if (!direction_is(pin, PINDIR_OUTPUT) || !pin_matches(pin, nullptr, type))
                    continue;
                if (CComPtr<IPin> peer = peer_of(pin)) {
                    if (CComPtr<IBaseFilter> next = filter_of(peer))
                        queue.push_back(next);
                    continue;
                }
                output = pin;
                return S_OK;
            }
        }
        return E_FAIL;
    }

    HRESULT add_if_missing(IBaseFilter* filter)
    {
        return in_graph(filter) ? S_OK : m_graph->AddFilter(filter, nullptr);
    }

    // Connects `output` to the first free input of `filter` that takes it.
    HRESULT connect_to(IPin* output, IBaseFilter* filter)
    {
        HRESULT last = VFW_E_CANNOT_CONNECT;
        for (auto& pin : pins_of(filter)) {
            if (!direction_is(pin, PINDIR_INPUT) || peer_of(pin))
                continue;
            last = m_graph->Connect(output, pin);
            if (SUCCEEDED(last))
                return S_OK;
        }
        return last;
    }

    HRESULT render_from(IPin* output, IBaseFilter* compressor, IBaseFilter* renderer)
    {
        CComPtr<IPin> current(output);
        if (compressor) {
            if (HRESULT hr = add_if_missing(compressor); FAILED(hr))
                return hr;
            if (HRESULT hr = connect_to(current, compressor); FAILED(hr))
                return hr;
            CComPtr<IPin> next;
            if (FindPin(compressor, PINDIR_OUTPUT, nullptr, nullptr, TRUE, 0, &next) != S_OK)
                return E_FAIL;
            current = next;
        }
        if (!renderer)
            return render_to_default(current);
        if (HRESULT hr = add_if_missing(renderer); FAILED(hr))
            return hr;
        return connect_to(current, renderer);
    }

    // Video to a new Video Renderer and sound to a new DirectSound renderer, never into a filter
    // already in the graph (a multiplexer's free input would take a preview); other streams as
    // the graph's Render finds.
    HRESULT render_to_default(IPin* output)
    {
        bool video = offers_major_type(output, MEDIATYPE_Video);
        if (!video && !offers_major_type(output, MEDIATYPE_Audio))
            return m_graph->Render(output);
        CComPtr<IBaseFilter> renderer;
        HRESULT hr = CoCreateInstance(video ? CLSID_VideoRenderer : CLSID_DSoundRender, nullptr, CLSCTX_INPROC_SERVER,
            IID_IBaseFilter, reinterpret_cast<void**>(&renderer));
        if (FAILED(hr))
            return hr;
        if (FAILED(hr = m_graph->AddFilter(renderer, video ? u"Video Renderer" : u"Default DirectSound Device")))
            return hr;
        if (FAILED(hr = connect_to(output, renderer)))
            m_graph->RemoveFilter(renderer);
        return hr;
    }

    CComPtr<IGraphBuilder> m_graph;
};

}

namespace detail {

void register_capture_graph_builder()
{
    com::register_class(CLSID_CaptureGraphBuilder2, [](IUnknown* outer, REFIID iid, void** out) {
        return com::create_instance<CaptureGraphBuilder>(outer, iid, out);
    });
}

}

}
