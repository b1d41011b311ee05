#include "Fixture.h"

#include <base/Errors.h>
#include <base/Process.h>
#include <user/NonClient.h>

#include <set>

TEST_F(WindowTest, CreationSendsCreateStructAndFirstSizeAndMove)
{
    static CREATESTRUCTA seen;
    static UINT first = 0;
    first = 0;
    WNDCLASSA wc {};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (!first)
            first = m;
        if (m == WM_CREATE)
            seen = *reinterpret_cast<CREATESTRUCTA*>(lp);
        return DefWindowProcA(w, m, wp, lp);
    };
    wc.lpszClassName = "CreateProbe";
    ASSERT_TRUE(RegisterClassA(&wc));
    int param = 7;
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, "createprobe", "Title", WS_POPUP, 5, 6, 70, 80, nullptr, nullptr, nullptr, &param);
    ASSERT_TRUE(w);
    EXPECT_EQ(first, static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(seen.lpCreateParams, &param);
    EXPECT_EQ(seen.x, 5);
    EXPECT_EQ(seen.cy, 80);
    EXPECT_STREQ(seen.lpszName, "Title");
    EXPECT_EQ(seen.dwExStyle, static_cast<DWORD>(WS_EX_TOOLWINDOW));
    DestroyWindow(w);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    WNDCLASSA info {};
    EXPECT_TRUE(GetClassInfoA(nullptr, "CREATEPROBE", &info));
    EXPECT_EQ(info.lpfnWndProc, wc.lpfnWndProc);

    HWND frame = make();
    auto sizes = got(frame, WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    RECT client;
    GetClientRect(frame, &client);
    EXPECT_EQ(sizes[0].lparam, MAKELPARAM(client.right, client.bottom));
    EXPECT_EQ(got(frame, WM_MOVE).size(), 1u);
}

TEST_F(WindowTest, RefusedCreationGivesNoWindow)
{
    WNDCLASSA wc {};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CREATE)
            return -1;
        return DefWindowProcA(w, m, wp, lp);
    };
    wc.lpszClassName = "Refuses";
    ASSERT_TRUE(RegisterClassA(&wc));
    EXPECT_EQ(CreateWindowExA(0, "Refuses", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(CreateWindowExA(0, "TestWindow", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, DestroyOrderChildrenAndOwnedWindows)
{
    HWND frame = make();
    HWND child = make(WS_CHILD | WS_VISIBLE, frame, 11);
    HWND grandchild = make(WS_CHILD | WS_VISIBLE, child, 12);
    HWND owned = make(WS_POPUP, frame);
    EXPECT_EQ(GetParent(owned), frame);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), frame);
    message_log().clear();
    ASSERT_TRUE(DestroyWindow(frame));
    std::vector<std::pair<HWND, UINT>> order;
    for (auto& l : message_log())
        if (l.message == WM_DESTROY || l.message == WM_NCDESTROY)
            order.push_back({ l.window, l.message });
    std::vector<std::pair<HWND, UINT>> expected {
        { owned, WM_DESTROY }, { owned, WM_NCDESTROY },
        { frame, WM_DESTROY }, { child, WM_DESTROY }, { grandchild, WM_DESTROY },
        { grandchild, WM_NCDESTROY }, { child, WM_NCDESTROY }, { frame, WM_NCDESTROY },
    };
    EXPECT_EQ(order, expected);
    for (HWND w : { frame, child, grandchild, owned })
        EXPECT_FALSE(IsWindow(w));
    SetLastError(0);
    EXPECT_FALSE(SetWindowTextA(frame, "x"));
    EXPECT_FALSE(ShowWindow(frame, SW_SHOW));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, HandlesAreNeverReused)
{
    std::set<HWND> seen;
    for (int i = 0; i < 200; ++i) {
        HWND w = make(WS_POPUP);
        EXPECT_TRUE(seen.insert(w).second);
        DestroyWindow(w);
    }
    EXPECT_FALSE(IsWindow(*seen.begin()));
    EXPECT_EQ(user::window_process(*seen.begin()), GetCurrentProcessId());
}

TEST_F(WindowTest, TreeQueriesAndControlIds)
{
    HWND frame = make();
    HWND a = make(WS_CHILD, frame, 101);
    HWND b = make(WS_CHILD, frame, 102);
    EXPECT_EQ(GetParent(a), frame);
    EXPECT_EQ(GetParent(frame), nullptr);
    EXPECT_EQ(GetAncestor(frame, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetDlgItem(frame, 102), b);
    EXPECT_EQ(GetDlgItem(frame, 103), nullptr);
    EXPECT_EQ(GetDlgCtrlID(a), 101);
    EXPECT_EQ(GetWindow(frame, GW_CHILD), b);   // the newest child is on top
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
    EXPECT_TRUE(IsChild(frame, a));
    HWND other = make();
    EXPECT_EQ(SetParent(a, other), frame);
    EXPECT_EQ(GetParent(a), other);
    EXPECT_EQ(GetDlgItem(frame, 101), nullptr);
    EXPECT_EQ(SetParent(a, nullptr), other);
    EXPECT_EQ(GetAncestor(a, GA_PARENT), GetDesktopWindow());
}

static LRESULT CALLBACK Subclass(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_USER + 5)
        return 55;
    auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_USERDATA));
    return CallWindowProcA(old, w, m, wp, lp);
}

