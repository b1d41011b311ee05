// The capture graph builder on the virtual card: interface search around the capture filter,
// stream rendering with and without a preview pin, stream control and AVI recording.

#include "Ffprobe.h"
#include <CardFixture.h>
#include "TempDir.h"

#include <base/Path.h>
#include <base/Text.h>
#include <dshow/AviReader.h>
#include <dshow/CaptureGraphBuilder.h>
#include <dshow/MuxInterfaces.h>
#include <dshow/SystemFilters.h>
#include <dshow/VfwErrors.h>

namespace {

using namespace card_test;

class Builder : public CardTest {
protected:
    void open(const sim::CaptureCard& card = {})
    {
        sim::install_cards({ card });
        graph = make_graph();
        ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                      reinterpret_cast<void**>(&builder)),
            S_OK);
        ASSERT_EQ(builder->SetFiltergraph(graph), S_OK);
        ASSERT_EQ(bind(0, &capture), S_OK);
        ASSERT_EQ(graph->AddFilter(capture, u"Video Capture"), S_OK);
        control = query<IMediaControl>(graph, IID_IMediaControl);
    }
    void TearDown() override
    {
        if (control)
            control->Stop();
        control.Release();
        capture.Release();
        builder.Release();
        graph.Release();
        CardTest::TearDown();
    }
    CComPtr<Recorder> recorder(GUID major = MEDIATYPE_Video)
    {
        CComPtr<Recorder> r;
        r.Attach(new Recorder(major));
        return r;
    }
    std::vector<std::u16string> filter_names()
    {
        std::vector<std::u16string> names;
        CComPtr<IEnumFilters> filters;
        graph->EnumFilters(&filters);
        for (CComPtr<IBaseFilter> f; filters->Next(1, &f, nullptr) == S_OK; f.Release()) {
            FILTER_INFO info {};
            f->QueryFilterInfo(&info);
            if (info.pGraph)
                info.pGraph->Release();
            names.emplace_back(info.achName);
        }
        return names;
    }
    static std::u16string peer_name(IPin* pin)
    {
        CComPtr<IPin> peer;
        if (!pin || pin->ConnectedTo(&peer) != S_OK)
            return {};
        PIN_INFO info {};
        peer->QueryPinInfo(&info);
        if (info.pFilter)
            info.pFilter->Release();
        return info.achName;
    }

    CComPtr<IGraphBuilder> graph;
    CComPtr<ICaptureGraphBuilder2> builder;
    CComPtr<IBaseFilter> capture;
    CComPtr<IMediaControl> control;
};

TEST_F(Builder, GraphIsSetOnceOrMadeOnDemand)
{
    open();
    CComPtr<IGraphBuilder> other = make_graph();
    EXPECT_EQ(builder->SetFiltergraph(other), E_UNEXPECTED);
    CComPtr<IGraphBuilder> got;
    ASSERT_EQ(builder->GetFiltergraph(&got), S_OK);
    EXPECT_EQ(got.p, graph.p);
    EXPECT_EQ(builder->GetFiltergraph(nullptr), E_POINTER);

    CComPtr<ICaptureGraphBuilder2> fresh;
    CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&fresh));
    CComPtr<IGraphBuilder> made;
    ASSERT_EQ(fresh->GetFiltergraph(&made), S_OK);
    EXPECT_TRUE(made);
    EXPECT_EQ(fresh->SetFiltergraph(other), E_UNEXPECTED);
}

