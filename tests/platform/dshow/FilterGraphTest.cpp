#include "TempHome.h"
#include <TestFilters.h>

#include <base/Clock.h>
#include <base/Text.h>
#include <com/CompoundFileReader.h>
#include <com/Storage.h>
#include <com/TaskMemory.h>
#include <dshow/FilterGraph.h>
#include <dshow/GraphInterfaces.h>
#include <dshow/SystemFilters.h>

#include <gtest/gtest.h>

namespace {

using namespace test_filters;

DEFINE_GUID(CLSID_TestRenderer, 0x0B1A0010, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10);

// A sound renderer that records its volume.
class AudioRenderer final : public dshow::BaseFilter, public IBasicAudio {
public:
    AudioRenderer()
        : BaseFilter(CLSID_TestRenderer)
    {
        in = make_pin<Sink::In>(u"Audio Input", MEDIATYPE_Audio);
    }
    DSHOW_FORWARD_UNKNOWN(dshow::BaseFilter)
    COM_NO_DISPATCH
    STDMETHODIMP put_Volume(LONG v) override
    {
        volume = v;
        return S_OK;
    }
    STDMETHODIMP get_Volume(LONG* v) override
    {
        *v = volume;
        return S_OK;
    }
    STDMETHODIMP put_Balance(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Balance(LONG*) override { return E_NOTIMPL; }
    LONG volume { 0 };
    Sink::In* in;

protected:
    void* find_interface(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_IBasicAudio) || IsEqualIID(iid, IID_IDispatch))
            return static_cast<IBasicAudio*>(this);
        return BaseFilter::find_interface(iid);
    }
};

// A filter whose state changes are scripted and recorded.
class Recorder final : public dshow::BaseFilter {
public:
    Recorder(std::vector<std::string>& journal, std::string name, bool source)
        : BaseFilter(CLSID_TestTransform)
        , journal(journal)
        , label(std::move(name))
    {
        if (source)
            out = make_pin<Source::Out>(u"Out", std::vector<dshow::MediaType> { yuy2_type() });
        else
            in = make_pin<Sink::In>(u"In", MEDIATYPE_Video);
    }
    HRESULT on_run(REFERENCE_TIME) override
    {
        journal.push_back("run " + label);
        return run_result;
    }
    HRESULT on_stop() override
    {
        journal.push_back("stop " + label);
        return S_OK;
    }
    HRESULT state_result(FILTER_STATE) const override { return pending ? VFW_S_STATE_INTERMEDIATE : S_OK; }

    std::vector<std::string>& journal;
    std::string label;
    HRESULT run_result { S_OK };
    bool pending { false };
    Source::Out* out { nullptr };
    Sink::In* in { nullptr };
};

class FilterGraph : public testing::Test {
protected:
    void SetUp() override
    {
        dshow::register_classes();
        objects = com::live_objects();
        blocks = com::outstanding_task_memory_blocks();
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IGraphBuilder,
                      reinterpret_cast<void**>(&graph)),
            S_OK);
    }
    void TearDown() override
    {
        graph.Release();
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), blocks);
    }
    // Adds a filter made here; the graph holds it, the test keeps a plain pointer.
    template<typename F>
    F* add(F* filter, const char16_t* name)
    {
        EXPECT_TRUE(SUCCEEDED(graph->AddFilter(filter, name)));
        filter->Release();
        return filter;
    }
    std::vector<std::u16string> names() { return filter_names(graph); }

    ComScope com_scope;
    std::int64_t objects {};
    std::int64_t blocks {};
    CComPtr<IGraphBuilder> graph;
};

TEST_F(FilterGraph, AddFilterNamesFiltersUniquelyAndJoinsThem)
{
    auto* a = add(new Sink, u"Tee");
    EXPECT_EQ(graph->AddFilter(new Sink, u"Tee"), VFW_S_DUPLICATE_NAME);
    // (the graph holds the second sink now; drop the creation reference)
    CComPtr<IBaseFilter> second;
    ASSERT_EQ(graph->FindFilterByName(u"Tee 0001", &second), S_OK);
    second->Release();
    EXPECT_EQ(graph->AddFilter(a, u"Again"), VFW_E_DUPLICATE_NAME);
    add(new Sink, nullptr);
    add(new Sink, nullptr);
    EXPECT_EQ(names(), (std::vector<std::u16string> { u"Tee", u"Tee 0001", u"Filter 0001", u"Filter 0002" }));

    EXPECT_EQ(a->graph(), static_cast<IFilterGraph*>(graph.p));
    EXPECT_TRUE(a->clock());
    IBaseFilter* none = reinterpret_cast<IBaseFilter*>(1);
    EXPECT_EQ(graph->FindFilterByName(u"tee", &none), VFW_E_NOT_FOUND);
    EXPECT_EQ(none, nullptr);

    a->AddRef();
    EXPECT_EQ(graph->RemoveFilter(a), S_OK);
    EXPECT_EQ(a->graph(), nullptr);
    EXPECT_FALSE(a->clock());
    EXPECT_EQ(graph->RemoveFilter(a), VFW_E_NOT_FOUND);
    a->Release();
}