TEST_F(WindowTest, WindowLongsAndSubclassing)
{
    HWND w = make();
    auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC));
    EXPECT_EQ(old, &LoggingProc);
    SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(old));
    EXPECT_EQ(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass)), reinterpret_cast<LONG_PTR>(old));
    EXPECT_EQ(SendMessageA(w, WM_USER + 5, 0, 0), 55);
    message_log().clear();
    SendMessageA(w, WM_USER + 6, 1, 2);
    EXPECT_EQ(got(w, WM_USER + 6).size(), 1u);

    EXPECT_EQ(SetWindowLongPtrA(w, 8, 0x1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(w, 8), 0x1234);
    EXPECT_EQ(GetWindowLongPtrA(w, 12), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)) & WS_OVERLAPPEDWINDOW, static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
}

TEST_F(WindowTest, StyleChangesTheClientAreaAtOnce)
{
    HWND w = make(WS_OVERLAPPEDWINDOW);
    RECT c;
    GetClientRect(w, &c);
    EXPECT_EQ(c.right, 400 - 8);
    EXPECT_EQ(c.bottom, 300 - 8 - 19);
    SetWindowLongA(w, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_MAXIMIZE));
    GetClientRect(w, &c);
    EXPECT_EQ(c.right, 400);
    EXPECT_EQ(c.bottom, 300);
    EXPECT_EQ(got(w, WM_STYLECHANGED).size(), 1u);
}

TEST_F(WindowTest, TextGoesThroughMessagesAndIsCut)
{
    HWND w = make();
    EXPECT_TRUE(SetWindowTextA(w, "Orbivane - news.avi"));
    EXPECT_EQ(got(w, WM_SETTEXT).size(), 1u);
    EXPECT_EQ(GetWindowTextLengthA(w), 19);
    char buffer[9];
    EXPECT_EQ(GetWindowTextA(w, buffer, sizeof(buffer)), 8);
    EXPECT_STREQ(buffer, "Orbivane");
    char small[5];
    SetWindowTextA(w, "\xC3\xA9\xC3\xA9\xC3\xA9");   // three two-byte characters
    EXPECT_EQ(GetWindowTextA(w, small, sizeof(small)), 4);
    EXPECT_STREQ(small, "\xC3\xA9\xC3\xA9");
}

TEST_F(WindowTest, RectanglesAndCoordinates)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW);
    HWND child = make(WS_CHILD | WS_VISIBLE, frame, 1, "", { 30, 40, 130, 90 });
    RECT r;
    GetWindowRect(child, &r);
    // Frame client origin is (10 + 4, 20 + 4 + 19).
    EXPECT_EQ(r.left, 14 + 30);
    EXPECT_EQ(r.top, 43 + 40);
    EXPECT_EQ(r.right - r.left, 100);
    POINT p { 50, 90 };
    ScreenToClient(child, &p);
    EXPECT_EQ(p.x, 50 - 44);
    EXPECT_EQ(p.y, 90 - 83);
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 50);

    message_log().clear();
    EXPECT_TRUE(MoveWindow(child, 0, 0, 60, 70, FALSE));
    auto sizes = got(child, WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].lparam, MAKELPARAM(60, 70));
    EXPECT_EQ(got(child, WM_MOVE).size(), 1u);
    EXPECT_EQ(got(child, WM_WINDOWPOSCHANGED).size(), 1u);

    message_log().clear();
    SetWindowPos(frame, nullptr, 0, 0, 500, 400, SWP_NOMOVE);
    GetWindowRect(frame, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right, 510);
    EXPECT_TRUE(got(frame, WM_MOVE).empty());
    EXPECT_EQ(got(frame, WM_SIZE).size(), 1u);
}

