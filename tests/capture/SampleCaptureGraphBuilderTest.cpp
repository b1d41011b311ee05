// The engine's capture graph builder over the system one, on the virtual card: forwarding, the
// overloads without a media type, the filter-only source of RenderStream, SetOutputFileName's
// argument check, the MPEG-2 test, and the graph teardown that makes it forget its chain.

#include <CardFixture.h>
#include "TempDir.h"

#include <capture/SampleCaptureGraphBuilder.h>
#include <capture/Tv.h>

#include <base/Path.h>
#include <base/Text.h>
#include <dshow/Mpeg2.h>
#include <dshow/SystemFilters.h>
#include <dshow/VfwErrors.h>

#include <memory>

namespace {

using namespace card_test;

class SampleBuilder : public CardTest {
protected:
    void open(const sim::CaptureCard& card = {})
    {
        sim::install_cards({ card });
        graph = make_graph();
        builder = std::make_unique<ISampleCaptureGraphBuilder>();
        ASSERT_EQ(builder->SetFiltergraph(graph), S_OK);
        ASSERT_EQ(bind(0, &capture), S_OK);
        ASSERT_EQ(graph->AddFilter(capture, u"Video Capture"), S_OK);
    }
    void TearDown() override
    {
        builder.reset();
        capture.Release();
        graph.Release();
        CardTest::TearDown();
    }
    std::size_t filter_count()
    {
        std::size_t count = 0;
        CComPtr<IEnumFilters> filters;
        graph->EnumFilters(&filters);
        for (CComPtr<IBaseFilter> f; filters->Next(1, &f, nullptr) == S_OK; f.Release())
            ++count;
        return count;
    }
    std::size_t count_of(REFCLSID clsid)
    {
        std::size_t count = 0;
        CComPtr<IEnumFilters> filters;
        graph->EnumFilters(&filters);
        for (CComPtr<IBaseFilter> f; filters->Next(1, &f, nullptr) == S_OK; f.Release()) {
            CLSID id {};
            f->GetClassID(&id);
            count += IsEqualCLSID(id, clsid) ? 1 : 0;
        }
        return count;
    }
    // The filter at the other end of `pin`'s connection (not counted), or null.
    static IBaseFilter* connected_to(IPin* pin)
    {
        CComPtr<IPin> peer;
        PIN_INFO info {};
        if (!pin || pin->ConnectedTo(&peer) != S_OK || FAILED(peer->QueryPinInfo(&info)))
            return nullptr;
        info.pFilter->Release();
        return info.pFilter;
    }
    static bool connected(IPin* pin)
    {
        CComPtr<IPin> peer;
        return pin && pin->ConnectedTo(&peer) == S_OK;
    }

