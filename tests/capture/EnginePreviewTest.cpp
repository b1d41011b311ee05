#include "EngineFixture.h"

#include <dshow/BaseFilter.h>
#include <dshow/SystemFilters.h>
#include <dshow/VfwErrors.h>

namespace {

using namespace engine_test;

// An engine holding a bound card in its graph, as if its preview had been built.
class BuiltTv : public STv {
public:
    using STv::m_running;
    using STv::m_videoWindow;

    explicit BuiltTv(const sim::CaptureCard& card)
    {
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&m_graph));
        sim::create_capture_filter(card, IID_IBaseFilter, reinterpret_cast<void**>(&m_captureFilter));
        m_graph->AddFilter(m_captureFilter, nullptr);
        m_previewBuilt = 1;
    }
    ~BuiltTv() override { Stop(); }
    void add(IBaseFilter* filter) { m_graph->AddFilter(filter, u"pending"); }
    OAFilterState state()
    {
        CComPtr<IMediaControl> control;
        m_graph.QueryInterface(&control);
        OAFilterState result = -1;
        control->GetState(0, &result);
        return result;
    }
};

TEST_F(EngineTest, RunFailsWhenTheGraphCannotRunAndStopNeedsNoVideoWindow)
{
    sim::CaptureCard broken = card();
    broken.run_fails = true;
    BuiltTv failing(broken);
    EXPECT_FALSE(failing.Run());
    EXPECT_FALSE(failing.m_running);
    EXPECT_FALSE(failing.IsVideoShown());

    BuiltTv tv(card());
    ASSERT_TRUE(tv.Run());
    EXPECT_TRUE(tv.Run()); // already running
    EXPECT_TRUE(tv.IsVideoShown());
    EXPECT_EQ(tv.state(), State_Running);
    ASSERT_FALSE(tv.m_videoWindow);
    tv.Stop();
    EXPECT_FALSE(tv.m_running);
    EXPECT_EQ(tv.state(), State_Stopped);
}

// A filter still on its way to the new state.
class PendingFilter final : public dshow::BaseFilter {
public:
    PendingFilter()
        : BaseFilter(test_filters::CLSID_TestSink)
    {
    }
    STDMETHODIMP GetState(DWORD timeout_ms, FILTER_STATE* state) override
    {
        BaseFilter::GetState(timeout_ms, state);
        return VFW_S_STATE_INTERMEDIATE;
    }
};

TEST_F(EngineTest, APendingRunIsNoFailure)
{
    BuiltTv tv(card());
    CComPtr<IBaseFilter> pending;
    pending.Attach(new PendingFilter);
    tv.add(pending);
    EXPECT_TRUE(tv.Run());
    EXPECT_TRUE(tv.m_running);
    tv.Stop();
    EXPECT_FALSE(tv.m_running);
}

TEST_F(EngineTest, AFailedStopKeepsTheRunningFlag)
{
    sim::CaptureCard sticky = card();
    sticky.stop_fails = true;
    BuiltTv tv(sticky);
    ASSERT_TRUE(tv.Run());
    tv.Stop();
    EXPECT_TRUE(tv.m_running);
    tv.m_running = 0;
}

TEST_F(EngineTest, NothingRunsBeforeThePreviewIsBuilt)
{
    sim::install_cards({});
    auto tv = open("");
    EXPECT_FALSE(tv->Run());
    tv->PlaceVideoWindow(1); // not shown: only stored
    EXPECT_EQ(tv->GetScreenMode(), 1);
    tv->FitVideoWindow();
    tv->STvShow(true);
    EXPECT_EQ(box_texts(), std::vector<std::string> { "Could not start video preview.  (STvShow)" });
    EXPECT_FALSE(tv->IsVideoShown());
}

}

namespace {

using namespace engine_test;

class PreviewTv : public STv {
public:
    using STv::STv;
    using STv::m_audioRenderer;
    using STv::m_graph;

    bool renderer_plays() const { return audio_out_plays(m_graph, m_audioRenderer); }
};

TEST_F(EngineTest, TheChosenAudioRendererSurvivesARebuild)
{
    dshow::register_audio_renderer_devices();
    sim::install_cards({ card() });
    for (const char* name : { "Default WaveOut Device", "default waveout device", "-1", "<default>" }) {
        SCOPED_TRACE(name);
        PreviewTv tv("Sim TV Card", nullptr, 0, 0, name, nullptr);
        ASSERT_TRUE(tv.HasCaptureDevice());
        tv.STvBuildPreviewGraph();
        ASSERT_TRUE(tv.m_audioRenderer);
        CLSID clsid {};
        tv.m_audioRenderer->GetClassID(&clsid);
        EXPECT_TRUE(IsEqualGUID(clsid, std::string(name) == "-1" || std::string(name) == "<default>" ? CLSID_DSoundRender : CLSID_AudioRender));
        EXPECT_TRUE(tv.renderer_plays());
        tv.TearDownGraph();
        EXPECT_FALSE(tv.renderer_plays());
        tv.STvBuildPreviewGraph();
        EXPECT_TRUE(tv.renderer_plays());
    }
    // Each build renders the preview into the video renderer as well.
    EXPECT_TRUE(box_texts().empty());
}

}