TEST_F(FilterGraph, RemoveFilterDisconnectsBothEndsAndDisconnectBreaksOne)
{
    auto* source = add(new Source, u"source");
    auto* sink = add(new Sink, u"sink");
    ASSERT_EQ(graph->ConnectDirect(source->out, sink->in, nullptr), S_OK);
    EXPECT_EQ(graph->Disconnect(sink->in), S_OK);
    EXPECT_TRUE(source->out->is_connected());
    EXPECT_EQ(graph->Disconnect(sink->in), S_FALSE);
    EXPECT_EQ(graph->Disconnect(source->out), S_OK);

    ASSERT_EQ(graph->ConnectDirect(source->out, sink->in, nullptr), S_OK);
    CComPtr<IMediaControl> control;
    ASSERT_EQ(graph.QueryInterface(&control), S_OK);
    ASSERT_EQ(control->Pause(), S_OK);
    EXPECT_EQ(graph->Disconnect(sink->in), VFW_E_NOT_STOPPED);
    EXPECT_EQ(graph->RemoveFilter(sink), VFW_E_NOT_STOPPED);
    ASSERT_EQ(control->Stop(), S_OK);
    sink->AddRef();
    EXPECT_EQ(graph->RemoveFilter(sink), S_OK);
    EXPECT_FALSE(source->out->is_connected());
    EXPECT_FALSE(sink->in->is_connected());
    sink->Release();
}

TEST_F(FilterGraph, ConnectDirectNeedsFiltersInTheGraph)
{
    auto* source = add(new Source, u"source");
    auto* outside = new Sink;
    EXPECT_EQ(graph->ConnectDirect(source->out, outside->in, nullptr), VFW_E_NOT_IN_GRAPH);
    EXPECT_EQ(graph->Connect(source->out, outside->in), VFW_E_NOT_IN_GRAPH);
    outside->Release();
}

TEST_F(FilterGraph, ConnectGoesThroughAFilterInTheGraphThenARegisteredOne)
{
    auto* source = add(new Source({ rgb_type() }), u"source");
    auto* sink = add(new Sink(MEDIATYPE_Video), u"sink");
    // A sink taking only YUY2: no direct connection, no converter yet.
    sink->in->major = MEDIATYPE_Video;
    class YuyOnly final : public dshow::InputPin {
    public:
        using InputPin::InputPin;
        HRESULT check_media_type(const AM_MEDIA_TYPE& t) override { return IsEqualGUID(t.subtype, MEDIASUBTYPE_YUY2) ? S_OK : S_FALSE; }
        HRESULT receive(IMediaSample*) override { return S_OK; }
    };
    struct YuySink final : dshow::BaseFilter {
        YuySink() : BaseFilter(CLSID_TestSink) { in = make_pin<YuyOnly>(u"In"); }
        YuyOnly* in;
    };
    auto* yuy = add(new YuySink, u"yuy");
    EXPECT_EQ(graph->Connect(source->out, yuy->in), VFW_E_CANNOT_CONNECT);
    EXPECT_EQ(names().size(), 3u);

    // Registered: the converter is added, used, and named as registered.
    com::register_class(CLSID_TestTransform, [](IUnknown* o, REFIID iid, void** out) { return com::create_instance<Transform>(o, iid, out); });
    dshow::register_graph_filter(CLSID_TestTransform, u"Converter", dshow::FilterRole::Intermediate);
    ASSERT_EQ(graph->Connect(source->out, yuy->in), S_OK);
    EXPECT_EQ(names().back(), u"Converter");
    AM_MEDIA_TYPE type {};
    ASSERT_EQ(yuy->in->ConnectionMediaType(&type), S_OK);
    EXPECT_TRUE(IsEqualGUID(type.subtype, MEDIASUBTYPE_YUY2));
    FreeMediaType(type);

    // Taken apart, the converter already in the graph is used again, not a second one.
    CComPtr<IBaseFilter> converter;
    ASSERT_EQ(graph->FindFilterByName(u"Converter", &converter), S_OK);
    CComPtr<IEnumPins> pins;
    converter->EnumPins(&pins);
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        CComPtr<IPin> peer;
        if (SUCCEEDED(pin->ConnectedTo(&peer)))
            graph->Disconnect(peer);
        graph->Disconnect(pin);
        pin->Release();
    }
    com::set_class_enabled(CLSID_TestTransform, false);
    ASSERT_EQ(graph->Connect(source->out, yuy->in), S_OK);
    EXPECT_EQ(names().size(), 4u);
    com::enable_all_classes();
    dshow::unregister_graph_filter(CLSID_TestTransform);
    com::unregister_class(CLSID_TestTransform);
}

