#include "EngineFixture.h"

#include <LoggingVideoWindow.h>

#include <user/SystemMetrics.h>
#include <user/Window.h>

namespace {

using namespace engine_test;

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

// An engine whose picture is shown in a 400 x 300 parent window through a logging video window.
class ShownTv : public STv {
public:
    using STv::m_recordingTarget;
    using STv::m_videoShown;

    explicit ShownTv(std::vector<std::string>& log)
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc {};
            wc.lpfnWndProc = plain_proc;
            wc.lpszClassName = "EngineParent";
            RegisterClassA(&wc);
            registered = true;
        }
        m_parentWindow = CreateWindowExA(0, "EngineParent", "client", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        window = new test_support::LoggingVideoWindow(log);
        m_videoWindow.Attach(window);
        m_videoShown = 1;
    }
    ~ShownTv() override
    {
        m_videoWindow = nullptr;
        DestroyWindow(m_parentWindow);
    }
    test_support::LoggingVideoWindow* window;
};

TEST_F(EngineTest, ScreenModesPlaceTheVideoWindow)
{
    std::vector<std::string> log;
    ShownTv tv(log);
    std::string screen = std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " " + std::to_string(GetSystemMetrics(SM_CYSCREEN));

    tv.PlaceVideoWindow(1);
    EXPECT_EQ(log, (std::vector<std::string> { "owner none @0", "style 81000000 @0", "position 0 0 " + screen + " @0",
                       "read exstyle @0", "exstyle 108 @0", "exstyle 100 @0" }));
    EXPECT_EQ(tv.GetScreenMode(), 1);
    log.clear();
    tv.FitVideoWindow(); // full screen stays as it is
    EXPECT_TRUE(log.empty());

    tv.window->exStyle = 0x108;
    tv.PlaceVideoWindow(2);
    EXPECT_EQ(log, (std::vector<std::string> { "owner parent @0", "style 40000000 @0", "position 0 0 400 300 @0",
                       "read exstyle @0", "exstyle 100 @0" }));
    log.clear();
    tv.FitVideoWindow();
    EXPECT_EQ(log, std::vector<std::string> { "position 0 0 400 300 @0" });
}

TEST_F(EngineTest, PlacingBeforeThePictureIsShownOnlyStoresTheMode)
{
    std::vector<std::string> log;
    ShownTv tv(log);
    tv.m_videoShown = 0;
    tv.PlaceVideoWindow(1);
    EXPECT_EQ(tv.GetScreenMode(), 1);
    EXPECT_TRUE(log.empty());
}

TEST_F(EngineTest, PictureOffReleasesTheVideoWindowWithPauses)
{
    std::vector<std::string> log;
    ShownTv tv(log);
    tv.STvShow(false);
    EXPECT_FALSE(tv.IsVideoShown());
    EXPECT_EQ(log, (std::vector<std::string> { "hidden @0", "style C40000 @60", "owner none @60", "released @120" }));
}

}
