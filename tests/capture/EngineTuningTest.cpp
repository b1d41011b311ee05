#include "EngineFixture.h"

#include <dshow/AudioRenderer.h>
#include <dshow/GraphInterfaces.h>
#include <dshow/SystemFilters.h>

#include <functional>

namespace {

using namespace engine_test;

// An engine around a card bound by the test, with the card's tuner and crossbar found by a walk
// upstream from the capture filter.
class AttachedTv : public STv {
public:
    using STv::m_audioRenderer;
    using STv::m_crossbar;
    using STv::m_graph;
    using STv::m_tuner;

    explicit AttachedTv(const sim::CaptureCard& card)
    {
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&m_graph));
        sim::create_capture_filter(card, IID_IBaseFilter, reinterpret_cast<void**>(&m_captureFilter));
        m_graph->AddFilter(m_captureFilter, nullptr);
        find_upstream(m_captureFilter, IID_IAMCrossbar, reinterpret_cast<void**>(&m_crossbar));
        find_upstream(m_captureFilter, IID_IAMTVTuner, reinterpret_cast<void**>(&m_tuner));
    }
    ~AttachedTv() override
    {
        m_crossbar = nullptr; // the routing left behind is not under test here
    }

    static bool find_upstream(IBaseFilter* filter, REFIID iid, void** out)
    {
        CComPtr<IEnumPins> pins;
        filter->EnumPins(&pins);
        for (;;) {
            CComPtr<IPin> pin;
            if (pins->Next(1, &pin, nullptr) != S_OK)
                return false;
            PIN_DIRECTION direction;
            pin->QueryDirection(&direction);
            CComPtr<IPin> peer;
            if (direction != PINDIR_INPUT || pin->ConnectedTo(&peer) != S_OK)
                continue;
            PIN_INFO info {};
            peer->QueryPinInfo(&info);
            CComPtr<IBaseFilter> upstream;
            upstream.Attach(info.pFilter);
            if (SUCCEEDED(upstream->QueryInterface(iid, out)) || find_upstream(upstream, iid, out))
                return true;
        }
    }
    LONG routed(LONG output) const { return routed_input(m_crossbar, output); }
    LONG tuned() const { return tuned_channel(m_tuner); }
};

using Pins = std::vector<sim::CrossbarPin>;
const Pins kUsualOutputs { { PhysConn_Video_VideoDecoder, 1 }, { PhysConn_Audio_AudioDecoder, 0 } };

sim::CaptureCard card_with(Pins inputs, sim::RoutePolicy policy = sim::RoutePolicy::Accept, Pins outputs = kUsualOutputs)
{
    sim::CaptureCard result = card();
    result.crossbar->inputs = std::move(inputs);
    result.crossbar->outputs = std::move(outputs);
    result.crossbar->route = policy;
    return result;
}

const Pins kUsual = sim::Crossbar {}.inputs;
// The tuner input after Composite.
const Pins kTunerSecond { { PhysConn_Video_Composite, 4 }, { PhysConn_Video_Tuner, 3 }, { PhysConn_Video_SVideo, 4 },
    { PhysConn_Audio_Tuner, 1 }, { PhysConn_Audio_Line, 0 } };
// One non-tuner video input.
const Pins kOneInput { { PhysConn_Video_Tuner, 2 }, { PhysConn_Video_Composite, 3 }, { PhysConn_Audio_Tuner, 0 },
    { PhysConn_Audio_Line, 1 } };
const Pins kUnrelated { { PhysConn_Video_Tuner, -1 }, { PhysConn_Video_Composite, -1 }, { PhysConn_Video_SVideo, -1 },
    { PhysConn_Audio_Tuner, -1 }, { PhysConn_Audio_Line, -1 } };

