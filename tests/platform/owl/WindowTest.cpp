#include <owl/Application.h>
#include <owl/DecoratedFrame.h>

#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <string>

using namespace OWL;

namespace {

std::string g_log;

struct Client : TWindow {
    Client() : TWindow(nullptr) { OnCommand(1803, [] { g_log += "client1803 "; }); }
    bool CanClose() override { g_log += "clientCanClose "; return allow; }
    bool allow = true;
};

struct Frame : TDecoratedFrame {
    Frame(Client* c) : TDecoratedFrame(nullptr, "Orbivane", c, true)
    {
        OnCommand(25094, [] { g_log += "frame25094 "; });
        OnCommand(1803, [] { g_log += "frame1803 "; });
    }
    const char* GetClassName() override { return "OwlTestFrame"; }
    bool CanClose() override { g_log += "frameCanClose "; return true; }
};

struct App : TApplication {
    App() : TApplication("Orbivane")
    {
        OnCommand(2009, [] { g_log += "app2009 "; });
        OnCommand(1803, [] { g_log += "app1803 "; });
        OnCommand(24310, [this] { GetMainWindow()->Destroy(); });
        OnCommandEnable(2009, [](TCommandEnabler& ce) { ce.SetText("&About Orbivane..."); });
    }
    bool CanClose() override { g_log += "appCanClose "; return allow && GetMainWindow()->GetClientWindow()->CanClose(); }
    void InitMainWindow() override
    {
        client = new Client;
        frame = new Frame(client);
        frame->AssignMenu(900);
        frame->Attr.AccelTable = 900;
        SetMainWindow(frame);
    }
    Client* client = nullptr;
    Frame* frame = nullptr;
    bool allow = true;
};

class OwlWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log.clear();
        user::register_menu(900, {
            user::menu_popup("&Control", { user::menu_item("Channel &up\tPgUp", 1803), user::menu_separator(),
                                             user::menu_item("Full Screen\tAlt+Enter", 25094),
                                             user::menu_item("Unhandled", 1805) }),
            user::menu_popup("&Help", { user::menu_item("&About...", 2009) }),
        });
        user::register_accelerators(900, { { FVIRTKEY, VK_PRIOR, 1803 }, { FVIRTKEY, VK_NEXT, 1805 } });
    }
    void TearDown() override { user::testing::reset(); }
};

}

TEST_F(OwlWindowTest, CommandsRouteFrameThenClientThenApplication)
{
    App app;
    app.InitMainWindow();
    ASSERT_TRUE(app.frame->Create());
    HWND frame = app.frame->GetHandle();
    ASSERT_TRUE(IsWindow(app.client->GetHandle()));
    EXPECT_EQ(GetParent(app.client->GetHandle()), frame);
    EXPECT_EQ(TWindow::FromHandle(frame), app.frame);

    SendMessageA(frame, WM_COMMAND, 25094, 0);  // frame only
    SendMessageA(frame, WM_COMMAND, 2009, 0);   // application only
    EXPECT_EQ(g_log, "frame25094 app2009 ");
    g_log.clear();
    EXPECT_TRUE(app.frame->RouteCommand(1803));  // the frame's own handler comes first
    EXPECT_EQ(g_log, "frame1803 ");
    g_log.clear();
    EXPECT_TRUE(app.client->RouteCommand(1803));
    EXPECT_TRUE(app.client->RouteCommand(2009)); // the client falls back to the application
    EXPECT_FALSE(app.frame->RouteCommand(1805));
    EXPECT_EQ(g_log, "client1803 app2009 ");

    // The client fills the frame's client area.
    RECT fr {}, cr {};
    GetClientRect(frame, &fr);
    GetClientRect(app.client->GetHandle(), &cr);
    EXPECT_EQ(cr.right, fr.right);
    EXPECT_EQ(cr.bottom, fr.bottom);
}

TEST_F(OwlWindowTest, MenuEnablersRunWhenAPopupOpens)
{
    App app;
    app.InitMainWindow();
    ASSERT_TRUE(app.frame->Create());
    HWND frame = app.frame->GetHandle();
    HMENU bar = GetMenu(frame);
    ASSERT_NE(bar, nullptr);
    HMENU control = GetSubMenu(bar, 0);
    HMENU help = GetSubMenu(bar, 1);
    EnableMenuItem(control, 1803, MF_BYCOMMAND | MF_GRAYED);
    SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(control), 0);
    EXPECT_EQ(GetMenuState(control, 1803, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(control, 1805, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED)); // no handler

    SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(help), 1);
    char text[64];
    GetMenuStringA(help, 2009, text, sizeof(text), MF_BYCOMMAND);
    EXPECT_STREQ(text, "&About Orbivane...");

    // A tracked popup menu owned by the frame goes through the same enablers.
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 2009, "About");
    user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return 2009u; });
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, 10, 10, 0, frame, nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    GetMenuStringA(popup, 2009, text, sizeof(text), MF_BYCOMMAND);
    EXPECT_STREQ(text, "&About Orbivane...");
    EXPECT_EQ(g_log, "app2009 ");
    DestroyMenu(popup);
}