    CComPtr<IGraphBuilder> graph;
    std::unique_ptr<ISampleCaptureGraphBuilder> builder;
    CComPtr<IBaseFilter> capture;
};

TEST_F(SampleBuilder, ForwardsToTheSystemBuilder)
{
    open();
    EXPECT_EQ(builder->SetFiltergraph(graph), E_UNEXPECTED);
    CComPtr<IGraphBuilder> got;
    ASSERT_EQ(builder->GetFiltergraph(&got), S_OK);
    EXPECT_EQ(got.p, graph.p);
    CComPtr<IPin> found;
    ASSERT_EQ(builder->FindPin(capture, PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, nullptr, TRUE, 0, &found), S_OK);
    EXPECT_EQ(found.p, pin(capture, u"Preview").p);
    EXPECT_EQ(builder->AllocCapFile(u"x.avi", 1), E_NOTIMPL);
    EXPECT_EQ(builder->CopyCaptureFile(nullptr, nullptr, 0, nullptr), E_NOTIMPL);
    EXPECT_FALSE(builder->IsMpeg2Capture(capture));
    EXPECT_FALSE(builder->IsMpeg2Capture(nullptr));
}

TEST_F(SampleBuilder, OverloadsWithoutTypeActAsTheFullForms)
{
    open();
    CComPtr<IAMCrossbar> crossbar, full;
    ASSERT_EQ(builder->FindInterface(&PIN_CATEGORY_CAPTURE, capture, IID_IAMCrossbar, reinterpret_cast<void**>(&crossbar)), S_OK);
    ASSERT_EQ(builder->FindInterface(&PIN_CATEGORY_CAPTURE, nullptr, capture, IID_IAMCrossbar, reinterpret_cast<void**>(&full)), S_OK);
    EXPECT_EQ(crossbar.p, full.p);
    void* none = nullptr;
    EXPECT_EQ(builder->FindInterface(&PIN_CATEGORY_PREVIEW, capture, IID_IAMDroppedFrames, &none), E_NOINTERFACE);

    REFERENCE_TIME never = MAXLONGLONG;
    ASSERT_EQ(builder->ControlStream(&PIN_CATEGORY_CAPTURE, capture, &never, nullptr, 3, 4), S_OK);
    // Without a media type every capture pin is set, sound included.
    for (const char16_t* id : { u"Capture", u"Audio" }) {
        AM_STREAM_INFO info {};
        query<IAMStreamControl>(pin(capture, id), IID_IAMStreamControl)->GetInfo(&info);
        EXPECT_EQ(info.dwStartCookie, 3u);
        EXPECT_EQ(info.dwStopCookie, 4u);
    }
    EXPECT_EQ(builder->ControlStream(&PIN_CATEGORY_PREVIEW, nullptr, &never, nullptr, 0, 0), E_FAIL); // no stream control

    CComPtr<Recorder> sink;
    sink.Attach(new Recorder);
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, capture, nullptr, sink), S_OK);
    EXPECT_TRUE(connected(pin(capture, u"Capture")));
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_CAPTURE, capture, nullptr, sink), E_INVALIDARG);
}

TEST_F(SampleBuilder, NoPreviewPinStillGivesItsCode)
{
    sim::CaptureCard card;
    card.preview_pin = false;
    open(card);
    CComPtr<Recorder> sink;
    sink.Attach(new Recorder);
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, sink), VFW_S_NOPREVIEWPIN);
    EXPECT_EQ(filter_count(), 3u);
}

TEST_F(SampleBuilder, RenderStreamTakesOnlyAFilter)
{
    open();
    CComPtr<Recorder> sink;
    sink.Attach(new Recorder);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, pin(capture, u"Capture"), nullptr, sink), E_INVALIDARG);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, nullptr, nullptr, sink), E_INVALIDARG);
    EXPECT_EQ(filter_count(), 1u);
    EXPECT_FALSE(connected(pin(capture, u"Capture")));
}

TEST_F(SampleBuilder, SetOutputFileNameRefusesNullArguments)
{
    open();
    const test_support::TempDir folder_dir("sample-builder");
    const std::string& folder = folder_dir.path();
    std::u16string path = base::to_utf16(base::to_windows_path(folder + "/out.avi"));
    CComPtr<IBaseFilter> mux;
    CComPtr<IFileSinkFilter> sink;
    EXPECT_EQ(builder->SetOutputFileName(nullptr, path.c_str(), &mux, &sink), E_INVALIDARG);
    EXPECT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, nullptr, &mux, &sink), E_INVALIDARG);
    EXPECT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, path.c_str(), nullptr, &sink), E_INVALIDARG);
    EXPECT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, path.c_str(), &mux, nullptr), E_INVALIDARG);
    EXPECT_EQ(filter_count(), 1u);
    ASSERT_EQ(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, path.c_str(), &mux, &sink), S_OK);
    EXPECT_EQ(filter_count(), 3u);
    EXPECT_TRUE(connected(pin(mux, u"AVI Out")));
}

