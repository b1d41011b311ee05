#pragma once

// The client in the program's own main frame, so that it builds both control bars: the client
// fixture with the menus and the bars' pictures registered, and helpers that find a bar's
// gadgets, click them and let the frame's idle command enabling run.

#include "ClientFixture.h"

#include <app/BitmapToggle.h>
#include <app/ControlBar.h>
#include <app/MainFrame.h>
#include <app/VolumeSlider.h>
#include <resources/BarBitmaps.h>
#include <resources/MainMenu.h>

#include <owl/Slider.h>

namespace client_test {

// The client with its bars in reach.
class BarClient : public TClient {
public:
    BarClient()
        : OWL::TWindow(nullptr)
        , TClient(nullptr)
    {
    }
    using TClient::m_bottomBar;
    using TClient::m_channelField;
    using TClient::m_muteToggle;
    using TClient::m_positionSlider;
    using TClient::m_screenMode;
    using TClient::m_topBar;
    using TClient::m_tvToggle;
    using TClient::m_volumeSlider;
    using TClient::PlayerShowsPicture;
};

class BarTest : public ClientTest {
protected:
    void SetUp() override
    {
        ClientTest::SetUp();
        RegisterMainMenu();
        RegisterMainAccelerators();
        RegisterBarBitmaps();
        TClient::ResetScreenState();
    }

    // The client in an SDIDecFrame, shown, with the deferred start done.
    BarClient& open_with_bars(int width = 640, int height = 560)
    {
        bars = new BarClient;
        auto* main = new SDIDecFrame(nullptr, "Orbivane", bars, true);
        main->AssignMenu(IDM_MAINMENU);
        main->Attr.AccelTable = IDM_MAINMENU;
        main->Attr.X = 20;
        main->Attr.Y = 20;
        main->Attr.W = width;
        main->Attr.H = height;
        frame.reset(main);
        EXPECT_TRUE(frame->Create());
        frame->Show(SW_SHOWNORMAL);
        pump();
        return *bars;
    }

    void idle() { frame->IdleAction(0); }
    // The client's enabler for a command.
    Enabled bar_enabler(UINT id)
    {
        RecordingEnabler ce(id);
        EXPECT_TRUE(bars->RouteEnabler(ce)) << id;
        return { ce.GetEnabled(), ce.checked };
    }
    HWND client_channel_field() const { return bars->m_channelField; }

    static std::vector<OWL::TButtonGadget*> buttons(OWL::TGadgetWindow& bar, int id)
    {
        std::vector<OWL::TButtonGadget*> out;
        for (OWL::TGadget* g : bar.GetGadgets())
            if (auto* b = dynamic_cast<OWL::TButtonGadget*>(g); b && b->GetId() == id)
                out.push_back(b);
        return out;
    }

    OWL::TButtonGadget& button(int id)
    {
        for (OWL::TGadgetWindow* bar : { static_cast<OWL::TGadgetWindow*>(bars->m_topBar), static_cast<OWL::TGadgetWindow*>(bars->m_bottomBar) })
            if (auto found = buttons(*bar, id); !found.empty())
                return *found.front();
        ADD_FAILURE() << "no button " << id;
        static OWL::TButtonGadget none(0, 0);
        return none;
    }

    // Presses and releases the mouse over a gadget, then lets the posts run.
    void click(const OWL::TGadget& gadget)
    {
        HWND bar = gadget.GetGadgetWindow()->GetHandle();
        const RECT& b = gadget.GetBounds();
        LPARAM at = MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(bar, WM_LBUTTONUP, 0, at);
        pump();
    }

    static RECT rect_in_parent(HWND window)
    {
        RECT r {};
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    BarClient* bars = nullptr;
};

}