TEST_F(OwlWindowTest, ZeroAttributesKeepTheSystemDefaultOneAtATime)
{
    TFrameWindow reference(nullptr, "reference");
    ASSERT_TRUE(reference.Create());
    RECT def {};
    GetWindowRect(reference.GetHandle(), &def);

    struct Case {
        int x, y, w, h;
    };
    for (Case c : { Case { 120, 0, 0, 0 }, Case { 0, 0, 500, 0 }, Case { 10, 20, 300, 200 }, Case { 0, 33, 0, 240 } }) {
        TFrameWindow f(nullptr, "f");
        f.Attr.X = c.x;
        f.Attr.Y = c.y;
        f.Attr.W = c.w;
        f.Attr.H = c.h;
        ASSERT_TRUE(f.Create());
        RECT r {};
        GetWindowRect(f.GetHandle(), &r);
        if (c.x) {
            EXPECT_EQ(r.left, c.x);
        }
        if (c.y) {
            EXPECT_EQ(r.top, c.y);
        }
        EXPECT_EQ(r.right - r.left, c.w ? c.w : def.right - def.left);
        EXPECT_EQ(r.bottom - r.top, c.h ? c.h : def.bottom - def.top);
    }
}

TEST_F(OwlWindowTest, RunTranslatesAcceleratorsAndCloseAsksTheApplication)
{
    struct LoopApp : App {
        void InitMainWindow() override
        {
            App::InitMainWindow();
            frame->OnMessage(WM_CREATE, [this](WPARAM, LPARAM) {
                HWND h = frame->GetHandle();
                PostMessageA(h, WM_KEYDOWN, VK_PRIOR, 1);
                PostMessageA(h, WM_KEYDOWN, VK_NEXT, 1);  // greyed: no command
                PostMessageA(h, WM_CLOSE, 0, 0);          // refused
                PostMessageA(h, WM_CLOSE, 0, 0);
                return LRESULT(0);
            });
        }
        bool CanClose() override
        {
            bool answer = App::CanClose() && ++closes > 1;
            return answer;
        }
        int closes = 0;
    };
    LoopApp app;
    EXPECT_EQ(app.Run(), 0);
    // The frame's own CanClose is not asked.
    EXPECT_EQ(g_log, "frame1803 appCanClose clientCanClose appCanClose clientCanClose ");
    EXPECT_EQ(app.frame->GetHandle(), nullptr);
}

TEST_F(OwlWindowTest, ClientRefusalKeepsTheFrame)
{
    App app;
    app.InitMainWindow();
    ASSERT_TRUE(app.frame->Create());
    app.client->allow = false;
    SendMessageA(app.frame->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(app.frame->GetHandle()));
    app.client->allow = true;
    SendMessageA(app.frame->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.frame->GetHandle(), nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(OwlWindowTest, DeletingAWindowRunsNoHandlersOfItsDestroyedParts)
{
    struct Tracked : TFrameWindow {
        explicit Tracked(std::string& log) : TFrameWindow(nullptr, "t", new TWindow(nullptr)), log(log)
        {
            OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) { this->log += "destroy "; return LRESULT(0); });
            GetClientWindow()->OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) { this->log += "client "; return LRESULT(0); });
        }
        std::string& log;
    };
    std::string log;
    auto* a = new Tracked(log);
    ASSERT_TRUE(a->Create());
    HWND ha = a->GetHandle();
    a->Destroy();
    EXPECT_EQ(log, "destroy client ");
    EXPECT_FALSE(IsWindow(ha));
    delete a;

    log.clear();
    auto* b = new Tracked(log);
    ASSERT_TRUE(b->Create());
    HWND hb = b->GetHandle();
    HWND client = b->GetClientWindow()->GetHandle();
    delete b;
    EXPECT_EQ(log, "");
    EXPECT_FALSE(IsWindow(hb));
    EXPECT_FALSE(IsWindow(client));
    EXPECT_EQ(TWindow::FromHandle(hb), nullptr);
}