TEST_F(SampleBuilder, RenderStreamFillsTheGraphItselfWhenNoneWasSet)
{
    sim::install_cards({ sim::CaptureCard {} });
    ISampleCaptureGraphBuilder fresh;
    ASSERT_EQ(bind(0, &capture), S_OK);
    CComPtr<Recorder> sink;
    sink.Attach(new Recorder);
    // The capture filter is in no graph: the builder's own graph takes the recorder only.
    EXPECT_TRUE(FAILED(fresh.RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, sink)));
    CComPtr<IGraphBuilder> made;
    ASSERT_EQ(fresh.GetFiltergraph(&made), S_OK);
    ASSERT_EQ(made->AddFilter(capture, u"Video Capture"), S_OK);
    EXPECT_EQ(fresh.RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, sink), S_OK);
    made->RemoveFilter(sink);
    made->RemoveFilter(capture);
}

TEST_F(SampleBuilder, Mpeg2CaptureIsRecognisedByItsOutputPins)
{
    open();
    using test_filters::Source;
    CComPtr<Source> plain, program, video;
    plain.Attach(new Source());
    program.Attach(new Source({ test_filters::yuy2_type() }));
    program->add_output(u"MPEG2 TS", { dshow::MediaType::of(MEDIATYPE_Stream, MEDIASUBTYPE_MPEG2_PROGRAM) });
    video.Attach(new Source({ dshow::MediaType::of(MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO) }));
    CComPtr<Source> audio_only;
    audio_only.Attach(new Source({ dshow::MediaType::of(MEDIATYPE_Audio, MEDIASUBTYPE_MPEG2_VIDEO) }));
    EXPECT_FALSE(builder->IsMpeg2Capture(plain));
    EXPECT_TRUE(builder->IsMpeg2Capture(program));
    EXPECT_TRUE(builder->IsMpeg2Capture(video));
    EXPECT_FALSE(builder->IsMpeg2Capture(audio_only));
    CComPtr<IPin> found;
    ASSERT_EQ(builder->FindMpeg2Pin(program, &found), S_OK);
    EXPECT_EQ(found.p, pin(program, u"MPEG2 TS").p);
    found.Release();
    EXPECT_EQ(builder->FindMpeg2Pin(plain, &found), E_FAIL);
    EXPECT_EQ(builder->FindMpeg2Pin(nullptr, &found), E_POINTER);

    // A pin the demultiplexer does not take renders nothing, and the chain is taken out again.
    ASSERT_EQ(graph->AddFilter(video, u"MPEG-2 Capture"), S_OK);
    EXPECT_TRUE(FAILED(builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, video, nullptr, nullptr)));
    EXPECT_EQ(filter_count(), 2u);
    builder->ReleaseAll();
    graph->RemoveFilter(video);
}

