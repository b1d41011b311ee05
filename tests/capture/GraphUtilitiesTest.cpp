#include <TestFilters.h>

#include <LoggingVideoWindow.h>
#include <TempHome.h>

#include <capture/Tv.h>

#include <base/Clock.h>
#include <base/Process.h>
#include <base/Text.h>
#include <com/CompoundFileReader.h>
#include <com/Object.h>
#include <com/RunningObjectTable.h>
#include <com/TaskMemory.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace test_filters;

DEFINE_GUID(CLSID_TestNode, 0x0B1A0020, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20);
DEFINE_GUID(CLSID_TestSpeakers, 0x0B1A0021, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21);
DEFINE_GUID(CLSID_TestHeadphones, 0x0B1A0022, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x22);

std::vector<std::u16string> g_removed;

// A filter with any inputs and outputs that logs when it leaves its graph.
class Node final : public dshow::BaseFilter {
public:
    struct PinSpec {
        std::u16string name;
        GUID major;
    };
    Node(std::u16string name, std::vector<PinSpec> inputs, std::vector<PinSpec> outputs)
        : BaseFilter(CLSID_TestNode)
        , name(std::move(name))
    {
        for (auto& in : inputs)
            make_pin<Sink::In>(in.name, in.major);
        for (auto& out : outputs)
            make_pin<Source::Out>(out.name, std::vector { IsEqualGUID(out.major, MEDIATYPE_Audio) ? pcm_type() : yuy2_type() });
    }
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR joined_name) override
    {
        if (!graph)
            g_removed.push_back(name);
        return BaseFilter::JoinFilterGraph(graph, joined_name);
    }
    IPin* pin(const char16_t* pin_name)
    {
        IPin* found = nullptr;
        EXPECT_EQ(FindPin(pin_name, &found), S_OK) << base::to_utf8(pin_name);
        if (found)
            found->Release(); // the filter keeps its pins alive
        return found;
    }
    std::u16string name;
};

class TestTv : public STv {
public:
    using STv::m_audioCaptureFilter;
    using STv::m_captureFilter;
    using STv::m_graph;
    using STv::m_graphFilePath;
    using STv::m_graphRegistration;
    using STv::m_multiplexer;
    using STv::m_previewBuilt;
    using STv::m_videoWindow;
};

std::u16string windows_path(const std::string& path)
{
    std::u16string wide = base::to_utf16(path);
    for (auto& c : wide)
        c = c == u'/' ? u'\\' : c;
    return wide;
}

class CaptureGraph : public testing::Test {
protected:
    void SetUp() override
    {
        dshow::register_classes();
        dshow::clear_devices(); // each test lists its own devices
        objects = com::live_objects();
        blocks = com::outstanding_task_memory_blocks();
        tv = std::make_unique<TestTv>();
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IGraphBuilder,
                      reinterpret_cast<void**>(&tv->m_graph)),
            S_OK);
        g_removed.clear();
    }
    void TearDown() override
    {
        tv.reset();
        dshow::clear_devices();
        EXPECT_TRUE(com::running_object_names().empty());
        com::clear_running_object_table();
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), blocks);
    }
    Node* add(std::u16string name, std::vector<Node::PinSpec> inputs, std::vector<Node::PinSpec> outputs)
    {
        auto* node = new Node(name, std::move(inputs), std::move(outputs));
        EXPECT_EQ(tv->m_graph->AddFilter(node, name.c_str()), S_OK);
        node->Release();
        return node;
    }
    void connect(Node* from, const char16_t* out, Node* to, const char16_t* in)
    {
        ASSERT_EQ(tv->m_graph->ConnectDirect(from->pin(out), to->pin(in), nullptr), S_OK);
    }
    std::vector<std::u16string> filter_names() { return test_filters::filter_names(tv->m_graph); }
    // capture -> tee -> compressor -> mux -> writer, tee -> renderer, capture preview -> renderer,
    // audio capture -> mux.
    void build_recording_graph()
    {
        capture = add(u"Capture", {}, { { u"Capture", MEDIATYPE_Video }, { u"Preview", MEDIATYPE_Video } });
        audio = add(u"Audio Capture", {}, { { u"Audio", MEDIATYPE_Audio } });
        auto* tee = add(u"Tee", { { u"Input", MEDIATYPE_Video } }, { { u"Capture", MEDIATYPE_Video }, { u"Preview", MEDIATYPE_Video } });
        auto* compressor = add(u"Compressor", { { u"Input", MEDIATYPE_Video } }, { { u"Output", MEDIATYPE_Video } });
        auto* mux = add(u"Mux", { { u"Input 01", MEDIATYPE_Video }, { u"Input 02", MEDIATYPE_Audio } }, { { u"AVI Out", MEDIATYPE_Video } });
        auto* writer = add(u"Writer", { { u"in", MEDIATYPE_Video } }, {});
        auto* tee_renderer = add(u"Tee Renderer", { { u"Input", MEDIATYPE_Video } }, {});
        auto* preview_renderer = add(u"Preview Renderer", { { u"Input", MEDIATYPE_Video } }, {});
        connect(capture, u"Capture", tee, u"Input");
        connect(tee, u"Capture", compressor, u"Input");
        connect(compressor, u"Output", mux, u"Input 01");
        connect(mux, u"AVI Out", writer, u"in");
        connect(tee, u"Preview", tee_renderer, u"Input");
        connect(capture, u"Preview", preview_renderer, u"Input");
        connect(audio, u"Audio", mux, u"Input 02");
        tv->m_captureFilter = capture;
        tv->m_audioCaptureFilter = audio;
        tv->m_multiplexer = mux;
        tv->m_previewBuilt = 1;
    }

    ComScope com_scope;
    std::int64_t objects {};
    std::int64_t blocks {};
    std::unique_ptr<TestTv> tv;
    Node* capture {};
    Node* audio {};
};

