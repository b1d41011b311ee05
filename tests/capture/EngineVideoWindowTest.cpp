#include "EngineFixture.h"

#include <com/Object.h>
#include <dshow/GraphInterfaces.h>
#include <user/SystemMetrics.h>
#include <user/Window.h>

#include <cstdio>

namespace {

using namespace engine_test;

// A video window that logs the calls the engine makes, with the virtual time of each.
class LoggingVideoWindow final : public com::Object<IVideoWindow> {
public:
    explicit LoggingVideoWindow(std::vector<std::string>& log)
        : log(log)
    {
    }
    ~LoggingVideoWindow() override { note("released"); }
    COM_NO_DISPATCH
    STDMETHODIMP put_Visible(LONG visible) override { return note(visible == OAFALSE ? "hidden" : "shown"); }
    STDMETHODIMP put_Owner(OAHWND owner) override { return note(owner ? "owner parent" : "owner none"); }
    STDMETHODIMP put_WindowStyle(LONG style) override { return note("style " + hex(style)); }
    STDMETHODIMP put_WindowStyleEx(LONG style) override
    {
        exStyle = style;
        return note("exstyle " + hex(style));
    }
    STDMETHODIMP get_WindowStyleEx(LONG* style) override
    {
        *style = exStyle;
        return note("read exstyle");
    }
    STDMETHODIMP put_MessageDrain(OAHWND drain) override { return note(drain ? "drain parent" : "drain none"); }
    STDMETHODIMP SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override
    {
        return note("position " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(width) + " "
            + std::to_string(height));
    }
#define NOT_USED(name, type) \
    STDMETHODIMP put_##name(type) override { return E_NOTIMPL; } \
    STDMETHODIMP get_##name(type*) override { return E_NOTIMPL; }
    NOT_USED(Caption, BSTR)
    NOT_USED(AutoShow, LONG)
    NOT_USED(WindowState, LONG)
    NOT_USED(BackgroundPalette, LONG)
    NOT_USED(Left, LONG)
    NOT_USED(Width, LONG)
    NOT_USED(Top, LONG)
    NOT_USED(Height, LONG)
    NOT_USED(BorderColor, LONG)
    NOT_USED(FullScreenMode, LONG)
#undef NOT_USED
    STDMETHODIMP get_WindowStyle(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Visible(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Owner(OAHWND*) override { return E_NOTIMPL; }
    STDMETHODIMP get_MessageDrain(OAHWND*) override { return E_NOTIMPL; }
    STDMETHODIMP SetWindowForeground(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetWindowPosition(LONG*, LONG*, LONG*, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMinIdealImageSize(LONG*, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMaxIdealImageSize(LONG*, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetRestorePosition(LONG*, LONG*, LONG*, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP HideCursor(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP IsCursorHidden(LONG*) override { return E_NOTIMPL; }

    LONG exStyle = 0x100;

private:
    static std::string hex(LONG value)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
        return text;
    }
    HRESULT note(const std::string& what)
    {
        log.push_back(what + " @" + std::to_string(base::Clock::ticks_ms() - start));
        return S_OK;
    }
    std::vector<std::string>& log;
    std::int64_t start { base::Clock::ticks_ms() };
};

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
        window = new LoggingVideoWindow(log);
        m_videoWindow.Attach(window);
        m_videoShown = 1;
    }
    ~ShownTv() override
    {
        m_videoWindow = nullptr;
        DestroyWindow(m_parentWindow);
    }
    LoggingVideoWindow* window;
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
