// The video renderer on the virtual card: intelligent rendering ends in it, its window follows
// IVideoWindow, frames show the tuned channel, input goes to the message drain, and the window
// goes with the filter. Frames of known pixels show converted and scaled as a plain reference
// says, at awkward sizes.

#include <CardFixture.h>
#include <PictureReference.h>
#include <TestFilters.h>

#include <dshow/CaptureGraphBuilder.h>
#include <dshow/VfwErrors.h>
#include <dshow/VideoRenderer.h>
#include <gdi/Surface.h>
#include <user/Desktop.h>
#include <user/Keyboard.h>
#include <user/Messages.h>
#include <user/Paint.h>
#include <user/Window.h>

namespace {

using namespace card_test;

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

// A visible 400 x 300 popup to own the video window.
HWND make_parent()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc {};
        wc.lpfnWndProc = plain_proc;
        wc.lpszClassName = "VideoParent";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "VideoParent", "parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 50, 40, 400, 300,
        nullptr, nullptr, nullptr, nullptr);
}

// One bound card whose preview (or capture) pin is rendered by the graph.
class Rendered : public CardTest {
protected:
    void build(const sim::CaptureCard& card = {}, const char16_t* output = u"Preview")
    {
        sim::install_cards({ card });
        graph = make_graph();
        ASSERT_EQ(bind(0, &capture), S_OK);
        ASSERT_EQ(graph->AddFilter(capture, nullptr), S_OK);
        ASSERT_EQ(graph->Render(pin(capture, output)), S_OK);
        ASSERT_EQ(graph->FindFilterByName(u"Video Renderer", &renderer_filter), S_OK);
        renderer = static_cast<dshow::VideoRenderer*>(renderer_filter.p);
        video = query<IVideoWindow>(graph, IID_IVideoWindow);
        control = query<IMediaControl>(graph, IID_IMediaControl);
        CComPtr<IBaseFilter> crossbar_filter = peer_filter(capture, u"Analog Video In");
        tuner = query<IAMTVTuner>(peer_filter(crossbar_filter, u"Video Tuner In"), IID_IAMTVTuner);
    }
    void TearDown() override
    {
        if (control)
            control->Stop();
        control.Release();
        tuner.Release();
        video.Release();
        renderer = nullptr;
        renderer_filter.Release();
        capture.Release();
        graph.Release();
        if (parent)
            DestroyWindow(parent);
        CardTest::TearDown();
    }
    HWND window() const { return renderer->window(); }
    // Waits for fresh frames, paints them, and reads back what the window's client area shows.
    std::optional<sim::PictureSource> shown(int* width = nullptr, int* height = nullptr)
    {
        ULONG before = renderer->frames_shown();
        for (int i = 0; i < 2000 && renderer->frames_shown() < before + 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        UpdateWindow(window());
        gdi::Surface picture;
        if (!dshow::copy_video_picture(window(), picture))
            return std::nullopt;
        if (width)
            *width = picture.width();
        if (height)
            *height = picture.height();
        auto seen = sim::identify_picture_rgb32(reinterpret_cast<const DWORD*>(picture.pixels()), picture.width(),
            picture.height(), static_cast<int>(picture.stride() / 4));
        return seen ? std::optional(seen->source) : std::nullopt;
    }

    // Channel 5, then 7, in a child window of two sizes.
    void check_channels(const sim::CaptureCard& card, const char16_t* output)
    {
        build(card, output);
        parent = make_parent();
        ASSERT_TRUE(tuner);
        tuner->put_Channel(5, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
        video->put_Owner(reinterpret_cast<OAHWND>(parent));
        video->put_WindowStyle(static_cast<LONG>(WS_CHILD));
        video->SetWindowPosition(0, 0, 360, 288);
        video->put_Visible(OATRUE);
        ASSERT_EQ(control->Run(), S_OK);
        int width = 0, height = 0;
        EXPECT_EQ(shown(&width, &height), sim::PictureSource::channel(5));
        EXPECT_EQ(width, 360);
        EXPECT_EQ(height, 288);

        tuner->put_Channel(7, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
        video->SetWindowPosition(0, 0, 400, 300);
        EXPECT_EQ(shown(&width, &height), sim::PictureSource::channel(7));
        EXPECT_EQ(width, 400);
        EXPECT_EQ(height, 300);
    }

    CComPtr<IGraphBuilder> graph;
    CComPtr<IBaseFilter> capture;
    CComPtr<IBaseFilter> renderer_filter;
    dshow::VideoRenderer* renderer = nullptr;
    CComPtr<IVideoWindow> video;
    CComPtr<IMediaControl> control;
    CComPtr<IAMTVTuner> tuner;
    HWND parent = nullptr;
};

TEST_F(Rendered, RenderingAVideoPinEndsInTheVideoRendererAndItsWindow)
{
    build();
    CLSID clsid {};
    renderer_filter->GetClassID(&clsid);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_VideoRenderer));
    CComPtr<IPin> input = pin(renderer_filter, u"Input");
    CComPtr<IPin> peer;
    ASSERT_TRUE(input);
    ASSERT_EQ(input->ConnectedTo(&peer), S_OK);
    EXPECT_TRUE(peer == pin(capture, u"Preview"));

    // A real window, top-level and hidden, framed, its client area the video's size.
    HWND w = window();
    ASSERT_TRUE(IsWindow(w));
    char name[64] {};
    GetClassNameA(w, name, sizeof name);
    EXPECT_STREQ(name, "VideoRenderer");
    EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow());
    EXPECT_FALSE(IsWindowVisible(w));
    DWORD style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_CHILD), WS_CAPTION | WS_THICKFRAME);
    RECT client {};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 720);
    EXPECT_EQ(client.bottom, 576);
    OAHWND owner = 1;
    EXPECT_EQ(video->get_Owner(&owner), S_OK);
    EXPECT_EQ(owner, 0);

    // An unconnected renderer has no window to control.
    CComPtr<IVideoWindow> loose;
    ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IVideoWindow, reinterpret_cast<void**>(&loose)), S_OK);
    LONG visible = 0;
    EXPECT_EQ(loose->get_Visible(&visible), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(loose->put_Owner(0), VFW_E_NOT_CONNECTED);
}