TEST_F(Builder, FindInterfaceSearchOrder)
{
    open();
    struct Case {
        const GUID* category;
        const GUID* type;
        REFIID iid;
        HRESULT expected;
    };
    const Case cases[] = {
        { &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, IID_IAMStreamConfig, S_OK }, // the capture pin
        { &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, IID_IAMStreamConfig, S_OK }, // the audio pin
        { &PIN_CATEGORY_PREVIEW, &MEDIATYPE_Audio, IID_IAMStreamConfig, E_NOINTERFACE }, // no such pin
        { &PIN_CATEGORY_CAPTURE, nullptr, IID_IAMCrossbar, S_OK }, // upstream, outside the graph
        { &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, IID_IAMTVTuner, S_OK }, // behind the crossbar
        { &PIN_CATEGORY_PREVIEW, &MEDIATYPE_Interleaved, IID_IAMTVTuner, E_NOINTERFACE },
        { nullptr, nullptr, IID_IAMTVTuner, S_OK },
        { nullptr, &MEDIATYPE_Interleaved, IID_IAMTVTuner, S_OK }, // no category: the type is not used
        { &LOOK_UPSTREAM_ONLY, nullptr, IID_IAMCrossbar, S_OK },
        { &LOOK_DOWNSTREAM_ONLY, nullptr, IID_IAMCrossbar, E_NOINTERFACE },
        { &LOOK_UPSTREAM_ONLY, nullptr, IID_IAMStreamConfig, E_NOINTERFACE }, // output pins are not upstream
        { &LOOK_DOWNSTREAM_ONLY, nullptr, IID_IAMStreamConfig, S_OK },
        { nullptr, nullptr, IID_IBaseFilter, S_OK }, // the filter itself
        { nullptr, nullptr, IID_IFileSinkFilter, E_NOINTERFACE },
    };
    for (const auto& c : cases) {
        IUnknown* found = nullptr;
        EXPECT_EQ(builder->FindInterface(c.category, c.type, capture, c.iid, reinterpret_cast<void**>(&found)), c.expected)
            << (&c - cases);
        EXPECT_EQ(found != nullptr, c.expected == S_OK) << (&c - cases);
        if (found)
            found->Release();
    }
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(builder->FindInterface(nullptr, nullptr, nullptr, IID_IAMCrossbar, &out), E_POINTER);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(builder->FindInterface(nullptr, nullptr, capture, IID_IAMCrossbar, nullptr), E_POINTER);
}

TEST_F(Builder, FindInterfaceGoesDownstreamThroughTheTee)
{
    sim::CaptureCard card;
    card.preview_pin = false;
    open(card);
    auto sink = recorder();
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, sink), VFW_S_NOPREVIEWPIN);
    // From the tee the capture pin's stream configuration lies upstream only.
    CComPtr<IBaseFilter> tee;
    ASSERT_EQ(graph->FindFilterByName(u"Smart Tee", &tee), S_OK);
    IAMStreamConfig* config = nullptr;
    EXPECT_EQ(builder->FindInterface(&LOOK_DOWNSTREAM_ONLY, nullptr, tee, IID_IAMStreamConfig, reinterpret_cast<void**>(&config)), E_NOINTERFACE);
    ASSERT_EQ(builder->FindInterface(&LOOK_UPSTREAM_ONLY, nullptr, tee, IID_IAMStreamConfig, reinterpret_cast<void**>(&config)), S_OK);
    config->Release();
    // The other way from the sink, across the tee, the capture filter and the crossbar to the tuner.
    IAMTVTuner* tuner = nullptr;
    ASSERT_EQ(builder->FindInterface(nullptr, nullptr, sink, IID_IAMTVTuner, reinterpret_cast<void**>(&tuner)), S_OK);
    tuner->Release();
    IAMCrossbar* crossbar = nullptr;
    ASSERT_EQ(builder->FindInterface(&LOOK_UPSTREAM_ONLY, nullptr, sink, IID_IAMCrossbar, reinterpret_cast<void**>(&crossbar)), S_OK);
    crossbar->Release();
}

TEST_F(Builder, FindPinByDirectionCategoryTypeAndIndex)
{
    open();
    auto id_of = [](IPin* pin) {
        PIN_INFO info {};
        pin->QueryPinInfo(&info);
        if (info.pFilter)
            info.pFilter->Release();
        return std::u16string(info.achName);
    };
    CComPtr<IPin> found;
    ASSERT_EQ(builder->FindPin(capture, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, nullptr, FALSE, 0, &found), S_OK);
    EXPECT_EQ(id_of(found), u"Capture");
    found.Release();
    ASSERT_EQ(builder->FindPin(capture, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, nullptr, FALSE, 1, &found), S_OK);
    EXPECT_EQ(id_of(found), u"Audio");
    found.Release();
    ASSERT_EQ(builder->FindPin(capture, PINDIR_OUTPUT, nullptr, &MEDIATYPE_Audio, TRUE, 0, &found), S_OK);
    EXPECT_EQ(id_of(found), u"Audio");
    found.Release();
    EXPECT_EQ(builder->FindPin(capture, PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, nullptr, FALSE, 1, &found), E_FAIL);
    // A pin as the source is checked itself.
    CComPtr<IPin> preview = pin(capture, u"Preview");
    EXPECT_EQ(builder->FindPin(preview, PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, nullptr, TRUE, 0, &found), S_OK);
    found.Release();
    EXPECT_EQ(builder->FindPin(preview, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, nullptr, TRUE, 0, &found), E_FAIL);
    EXPECT_EQ(builder->FindPin(preview, PINDIR_INPUT, nullptr, nullptr, FALSE, 0, &found), E_FAIL);
}