TEST_F(CaptureGraph, TearDownLeavesOnlyTheCaptureFilters)
{
    std::int64_t graph_only = com::live_objects();
    build_recording_graph();
    EXPECT_TRUE(tv->TearDownGraph());
    EXPECT_EQ(filter_names(), (std::vector<std::u16string> { u"Capture", u"Audio Capture" }));
    EXPECT_FALSE(tv->m_multiplexer);
    EXPECT_EQ(tv->m_previewBuilt, 0);
    EXPECT_TRUE(tv->m_captureFilter);

    for (const char16_t* pin : { u"Capture", u"Preview" }) {
        CComPtr<IPin> peer;
        EXPECT_EQ(capture->pin(pin)->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);
    }
    CComPtr<IPin> peer;
    EXPECT_EQ(audio->pin(u"Audio")->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);

    // Again: nothing more to remove.
    g_removed.clear();
    EXPECT_TRUE(tv->TearDownGraph());
    EXPECT_TRUE(g_removed.empty());
    EXPECT_EQ(filter_names().size(), 2u);

    // Nothing removed is kept alive: dropping the two capture filters leaves the bare graph.
    EXPECT_EQ(tv->m_graph->RemoveFilter(capture), S_OK);
    EXPECT_EQ(tv->m_graph->RemoveFilter(audio), S_OK);
    tv->m_captureFilter = nullptr;
    tv->m_audioCaptureFilter = nullptr;
    EXPECT_EQ(com::live_objects(), graph_only);
}

TEST_F(CaptureGraph, TearDownHidesTheVideoWindowBeforeDetachingIt)
{
    base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 7, 20, 15, 0));
    std::vector<std::string> log;
    auto* window = new test_support::LoggingVideoWindow(log);
    tv->m_videoWindow = window;
    window->Release();

    EXPECT_TRUE(tv->TearDownGraph());
    EXPECT_FALSE(tv->m_videoWindow);
    EXPECT_EQ(log, (std::vector<std::string> { "hidden @0", "owner none @60", "released @120" }));
    base::Clock::install_real();
}

TEST_F(CaptureGraph, RemoveDownstreamRemovesFromTheFarEndBack)
{
    build_recording_graph();
    EXPECT_TRUE(tv->RemoveDownstream(capture));
    EXPECT_EQ(g_removed, (std::vector<std::u16string> { u"Writer", u"Mux", u"Compressor", u"Tee Renderer", u"Tee", u"Preview Renderer" }));

    // A filter with nothing connected: nothing removed, still true.
    g_removed.clear();
    EXPECT_TRUE(tv->RemoveDownstream(audio));
    EXPECT_TRUE(g_removed.empty());
    EXPECT_EQ(filter_names(), (std::vector<std::u16string> { u"Capture", u"Audio Capture" }));

    EXPECT_FALSE(tv->RemoveDownstream(nullptr));
    TestTv no_graph;
    EXPECT_FALSE(no_graph.RemoveDownstream(capture));
}

