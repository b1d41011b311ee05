// Frame, caption and menu bar of top-level windows: painting, hit testing and menu-bar tracking.

#include "Fixture.h"

#include <gdi/Png.h>
#include <user/NonClient.h>


namespace {

constexpr UINT kMenu = 7100;

void register_test_menu()
{
    user::register_menu(kMenu, {
        user::menu_popup("&File", { user::menu_item("&Open", 201), user::menu_item("E&xit", 202) }),
        user::menu_popup("&View", { user::menu_item("&Big", 203), user::menu_item("&Small", 204) }),
        user::menu_popup("&Help", { user::menu_item("&About", 205) }),
    });
}

gdi::Surface surface_of(HWND window)
{
    gdi::Surface s;
    EXPECT_TRUE(user::copy_window_surface(window, s));
    return s;
}

// Pixels of a rectangle within `tolerance` of a colour in each channel (text is antialiased).
int count_pixels(const gdi::Surface& s, const RECT& r, COLORREF color, int tolerance = 0)
{
    auto near = [&](COLORREF c) {
        for (int shift : { 0, 8, 16 }) {
            int a = static_cast<int>((c >> shift) & 0xFF), b = static_cast<int>((color >> shift) & 0xFF);
            if (a - b > tolerance || b - a > tolerance)
                return false;
        }
        return true;
    };
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (s.contains(x, y) && near(gdi::colorref_from_pixel(s.row(y)[x])))
                ++n;
    return n;
}

POINT centre_on_screen(HWND window, const RECT& r)
{
    RECT wr;
    GetWindowRect(window, &wr);
    return { wr.left + (r.left + r.right) / 2, wr.top + (r.top + r.bottom) / 2 };
}

LPARAM screen_lparam(POINT p)
{
    return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

}

class NonClientTest : public WindowTest {
protected:
    HWND frame_with_menu()
    {
        register_test_menu();
        HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, "Frame title");
        SetMenu(frame, LoadMenuA(nullptr, MAKEINTRESOURCEA(kMenu)));
        pump();
        return frame;
    }
};

TEST_F(NonClientTest, MenuBarAndCaptionArePaintedAndFollowMenuChanges)
{
    HWND frame = frame_with_menu();
    auto items = user::menu_bar_items(frame);
    ASSERT_EQ(items.size(), 3u);
    RECT client;
    GetClientRect(frame, &client);
    POINT origin { 0, 0 };
    ClientToScreen(frame, &origin);
    RECT wr;
    GetWindowRect(frame, &wr);
    int client_top = origin.y - wr.top;
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_LT(items[i].left, items[i].right);
        EXPECT_LE(items[i].bottom, client_top) << "item " << i << " overlaps the client area";
        EXPECT_GE(items[i].top, GetSystemMetrics(SM_CYCAPTION));
        if (i > 0) {
            EXPECT_GE(items[i].left, items[i - 1].right);
        }
    }
    gdi::Surface s = surface_of(frame);
    EXPECT_TRUE(gdi::write_png(s, testing::TempDir() + "orbivane_frame_menu_bar.png"));
    // Text in every item on the menu colour, plain menu colour to the right of the last.
    for (const RECT& r : items) {
        EXPECT_GT(count_pixels(s, r, GetSysColor(COLOR_MENUTEXT), 80), 10);
        EXPECT_GT(count_pixels(s, r, GetSysColor(COLOR_MENU)), 10);
    }
    RECT rest { items.back().right + 2, items[0].top, s.width() - 8, items[0].bottom };
    EXPECT_EQ(count_pixels(s, rest, GetSysColor(COLOR_MENUTEXT), 80), 0);
    // The caption bar carries the title.
    RECT caption { 8, 4, s.width() - 8, GetSystemMetrics(SM_CYCAPTION) };
    EXPECT_GT(count_pixels(s, caption, GetSysColor(COLOR_ACTIVECAPTION)), 100);
    EXPECT_GT(count_pixels(s, caption, GetSysColor(COLOR_CAPTIONTEXT), 80), 20);

    // A longer text widens its item once the bar is redrawn.
    HMENU menu = GetMenu(frame);
    ASSERT_TRUE(ModifyMenuA(menu, 2, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(GetSubMenu(menu, 2)),
        "&Help and more help"));
    DrawMenuBar(frame);
    auto wider = user::menu_bar_items(frame);
    ASSERT_EQ(wider.size(), 3u);
    EXPECT_GT(wider[2].right - wider[2].left, items[2].right - items[2].left + 20);
    s = surface_of(frame);
    RECT added { items[2].right + 2, items[2].top, wider[2].right - 4, items[2].bottom };
    EXPECT_GT(count_pixels(s, added, GetSysColor(COLOR_MENUTEXT), 80), 10);

    // Without a menu the client area takes the bar's place and nothing is drawn there.
    SetMenu(frame, nullptr);
    pump();
    EXPECT_TRUE(user::menu_bar_items(frame).empty());
}