TEST_F(Builder, PreviewPinIsRenderedDirectly)
{
    open();
    auto sink = recorder();
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, sink), S_OK);
    EXPECT_EQ(peer_name(pin(capture, u"Preview")), u"In");
    EXPECT_EQ(filter_names().size(), 2u);
    // Again: the pin is taken.
    auto other = recorder();
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, other), E_INVALIDARG);
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_ANALOGVIDEOIN, nullptr, capture, nullptr, other), E_INVALIDARG);
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_TRUE(sink->wait_for([](const auto& frames) { return frames.size() >= 3; }));
}

TEST_F(Builder, WithoutPreviewPinBothStreamsShareASmartTee)
{
    sim::CaptureCard card;
    card.preview_pin = false;
    open(card);
    auto shown = recorder(), kept = recorder();
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, shown), VFW_S_NOPREVIEWPIN);
    EXPECT_EQ(peer_name(pin(capture, u"Capture")), u"Input");
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, nullptr, capture, nullptr, kept), S_OK);
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, nullptr, capture, nullptr, recorder()), E_INVALIDARG);
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, recorder()), E_INVALIDARG);
    CComPtr<IBaseFilter> tee;
    ASSERT_EQ(graph->FindFilterByName(u"Smart Tee", &tee), S_OK);
    EXPECT_EQ(peer_name(pin(tee, u"Preview")), u"In");
    EXPECT_EQ(peer_name(pin(tee, u"Capture")), u"In");
    EXPECT_EQ(filter_names().size(), 4u);

    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_TRUE(kept->wait_for([](const auto& frames) { return frames.size() >= 3; }));
    EXPECT_TRUE(shown->wait_for([](const auto& frames) { return !frames.empty(); }));
    EXPECT_TRUE(kept->frames().front().timed);
}

TEST_F(Builder, CaptureFirstThenPreviewOnTheSameTee)
{
    sim::CaptureCard card;
    card.preview_pin = false;
    open(card);
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, capture, nullptr, recorder()), S_OK);
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, capture, nullptr, recorder()), VFW_S_NOPREVIEWPIN);
    EXPECT_EQ(filter_names().size(), 4u);
    // Sound has no preview pin either: a tee of its own; captured sound goes straight on.
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture, nullptr, recorder(MEDIATYPE_Audio)), S_OK);
    EXPECT_EQ(peer_name(pin(capture, u"Audio")), u"In");
}

TEST_F(Builder, PinAsSourceAndCompressorChain)
{
    open();
    auto sink = recorder();
    CComPtr<IPin> output = pin(capture, u"Capture");
    ASSERT_EQ(builder->RenderStream(nullptr, nullptr, output, nullptr, sink), S_OK);
    EXPECT_EQ(peer_name(output), u"In");
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, output, nullptr, recorder()), E_INVALIDARG); // connected
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, pin(sink, u"In"), nullptr, recorder()), E_INVALIDARG); // an input
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, nullptr, nullptr, sink), E_POINTER);

    // A Smart Tee as the compressor: capture pin -> tee -> renderer, the tee added on the way.
    CComPtr<IBaseFilter> tee;
    ASSERT_EQ(CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&tee)), S_OK);
    auto after = recorder();
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, tee, after), S_OK);
    EXPECT_EQ(peer_name(pin(capture, u"Preview")), u"Input");
    EXPECT_EQ(peer_name(pin(tee, u"Capture")), u"In");
}

TEST_F(Builder, DefaultRendererForSound)
{
    open();
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture, nullptr, nullptr), S_OK);
    CComPtr<IBaseFilter> renderer;
    EXPECT_EQ(graph->FindFilterByName(u"Default DirectSound Device", &renderer), S_OK);
}

TEST_F(Builder, ControlStreamSetsTheMatchingPins)
{
    open();
    auto info = [&](const char16_t* id) {
        AM_STREAM_INFO result {};
        query<IAMStreamControl>(pin(capture, id), IID_IAMStreamControl)->GetInfo(&result);
        return result;
    };
    REFERENCE_TIME never = MAXLONGLONG;
    ASSERT_EQ(builder->ControlStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, nullptr, &never, nullptr, 5, 6), S_OK);
    EXPECT_EQ(info(u"Capture").dwStopCookie, 6u);
    EXPECT_EQ(info(u"Audio").dwStopCookie, 0u);
    ASSERT_EQ(builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, capture, nullptr, &never, 1, 2), S_OK);
    EXPECT_EQ(info(u"Audio").dwStartCookie, 1u);
    EXPECT_EQ(builder->ControlStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, nullptr, nullptr, nullptr, 0, 0), E_FAIL);

    // A pin of the category without stream control.
    sim::uninstall_cards();
    sim::CaptureCard plain;
    plain.stream_control = false;
    sim::install_cards({ plain });
    CComPtr<IBaseFilter> second;
    ASSERT_EQ(bind(0, &second), S_OK);
    EXPECT_EQ(builder->ControlStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, second, nullptr, nullptr, 0, 0), E_FAIL);
}