TEST_F(CaptureGraph, FindAudioPinTakesTheFirstOutputNamedAudio)
{
    struct Case {
        std::vector<Node::PinSpec> inputs, outputs;
        const char16_t* expected; // nullptr: none
    };
    const Case cases[] = {
        { {}, { { u"Capture", MEDIATYPE_Video }, { u"Audio", MEDIATYPE_Audio } }, u"Audio" },
        { {}, { { u"Video", MEDIATYPE_Video }, { u"analog audio out", MEDIATYPE_Audio }, { u"Audio 2", MEDIATYPE_Audio } }, u"analog audio out" },
        { { { u"Audio In", MEDIATYPE_Audio } }, { { u"Capture", MEDIATYPE_Video } }, nullptr },
        { {}, { { u"AUDIO", MEDIATYPE_Audio } }, nullptr },
        { {}, {}, nullptr },
    };
    for (auto& c : cases) {
        auto* node = add(u"Card", c.inputs, c.outputs);
        IPin* pin = tv->FindAudioPin(node);
        if (!c.expected) {
            EXPECT_EQ(pin, nullptr);
        } else {
            ASSERT_NE(pin, nullptr);
            EXPECT_EQ(pin, node->pin(c.expected));
            pin->Release();
        }
        EXPECT_EQ(tv->m_graph->RemoveFilter(node), S_OK);
    }
    TestTv no_graph;
    EXPECT_EQ(no_graph.FindAudioPin(capture), nullptr);
}

TEST_F(CaptureGraph, GetUnconnectedPinSkipsConnectedPins)
{
    auto* one = add(u"One", {}, { { u"Out", MEDIATYPE_Video } });
    auto* two = add(u"Two", {}, { { u"Out", MEDIATYPE_Video } });
    auto* mux = add(u"Mux", { { u"Input 01", MEDIATYPE_Video }, { u"Input 02", MEDIATYPE_Video } }, { { u"AVI Out", MEDIATYPE_Video } });

    IPin* pin = reinterpret_cast<IPin*>(1);
    EXPECT_EQ(tv->GetUnconnectedPin(mux, PINDIR_INPUT, &pin), S_OK);
    EXPECT_EQ(pin, mux->pin(u"Input 01"));
    pin->Release();

    connect(one, u"Out", mux, u"Input 01");
    EXPECT_EQ(tv->GetUnconnectedPin(mux, PINDIR_INPUT, &pin), S_OK);
    EXPECT_EQ(pin, mux->pin(u"Input 02"));
    pin->Release();

    connect(two, u"Out", mux, u"Input 02");
    EXPECT_EQ(tv->GetUnconnectedPin(mux, PINDIR_INPUT, &pin), E_FAIL);
    EXPECT_EQ(pin, nullptr);
    EXPECT_EQ(tv->GetUnconnectedPin(one, PINDIR_INPUT, &pin), E_FAIL);
    EXPECT_EQ(tv->GetUnconnectedPin(mux, PINDIR_OUTPUT, &pin), S_OK);
    EXPECT_EQ(pin, mux->pin(u"AVI Out"));
    pin->Release();
}

TEST_F(CaptureGraph, ConnectFiltersUsesFreePinsAndIntelligentConnect)
{
    auto* source = add(u"Source", {}, { { u"Out", MEDIATYPE_Video } });
    auto* mux = add(u"Mux", { { u"Input 01", MEDIATYPE_Video }, { u"Input 02", MEDIATYPE_Video } }, {});
    EXPECT_EQ(tv->ConnectFilters(source, mux), S_OK);
    CComPtr<IPin> peer;
    EXPECT_EQ(mux->pin(u"Input 01")->ConnectedTo(&peer), S_OK);
    EXPECT_EQ(peer.p, source->pin(u"Out"));

    // The source's only output is taken now; a second source goes to the second input.
    EXPECT_EQ(tv->ConnectFilters(source, mux), E_FAIL);
    auto* second = add(u"Second", {}, { { u"Out", MEDIATYPE_Video } });
    EXPECT_EQ(tv->ConnectPinToFilter(second->pin(u"Out"), mux), S_OK);
    EXPECT_EQ(tv->ConnectPinToFilter(second->pin(u"Out"), mux), E_FAIL);

    // Through a converter already in the graph.
    auto* rgb = new Source({ rgb_type() }, u"RGB");
    ASSERT_EQ(tv->m_graph->AddFilter(rgb, u"RGB Source"), S_OK);
    rgb->Release();
    auto* converter = new Transform;
    ASSERT_EQ(tv->m_graph->AddFilter(converter, u"Converter"), S_OK);
    converter->Release();
    auto* sink = add(u"Sink", { { u"Input", MEDIATYPE_Video } }, {});
    EXPECT_EQ(tv->ConnectFilters(rgb, sink), S_OK);
    EXPECT_EQ(tv->m_graph->Disconnect(rgb->out), S_OK);

    EXPECT_EQ(tv->ConnectFilters(nullptr, mux), E_POINTER);
    EXPECT_EQ(tv->ConnectFilters(source, nullptr), E_POINTER);
    EXPECT_EQ(tv->ConnectPinToFilter(nullptr, mux), E_POINTER);
    TestTv no_graph;
    EXPECT_EQ(no_graph.ConnectPinToFilter(source->pin(u"Out"), mux), E_POINTER);
}