TEST_F(NonClientTest, HitTestCodes)
{
    HWND frame = frame_with_menu();
    RECT wr;
    GetWindowRect(frame, &wr);
    auto items = user::menu_bar_items(frame);
    ASSERT_FALSE(items.empty());
    struct Case {
        POINT at;
        LRESULT code;
    } cases[] = {
        { centre_on_screen(frame, items[1]), HTMENU },
        { { wr.left + 100, wr.top + GetSystemMetrics(SM_CYFRAME) + 5 }, HTCAPTION },
        { { (wr.left + wr.right) / 2, (wr.top + wr.bottom) / 2 }, HTCLIENT },
        { { wr.left + 1, (wr.top + wr.bottom) / 2 }, HTLEFT },
        { { wr.right - 1, wr.bottom - 1 }, HTBOTTOMRIGHT },
        { { wr.right + 5, wr.top + 5 }, HTNOWHERE },
    };
    for (const auto& c : cases)
        EXPECT_EQ(SendMessageA(frame, WM_NCHITTEST, 0, screen_lparam(c.at)), c.code) << c.at.x << "," << c.at.y;

    HWND dialog = make(WS_POPUP | WS_CAPTION | WS_VISIBLE);
    GetWindowRect(dialog, &wr);
    EXPECT_EQ(SendMessageA(dialog, WM_NCHITTEST, 0, screen_lparam({ wr.left + 1, wr.top + 40 })), HTBORDER);
}

TEST_F(NonClientTest, PressOnTheMenuBarTracksThatItemsPopup)
{
    HWND frame = frame_with_menu();
    HMENU menu = GetMenu(frame);
    auto items = user::menu_bar_items(frame);
    ASSERT_EQ(items.size(), 3u);
    int tracked_while_open = -2;
    int highlighted = 0;
    user::testing::set_popup_menu_script([&](const user::PopupMenuCall& call) {
        tracked_while_open = user::tracked_menu_bar_item(call.owner);
        gdi::Surface s = surface_of(call.owner);
        highlighted = count_pixels(s, items[1], GetSysColor(COLOR_HIGHLIGHT));
        return user::testing::find_menu_command(call.menu, "Small");
    });
    message_log().clear();
    POINT at = centre_on_screen(frame, items[1]);
    PostMessageA(frame, WM_NCLBUTTONDOWN, HTMENU, screen_lparam(at));
    pump();

    auto journal = user::testing::popup_menu_journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].call.menu, GetSubMenu(menu, 1));
    EXPECT_EQ(journal[0].chosen, 204u);
    RECT wr;
    GetWindowRect(frame, &wr);
    EXPECT_EQ(journal[0].call.x, wr.left + items[1].left);
    EXPECT_GE(journal[0].call.y, wr.top + items[1].bottom);
    EXPECT_EQ(tracked_while_open, 1);
    EXPECT_GT(highlighted, 20);
    EXPECT_EQ(user::tracked_menu_bar_item(frame), -1);

    // WM_INITMENU for the bar, WM_INITMENUPOPUP for the popup, then the command.
    auto init = got(frame, WM_INITMENU);
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HMENU>(init[0].wparam), menu);
    auto popups = got(frame, WM_INITMENUPOPUP);
    ASSERT_FALSE(popups.empty());
    EXPECT_EQ(reinterpret_cast<HMENU>(popups[0].wparam), GetSubMenu(menu, 1));
    auto commands = got(frame, WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0].wparam), 204);

    // A press on the bar beside the items, or on the caption, tracks nothing.
    RECT rest { items.back().right + 10, items[0].top, items.back().right + 20, items[0].bottom };
    SendMessageA(frame, WM_NCLBUTTONDOWN, HTMENU, screen_lparam(centre_on_screen(frame, rest)));
    SendMessageA(frame, WM_NCLBUTTONDOWN, HTCAPTION, screen_lparam({ wr.left + 50, wr.top + 8 }));
    EXPECT_EQ(user::testing::popup_menu_journal().size(), 1u);
}