TEST_F(WindowTest, HugePositionsAndSizesAreClampedToSixteenBitCoordinates)
{
    HWND frame = CreateWindowExA(0, "TestWindow", "big", WS_OVERLAPPED, 0x7fffffff, -0x7fffffff, 0x7fffffff, 0x7fffffff,
        nullptr, nullptr, nullptr, nullptr);
    created.push_back(frame);
    ASSERT_NE(frame, nullptr);
    RECT r;
    GetWindowRect(frame, &r);
    EXPECT_EQ(r.left, 32767);
    EXPECT_EQ(r.top, -32767);
    EXPECT_EQ(r.right, 65534);
    EXPECT_EQ(r.bottom, 0);

    EXPECT_TRUE(SetWindowPos(frame, nullptr, -0x7fffffff, 0x7fffffff, 0x7fffffff, -5, SWP_NOZORDER));
    GetWindowRect(frame, &r);
    EXPECT_EQ(r.left, -32767);
    EXPECT_EQ(r.top, 32767);
    EXPECT_EQ(r.right - r.left, 32767);
    EXPECT_EQ(r.bottom - r.top, 0);
}

TEST_F(WindowTest, TopmostOrder)
{
    HWND a = make(WS_POPUP | WS_VISIBLE);
    HWND b = make(WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(GetTopWindow(nullptr), b);
    SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetTopWindow(nullptr), a);
    EXPECT_TRUE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetTopWindow(nullptr), a);   // a plain window stays below the topmost ones
    SetWindowPos(a, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowTest, MinimiseRestoreAndMaximise)
{
    static BOOL iconic_in_minmax[2];
    static int calls;
    calls = 0;
    WNDCLASSA wc {};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_GETMINMAXINFO && calls < 2)
            iconic_in_minmax[calls++] = IsIconic(w);
        return LoggingProc(w, m, wp, lp);
    };
    wc.lpszClassName = "MinMaxProbe";
    ASSERT_TRUE(RegisterClassA(&wc));
    HWND w = CreateWindowExA(0, "MinMaxProbe", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 400, 300, nullptr, nullptr, nullptr, nullptr);
    created.push_back(w);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetForegroundWindow(), w);
    message_log().clear();
    SendMessageA(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(w));
    auto sizes = got(w, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().wparam, static_cast<WPARAM>(SIZE_MINIMIZED));
    ShowWindow(w, SW_RESTORE);
    EXPECT_FALSE(IsIconic(w));
    ASSERT_EQ(calls, 2);
    EXPECT_TRUE(iconic_in_minmax[0]);
    EXPECT_FALSE(iconic_in_minmax[1]);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 320);

    ShowWindow(w, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(w));
    RECT c;
    GetClientRect(w, &c);
    EXPECT_EQ(c.right, GetSystemMetrics(SM_CXSCREEN));
    ShowWindow(w, SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(IsIconic(w));
    EXPECT_NE(GetForegroundWindow(), w);
    ShowWindow(w, SW_RESTORE);
    EXPECT_TRUE(IsZoomed(w));   // back to maximised, where it was minimised from
    ShowWindow(w, SW_SHOWNORMAL);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right, 410);

    message_log().clear();
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(w));
    ASSERT_EQ(got(w, WM_SHOWWINDOW).size(), 1u);
    EXPECT_EQ(got(w, WM_SHOWWINDOW)[0].wparam, static_cast<WPARAM>(FALSE));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE));
}

TEST_F(WindowTest, CloseDestroysByDefault)
{
    HWND w = make();
    SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, RightClickAndTheMenuKeysAskForAContextMenuThatClimbsToTheParent)
{
    HWND top = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND child = make(WS_CHILD | WS_VISIBLE, top, 7, "child", { 30, 40, 130, 90 });
    POINT origin { 0, 0 };
    ClientToScreen(child, &origin);

    SendMessageA(child, WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
    SendMessageA(top, WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(-300, 12)); // screen point, left of the primary
    SendMessageA(child, WM_KEYUP, VK_APPS, 0);
    SetFocus(child);
    user::key_input(VK_SHIFT, true);
    user::key_input(VK_F10, true);
    user::key_input(VK_F10, false);
    user::key_input(VK_SHIFT, false);
    pump();

    auto asked = got(top, WM_CONTEXTMENU);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].wparam, reinterpret_cast<WPARAM>(child)) << "the window clicked, passed up";
    EXPECT_EQ(asked[0].lparam, MAKELPARAM(origin.x + 5, origin.y + 6));
    EXPECT_EQ(asked[1].wparam, reinterpret_cast<WPARAM>(top));
    EXPECT_EQ(asked[1].lparam, MAKELPARAM(-300, 12));
    for (int i : { 2, 3 }) {
        EXPECT_EQ(asked[i].wparam, reinterpret_cast<WPARAM>(child));
        EXPECT_EQ(asked[i].lparam, LPARAM(-1)) << "from the keyboard";
    }
}