TEST_F(CaptureGraph, FindFilterByFriendlyName)
{
    auto speakers = [](IUnknown*, REFIID iid, void** out) { return com::create_instance<Sink>(nullptr, iid, out, MEDIATYPE_Audio, CLSID_TestSpeakers); };
    auto headphones = [](IUnknown*, REFIID iid, void** out) { return com::create_instance<Sink>(nullptr, iid, out, MEDIATYPE_Audio, CLSID_TestHeadphones); };

    // No device in the category yet.
    EXPECT_EQ(tv->FindFilterByFriendlyName("", CLSID_AudioRendererCategory), nullptr);

    dshow::DeviceDescription unreadable { CLSID_AudioRendererCategory, u"Hidden", CLSID_TestHeadphones, u"", headphones };
    unreadable.name_readable = false;
    dshow::register_device(unreadable);
    dshow::register_device({ CLSID_AudioRendererCategory, u"Speakers A", CLSID_TestSpeakers, u"", speakers });
    dshow::register_device({ CLSID_AudioRendererCategory, u"Headphones", CLSID_TestHeadphones, u"", headphones });

    struct Case {
        const char* name;
        const CLSID* expected; // nullptr: none
    };
    const Case cases[] = {
        { "", &CLSID_TestSpeakers },
        { nullptr, &CLSID_TestSpeakers },
        { "hEADPHONES", &CLSID_TestHeadphones },
        { "Speakers", nullptr },
        { "Hidden", nullptr },
        { "Nothing like it", nullptr },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        IBaseFilter* filter = tv->FindFilterByFriendlyName(c.name, CLSID_AudioRendererCategory);
        if (!c.expected) {
            EXPECT_EQ(filter, nullptr);
            continue;
        }
        ASSERT_NE(filter, nullptr);
        CLSID clsid {};
        filter->GetClassID(&clsid);
        EXPECT_TRUE(IsEqualGUID(clsid, *c.expected));
        filter->Release();
    }
    EXPECT_EQ(tv->FindFilterByFriendlyName("", CLSID_VideoInputDeviceCategory), nullptr);
    TestTv no_graph;
    EXPECT_EQ(no_graph.FindFilterByFriendlyName("", CLSID_AudioRendererCategory), nullptr);
}

