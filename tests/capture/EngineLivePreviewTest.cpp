// The live preview end to end: the engine renders the virtual card into the video renderer,
// whose window inside the client window shows the tuned channel's picture.

#include "EngineFixture.h"

#include <ShownPicture.h>
#include <dshow/SystemFilters.h>
#include <dshow/VideoRenderer.h>
#include <gdi/Surface.h>
#include <sim/TestPicture.h>
#include <user/Messages.h>
#include <user/Paint.h>
#include <user/SystemMetrics.h>
#include <user/Window.h>

namespace {

using namespace engine_test;

LRESULT CALLBACK client_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

// A visible 400 x 300 client window (headless).
HWND make_client()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc {};
        wc.lpfnWndProc = client_proc;
        wc.lpszClassName = "LiveClient";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "LiveClient", "client", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300, nullptr,
        nullptr, nullptr, nullptr);
}

class LiveTv : public STv {
public:
    using STv::m_audioRenderer;
    using STv::m_crossbar;
    using STv::m_graph;
    using STv::m_noPreviewPin;
    using STv::m_running;

    LiveTv(HWND client, const char* renderer = nullptr)
        : STv("", client, 0, 0, renderer, nullptr)
    {
    }

    // The input routed to a crossbar output, -1 when none.
    LONG routed(LONG output) const
    {
        LONG input = -1;
        if (m_crossbar)
            m_crossbar->get_IsRoutedTo(output, &input);
        return input;
    }
    // The graph's filters of a class.
    int count_of(REFCLSID clsid) const
    {
        int count = 0;
        CComPtr<IEnumFilters> filters;
        m_graph->EnumFilters(&filters);
        for (CComPtr<IBaseFilter> f; filters->Next(1, &f, nullptr) == S_OK; f.Release()) {
            CLSID id {};
            f->GetClassID(&id);
            count += IsEqualCLSID(id, clsid) ? 1 : 0;
        }
        return count;
    }
    bool audio_plays() const { return audio_out_plays(m_graph, m_audioRenderer); }
};

class LivePreview : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        client = make_client();
    }
    void TearDown() override
    {
        DestroyWindow(client);
        EngineTest::TearDown();
    }

    // The video renderer's window inside the client window, or NULL.
    HWND video_window() const { return FindWindowExA(client, nullptr, "VideoRenderer", nullptr); }

    static RECT placement(HWND window)
    {
        RECT rect {};
        GetWindowRect(window, &rect);
        if (HWND parent = GetAncestor(window, GA_PARENT); parent && parent != GetDesktopWindow())
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    HWND client = nullptr;
};

TEST_F(LivePreview, ThePictureFollowsTheChannelInTheClientWindow)
{
    sim::install_cards({ card() });
    HWND video = nullptr;
    {
        LiveTv tv(client);
        ASSERT_TRUE(tv.HasCaptureDevice());
        tv.SetChannel(5);
        std::int64_t before = base::Clock::ticks_ms();
        tv.STvShow(true);
        EXPECT_LT(base::Clock::ticks_ms() - before, 60); // no pauses on the way to the picture
        EXPECT_TRUE(box_texts().empty());
        ASSERT_TRUE(tv.IsVideoShown());
        video = video_window();
        ASSERT_TRUE(video);
        EXPECT_TRUE(IsWindowVisible(video));
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(video, GWL_STYLE)) & (WS_CHILD | WS_CAPTION), WS_CHILD);
        RECT rect = placement(video);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, 400);
        EXPECT_EQ(rect.bottom, 300);

        // Routes: video output 0, audio output 1; inputs tuner 0, composite 1, tuner audio 3, line 4.
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));
        EXPECT_EQ(tv.routed(0), 0);
        EXPECT_EQ(tv.routed(1), 3);

        tv.SetChannel(0);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::input(1)), sim::PictureSource::input(1));
        EXPECT_EQ(tv.routed(0), 1);
        EXPECT_EQ(tv.routed(1), 4);

        tv.SetChannel(7);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(7)), sim::PictureSource::channel(7));
        EXPECT_EQ(tv.routed(0), 0);
        EXPECT_EQ(tv.GetChannel(), 7);

        // Resizing the client and fitting keeps the picture filling it.
        SetWindowPos(client, nullptr, 0, 0, 320, 240, SWP_NOZORDER | SWP_NOMOVE);
        tv.FitVideoWindow();
        rect = placement(video);
        EXPECT_EQ(rect.right, 320);
        EXPECT_EQ(rect.bottom, 240);
        gdi::Surface picture;
        ASSERT_TRUE(dshow::copy_video_picture(video, picture));
        EXPECT_EQ(picture.width(), 320);
        EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(7)), sim::PictureSource::channel(7));

        tv.STvShow(false);
        EXPECT_FALSE(tv.IsVideoShown());
        EXPECT_FALSE(tv.m_running);
        EXPECT_FALSE(IsWindowVisible(video));
        EXPECT_EQ(GetAncestor(video, GA_PARENT), GetDesktopWindow()); // handed back, top-level
        EXPECT_EQ(video_window(), nullptr);
    }
    EXPECT_FALSE(IsWindow(video)); // gone with the engine's graph
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(LivePreview, ACardWithoutPreviewPinShowsThePictureFromTheCapturePath)
{
    sim::CaptureCard plain = card();
    plain.preview_pin = false;
    sim::install_cards({ plain });
    LiveTv tv(client);
    ASSERT_TRUE(tv.HasCaptureDevice());
    tv.SetChannel(9);
    tv.STvShow(true);
    EXPECT_TRUE(box_texts().empty());
    EXPECT_TRUE(tv.m_noPreviewPin);
    HWND video = video_window();
    ASSERT_TRUE(video);
    EXPECT_TRUE(IsWindowVisible(video));
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(9)), sim::PictureSource::channel(9));
    tv.STvShow(false);
}