TEST_F(WindowTest, FocusEnableAndActivation)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND a = make(WS_CHILD | WS_VISIBLE, frame, 1);
    HWND b = make(WS_CHILD | WS_VISIBLE, frame, 2);
    EXPECT_EQ(GetActiveWindow(), frame);
    EXPECT_EQ(GetFocus(), frame);
    message_log().clear();
    EXPECT_EQ(SetFocus(a), frame);
    EXPECT_EQ(got(frame, WM_KILLFOCUS).size(), 1u);
    ASSERT_EQ(got(a, WM_SETFOCUS).size(), 1u);
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(got(a, WM_KILLFOCUS)[0].wparam, reinterpret_cast<WPARAM>(b));
    EXPECT_FALSE(EnableWindow(b, FALSE));   // was enabled
    EXPECT_FALSE(IsWindowEnabled(b));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(b, TRUE));     // was disabled
    EXPECT_EQ(got(b, WM_ENABLE).size(), 2u);

    HWND other = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_TRUE(SetForegroundWindow(frame));
    EXPECT_EQ(GetForegroundWindow(), frame);
    EXPECT_FALSE(got(frame, WM_ACTIVATE).empty());
    DestroyWindow(frame);
    EXPECT_EQ(GetForegroundWindow(), other);
}

TEST_F(WindowTest, FindWindowIgnoresCase)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW, nullptr, 0, "Volume Control");
    HWND child = make(WS_CHILD, frame, 1, "ActiveMovie Window");
    EXPECT_EQ(FindWindowA("testwindow", nullptr), FindWindowExA(nullptr, nullptr, "TESTWINDOW", nullptr));
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "TestWindow", "volume control"), frame);
    EXPECT_EQ(FindWindowA("TestWindow", "Play Control"), nullptr);
    EXPECT_EQ(FindWindowA("Nothing", nullptr), nullptr);
    EXPECT_EQ(FindWindowExA(frame, nullptr, "TestWindow", "ActiveMovie Window"), child);
    EXPECT_EQ(FindWindowExA(frame, child, "TestWindow", nullptr), nullptr);
    // Only direct children.
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "TestWindow", "ActiveMovie Window"), nullptr);
}

TEST_F(WindowTest, TopLevelWindowsArePublished)
{
    static int changes = 0;
    changes = 0;
    user::set_desktop_observer([] { ++changes; });
    HWND w = make(WS_OVERLAPPEDWINDOW, nullptr, 0, "Orbivane");
    SetWindowTextA(w, "Orbivane - TV");
    bool found = false;
    for (auto& t : user::top_level_windows())
        if (t.handle == w) {
            found = true;
            EXPECT_EQ(t.title, "Orbivane - TV");
            EXPECT_EQ(t.class_name, "TestWindow");
            EXPECT_FALSE(t.style & WS_VISIBLE);
        }
    EXPECT_TRUE(found);
    EXPECT_GE(changes, 2);
    user::set_desktop_observer(nullptr);
}

TEST(SystemMetrics, FixedScreen)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    RECT r { 0, 0, 100, 100 };
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
    EXPECT_EQ(r.top, -4 - 19 - 19);
    EXPECT_EQ(r.right, 104);
}

namespace {

std::string text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

}

