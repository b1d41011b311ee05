#include <CardFixture.h>

namespace {

using namespace card_test;

// One bound default card in a graph, its capture pin rendered into a recorder.
class Streaming : public CardTest {
protected:
    void build(const sim::CaptureCard& card, const char16_t* output = u"Capture", GUID major = MEDIATYPE_Video)
    {
        sim::install_cards({ card });
        graph = make_graph();
        ASSERT_EQ(bind(0, &capture), S_OK);
        ASSERT_EQ(graph->AddFilter(capture, nullptr), S_OK);
        recorder.Attach(new Recorder(major));
        ASSERT_EQ(graph->AddFilter(recorder, u"recorder"), S_OK);
        ASSERT_EQ(graph->ConnectDirect(pin(capture, output), recorder->in, nullptr), S_OK);
        control = query<IMediaControl>(graph, IID_IMediaControl);
        CComPtr<IBaseFilter> crossbar_filter = peer_filter(capture, u"Analog Video In");
        crossbar = query<IAMCrossbar>(crossbar_filter, IID_IAMCrossbar);
        if (crossbar_filter)
            tuner = query<IAMTVTuner>(peer_filter(crossbar_filter, u"Video Tuner In"), IID_IAMTVTuner);
        else
            tuner = query<IAMTVTuner>(peer_filter(capture, u"Analog Video In"), IID_IAMTVTuner);
    }
    void TearDown() override
    {
        if (control)
            control->Stop();
        control.Release();
        tuner.Release();
        crossbar.Release();
        recorder.Release();
        capture.Release();
        graph.Release();
        CardTest::TearDown();
    }
    // Waits for frames and returns what the latest one shows.
    std::optional<sim::PictureSource> shown()
    {
        recorder->clear();
        std::optional<sim::PictureSource> seen;
        recorder->wait_for([&](const auto& frames) {
            if (frames.size() < 2)
                return false;
            auto& last = frames.back();
            seen = last.picture ? std::optional(last.picture->source) : last.sound;
            return true;
        });
        return seen;
    }

