#pragma once

// A video window that logs the calls the capture engine makes of it, each with the virtual time
// since it was made ("hidden @0", "owner none @60", "released @120"), for tests of the engine's
// window handling. Calls the engine never makes answer E_NOTIMPL.

#include <base/Clock.h>
#include <com/Object.h>
#include <dshow/GraphInterfaces.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace test_support {

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

}