TEST_F(SampleBuilder, AnMpeg2CardGetsItsChainOnceWithTheOutputsJoinedToTheirTees)
{
    sim::CaptureCard card;
    card.mpeg2 = true;
    card.width = 720;
    card.height = 480;
    card.frames_per_second = 30;
    open(card);
    ASSERT_TRUE(builder->IsMpeg2Capture(capture));
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, capture, nullptr, nullptr), S_OK);
    std::size_t built = filter_count();
    CComPtr<IBaseFilter> demux, video_tee, audio_tee;
    ASSERT_EQ(graph->FindFilterByName(u"MPEG2 Demux", &demux), S_OK);
    ASSERT_EQ(graph->FindFilterByName(u"vidTee", &video_tee), S_OK);
    ASSERT_EQ(graph->FindFilterByName(u"audTee", &audio_tee), S_OK);
    EXPECT_EQ(connected_to(pin(capture, u"Capture")), demux.p);
    EXPECT_EQ(connected_to(pin(demux, u"MpegVideo")), video_tee.p);
    EXPECT_EQ(connected_to(pin(demux, u"MpegAudio")), audio_tee.p);

    // The outputs carry the program's format blocks unchanged.
    dshow::MediaType video_type;
    ASSERT_EQ(pin(demux, u"MpegVideo")->ConnectionMediaType(&video_type.get()), S_OK);
    EXPECT_TRUE(IsEqualGUID(video_type.get().formattype, FORMAT_MPEG2Video));
    ASSERT_EQ(video_type.format().size(), 218u);
    const auto& info = *reinterpret_cast<const MPEG2VIDEOINFO*>(video_type.format().data());
    EXPECT_EQ(info.hdr.AvgTimePerFrame, 333667);
    EXPECT_EQ(info.cbSequenceHeader, 86u);
    EXPECT_EQ(video_type.format()[132 + 80], 0x14); // the extension's first byte after its start code
    dshow::MediaType audio_type;
    ASSERT_EQ(pin(demux, u"MpegAudio")->ConnectionMediaType(&audio_type.get()), S_OK);
    ASSERT_EQ(audio_type.format().size(), 40u);
    const auto& wave = *reinterpret_cast<const MPEG1WAVEFORMAT*>(audio_type.format().data());
    EXPECT_EQ(wave.wfx.wFormatTag, WAVE_FORMAT_MPEG);
    EXPECT_EQ(wave.dwHeadBitrate, 256000u);

    // The chain stands: the demultiplexer is not made again, and the pins are found by a part
    // of their names.
    EXPECT_EQ(builder->AddMpeg2Demux(), S_OK);
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Audio, capture, nullptr, nullptr), S_OK);
    EXPECT_GT(filter_count(), built);
    EXPECT_EQ(count_of(CLSID_MPEG2Demultiplexer), 1u);
    EXPECT_EQ(count_of(CLSID_SmartTee), 2u);
    CComPtr<IPin> found;
    found.Attach(builder->FindPinByName(demux, true, false));
    EXPECT_EQ(found.p, pin(demux, u"MpegVideo").p);
    found.Attach(builder->FindPinByName(demux, true, true));
    EXPECT_EQ(found.p, pin(demux, u"MpegAudio").p);
    found.Attach(builder->FindPinByName(demux, false, false));
    EXPECT_FALSE(found);
    CComPtr<test_filters::Source> lower;
    lower.Attach(new test_filters::Source({ test_filters::yuy2_type() }, u"video"));
    found.Attach(builder->FindPinByName(lower, true, false));
    EXPECT_TRUE(found);
    found.Release();

    builder->ReleaseAll();
    graph->RemoveFilter(demux);
}

class TestTv : public STv {
public:
    using STv::m_builder;
    using STv::m_captureFilter;
    using STv::m_graph;
};

TEST_F(SampleBuilder, GraphTeardownLeavesTheCaptureFilterAndNoLiveObjects)
{
    sim::CaptureCard card;
    card.preview_pin = false;
    open(card);
    {
        TestTv tv;
        tv.m_graph = graph;
        tv.m_captureFilter = capture;
        tv.m_builder = builder.release();
        CComPtr<Recorder> shown, kept;
        shown.Attach(new Recorder);
        kept.Attach(new Recorder);
        ASSERT_EQ(tv.m_builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, shown), VFW_S_NOPREVIEWPIN);
        ASSERT_EQ(tv.m_builder->RenderStream(&PIN_CATEGORY_CAPTURE, nullptr, capture, nullptr, kept), S_OK);
        EXPECT_EQ(filter_count(), 4u);
        EXPECT_TRUE(tv.TearDownGraph());
        EXPECT_EQ(filter_count(), 1u);
        EXPECT_FALSE(connected(pin(capture, u"Capture")));
        // The builder serves the next graph build as before.
        ASSERT_EQ(tv.m_builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, shown), VFW_S_NOPREVIEWPIN);
        EXPECT_TRUE(tv.TearDownGraph());
    }
    // The fixture's teardown checks that every object is gone.
}

}