TEST_F(NonClientTest, F10AndAltMnemonicOpenTheMenuBar)
{
    HWND frame = frame_with_menu();
    HMENU menu = GetMenu(frame);
    HWND child = make(WS_CHILD | WS_VISIBLE, frame, 5, "", { 0, 0, 50, 50 });
    user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return 0u; });
    constexpr LPARAM kAlt = 1 | (1 << 29);
    SendMessageA(child, WM_SYSKEYDOWN, VK_F10, 1);
    SendMessageA(frame, WM_SYSKEYDOWN, 'H', kAlt);
    SendMessageA(frame, WM_SYSKEYDOWN, 'V', kAlt);
    SendMessageA(frame, WM_SYSKEYDOWN, 'Q', kAlt);   // no such mnemonic
    SendMessageA(frame, WM_SYSKEYDOWN, 'H', 1);       // no Alt
    auto journal = user::testing::popup_menu_journal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[0].call.menu, GetSubMenu(menu, 0));
    EXPECT_EQ(journal[0].call.owner, frame);
    EXPECT_EQ(journal[1].call.menu, GetSubMenu(menu, 2));
    EXPECT_EQ(journal[2].call.menu, GetSubMenu(menu, 1));
}

TEST_F(NonClientTest, CaptionButtonsFollowTheStylesAndAnswerTheirHitCodes)
{
    struct Case {
        DWORD style;
        DWORD ex_style;
        bool sysmenu, boxes;
    } cases[] = {
        { WS_OVERLAPPEDWINDOW, 0, true, true },
        { WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, true, true },
        { WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, false, false },
        { WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, false, false },
        { WS_POPUP | WS_CAPTION, 0, false, false },
    };
    for (const auto& c : cases) {
        HWND window = CreateWindowExA(c.ex_style, "TestWindow", "Buttons", c.style | WS_VISIBLE, 10, 20, 300, 200,
            nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
        pump();
        auto has = [&](int hit) {
            RECT r = user::caption_button(window, hit);
            return r.right > r.left;
        };
        EXPECT_EQ(has(HTCLOSE), (c.style & WS_SYSMENU) != 0) << c.style;
        EXPECT_EQ(has(HTSYSMENU), c.sysmenu) << c.style;
        EXPECT_EQ(has(HTMINBUTTON), c.boxes) << c.style;
        EXPECT_EQ(has(HTMAXBUTTON), c.boxes) << c.style;
        gdi::Surface s = surface_of(window);
        for (int hit : { HTCLOSE, HTMINBUTTON, HTMAXBUTTON }) {
            if (!has(hit))
                continue;
            RECT r = user::caption_button(window, hit);
            // A box the styles leave out is shown greyed and answers as caption.
            bool enabled = hit == HTCLOSE || (hit == HTMINBUTTON && (c.style & WS_MINIMIZEBOX))
                || (hit == HTMAXBUTTON && (c.style & WS_MAXIMIZEBOX));
            EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, screen_lparam(centre_on_screen(window, r))),
                enabled ? hit : HTCAPTION)
                << c.style << " " << hit;
            EXPECT_GT(count_pixels(s, r, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT)), 3) << hit;
        }
        if (c.sysmenu) {
            RECT icon = user::caption_button(window, HTSYSMENU);
            EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, screen_lparam(centre_on_screen(window, icon))), HTSYSMENU);
        }
        DestroyWindow(window);
    }
}