    CComPtr<IGraphBuilder> graph;
    CComPtr<IBaseFilter> capture;
    CComPtr<Recorder> recorder;
    CComPtr<IMediaControl> control;
    CComPtr<IAMCrossbar> crossbar;
    CComPtr<IAMTVTuner> tuner;
};

TEST_F(Streaming, CapturePinShowsTheTunedChannelAndTheRoutedInput)
{
    build(sim::CaptureCard {});
    ASSERT_TRUE(tuner);
    ASSERT_TRUE(crossbar);
    ASSERT_EQ(tuner->put_Channel(5, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_EQ(shown(), sim::PictureSource::channel(5));

    tuner->put_Channel(7, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
    EXPECT_EQ(shown(), sim::PictureSource::channel(7));

    ASSERT_EQ(crossbar->Route(0, 1), S_OK); // composite
    EXPECT_EQ(shown(), sim::PictureSource::input(1));
    ASSERT_EQ(crossbar->Route(0, 2), S_OK); // S-Video
    EXPECT_EQ(shown(), sim::PictureSource::input(2));
    ASSERT_EQ(crossbar->Route(0, 0), S_OK);
    EXPECT_EQ(shown(), sim::PictureSource::channel(7));

    // Timestamps run on the frame raster from stream time 0; frame numbers follow them.
    auto frames = recorder->frames();
    ASSERT_GE(frames.size(), 2u);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_TRUE(frames[i].timed);
        EXPECT_EQ(frames[i].start % (UNITS / 25), 0);
        ASSERT_TRUE(frames[i].picture);
        EXPECT_EQ(frames[i].start / (UNITS / 25), frames[i].picture->frame);
    }
}

TEST_F(Streaming, ChannelsWithoutStationShowNoise)
{
    sim::CaptureCard card;
    card.stations = { 5 };
    build(card);
    tuner->put_Channel(6, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
    ASSERT_EQ(control->Run(), S_OK);
    recorder->wait_for([](const auto& frames) { return frames.size() >= 2; });
    auto frames = recorder->frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_TRUE(!frames.back().picture || frames.back().picture->source == sim::PictureSource::noise());
    LONG signal = -1;
    tuner->SignalPresent(&signal);
    EXPECT_EQ(signal, AMTUNER_NOSIGNAL);
}

TEST_F(Streaming, PreviewPinDeliversUntimedRgbFrames)
{
    sim::CaptureCard card;
    card.rgb = true;
    card.width = 320;
    card.height = 240;
    build(card, u"Preview");
    tuner->put_Channel(12, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_EQ(shown(), sim::PictureSource::channel(12));
    EXPECT_FALSE(recorder->frames().back().timed);
}

TEST_F(Streaming, AudioPinPlaysTheToneOfTheRoutedSound)
{
    build(sim::CaptureCard {}, u"Audio", MEDIATYPE_Audio);
    tuner->put_Channel(9, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_EQ(shown(), sim::PictureSource::channel(9));
    // Line audio carries the external input's sound; L1 while the picture comes from the tuner.
    ASSERT_EQ(crossbar->Route(1, 4), S_OK);
    EXPECT_EQ(shown(), sim::PictureSource::input(1));
    crossbar->Route(0, 2);
    EXPECT_EQ(shown(), sim::PictureSource::input(2));
}

TEST_F(Streaming, StreamControlGatesTheCapturePin)
{
    build(sim::CaptureCard {});
    auto control_pin = query<IAMStreamControl>(pin(capture, u"Capture"), IID_IAMStreamControl);
    ASSERT_TRUE(control_pin);
    REFERENCE_TIME never = MAXLONGLONG;
    control_pin->StartAt(&never, 0);
    control_pin->StopAt(nullptr, FALSE, 0);
    ASSERT_EQ(control->Run(), S_OK);
    AM_STREAM_INFO info {};
    control_pin->GetInfo(&info);
    EXPECT_TRUE(info.dwFlags & AM_STREAM_INFO_DISCARDING);
    // While off, time passes and nothing arrives.
    base::Clock::sleep_ms(400);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(recorder->frames().empty());

    control_pin->StartAt(nullptr, 0);
    control_pin->StopAt(&never, FALSE, 0);
    EXPECT_TRUE(recorder->wait_for([](const auto& frames) { return frames.size() >= 3; }));
}

TEST_F(Streaming, DroppedFramesCountFromTheStartOfStreaming)
{
    sim::CaptureCard card;
    card.drop_every = 20;
    build(card);
    auto dropped = query<IAMDroppedFrames>(pin(capture, u"Capture"), IID_IAMDroppedFrames);
    ASSERT_TRUE(dropped);
    ASSERT_EQ(control->Run(), S_OK);
    recorder->wait_for([](const auto& frames) { return frames.size() >= 95; });
    control->Stop();
    LONG lost = -1, passed = -1;
    dropped->GetNumDropped(&lost);
    dropped->GetNumNotDropped(&passed);
    EXPECT_EQ(passed, static_cast<LONG>(recorder->frames().size()));
    EXPECT_EQ(lost, (passed + lost) / 20);
    EXPECT_GE(lost, 4);
    LONG first[2] = {}, copied = 0;
    dropped->GetDroppedInfo(2, first, &copied);
    EXPECT_EQ(copied, 2);
    EXPECT_EQ(first[0], 19);
    EXPECT_EQ(first[1], 39);

    // Counters start again at the next run.
    ASSERT_EQ(control->Run(), S_OK);
    dropped->GetNumDropped(&lost);
    EXPECT_LT(lost, 2);
}

TEST_F(Streaming, LiveSourceCannotCueAndRunFailureSwitch)
{
    sim::CaptureCard card;
    card.run_fails = true;
    build(card);
    EXPECT_TRUE(FAILED(control->Run()));
    OAFilterState state = -1;
    control->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);
}

TEST_F(Streaming, StopFailureSwitchReportsFailure)
{
    sim::CaptureCard card;
    card.stop_fails = true;
    CComPtr<IBaseFilter> filter;
    ASSERT_EQ(sim::create_capture_filter(card, IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
    ASSERT_EQ(filter->Run(0), S_OK);
    FILTER_STATE state;
    EXPECT_EQ(filter->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Running);
    EXPECT_EQ(filter->Pause(), S_OK);
    EXPECT_EQ(filter->GetState(0, &state), VFW_S_CANT_CUE);
    EXPECT_EQ(state, State_Paused);
    EXPECT_EQ(filter->Stop(), E_FAIL);
    filter->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);
}

}