TEST_F(Builder, SetOutputFileNameMakesTheFileChain)
{
    open();
    const test_support::TempDir folder_dir("builder");
    const std::string& folder = folder_dir.path();
    std::u16string path = base::to_utf16(base::to_windows_path(folder + "/out.avi"));
    CComPtr<IBaseFilter> mux;
    CComPtr<IFileSinkFilter> sink;
    EXPECT_EQ(builder->SetOutputFileName(nullptr, path.c_str(), &mux, &sink), E_POINTER);
    EXPECT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, path.c_str(), nullptr, &sink), E_POINTER);
    EXPECT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_YUY2, path.c_str(), &mux, &sink), E_INVALIDARG);
    std::u16string missing = base::to_utf16(base::to_windows_path(folder + "/no/such/out.avi"));
    EXPECT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, missing.c_str(), &mux, &sink), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(filter_names().size(), 1u); // nothing added on failure

    ASSERT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, path.c_str(), &mux, &sink), S_OK);
    CLSID clsid {};
    mux->GetClassID(&clsid);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_AviDest));
    EXPECT_EQ(peer_name(pin(mux, u"AVI Out")), u"in");
    LPOLESTR name = nullptr;
    ASSERT_EQ(sink->GetCurFile(&name, nullptr), S_OK);
    EXPECT_EQ(std::u16string(name), path);
    CoTaskMemFree(name);
}

// A few seconds from the virtual card into an AVI file, read back by our reader and ffprobe.
TEST_F(Builder, RecordsTheCardToAnAviFile)
{
    open();
    const test_support::TempDir folder_dir("builder");
    const std::string& folder = folder_dir.path();
    std::string file = folder + "/capture.avi";
    std::u16string path = base::to_utf16(base::to_windows_path(file));
    CComPtr<IBaseFilter> mux;
    CComPtr<IFileSinkFilter> sink;
    ASSERT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, path.c_str(), &mux, &sink), S_OK);
    auto config = query<IConfigAviMux>(mux, IID_IConfigAviMux);
    ASSERT_TRUE(config);
    config->SetOutputCompatibilityIndex(TRUE);
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, nullptr, capture, nullptr, mux), S_OK);
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture, nullptr, mux), S_OK);
    auto dropped = query<IAMDroppedFrames>(pin(capture, u"Capture"), IID_IAMDroppedFrames);
    ASSERT_TRUE(dropped);

    ASSERT_EQ(control->Run(), S_OK);
    LONG delivered = 0;
    for (int i = 0; i < 4000 && delivered < 75; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        dropped->GetNumNotDropped(&delivered);
    }
    ASSERT_GE(delivered, 75);
    ASSERT_EQ(control->Stop(), S_OK);
    dropped->GetNumNotDropped(&delivered);

    dshow::AviReader reader;
    ASSERT_EQ(reader.open(file), S_OK) << reader.problem();
    ASSERT_EQ(reader.streams().size(), 2u);
    const auto& video = reader.streams()[0];
    EXPECT_TRUE(video.video);
    EXPECT_EQ(video.chunks, static_cast<ULONGLONG>(delivered));
    EXPECT_EQ(video.bitmap.biWidth, 720);
    EXPECT_EQ(video.bitmap.biHeight, 576);
    EXPECT_NEAR(video.duration_seconds(), delivered / 25.0, 1e-6);
    EXPECT_FALSE(reader.streams()[1].video);
    EXPECT_NEAR(reader.streams()[1].duration_seconds(), delivered / 25.0, 0.2);
    // The frames are the tuned channel's picture, in order.
    std::vector<BYTE> first, last;
    ASSERT_EQ(reader.read_frame(0, 0, first), S_OK);
    ASSERT_EQ(reader.read_frame(0, delivered - 1, last), S_OK);
    auto a = sim::identify_picture(first.data(), 720, 576);
    auto b = sim::identify_picture(last.data(), 720, 576);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->frame - a->frame, static_cast<std::uint32_t>(delivered - 1));

    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto probe = test_support::ffprobe(file, "v:0", "stream=nb_read_frames,width,height,duration");
    EXPECT_EQ(probe["nb_read_frames"], std::to_string(delivered)) << probe["error"];
    EXPECT_EQ(probe["width"], "720");
    EXPECT_EQ(probe["height"], "576");
    EXPECT_NEAR(std::stod(probe["duration"]), delivered / 25.0, 0.05);
}

}