TEST_F(NonClientTest, PressAndReleaseOnACaptionButtonSendsItsSystemCommand)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, "Buttons");
    pump();
    auto click = [&](int down, int up) {
        message_log().clear();
        RECT r = user::caption_button(frame, down);
        LPARAM at = screen_lparam(centre_on_screen(frame, r));
        SendMessageA(frame, WM_NCLBUTTONDOWN, static_cast<WPARAM>(down), at);
        SendMessageA(frame, WM_NCLBUTTONUP, static_cast<WPARAM>(up), at);
        auto commands = got(frame, WM_SYSCOMMAND);
        return commands.empty() ? WPARAM(0) : commands[0].wparam;
    };
    EXPECT_EQ(click(HTMAXBUTTON, HTMAXBUTTON), WPARAM(SC_MAXIMIZE));
    EXPECT_TRUE(IsZoomed(frame));
    EXPECT_EQ(click(HTMAXBUTTON, HTMAXBUTTON), WPARAM(SC_RESTORE));
    EXPECT_FALSE(IsZoomed(frame));
    EXPECT_EQ(click(HTMINBUTTON, HTCLOSE), WPARAM(0)); // released elsewhere: nothing
    EXPECT_EQ(click(HTMINBUTTON, HTMINBUTTON), WPARAM(SC_MINIMIZE));
    EXPECT_TRUE(IsIconic(frame));
    ShowWindow(frame, SW_RESTORE);
    EXPECT_EQ(click(HTCLOSE, HTCLOSE), WPARAM(SC_CLOSE));
    EXPECT_FALSE(IsWindow(frame));
}

TEST_F(NonClientTest, SystemMenuOpensFromTheIconAndAltSpaceAndSendsTheChoice)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, "System menu");
    pump();
    std::vector<std::pair<std::string, UINT>> shown;
    user::testing::set_popup_menu_script([&](const user::PopupMenuCall& call) {
        for (int i = 0; i < GetMenuItemCount(call.menu); ++i) {
            char text[64] = "";
            GetMenuStringA(call.menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            shown.emplace_back(text, GetMenuState(call.menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED);
        }
        return user::testing::find_menu_command(call.menu, "Maximize");
    });
    RECT icon = user::caption_button(frame, HTSYSMENU);
    RECT wr;
    GetWindowRect(frame, &wr);
    SendMessageA(frame, WM_NCLBUTTONDOWN, HTSYSMENU, screen_lparam(centre_on_screen(frame, icon)));
    EXPECT_TRUE(IsZoomed(frame));
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0], std::make_pair(std::string("&Restore"), UINT(MF_GRAYED)));
    EXPECT_EQ(shown[2], std::make_pair(std::string("Ma&ximize"), UINT(0)));
    EXPECT_EQ(shown[4].first, "&Close\tAlt+F4");
    auto journal = user::testing::popup_menu_journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].call.y, wr.top + icon.bottom);

    // Alt+Space, from the frame or a child: the same menu; now Restore is offered.
    HWND child = make(WS_CHILD | WS_VISIBLE, frame, 5, "", { 0, 0, 50, 50 });
    shown.clear();
    SendMessageA(child, WM_SYSKEYDOWN, VK_SPACE, 1 | (1 << 29));
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].second, 0u);
    EXPECT_EQ(shown[2].second, UINT(MF_GRAYED));
}