TEST_F(CaptureGraph, PublishingRegistersTheGraphOnceUntilTeardown)
{
    char expected[64];
    std::snprintf(expected, sizeof expected, "!FilterGraph %08x pid %08x",
        static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(static_cast<IGraphBuilder*>(tv->m_graph))), static_cast<unsigned>(GetCurrentProcessId()));

    EXPECT_TRUE(tv->PublishGraph());
    DWORD first = tv->m_graphRegistration;
    EXPECT_NE(first, 0u);
    EXPECT_EQ(com::running_object_names(), (std::vector<std::u16string> { base::to_utf16(expected) }));

    // Publishing again replaces the entry.
    EXPECT_TRUE(tv->PublishGraph());
    EXPECT_NE(tv->m_graphRegistration, 0u);
    EXPECT_NE(tv->m_graphRegistration, first);
    EXPECT_EQ(com::running_object_names().size(), 1u);

    // The table keeps the graph alive while it is registered, and lets go at teardown.
    EXPECT_TRUE(tv->TearDownGraph());
    EXPECT_EQ(tv->m_graphRegistration, 0u);
    EXPECT_TRUE(com::running_object_names().empty());

    // Without a table: nothing registered, nothing else changes.
    com::set_running_object_table_available(false);
    DWORD cookie = 0;
    EXPECT_EQ(tv->AddToRot(tv->m_graph, &cookie), E_FAIL);
    EXPECT_EQ(cookie, 0u);
    com::set_running_object_table_available(true);
    EXPECT_EQ(tv->AddToRot(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(tv->AddToRot(tv->m_graph, nullptr), E_POINTER);

    TestTv no_graph;
    EXPECT_FALSE(no_graph.PublishGraph());
}

TEST_F(CaptureGraph, RemoveFromRotClearsTheCookie)
{
    DWORD cookie = 0;
    ASSERT_EQ(tv->AddToRot(tv->m_graph, &cookie), S_OK);
    tv->RemoveFromRot(cookie);
    EXPECT_EQ(cookie, 0u);
    EXPECT_TRUE(com::running_object_names().empty());

    // A later registration starts afresh and does not revoke someone else's entry.
    DWORD other = 0;
    ASSERT_EQ(tv->AddToRot(tv->m_graph, &other), S_OK);
    ASSERT_TRUE(SUCCEEDED(tv->AddToRot(tv->m_graph, &cookie)));
    EXPECT_EQ(com::running_object_names().size(), 2u);
    tv->RemoveFromRot(other);
    tv->RemoveFromRot(cookie);
    EXPECT_TRUE(com::running_object_names().empty());
}

TEST_F(CaptureGraph, PublishingSavesTheGraphFile)
{
    auto* source = add(u"Capture Card", {}, { { u"Capture", MEDIATYPE_Video } });
    auto* renderer = add(u"Video Renderer", { { u"Input", MEDIATYPE_Video } }, {});
    connect(source, u"Capture", renderer, u"Input");
    tv->m_captureFilter = source;

    std::string path = test_support::temp_home() + "/debug.grf";
    std::string windows = base::to_utf8(windows_path(path));
    ASSERT_LT(windows.size(), sizeof tv->m_graphFilePath);
    std::snprintf(tv->m_graphFilePath, sizeof tv->m_graphFilePath, "%s", windows.c_str());
    EXPECT_TRUE(tv->PublishGraph());
    EXPECT_TRUE(tv->TearDownGraph());

    std::string error;
    auto file = com::CompoundFileReader::open(path, &error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->entries().size(), 1u);
    auto bytes = file->read_stream(u"ActiveMovieGraph");
    ASSERT_TRUE(bytes);
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes->size(); i += 2)
        text.push_back(static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8)));
    std::u16string clsid = base::to_utf16(com::guid_to_string(CLSID_TestNode));
    std::u16string head = u"0003\r\nFILTERS\r\n0001 \"Capture Card\" " + clsid + u" 0000000000 \r\n0002 \"Video Renderer\" " + clsid
        + u" 0000000000 \r\nCONNECTIONS\r\n0001 \"Capture\" 0002 \"Input\" ";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find(u"\r\nEND"), std::u16string::npos);

    // Publishing rewrites the file with the graph as it is now: the renderer is gone.
    EXPECT_TRUE(tv->PublishGraph());
    EXPECT_TRUE(tv->TearDownGraph());
    file = com::CompoundFileReader::open(path, &error);
    ASSERT_TRUE(file) << error;
    bytes = file->read_stream(u"ActiveMovieGraph");
    ASSERT_TRUE(bytes);
    text.clear();
    for (size_t i = 0; i + 1 < bytes->size(); i += 2)
        text.push_back(static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8)));
    head = u"0003\r\nFILTERS\r\n0001 \"Capture Card\" " + clsid + u" 0000000000 \r\nCONNECTIONS\r\nCLOCK";
    EXPECT_EQ(text.substr(0, head.size()), head) << base::to_utf8(text);
}

TEST_F(CaptureGraph, SaveGraphFileReportsItsFailures)
{
    std::string missing = base::to_utf8(windows_path(test_support::temp_home() + "/missing/debug.grf"));
    EXPECT_EQ(tv->SaveGraphFile(nullptr, "C:\\x.grf"), E_FAIL);
    EXPECT_EQ(tv->SaveGraphFile(tv->m_graph, nullptr), E_POINTER);
    EXPECT_EQ(tv->SaveGraphFile(tv->m_graph, missing.c_str()), STG_E_PATHNOTFOUND);
}

}