TEST_F(FilterGraph, RenderPrefersAFilterInTheGraphThenARegisteredRenderer)
{
    auto* source = add(new Source({ pcm_type() }, u"Audio"), u"capture");
    auto* second = source->add_output(u"Audio 2", { pcm_type() });
    auto* third = source->add_output(u"Audio 3", { pcm_type() });
    auto* renderer = add(new AudioRenderer, u"audioOut");
    com::set_class_enabled(CLSID_DSoundRender, false); // the system's renderers stay out of this
    com::set_class_enabled(CLSID_AudioRender, false);
    com::register_class(CLSID_TestRenderer, [](IUnknown* o, REFIID iid, void** out) { return com::create_instance<AudioRenderer>(o, iid, out); });
    dshow::register_graph_filter(CLSID_TestRenderer, u"Default Sound", dshow::FilterRole::Renderer);

    ASSERT_EQ(graph->Render(source->out), S_OK);
    EXPECT_TRUE(renderer->in->is_connected());
    EXPECT_EQ(names().size(), 2u);
    EXPECT_EQ(graph->Render(source->out), VFW_E_ALREADY_CONNECTED);

    ASSERT_EQ(graph->Render(second), S_OK);
    EXPECT_EQ(names().back(), u"Default Sound");

    com::set_class_enabled(CLSID_TestRenderer, false);
    EXPECT_EQ(graph->Render(third), VFW_E_CANNOT_RENDER);
    EXPECT_EQ(names().size(), 3u);
    com::enable_all_classes();
    dshow::unregister_graph_filter(CLSID_TestRenderer);
    com::unregister_class(CLSID_TestRenderer);
}

TEST_F(FilterGraph, RunStartsDownstreamFirstAndStopStartsAtTheSource)
{
    std::vector<std::string> journal;
    auto* source = add(new Recorder(journal, "source", true), u"source");
    auto* sink = add(new Recorder(journal, "sink", false), u"sink");
    ASSERT_EQ(graph->ConnectDirect(source->out, sink->in, nullptr), S_OK);
    CComPtr<IMediaControl> control;
    ASSERT_EQ(graph.QueryInterface(&control), S_OK);

    ASSERT_EQ(control->Run(), S_OK);
    OAFilterState state = -1;
    EXPECT_EQ(control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Running);
    EXPECT_EQ(source->state(), State_Running);
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(journal, (std::vector<std::string> { "run sink", "run source", "stop source", "stop sink" }));
    EXPECT_EQ(sink->state(), State_Stopped);

    sink->pending = true;
    EXPECT_EQ(control->Run(), S_FALSE);
    EXPECT_EQ(control->GetState(0, &state), VFW_S_STATE_INTERMEDIATE);
    control->Stop();
    sink->pending = false;

    source->run_result = E_FAIL;
    EXPECT_EQ(control->Run(), E_FAIL);
    EXPECT_EQ(sink->state(), State_Stopped);
    EXPECT_EQ(control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
}

TEST_F(FilterGraph, PositionCountsRunningTimeOnly)
{
    base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 1, 1, 12, 0, 0));
    add(new Source, u"source");
    CComPtr<IMediaControl> control;
    CComPtr<IMediaPosition> position;
    ASSERT_EQ(graph.QueryInterface(&control), S_OK);
    ASSERT_EQ(graph.QueryInterface(&position), S_OK);
    REFTIME seconds = -1;
    EXPECT_EQ(position->get_CurrentPosition(&seconds), S_OK);
    EXPECT_EQ(seconds, 0.0);
    control->Run();
    base::Clock::advance_ms(3000);
    control->Pause();
    base::Clock::advance_ms(2000);
    control->Run();
    base::Clock::advance_ms(1500);
    position->get_CurrentPosition(&seconds);
    EXPECT_DOUBLE_EQ(seconds, 4.5);
    control->Stop();
    position->get_CurrentPosition(&seconds);
    EXPECT_EQ(seconds, 0.0);
    base::Clock::install_real();
}