TEST_F(WindowTest, DrawingDamagesOnlyWhatItChangedAndWakesTheDisplayOnce)
{
    static int wakes = 0;
    wakes = 0;
    user::set_display_observer([] { ++wakes; });
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND child = make(WS_CHILD | WS_VISIBLE, frame, 1, "child", { 30, 40, 130, 90 });
    UpdateWindow(frame);
    UpdateWindow(child);
    SIZE size = user::window_surface_size(frame);
    ASSERT_EQ(size.cx, 400);
    ASSERT_EQ(size.cy, 300);
    gdi::Surface shown(size.cx, size.cy, 0);
    std::vector<RECT> changed;
    // A new surface is damaged whole; taking the damage copies the surface.
    ASSERT_TRUE(user::take_window_damage(frame, shown, changed));
    gdi::Surface now;
    ASSERT_TRUE(user::copy_window_surface(frame, now));
    EXPECT_TRUE(shown.same_pixels(now));
    ASSERT_TRUE(user::take_window_damage(frame, shown, changed));
    EXPECT_TRUE(changed.empty());

    // Two small drawings in the child: two rectangles in surface coordinates, one wake.
    POINT origin { 0, 0 };
    ClientToScreen(child, &origin);
    RECT window_rect;
    GetWindowRect(frame, &window_rect);
    int dx = origin.x - window_rect.left, dy = origin.y - window_rect.top;
    wakes = 0;
    HDC dc = GetDC(child);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT a { 2, 3, 12, 8 }, b { 50, 20, 54, 70 }; // b reaches past the child's bottom: clipped
    FillRect(dc, &a, red);
    FillRect(dc, &b, red);
    ReleaseDC(child, dc);
    DeleteObject(red);
    EXPECT_EQ(wakes, 1);
    ASSERT_TRUE(user::take_window_damage(frame, shown, changed));
    ASSERT_EQ(changed.size(), 2u);
    RECT want_a { dx + 2, dy + 3, dx + 12, dy + 8 }, want_b { dx + 50, dy + 20, dx + 54, dy + 50 };
    EXPECT_EQ(text(changed[0]), text(want_a));
    EXPECT_EQ(text(changed[1]), text(want_b));
    EXPECT_EQ(shown.pixel(dx + 2, dy + 3), 0xFFFF0000u);

    // Taking into an image of another size takes nothing; a resized surface is damaged whole.
    gdi::Surface wrong(10, 10);
    EXPECT_FALSE(user::take_window_damage(frame, wrong, changed));
    SetWindowPos(frame, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    UpdateWindow(frame);
    gdi::Surface resized(300, 200, 0);
    ASSERT_TRUE(user::take_window_damage(frame, resized, changed));
    ASSERT_EQ(changed.size(), 1u);
    RECT whole { 0, 0, 300, 200 };
    EXPECT_EQ(text(changed[0]), text(whole));
    user::set_display_observer(nullptr);
}

namespace {

// A display's memory for surfaces: blocks the test can see, counted while alive.
int s_live_blocks = 0;

gdi::Surface make_block(int width, int height)
{
    auto block = std::shared_ptr<std::vector<gdi::Pixel>>(
        new std::vector<gdi::Pixel>(static_cast<std::size_t>(width) * height), [](std::vector<gdi::Pixel>* b) {
            --s_live_blocks;
            delete b;
        });
    ++s_live_blocks;
    return gdi::Surface::adopt(block, block->data(), width, height, width * 4);
}

}

TEST_F(WindowTest, SurfacesInTheDisplaysMemoryAreShownWithoutCopiesAndKeepTheirPixelsWhenResized)
{
    s_live_blocks = 0;
    HWND plain = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    UpdateWindow(plain);
    user::set_surface_maker(make_block);
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    UpdateWindow(frame);
    std::shared_ptr<gdi::Surface> surface;
    std::vector<RECT> changed;
    // A surface made before the maker owns its memory: it is left to the copying path.
    EXPECT_FALSE(user::take_surface_damage(plain, surface, changed));
    ASSERT_TRUE(user::take_surface_damage(frame, surface, changed));
    EXPECT_EQ(s_live_blocks, 1);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(text(changed[0]), text(RECT { 0, 0, 400, 300 }));

    HDC dc = GetWindowDC(frame);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT mark { 5, 6, 9, 8 };
    FillRect(dc, &mark, red);
    DeleteObject(red);
    ReleaseDC(frame, dc);
    ASSERT_TRUE(user::take_surface_damage(frame, surface, changed));
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(text(changed[0]), text(mark));
    EXPECT_EQ(surface->pixel(5, 6), 0xFFFF0000u); // drawn where the display reads
    gdi::Surface copy;
    ASSERT_TRUE(user::copy_window_surface(frame, copy));
    EXPECT_TRUE(copy.owns_memory());
    EXPECT_EQ(copy.pixel(5, 6), 0xFFFF0000u);

    // Resized: a new block keeps the pixels that fit, damaged whole; the old one goes with its users.
    SetWindowPos(frame, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    ReleaseDC(frame, GetWindowDC(frame)); // resized here, before anything is painted again
    std::shared_ptr<gdi::Surface> resized;
    ASSERT_TRUE(user::take_surface_damage(frame, resized, changed));
    EXPECT_NE(resized, surface);
    EXPECT_EQ(resized->width(), 300);
    EXPECT_EQ(resized->pixel(5, 6), 0xFFFF0000u);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(text(changed[0]), text(RECT { 0, 0, 300, 200 }));
    surface.reset();
    EXPECT_EQ(s_live_blocks, 1);
    user::set_surface_maker(nullptr);
    resized.reset();
    DestroyWindow(frame);
    EXPECT_EQ(s_live_blocks, 0);
}