TEST_F(LivePreview, ShowingTwiceBuildsAndRunsOnce)
{
    sim::install_cards({ card() });
    LiveTv tv(client);
    tv.SetChannel(4);
    tv.STvShow(true);
    HWND video = video_window();
    ASSERT_TRUE(video);
    REFTIME position = 0;
    CComPtr<IMediaPosition> clock;
    tv.m_graph.QueryInterface(&clock);
    Sleep(2000);
    clock->get_CurrentPosition(&position);
    EXPECT_GE(position, 2.0);

    tv.STvShow(true);
    EXPECT_TRUE(box_texts().empty());
    EXPECT_EQ(tv.count_of(CLSID_VideoRenderer), 1);
    EXPECT_EQ(video_window(), video);
    EXPECT_EQ(FindWindowExA(client, video, "VideoRenderer", nullptr), nullptr);
    REFTIME later = 0;
    clock->get_CurrentPosition(&later);
    EXPECT_GE(later, position); // not restarted from 0
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(4)), sim::PictureSource::channel(4));
    tv.STvShow(false);
}

TEST_F(LivePreview, FullScreenPlacesAScreenSizedPopupThatFittingLeavesAlone)
{
    sim::install_cards({ card() });
    LiveTv tv(client);
    tv.SetChannel(11);
    tv.PlaceVideoWindow(1); // not shown yet: only stored
    EXPECT_EQ(tv.GetScreenMode(), 1);
    EXPECT_EQ(tv.count_of(CLSID_VideoRenderer), 0);

    tv.STvShow(true);
    ASSERT_EQ(video_window(), nullptr); // no longer the client's child
    CComPtr<IVideoWindow> graph_window;
    tv.m_graph.QueryInterface(&graph_window);
    ASSERT_TRUE(graph_window);
    CComPtr<IBaseFilter> renderer;
    ASSERT_EQ(tv.m_graph->FindFilterByName(u"Video Renderer", &renderer), S_OK);
    HWND video = static_cast<dshow::VideoRenderer*>(renderer.p)->window();
    ASSERT_TRUE(video);
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    auto expect_full_screen = [&] {
        EXPECT_EQ(GetAncestor(video, GA_PARENT), GetDesktopWindow());
        DWORD style = static_cast<DWORD>(GetWindowLongA(video, GWL_STYLE));
        EXPECT_EQ(style & (WS_POPUP | WS_MAXIMIZE | WS_CHILD | WS_CAPTION), WS_POPUP | WS_MAXIMIZE);
        EXPECT_FALSE(GetWindowLongA(video, GWL_EXSTYLE) & WS_EX_TOPMOST); // raised, then released
        RECT rect {};
        GetWindowRect(video, &rect);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, cx);
        EXPECT_EQ(rect.bottom, cy);
    };
    expect_full_screen();
    EXPECT_TRUE(IsWindowVisible(video));
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(11)), sim::PictureSource::channel(11));
    gdi::Surface picture;
    ASSERT_TRUE(dshow::copy_video_picture(video, picture));
    EXPECT_EQ(picture.width(), cx);
    EXPECT_EQ(picture.height(), cy);

    SetWindowPos(client, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    tv.FitVideoWindow();
    expect_full_screen();

    // Back to the window: a child filling the client area.
    tv.PlaceVideoWindow(0);
    EXPECT_EQ(video_window(), video);
    RECT rect = placement(video);
    EXPECT_EQ(rect.right, 300);
    EXPECT_EQ(rect.bottom, 200);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(video, GWL_STYLE)) & (WS_CHILD | WS_POPUP | WS_MAXIMIZE), WS_CHILD);
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(11)), sim::PictureSource::channel(11));
    tv.STvShow(false);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(LivePreview, TheAudioRendererSurvivesARebuildAndThePictureReturns)
{
    dshow::register_audio_renderer_devices();
    sim::install_cards({ card() });
    LiveTv tv(client, "Default WaveOut Device");
    tv.SetChannel(6);
    tv.STvShow(true);
    ASSERT_TRUE(tv.m_audioRenderer);
    CComPtr<IBaseFilter> first = tv.m_audioRenderer;
    EXPECT_TRUE(tv.audio_plays());

    tv.STvShow(false);
    tv.TearDownGraph();
    EXPECT_FALSE(tv.audio_plays());
    EXPECT_EQ(tv.count_of(CLSID_VideoRenderer), 0);

    tv.SetChannel(8);
    tv.STvShow(true);
    EXPECT_TRUE(tv.m_audioRenderer == first);
    EXPECT_TRUE(tv.audio_plays());
    EXPECT_EQ(tv.count_of(CLSID_VideoRenderer), 1);
    HWND video = video_window();
    ASSERT_TRUE(video);
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(8)), sim::PictureSource::channel(8));
    tv.STvShow(false);
    EXPECT_TRUE(box_texts().empty());
}

}