TEST_F(Rendered, OwnerStylePositionAndVisibilityReadBack)
{
    build();
    parent = make_parent();
    HWND w = window();

    ASSERT_EQ(video->put_Owner(reinterpret_cast<OAHWND>(parent)), S_OK);
    EXPECT_EQ(GetParent(w), parent);
    EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_CHILD);
    ASSERT_EQ(video->put_WindowStyle(static_cast<LONG>(WS_CHILD)), S_OK);
    ASSERT_EQ(video->SetWindowPosition(10, 20, 200, 100), S_OK);
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(video->GetWindowPosition(&left, &top, &width, &height), S_OK);
    EXPECT_EQ((std::vector<LONG> { left, top, width, height }), (std::vector<LONG> { 10, 20, 200, 100 }));
    RECT screen {};
    GetWindowRect(w, &screen);
    EXPECT_EQ(screen.left, 60); // the parent's client area starts at 50, 40
    EXPECT_EQ(screen.top, 60);
    RECT client {};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 200); // no frame on a plain child
    EXPECT_EQ(client.bottom, 100);

    LONG visible = 0;
    ASSERT_EQ(video->put_Visible(OATRUE), S_OK);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(video->get_Visible(&visible), S_OK);
    EXPECT_EQ(visible, OATRUE);
    LONG style = 0;
    ASSERT_EQ(video->get_WindowStyle(&style), S_OK);
    EXPECT_EQ(static_cast<DWORD>(style), WS_CHILD | WS_VISIBLE); // the style keeps the visibility
    EXPECT_EQ(video->put_Visible(2), E_INVALIDARG);

    // Released: top-level again, framed as before.
    ASSERT_EQ(video->put_Visible(OAFALSE), S_OK);
    EXPECT_FALSE(IsWindowVisible(w));
    ASSERT_EQ(video->put_WindowStyle(static_cast<LONG>(WS_CAPTION | WS_THICKFRAME)), S_OK);
    ASSERT_EQ(video->put_Owner(0), S_OK);
    EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetParent(w), nullptr);
    ASSERT_EQ(video->get_WindowStyle(&style), S_OK);
    EXPECT_EQ(static_cast<DWORD>(style), WS_CAPTION | WS_THICKFRAME);

    // Full screen: a maximised popup at the given rectangle, topmost while asked.
    ASSERT_EQ(video->put_WindowStyle(static_cast<LONG>(WS_POPUP | WS_MAXIMIZE)), S_OK);
    EXPECT_TRUE(IsZoomed(w));
    ASSERT_EQ(video->SetWindowPosition(0, 0, 1024, 768), S_OK);
    GetWindowRect(w, &screen);
    EXPECT_EQ(screen.right, 1024);
    EXPECT_EQ(screen.bottom, 768);
    LONG ex = 0;
    ASSERT_EQ(video->get_WindowStyleEx(&ex), S_OK);
    EXPECT_FALSE(ex & WS_EX_TOPMOST);
    ASSERT_EQ(video->put_WindowStyleEx(static_cast<LONG>(ex | WS_EX_TOPMOST)), S_OK);
    ASSERT_EQ(video->get_WindowStyleEx(&ex), S_OK);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_EQ(user::top_level_windows().front().handle, w);
    ASSERT_EQ(video->put_WindowStyleEx(static_cast<LONG>(ex & ~WS_EX_TOPMOST)), S_OK);
    ASSERT_EQ(video->get_WindowStyleEx(&ex), S_OK);
    EXPECT_FALSE(ex & WS_EX_TOPMOST);

    // Styles a video window cannot take.
    for (DWORD refused : { WS_DISABLED, WS_MINIMIZE, WS_HSCROLL, WS_VSCROLL }) {
        EXPECT_EQ(video->put_WindowStyle(static_cast<LONG>(WS_POPUP | refused)), E_INVALIDARG) << std::hex << refused;
        ASSERT_EQ(video->get_WindowStyle(&style), S_OK);
        EXPECT_EQ(static_cast<DWORD>(style), WS_POPUP | WS_MAXIMIZE);
    }

    BSTR caption = nullptr;
    ASSERT_EQ(video->get_Caption(&caption), S_OK);
    EXPECT_EQ(std::u16string(caption), u"ActiveMovie Window");
    SysFreeString(caption);
}