TEST_F(FilterGraph, AudioAndVideoCallsGoToTheRenderers)
{
    CComPtr<IBasicAudio> audio;
    CComPtr<IVideoWindow> video;
    ASSERT_EQ(graph.QueryInterface(&audio), S_OK);
    ASSERT_EQ(graph.QueryInterface(&video), S_OK);
    EXPECT_EQ(audio->put_Volume(-100), E_NOINTERFACE);
    EXPECT_EQ(video->put_Visible(OATRUE), E_NOINTERFACE);

    auto* one = add(new AudioRenderer, u"one");
    auto* two = add(new AudioRenderer, u"two");
    EXPECT_EQ(audio->put_Volume(-10001), E_INVALIDARG);
    EXPECT_EQ(audio->put_Volume(1), E_INVALIDARG);
    EXPECT_EQ(audio->put_Volume(-2500), S_OK);
    EXPECT_EQ(one->volume, -2500);
    EXPECT_EQ(two->volume, -2500);
    LONG volume = 0;
    EXPECT_EQ(audio->get_Volume(&volume), S_OK);
    EXPECT_EQ(volume, -2500);
    EXPECT_EQ(video->put_Visible(OATRUE), E_NOINTERFACE);
}

TEST_F(FilterGraph, SavesTheGraphFileText)
{
    auto* source = add(new Source, u"Capture Card");
    auto* sink = add(new Sink, u"Renderer");
    ASSERT_EQ(graph->ConnectDirect(source->out, sink->in, nullptr), S_OK);

    std::string path = test_support::temp_home() + "/debug.grf";
    std::u16string windows_path = base::to_utf16(path);
    for (auto& c : windows_path)
        c = c == u'/' ? u'\\' : c;
    {
        CComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(windows_path.c_str(), STGM_CREATE | STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage), S_OK);
        CComPtr<IStream> stream;
        ASSERT_EQ(storage->CreateStream(u"ActiveMovieGraph", STGM_WRITE | STGM_CREATE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream), S_OK);
        CComPtr<IPersistStream> persist;
        ASSERT_EQ(graph.QueryInterface(&persist), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_OK);
        ASSERT_EQ(persist->Save(stream, TRUE), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_FALSE);
        ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    }
    std::string error;
    auto file = com::CompoundFileReader::open(path, &error);
    ASSERT_TRUE(file) << error;
    auto bytes = file->read_stream(u"ActiveMovieGraph");
    ASSERT_TRUE(bytes);

    // Decode as UTF-16LE; the format block shows up as arbitrary units in the middle.
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes->size(); i += 2)
        text.push_back(static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8)));
    std::string clsid_source = com::guid_to_string(CLSID_TestSource);
    std::string clsid_sink = com::guid_to_string(CLSID_TestSink);
    std::u16string head = u"0003\r\nFILTERS\r\n0001 \"Capture Card\" " + base::to_utf16(clsid_source) + u" 0000000000 \r\n0002 \"Renderer\" "
        + base::to_utf16(clsid_sink) + u" 0000000000 \r\nCONNECTIONS\r\n0001 \"Capture\" 0002 \"Input\" ";
    ASSERT_EQ(text.substr(0, head.size()), head);

    // The media-type block: its byte count, then the GUIDs, flags, sample size, format type and format.
    std::string count(text.begin() + head.size(), text.begin() + head.size() + 10);
    size_t block_start = (head.size() + 11) * 2;
    std::string media_head = com::guid_to_string(MEDIATYPE_Video) + " " + com::guid_to_string(MEDIASUBTYPE_YUY2) + " 1 0 0000006144 "
        + com::guid_to_string(FORMAT_VideoInfo) + " 0000000088 ";
    std::u16string expected_media = base::to_utf16(media_head);
    EXPECT_EQ(std::stoul(count), expected_media.size() * 2 + sizeof(VIDEOINFOHEADER));
    EXPECT_EQ(text.substr(head.size() + 11, expected_media.size()), expected_media);
    size_t tail = block_start + std::stoul(count);
    std::u16string rest;
    for (size_t i = tail; i + 1 < bytes->size(); i += 2)
        rest.push_back(static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8)));
    EXPECT_EQ(rest, u"\r\nCLOCK 1 0000\r\nEND");
}

TEST_F(FilterGraph, ReleasingARunningGraphTearsEverythingDown)
{
    auto* source = add(new Source, u"source");
    auto* sink = add(new Sink, u"sink");
    ASSERT_EQ(graph->ConnectDirect(source->out, sink->in, nullptr), S_OK);
    CComPtr<IMediaControl> control;
    ASSERT_EQ(graph.QueryInterface(&control), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    const BYTE frame[8] {};
    EXPECT_EQ(source->out->deliver(frame, 0, 1), S_OK);
    control.Release(); // TearDown releases the graph and checks that nothing is left
}

}
