#pragma once

// Small filters for the graph tests: a source with one output pin offering its types, a sink
// whose input pin takes one major type and records what it receives, and a pass-through
// transform that turns one subtype into another; and the list of a graph's filter names.

#include <com/Apartment.h>
#include <com/ComPtr.h>
#include <com/ClassRegistry.h>
#include <dshow/BaseFilter.h>
#include <dshow/Pins.h>

#include <string>
#include <vector>

namespace test_filters {

DEFINE_GUID(CLSID_TestSource, 0x0B1A0001, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01);
DEFINE_GUID(CLSID_TestSink, 0x0B1A0002, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02);
DEFINE_GUID(CLSID_TestTransform, 0x0B1A0003, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03);

inline dshow::MediaType yuy2_type() { return dshow::MediaType::video(MEDIASUBTYPE_YUY2, dshow::make_yuy2_format(64, 48, UNITS / 25)); }
inline dshow::MediaType rgb_type() { return dshow::MediaType::video(MEDIASUBTYPE_RGB24, dshow::make_rgb_format(64, 48, 24, UNITS / 25)); }
inline dshow::MediaType pcm_type() { return dshow::MediaType::audio(dshow::make_pcm_format(48000, 2, 16)); }

// The names of a graph's filters, in the graph's order.
inline std::vector<std::u16string> filter_names(IFilterGraph* graph)
{
    std::vector<std::u16string> list;
    CComPtr<IEnumFilters> filters;
    graph->EnumFilters(&filters);
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        FILTER_INFO info {};
        filter->QueryFilterInfo(&info);
        list.emplace_back(info.achName);
        if (info.pGraph)
            info.pGraph->Release();
        filter->Release();
    }
    return list;
}

class Source final : public dshow::BaseFilter {
public:
    class Out final : public dshow::OutputPin {
    public:
        Out(BaseFilter& filter, std::u16string name, std::vector<dshow::MediaType> types)
            : OutputPin(filter, std::move(name))
            , types(std::move(types))
        {
        }
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
        {
            for (auto& t : types) {
                if (dshow::equal(t.get(), type))
                    return S_OK;
            }
            return S_FALSE;
        }
        std::vector<dshow::MediaType> media_types() override { return types; }
        std::vector<dshow::MediaType> types;
    };

    explicit Source(std::vector<dshow::MediaType> types = { yuy2_type() }, std::u16string pin = u"Capture")
        : BaseFilter(CLSID_TestSource)
    {
        out = make_pin<Out>(std::move(pin), std::move(types));
    }
    // A second output pin.
    Out* add_output(std::u16string pin, std::vector<dshow::MediaType> types) { return make_pin<Out>(std::move(pin), std::move(types)); }

    HRESULT on_run(REFERENCE_TIME) override { return run_result; }
    HRESULT on_stop() override
    {
        stops.push_back(this);
        return S_OK;
    }

    Out* out;
    HRESULT run_result { S_OK };
    std::vector<void*> stops;
};

class Sink final : public dshow::BaseFilter {
public:
    class In final : public dshow::InputPin {
    public:
        In(BaseFilter& filter, std::u16string name, GUID major)
            : InputPin(filter, std::move(name))
            , major(major)
        {
        }
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return IsEqualGUID(type.majortype, major) ? S_OK : S_FALSE; }
        HRESULT receive(IMediaSample* sample) override
        {
            REFERENCE_TIME start = -1, stop = -1;
            sample->GetTime(&start, &stop);
            starts.push_back(start);
            lengths.push_back(sample->GetActualDataLength());
            return S_OK;
        }
        HRESULT end_of_stream() override
        {
            ++ends;
            return S_OK;
        }
        GUID major;
        std::vector<REFERENCE_TIME> starts;
        std::vector<LONG> lengths;
        int ends { 0 };
    };

    explicit Sink(GUID major = MEDIATYPE_Video, REFCLSID clsid = CLSID_TestSink)
        : BaseFilter(clsid)
    {
        in = make_pin<In>(u"Input", major);
    }

    In* in;
};

// Takes RGB24 video in, offers YUY2 out once its input is connected.
class Transform final : public dshow::BaseFilter {
public:
    class In final : public dshow::InputPin {
    public:
        using InputPin::InputPin;
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB24) ? S_OK : S_FALSE; }
        HRESULT receive(IMediaSample*) override { return S_OK; }
    };
    class Out final : public dshow::OutputPin {
    public:
        using OutputPin::OutputPin;
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return IsEqualGUID(type.subtype, MEDIASUBTYPE_YUY2) ? S_OK : S_FALSE; }
        std::vector<dshow::MediaType> media_types() override { return { yuy2_type() }; }
    };

    Transform()
        : BaseFilter(CLSID_TestTransform)
    {
        make_pin<In>(u"XForm In");
        make_pin<Out>(u"XForm Out");
    }
};

// COM for the calling thread during a test.
struct ComScope {
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
};

}