TEST_F(EngineTest, ChannelsRouteTheCrossbarAndTuneTheTuner)
{
    struct Case {
        const char* what;
        Pins inputs;
        sim::RoutePolicy policy;
        LONG channel;
        LONG video; // input routed to the video output, -2: as before
        LONG audio; // input routed to the audio output, -2: as before
        LONG tuned; // the tuner's channel afterwards
    };
    const Case cases[] = {
        { "L1 is the first non-tuner input", kUsual, sim::RoutePolicy::Accept, 0, 1, 4, 2 },
        { "L2 the second", kUsual, sim::RoutePolicy::Accept, 1, 2, 4, 2 },
        { "a channel routes the tuner, then tunes", kUsual, sim::RoutePolicy::Accept, 5, 0, 3, 5 },
        { "L1 before the tuner input", kTunerSecond, sim::RoutePolicy::Accept, 0, 0, 4, 2 },
        { "a channel finds the tuner input anywhere", kTunerSecond, sim::RoutePolicy::Accept, 7, 1, 3, 7 },
        { "L2 missing falls back to L1", kOneInput, sim::RoutePolicy::Accept, 1, 1, 3, 2 },
        { "no related pins: video only", kUnrelated, sim::RoutePolicy::Accept, 0, 1, -2, 2 },
        { "refused routes change nothing", kUsual, sim::RoutePolicy::RefuseAll, 0, -2, -2, 2 },
        { "refused audio keeps the video route", kUsual, sim::RoutePolicy::RefuseAudio, 1, 2, -2, 2 },
        { "refused routes still tune", kUsual, sim::RoutePolicy::RefuseAll, 9, -2, -2, 9 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AttachedTv tv(card_with(c.inputs, c.policy));
        ASSERT_TRUE(tv.m_crossbar && tv.m_tuner);
        tv.m_tuner->put_Channel(2, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
        LONG video = tv.routed(0), audio = tv.routed(1);
        tv.SetChannel(c.channel);
        EXPECT_EQ(tv.GetChannel(), c.channel);
        EXPECT_EQ(tv.routed(0), c.video == -2 ? video : c.video);
        EXPECT_EQ(tv.routed(1), c.audio == -2 ? audio : c.audio);
        EXPECT_EQ(tv.tuned(), c.tuned);
    }
}

TEST_F(EngineTest, CrossbarFaultsLeaveRoutingAlone)
{
    sim::CaptureCard failing = card();
    failing.crossbar->pin_counts_fail = true;
    AttachedTv tv(failing);
    ASSERT_TRUE(tv.m_crossbar);
    EXPECT_FALSE(tv.SelectExternalInput(0));
    tv.SetChannel(0);
    tv.RouteAudio(true);
    EXPECT_TRUE(tv.IsLineIn());
    EXPECT_EQ(tv.GetChannel(), 0);

    AttachedTv plain(card());
    EXPECT_FALSE(plain.SelectExternalInput(5));
    plain.SetChannel(-1); // names no input
    EXPECT_EQ(plain.GetChannel(), -1);
}

TEST_F(EngineTest, AudioRouteFollowsLineIn)
{
    struct Case {
        const char* what;
        Pins inputs;
        sim::RoutePolicy policy;
        bool lineIn;
        LONG audio; // -2: as before
    };
    const Pins noLine { { PhysConn_Video_Tuner, 3 }, { PhysConn_Video_Composite, 4 }, { PhysConn_Video_SVideo, 4 },
        { PhysConn_Audio_Tuner, 0 } };
    const Pins twoTunerAudio { { PhysConn_Video_Tuner, 3 }, { PhysConn_Audio_Tuner, 0 }, { PhysConn_Video_Composite, 4 },
        { PhysConn_Audio_Tuner, 0 }, { PhysConn_Audio_Line, 1 } };
    const Case cases[] = {
        { "line input", kUsual, sim::RoutePolicy::Accept, true, 4 },
        { "tuner audio", kUsual, sim::RoutePolicy::Accept, false, 3 },
        { "the last tuner audio input", twoTunerAudio, sim::RoutePolicy::Accept, false, 3 },
        { "no line input", noLine, sim::RoutePolicy::Accept, true, -2 },
        { "refused", kUsual, sim::RoutePolicy::RefuseAudio, true, -2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AttachedTv tv(card_with(c.inputs, c.policy));
        LONG before = tv.routed(1);
        EXPECT_EQ(tv.RouteAudio(c.lineIn), c.audio != -2) << "whether the crossbar took the route";
        EXPECT_EQ(tv.IsLineIn(), c.lineIn);
        EXPECT_EQ(tv.routed(1), c.audio == -2 ? before : c.audio);
    }
}

TEST_F(EngineTest, CountryCodeIsConfirmedByTheTuner)
{
    AttachedTv tv(card());
    EXPECT_TRUE(tv.SetCountryCode(-1));
    LONG code = 0;
    tv.m_tuner->get_CountryCode(&code);
    EXPECT_EQ(code, 49); // unchanged
    EXPECT_TRUE(tv.SetCountryCode(33));
    tv.m_tuner->get_CountryCode(&code);
    EXPECT_EQ(code, 33);

    sim::CaptureCard stubborn = card();
    stubborn.reported_country_code = 1;
    EXPECT_FALSE(AttachedTv(stubborn).SetCountryCode(33));

    sim::CaptureCard tunerless = card();
    tunerless.tuner = sim::TunerInterface::None;
    AttachedTv without(tunerless);
    EXPECT_FALSE(without.m_tuner);
    EXPECT_FALSE(without.SetCountryCode(33));
    EXPECT_TRUE(without.SetCountryCode(-1));
}

TEST_F(EngineTest, AntennaOrCableOnEveryTunerInput)
{
    sim::CaptureCard three = card();
    three.tuner_inputs = 3;
    AttachedTv tv(three);
    for (bool antenna : { false, true }) {
        tv.SetAntenna(antenna);
        for (LONG i = 0; i < 3; ++i) {
            TunerInputType type = antenna ? TunerInputCable : TunerInputAntenna;
            EXPECT_EQ(tv.m_tuner->get_InputType(i, &type), S_OK);
            EXPECT_EQ(type, antenna ? TunerInputAntenna : TunerInputCable) << i;
        }
    }
}

TEST_F(EngineTest, VolumeMapsToHundredthsOfDecibels)
{
    AttachedTv tv(card());
    auto* renderer = new dshow::AudioRenderer(CLSID_DSoundRender);
    CComPtr<IBaseFilter> owned;
    owned.Attach(static_cast<IBaseFilter*>(renderer));
    tv.m_audioRenderer = owned;
    tv.m_graph->AddFilter(tv.m_audioRenderer, u"audioOut");
    for (auto [volume, level] : { std::pair { 50, -5000 }, { 0, -10000 }, { 100, 0 }, { 33, -6700 } }) {
        tv.SetVolume(volume);
        LONG read = 1;
        renderer->get_Volume(&read);
        EXPECT_EQ(read, level) << volume;
    }
    tv.m_audioRenderer = nullptr; // without a renderer held nothing changes
    tv.SetVolume(10);
    LONG read = 1;
    renderer->get_Volume(&read);
    EXPECT_EQ(read, -6700);
}

}