TEST_F(Rendered, Yuy2PreviewFramesShowTheTunedChannelScaledToTheWindow)
{
    check_channels(sim::CaptureCard {}, u"Preview");
}

TEST_F(Rendered, Rgb24CaptureFramesShowTheTunedChannelScaledToTheWindow)
{
    sim::CaptureCard card;
    card.rgb = true;
    check_channels(card, u"Capture"); // timestamped frames, shown on the clock
}

TEST_F(Rendered, AutoShowShowsTheWindowWhenTheGraphRuns)
{
    build();
    LONG automatic = 0;
    ASSERT_EQ(video->get_AutoShow(&automatic), S_OK);
    EXPECT_EQ(automatic, OATRUE);
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_TRUE(IsWindowVisible(window()));
    control->Stop();
    video->put_Visible(OAFALSE);
    ASSERT_EQ(video->put_AutoShow(OAFALSE), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_FALSE(IsWindowVisible(window()));
}

TEST_F(Rendered, MouseAndKeyboardInputGoesToTheMessageDrain)
{
    build();
    parent = make_parent();
    HWND w = window();
    video->put_Owner(reinterpret_cast<OAHWND>(parent));
    video->put_Visible(OATRUE);
    MSG msg {};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);

    // No drain: the window keeps its input.
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    EXPECT_FALSE(PeekMessageA(&msg, parent, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));

    ASSERT_EQ(video->put_MessageDrain(reinterpret_cast<OAHWND>(parent)), S_OK);
    OAHWND drain = 0;
    ASSERT_EQ(video->get_MessageDrain(&drain), S_OK);
    EXPECT_EQ(drain, reinterpret_cast<OAHWND>(parent));
    struct Input {
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
    };
    for (const Input& in : { Input { WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 6) }, Input { WM_MOUSEMOVE, 0, MAKELPARAM(7, 8) },
             Input { WM_RBUTTONUP, 0, MAKELPARAM(1, 2) }, Input { WM_KEYDOWN, VK_F11, 0x00570001 }, Input { WM_CHAR, 'a', 1 } }) {
        SCOPED_TRACE(in.message);
        SendMessageA(w, in.message, in.wparam, in.lparam);
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, in.message, in.message, PM_REMOVE));
        EXPECT_EQ(msg.hwnd, parent);
        EXPECT_EQ(msg.message, in.message);
        EXPECT_EQ(msg.wParam, in.wparam);
        EXPECT_EQ(msg.lParam, in.lparam);
    }
    // Other messages stay with the video window.
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
    EXPECT_FALSE(PeekMessageA(&msg, parent, WM_SETTEXT, WM_SETTEXT, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, parent, WM_KEYFIRST, WM_MOUSELAST, PM_REMOVE));
}

TEST_F(Rendered, TheWindowGoesWithTheFilter)
{
    build();
    HWND w = window();
    ASSERT_TRUE(IsWindow(w));
    // Held through IVideoWindow, the filter keeps its window until it leaves the graph.
    CComPtr<IPin> input = pin(renderer_filter, u"Input");
    CComPtr<IPin> preview = pin(capture, u"Preview");
    ASSERT_EQ(graph->RemoveFilter(renderer_filter), S_OK);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(renderer->window(), nullptr);
    LONG visible = 0;
    EXPECT_EQ(video->get_Visible(&visible), E_NOINTERFACE); // no renderer left in the graph

    // Rendered again, it makes a new window; releasing the graph takes it away.
    ASSERT_EQ(graph->AddFilter(renderer_filter, u"Video Renderer"), S_OK);
    ASSERT_EQ(graph->Connect(preview, input), S_OK);
    HWND again = window();
    ASSERT_TRUE(IsWindow(again));
    EXPECT_NE(again, w);
    input.Release();
    preview.Release();
    video.Release();
    control.Release();
    tuner.Release();
    renderer = nullptr;
    renderer_filter.Release();
    graph.Release();
    EXPECT_FALSE(IsWindow(again));
}

}

