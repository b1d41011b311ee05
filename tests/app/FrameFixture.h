#pragma once

// A main frame around a client that records what the frame posts to it, owned by an application
// object, with the frame's resources registered and the tray, menus and help journals cleared.

#include "SettingsFixture.h"

#include <app/App.h>
#include <app/MainFrame.h>
#include <app/PrivateMessages.h>
#include <resources/MainMenu.h>
#include <resources/StateIcons.h>
#include <resources/TrayMenu.h>

#include <gdi/Resources.h>
#include <shell/Testing.h>
#include <shell/TrayIcon.h>
#include <user/Testing.h>
#include <user/User.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The client: it keeps the private messages it gets, and may refuse to close.
struct RecordingClient : OWL::TWindow {
    std::vector<std::pair<UINT, std::pair<WPARAM, LPARAM>>> received;
    bool allow_close = true;

    RecordingClient()
        : OWL::TWindow(nullptr)
    {
        for (UINT message : { WM_TRAYTV, WM_TRAYMUTE }) {
            OnMessage(message, [this, message](WPARAM w, LPARAM l) {
                received.push_back({ message, { w, l } });
                return LRESULT(0);
            });
        }
    }
    bool CanClose() override { return allow_close; }
    std::vector<UINT> messages() const
    {
        std::vector<UINT> out;
        for (const auto& r : received)
            out.push_back(r.first);
        return out;
    }
};

struct FrameTest : SettingsTest {
    std::unique_ptr<App> app;
    RecordingClient* client = nullptr;
    SDIDecFrame* frame = nullptr;
    HWND window = nullptr;

    void SetUp() override
    {
        SettingsTest::SetUp();
        RegisterMainMenu();
        RegisterMainAccelerators();
        RegisterTrayMenu();
        RegisterStateIcons();
        SDIDecFrame::ResetStartMinimized();
        app = std::make_unique<App>();
    }

    void TearDown() override
    {
        app.reset();
        pump();
        shell::testing::reset();
        user::testing::reset();
        SettingsTest::TearDown();
    }

    // Makes, creates and shows the frame as the application's Run does; the settings that
    // set-up reads must be in place before.
    void open_frame()
    {
        client = new RecordingClient;
        frame = new SDIDecFrame(nullptr, "Orbivane", client, true);
        frame->AssignMenu(IDM_MAINMENU);
        app->SetMainWindow(frame);
        ASSERT_TRUE(frame->Create());
        window = frame->GetHandle();
        frame->Show(SW_SHOWNORMAL);
        pump();
    }

    static void pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    static bool settings_saved()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    static HICON icon(UINT id) { return LoadIconA(nullptr, MAKEINTRESOURCEA(id)); }

    static std::vector<DWORD> tray_operations()
    {
        std::vector<DWORD> out;
        for (const auto& call : shell::tray_calls())
            out.push_back(call.message);
        return out;
    }

    static std::string item_text(HMENU menu, int position)
    {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        return text;
    }
};