namespace {

struct PictureCase {
    const char* name;
    bool rgb24;          // bottom-up RGB24, else YUY2
    int width, height;   // the video
    int shown_width, shown_height; // the window's client area
};

// The reference picture of a frame: each window pixel shows the frame pixel under its centre.
gdi::Pixel expected_pixel(const PictureCase& c, const std::vector<std::uint8_t>& frame, int x, int y)
{
    namespace ref = picture_reference;
    int u = ref::nearest(x, c.width, c.shown_width), v = ref::nearest(y, c.height, c.shown_height);
    int bits = c.rgb24 ? 24 : 16;
    std::size_t stride = static_cast<std::size_t>((c.width * bits + 31) / 32) * 4;
    if (!c.rgb24)
        return ref::yuy2_pixel(frame.data() + stride * v, u);
    const std::uint8_t* p = frame.data() + stride * (c.height - 1 - v) + u * 3;
    return 0xFF000000u | static_cast<gdi::Pixel>(p[2]) << 16 | static_cast<gdi::Pixel>(p[1]) << 8 | p[0];
}

}

TEST_F(CardTest, FramesShowConvertedAndScaledAsTheReferenceAtEverySize)
{
    const PictureCase cases[] = {
        { "same size", false, 64, 48, 64, 48 },
        { "upscaled to odd sizes", false, 6, 5, 123, 77 },
        { "full frame, downscaled", false, 720, 576, 161, 97 },
        { "one pixel pair", false, 2, 1, 9, 4 },
        { "one-pixel window", false, 34, 9, 1, 1 },
        { "bottom-up RGB24, odd width", true, 13, 7, 20, 9 },
        { "one-pixel RGB24 video", true, 1, 1, 3, 2 },
    };
    HWND parent = make_parent();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto format = c.rgb24 ? dshow::make_rgb_format(c.width, c.height, 24, UNITS / 25)
                              : dshow::make_yuy2_format(c.width, c.height, UNITS / 25);
        auto* source = new test_filters::Source(
            { dshow::MediaType::video(c.rgb24 ? MEDIASUBTYPE_RGB24 : MEDIASUBTYPE_YUY2, format) });
        auto* renderer = new dshow::VideoRenderer();
        CComPtr<IPin> input;
        ASSERT_EQ(renderer->FindPin(u"Input", &input), S_OK);
        ASSERT_EQ(source->out->Connect(input, nullptr), S_OK);
        IVideoWindow* video = renderer;
        video->put_Owner(reinterpret_cast<OAHWND>(parent));
        video->put_WindowStyle(static_cast<LONG>(WS_CHILD));
        video->SetWindowPosition(0, 0, c.shown_width, c.shown_height);
        video->put_Visible(OATRUE);
        ASSERT_EQ(renderer->Run(0), S_OK);
        ASSERT_EQ(source->Run(0), S_OK);

        auto frame = picture_reference::random_bytes(format.bmiHeader.biSizeImage, 11);
        // Two frames: the second is converted into the buffer the first one was shown from.
        ASSERT_EQ(source->out->deliver(std::vector<std::uint8_t>(frame.size(), 0x80), 0, 1), S_OK);
        ASSERT_EQ(source->out->deliver(frame, 1, 2), S_OK);
        EXPECT_EQ(renderer->frames_shown(), 2u);
        UpdateWindow(renderer->window());
        gdi::Surface picture;
        ASSERT_TRUE(dshow::copy_video_picture(renderer->window(), picture));
        ASSERT_EQ(picture.width(), c.shown_width);
        ASSERT_EQ(picture.height(), c.shown_height);
        int wrong = 0;
        for (int y = 0; y < c.shown_height; ++y)
            for (int x = 0; x < c.shown_width; ++x)
                wrong += picture.pixel(x, y) != expected_pixel(c, frame, x, y);
        EXPECT_EQ(wrong, 0);

        source->Stop();
        renderer->Stop();
        source->out->Disconnect();
        input->Disconnect();
        input.Release();
        renderer->JoinFilterGraph(nullptr, nullptr);
        renderer->Release();
        source->Release();
    }
    DestroyWindow(parent);
}
