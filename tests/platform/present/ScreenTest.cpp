// Windows on a real X server: Xvfb started by the test (skipped where it is not installed).

#include <gtest/gtest.h>

#include <DesktopHelper.h>
#include <XvfbServer.h>

#include <present/Present.h>
#include <shell/TrayIcon.h>
#include <gdi/Icons.h>
#include <user/NonClient.h>
#include <user/Paint.h>
#include <user/User.h>
#include <gdi/Gdi.h>
#include <gdi/Surface.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Got {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};
std::vector<Got> g_got;
constexpr COLORREF kFill = 0x00336699;

LRESULT CALLBACK ScreenProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    g_got.push_back({ message, wparam, lparam });
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        HBRUSH brush = CreateSolidBrush(kFill);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// Pumps this thread's messages until done() holds or ten seconds pass.
bool pump_until(const std::function<bool()>& done)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool got(UINT message, WPARAM* wparam = nullptr, LPARAM* lparam = nullptr)
{
    for (const auto& g : g_got)
        if (g.message == message) {
            if (wparam)
                *wparam = g.wparam;
            if (lparam)
                *lparam = g.lparam;
            return true;
        }
    return false;
}

class ScreenTest : public testing::Test {
protected:
    static inline XvfbServer* s_server = nullptr;
    static inline Display* s_display = nullptr;
    static inline std::string s_name;

    static void SetUpTestSuite()
    {
        s_server = new XvfbServer;
        if (!s_server->start(70, "800x600x24")) {
            delete s_server;
            s_server = nullptr;
            return;
        }
        s_display = s_server->display();
        s_name = s_server->name();
        setenv("DISPLAY", s_name.c_str(), 1);
        setenv("ORBIVANE_HEADLESS", "0", 1);
    }

    static void TearDownTestSuite()
    {
        present::stop();
        setenv("ORBIVANE_HEADLESS", "1", 1);
        unsetenv("DISPLAY");
        delete s_server;
        s_server = nullptr;
        s_display = nullptr;
    }

    void SetUp() override
    {
        if (!s_display)
            GTEST_SKIP() << "Xvfb is not available";
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc {};
            wc.lpfnWndProc = ScreenProc;
            wc.lpszClassName = "ScreenTestWindow";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        ASSERT_TRUE(present::start());
        ASSERT_TRUE(present::running());
        g_got.clear();
    }

    void TearDown() override
    {
        if (window && IsWindow(window))
            DestroyWindow(window);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ;
    }

    HWND make(const char* title, int x = 40, int y = 50, int width = 240, int height = 180)
    {
        window = CreateWindowExA(0, "ScreenTestWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width, height,
            nullptr, nullptr, nullptr, nullptr);
        return window;
    }

    // Every X window below `parent` (a window manager puts the program's windows in its frames).
    static void all_windows(Window parent, std::vector<Window>& out)
    {
        Window root_return, parent_return, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(s_display, parent, &root_return, &parent_return, &children, &count))
            return;
        for (unsigned i = 0; i < count; ++i) {
            out.push_back(children[i]);
            all_windows(children[i], out);
        }
        if (children)
            XFree(children);
    }

    static std::vector<Window> all_windows()
    {
        XSync(s_display, False);
        std::vector<Window> out;
        all_windows(DefaultRootWindow(s_display), out);
        return out;
    }

    // The X window titled `title`, or 0.
    static Window find_x_window(const std::string& title)
    {
        for (Window id : all_windows()) {
            char* name = nullptr;
            bool found = false;
            if (XFetchName(s_display, id, &name) && name) {
                found = title == name;
                XFree(name);
            }
            if (found)
                return id;
        }
        return 0;
    }

    // How many X windows of a window class there are.
    static int count_class(const std::string& class_name)
    {
        int found = 0;
        for (Window id : all_windows()) {
            XClassHint hint {};
            if (XGetClassHint(s_display, id, &hint)) {
                found += hint.res_class && class_name == hint.res_class;
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
        }
        return found;
    }

    static bool viewable(Window id)
    {
        XWindowAttributes a;
        return XGetWindowAttributes(s_display, id, &a) && a.map_state == IsViewable;
    }

    // Whether the X window's pixels are the window's surface (without the `inset` a window
    // manager's frame takes).
    static bool pixels_match(Window id, HWND hwnd, RECT inset = { 0, 0, 0, 0 })
    {
        gdi::Surface surface;
        if (!user::copy_window_surface(hwnd, surface) || surface.empty())
            return false;
        int width = surface.width() - inset.left - inset.right, height = surface.height() - inset.top - inset.bottom;
        XImage* image = XGetImage(s_display, id, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
            AllPlanes, ZPixmap);
        if (!image)
            return false;
        bool same = true;
        for (int y = 0; y < height && same; ++y)
            for (int x = 0; x < width && same; ++x)
                same = (XGetPixel(image, x, y) & 0xFFFFFFu)
                    == (surface.pixel(x + inset.left, y + inset.top) & 0xFFFFFFu);
        XDestroyImage(image);
        return same;
    }

    // Fills the X window's top-left width x height pixels with `colour`, behind the program's back.
    static void scribble(Window id, int width, int height, unsigned long colour)
    {
        GC gc = XCreateGC(s_display, id, 0, nullptr);
        XSetForeground(s_display, gc, colour);
        XFillRectangle(s_display, id, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XFreeGC(s_display, gc);
        XSync(s_display, False);
    }

    // A rectangle of the window's client area where its X window shows it (no window manager).
    static RECT on_x_window(HWND hwnd, const RECT& client_rect)
    {
        RECT frame;
        GetWindowRect(hwnd, &frame);
        POINT client { 0, 0 };
        ClientToScreen(hwnd, &client);
        return { client.x - frame.left + client_rect.left, client.y - frame.top + client_rect.top,
            client.x - frame.left + client_rect.right, client.y - frame.top + client_rect.bottom };
    }

    // Whether the X window's top-left width x height pixels are `inside` in `r` and, unless
    // `inside_only`, `outside` elsewhere.
    static bool shows(Window id, int width, int height, const RECT& r, unsigned long inside, unsigned long outside,
        bool inside_only = false)
    {
        XImage* image = XGetImage(s_display, id, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
            AllPlanes, ZPixmap);
        if (!image)
            return false;
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                if (in || !inside_only)
                    wrong += (XGetPixel(image, x, y) & 0xFFFFFF) != (in ? inside : outside);
            }
        XDestroyImage(image);
        return wrong == 0;
    }

    static RECT x_geometry(Window id)
    {
        XWindowAttributes a {};
        XGetWindowAttributes(s_display, id, &a);
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(s_display, id, DefaultRootWindow(s_display), 0, 0, &x, &y, &child);
        return { x, y, x + a.width, y + a.height };
    }

    static int run(const std::string& command)
    {
        std::string line = "export DISPLAY=" + s_name + "; { " + command + "; } >/dev/null 2>&1";
        return std::system(line.c_str());
    }

    // When a modal box or menu found by the xdotool search is still up after ten seconds (a fault:
    // its keys did not end it), Escape keys end it so that the test fails instead of hanging.
    static void dismiss_if_left(const std::string& search)
    {
        run("for i in $(seq 100); do xdotool search --onlyvisible " + search
            + " || exit 0; sleep 0.1; done; xdotool key Escape Escape Escape");
    }

    HWND window = nullptr;
};

TEST_F(ScreenTest, TopLevelWindowShowsWithTitleAndPixels)
{
    ASSERT_TRUE(make("Screen pixels"));
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Screen pixels")) != 0 && viewable(id); }));
    EXPECT_TRUE(pump_until([&] { return pixels_match(id, window); }));
    gdi::Surface surface;
    ASSERT_TRUE(user::copy_window_surface(window, surface));
    EXPECT_EQ(surface.pixel(120, 100) & 0xFFFFFFu, gdi::pixel_from_colorref(kFill) & 0xFFFFFFu);

    // A new title and a new rectangle follow.
    SetWindowTextA(window, "Screen renamed");
    SetWindowPos(window, nullptr, 100, 120, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(pump_until([&] { return find_x_window("Screen renamed") == id; }));
    EXPECT_TRUE(pump_until([&] {
        RECT g = x_geometry(id);
        return g.left == 100 && g.top == 120 && g.right == 400 && g.bottom == 320;
    }));
    EXPECT_TRUE(pump_until([&] { return pixels_match(id, window); }));

    // Hidden: unmapped; destroyed: gone.
    ShowWindow(window, SW_HIDE);
    EXPECT_TRUE(pump_until([&] { return !viewable(id); }));
    DestroyWindow(window);
    EXPECT_TRUE(pump_until([&] { return find_x_window("Screen renamed") == 0; }));
}

TEST_F(ScreenTest, ASmallDrawingPutsOnlyItsRectangleOnScreenWithOrWithoutSharedMemory)
{
    constexpr unsigned long kScribble = 0x00FF00; // drawn on the X window behind the program's back
    for (bool shared : { true, false }) {
        SCOPED_TRACE(shared ? "shared memory" : "XPutImage");
        present::stop();
        present::use_shared_memory(shared);
        ASSERT_TRUE(present::start());
        ASSERT_TRUE(make("Screen damage"));
        Window id = 0;
        ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Screen damage")) != 0 && viewable(id); }));
        ASSERT_TRUE(pump_until([&] { return pixels_match(id, window); }));
        // Quiet: nothing left to paint.
        auto quiet_until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        pump_until([&] { return std::chrono::steady_clock::now() > quiet_until; });
        ASSERT_TRUE(pixels_match(id, window));

        scribble(id, 240, 180, kScribble);

        RECT small { 10, 12, 31, 19 };
        const RECT on_x = on_x_window(window, small);
        HDC dc = GetDC(window);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &small, red);
        DeleteObject(red);
        ReleaseDC(window, dc);

        EXPECT_TRUE(pump_until([&] { return shows(id, 240, 180, on_x, 0xFF0000, kScribble, true); }));
        EXPECT_TRUE(shows(id, 240, 180, on_x, 0xFF0000, kScribble));
        DestroyWindow(window);
        window = nullptr;
        pump_until([] { return find_x_window("Screen damage") == 0; });
    }
    present::use_shared_memory(true);
}

TEST_F(ScreenTest, AFrameDrawnWithPaintNowGoesOnScreenFromItsOwnThreadAlsoAfterAResize)
{
    constexpr unsigned long kScribble = 0x00FF00; // drawn on the X window behind the program's back
    for (bool shared : { true, false }) {
        SCOPED_TRACE(shared ? "shared memory" : "XPutImage");
        present::stop();
        present::use_shared_memory(shared);
        ASSERT_TRUE(present::start());
        ASSERT_TRUE(make("Screen frames", 40, 50, 300, 180));
        Window id = 0;
        ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Screen frames")) != 0 && viewable(id); }));
        for (int size : { 180, 220 }) {
            SCOPED_TRACE(size);
            if (size != 180)
                SetWindowPos(window, nullptr, 0, 0, 300, size, SWP_NOMOVE | SWP_NOZORDER);
            ASSERT_TRUE(pump_until([&] { return x_geometry(id).bottom - x_geometry(id).top == size && pixels_match(id, window); }));
            scribble(id, 300, size, kScribble);

            // Frames as a renderer draws them, from a thread of its own, each in a colour of its own.
            const RECT picture { 10, 12, 31, 19 };
            const RECT on_x = on_x_window(window, picture);
            unsigned long direct_before = present::direct_puts();
            for (unsigned long colour : { 0xFF0000ul, 0x0000FFul, 0xFFFF00ul }) {
                bool painted = false;
                std::thread([&] {
                    painted = user::paint_now(window, [&](HDC dc, const RECT&) {
                        HBRUSH brush = CreateSolidBrush(RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
                        FillRect(dc, &picture, brush);
                        DeleteObject(brush);
                    });
                }).join();
                EXPECT_TRUE(painted);
                EXPECT_TRUE(pump_until([&] { return shows(id, 300, size - 30, on_x, colour, kScribble); }))
                    << std::hex << colour;
            }
            // Through shared memory the frames after a new surface's first go straight from the
            // drawing thread; otherwise the display thread copies and puts each.
            if (shared)
                EXPECT_GE(present::direct_puts() - direct_before, 2u);
            else
                EXPECT_EQ(present::direct_puts(), direct_before);
        }
        DestroyWindow(window);
        window = nullptr;
        pump_until([] { return find_x_window("Screen frames") == 0; });
    }
    present::use_shared_memory(true);
}

TEST_F(ScreenTest, ClickAndKeyArriveAsMessages)
{
    ASSERT_TRUE(make("Screen input"));
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Screen input")) != 0 && viewable(id); }));
    if (access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "xdotool is not installed";
    ASSERT_EQ(run("xdotool mousemove --window " + std::to_string(id) + " 60 70 click 1"), 0);
    LPARAM down = 0, up = 0;
    ASSERT_TRUE(pump_until([&] { return got(WM_LBUTTONDOWN, nullptr, &down) && got(WM_LBUTTONUP, nullptr, &up); }));
    RECT rect;
    GetWindowRect(window, &rect);
    POINT expected { rect.left + 60, rect.top + 70 };
    ScreenToClient(window, &expected);
    EXPECT_EQ(LOWORD(down), expected.x);
    EXPECT_EQ(HIWORD(down), expected.y);
    EXPECT_EQ(LOWORD(up), expected.x);
    EXPECT_EQ(GetForegroundWindow(), window);

    // The pointer is over the window, so the key goes to it.
    ASSERT_EQ(run("xdotool key a"), 0);
    EXPECT_TRUE(pump_until([&] {
        WPARAM vk = 0;
        return got(WM_KEYDOWN, &vk) && vk == 'A' && got(WM_KEYUP);
    }));
}

TEST_F(ScreenTest, MouseGoesToTheChildThereOrTheCapture)
{
    ASSERT_TRUE(make("Screen child"));
    HWND child = CreateWindowExA(0, "ScreenTestWindow", "", WS_CHILD | WS_VISIBLE, 20, 30, 80, 60, window, nullptr,
        nullptr, nullptr);
    ASSERT_TRUE(child);
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Screen child")) != 0 && viewable(id); }));
    if (access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "xdotool is not installed";
    RECT rect, child_rect;
    GetWindowRect(window, &rect);
    GetWindowRect(child, &child_rect);
    // 5 pixels into the child.
    int x = child_rect.left - rect.left + 5, y = child_rect.top - rect.top + 5;
    g_got.clear();
    ASSERT_EQ(run("xdotool mousemove --window " + std::to_string(id) + " " + std::to_string(x) + " " + std::to_string(y)
                  + " click 1"),
        0);
    LPARAM down = 0;
    ASSERT_TRUE(pump_until([&] { return got(WM_LBUTTONUP, nullptr, &down); }));
    POINT cursor {};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, child_rect.left + 5);
    EXPECT_EQ(cursor.y, child_rect.top + 5);
    EXPECT_EQ(LOWORD(down), 5);
    EXPECT_EQ(HIWORD(down), 5);

    // With the capture on the child, a click outside it still goes to it, in its coordinates.
    SetCapture(child);
    g_got.clear();
    ASSERT_EQ(run("xdotool mousemove --window " + std::to_string(id) + " " + std::to_string(x + 100) + " "
                  + std::to_string(y) + " click 1"),
        0);
    LPARAM captured = 0;
    ASSERT_TRUE(pump_until([&] { return got(WM_LBUTTONUP, nullptr, &captured); }));
    EXPECT_EQ(static_cast<SHORT>(LOWORD(captured)), 105);
    EXPECT_EQ(static_cast<SHORT>(HIWORD(captured)), 5);
    ReleaseCapture();
}

TEST_F(ScreenTest, WindowManagerRequestsBecomeMessages)
{
    ASSERT_TRUE(make("Screen manager"));
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Screen manager")) != 0 && viewable(id); }));

    // Moved and resized from outside.
    XMoveResizeWindow(s_display, id, 200, 150, 320, 240);
    XFlush(s_display);
    EXPECT_TRUE(pump_until([&] {
        RECT r;
        GetWindowRect(window, &r);
        return r.left == 200 && r.top == 150 && r.right == 520 && r.bottom == 390;
    }));

    // Iconified as a window manager does it: WM_STATE iconic, then unmapped.
    Atom wm_state = XInternAtom(s_display, "WM_STATE", False);
    long state[2] = { 3, 0 };
    XChangeProperty(s_display, id, wm_state, wm_state, 32, PropModeReplace, reinterpret_cast<unsigned char*>(state), 2);
    XUnmapWindow(s_display, id);
    XFlush(s_display);
    EXPECT_TRUE(pump_until([&] { return IsIconic(window) != FALSE; }));

    // The close box.
    XEvent close {};
    close.xclient.type = ClientMessage;
    close.xclient.window = id;
    close.xclient.message_type = XInternAtom(s_display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(s_display, "WM_DELETE_WINDOW", False));
    XSendEvent(s_display, id, False, NoEventMask, &close);
    XFlush(s_display);
    EXPECT_TRUE(pump_until([&] { return got(WM_CLOSE); }));
    EXPECT_TRUE(pump_until([&] { return !IsWindow(window); }));
}

TEST_F(ScreenTest, MessageBoxIsShownAndAnsweredFromTheKeyboard)
{
    if (access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "xdotool is not installed";
    struct Case {
        UINT type;
        const char* keys;
        int answer;
    } cases[] = {
        { MB_YESNO | MB_DEFBUTTON2, "Return", IDNO },
        { MB_YESNOCANCEL, "Escape", IDCANCEL },
        { MB_YESNO | MB_ICONQUESTION, "y", IDYES },
        { MB_OKCANCEL, "Right space", IDCANCEL },
        { MB_OK, "Escape", IDOK },
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string caption = "Screen box " + std::to_string(++n);
        std::thread answer([&] {
            run("timeout 20 xdotool search --sync --onlyvisible --name '^" + caption + "$' mousemove --window %1 5 5 key "
                + c.keys);
            dismiss_if_left("--name '^" + caption + "$'");
        });
        int got_answer = MessageBoxA(nullptr, "A question for the person at the screen.", caption.c_str(), c.type);
        answer.join();
        EXPECT_EQ(got_answer, c.answer) << caption << " with " << c.keys;
        EXPECT_TRUE(pump_until([&] { return find_x_window(caption) == 0; })) << caption;
    }
}

TEST_F(ScreenTest, PopupMenuIsShownAndChosenFrom)
{
    if (access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(make("Screen menu owner"));
    HMENU more = CreatePopupMenu();
    AppendMenuA(more, MF_STRING, 204, "&Deep");
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 201, "&First\tCtrl+F");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 202, "&Greyed");
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 203, "&Second");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "&More");
    struct Case {
        const char* actions; // where the pointer goes on the menu, then xdotool commands
        UINT chosen;
    } cases[] = {
        { "1 1 key Down Return", 201 },
        { "1 1 key Down Down Down Return", 203 },
        { "1 1 key Down Down Return Escape", 0 }, // a greyed item cannot be chosen
        { "1 1 key Up Right Return", 204 },       // into the submenu
        { "1 1 key Up Right Left Up Return", 203 },
        { "1 1 key s", 203 },
        { "20 12 click 1", 201 },                 // on the first item
    };
    for (const auto& c : cases) {
        std::thread act([&] {
            run("timeout 20 xdotool search --sync --onlyvisible --class '^OrbivanePopupMenu$' mousemove --window %1 "
                + std::string(c.actions));
            dismiss_if_left("--class '^OrbivanePopupMenu$'");
        });
        UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, window, nullptr));
        act.join();
        EXPECT_EQ(chosen, c.chosen) << c.actions;
        EXPECT_TRUE(pump_until([&] { return count_class("OrbivanePopupMenu") == 0; }));
    }
    DestroyMenu(menu);
}

}

TEST_F(ScreenTest, MenuBarClickOpensThePopupAndSendsTheChoice)
{
    if (access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(make("Screen menu bar", 40, 50, 320, 200));
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 301, "&Open");
    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, 302, "&Big");
    AppendMenuA(view, MF_STRING, 303, "&Small");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    ASSERT_TRUE(SetMenu(window, bar));
    auto items = user::menu_bar_items(window);
    ASSERT_EQ(items.size(), 2u);
    POINT at { (items[1].left + items[1].right) / 2, (items[1].top + items[1].bottom) / 2 };
    std::thread act([&] {
        run("timeout 20 xdotool search --sync --onlyvisible --name '^Screen menu bar$' mousemove --window %1 "
            + std::to_string(at.x) + " " + std::to_string(at.y) + " click 1");
        run("timeout 20 xdotool search --sync --onlyvisible --class '^OrbivanePopupMenu$' key Down Down Return");
        dismiss_if_left("--class '^OrbivanePopupMenu$'");
    });
    WPARAM command = 0;
    EXPECT_TRUE(pump_until([&] { return got(WM_COMMAND, &command); }));
    act.join();
    EXPECT_EQ(LOWORD(command), 303);
    EXPECT_TRUE(got(WM_INITMENU));
    EXPECT_TRUE(pump_until([&] { return count_class("OrbivanePopupMenu") == 0; }));
}

// The test plays the tray manager: it owns the tray selection and maps the windows docked with it.
TEST_F(ScreenTest, AFocusedEditShowsItsBlinkingCaretAndItsSelectionOnScreen)
{
    ASSERT_TRUE(make("Edit caret", 40, 50, 240, 120));
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 150, 24, window, nullptr,
        nullptr, nullptr);
    ASSERT_TRUE(edit);
    SetFocus(edit);
    for (char c : std::string("ab  "))
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Edit caret")) != 0 && viewable(id); }));
    POINT caret {};
    ASSERT_TRUE(GetCaretPos(&caret));
    // The middle of the caret, in the X window (the whole window rectangle, without a manager).
    POINT at { caret.x, caret.y + 6 };
    MapWindowPoints(edit, nullptr, &at, 1);
    RECT wr;
    GetWindowRect(window, &wr);
    auto shown = [&] {
        XImage* image = XGetImage(s_display, id, at.x - wr.left, at.y - wr.top, 1, 1, AllPlanes, ZPixmap);
        unsigned long rgb = image ? XGetPixel(image, 0, 0) & 0xFFFFFFu : 0x123456u;
        if (image)
            XDestroyImage(image);
        return rgb;
    };
    EXPECT_TRUE(pump_until([&] { return shown() == 0x000000u; })) << "the caret is drawn";
    EXPECT_TRUE(pump_until([&] { return shown() == 0xFFFFFFu; })) << "and blinks off";
    EXPECT_TRUE(pump_until([&] { return shown() == 0x000000u; })) << "and on again";

    SendMessageA(edit, EM_SETSEL, 0, -1);
    const unsigned long highlight = gdi::pixel_from_colorref(GetSysColor(COLOR_HIGHLIGHT)) & 0xFFFFFFu;
    EXPECT_TRUE(pump_until([&] {
        RECT er;
        GetWindowRect(edit, &er);
        XImage* image = XGetImage(s_display, id, er.left - wr.left, er.top - wr.top,
            static_cast<unsigned>(er.right - er.left), static_cast<unsigned>(er.bottom - er.top), AllPlanes, ZPixmap);
        int selected = 0;
        for (int y = 0; image && y < er.bottom - er.top; ++y)
            for (int x = 0; x < er.right - er.left; ++x)
                selected += (XGetPixel(image, x, y) & 0xFFFFFFu) == highlight;
        if (image)
            XDestroyImage(image);
        return selected > 30;
    })) << "the selection shows";
}

TEST_F(ScreenTest, TrayIconDocksWithTheTrayManagerAndReportsClicks)
{
    present::stop();
    Window root = DefaultRootWindow(s_display);
    Window manager = XCreateSimpleWindow(s_display, root, 0, 0, 1, 1, 0, 0, 0);
    Atom selection = XInternAtom(s_display, "_NET_SYSTEM_TRAY_S0", False);
    Atom opcode = XInternAtom(s_display, "_NET_SYSTEM_TRAY_OPCODE", False);
    XSetSelectionOwner(s_display, selection, manager, CurrentTime);
    ASSERT_EQ(XGetSelectionOwner(s_display, selection), manager);
    XEvent announce {};
    announce.xclient.type = ClientMessage;
    announce.xclient.window = root;
    announce.xclient.message_type = XInternAtom(s_display, "MANAGER", False);
    announce.xclient.format = 32;
    announce.xclient.data.l[0] = CurrentTime;
    announce.xclient.data.l[1] = static_cast<long>(selection);
    announce.xclient.data.l[2] = static_cast<long>(manager);
    XSendEvent(s_display, root, False, StructureNotifyMask, &announce);
    XSync(s_display, False);
    ASSERT_TRUE(present::start());

    ASSERT_TRUE(make("Tray owner"));
    // Red on the left, green on the right: where the halves meet shows the size it is drawn at.
    gdi::Surface image(16, 16, 0xFF00FF00u);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            image.row(y)[x] = 0xFFFF0000u;
    HICON icon = gdi::create_icon(image);
    constexpr UINT kCallback = WM_APP + 5;
    NOTIFYICONDATAA data {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 7;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallback;
    data.hIcon = icon;
    std::strcpy(data.szTip, "Tray tip");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));

    Window docked = 0;
    ASSERT_TRUE(pump_until([&] {
        while (XPending(s_display) > 0) {
            XEvent event;
            XNextEvent(s_display, &event);
            if (event.type == ClientMessage && event.xclient.window == manager && event.xclient.message_type == opcode
                && event.xclient.data.l[1] == 0)
                docked = static_cast<Window>(event.xclient.data.l[2]);
        }
        return docked != 0;
    }));
    XSizeHints hints {};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(s_display, docked, &hints, &supplied));
    EXPECT_TRUE(hints.flags & PMinSize) << "the size an embedder gives the icon";
    EXPECT_EQ(hints.min_width, 22);
    EXPECT_EQ(hints.min_height, 22);
    XMapWindow(s_display, docked);
    ASSERT_TRUE(pump_until([&] { return viewable(docked); }));
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(s_display, docked, &name) && name);
    EXPECT_STREQ(name, "Tray tip");
    XFree(name);
    auto shows = [&](int x, int y, unsigned long rgb) {
        XImage* shown = XGetImage(s_display, docked, x, y, 1, 1, AllPlanes, ZPixmap);
        bool same = shown && (XGetPixel(shown, 0, 0) & 0xFFFFFFu) == rgb;
        if (shown)
            XDestroyImage(shown);
        return same;
    };
    EXPECT_TRUE(pump_until([&] { return shows(16, 11, 0x00FF00u) && shows(8, 11, 0xFF0000u); }));
    // Sized smaller by the tray: drawn again to fill the new size.
    XResizeWindow(s_display, docked, 12, 12);
    XFlush(s_display);
    EXPECT_TRUE(pump_until([&] { return shows(8, 6, 0x00FF00u) && shows(3, 6, 0xFF0000u); }));

    if (access("/usr/bin/xdotool", X_OK) == 0) {
        auto clicked = [&](LPARAM mouse) {
            for (const auto& g : g_got)
                if (g.message == kCallback && g.wparam == 7 && g.lparam == mouse)
                    return true;
            return false;
        };
        ASSERT_EQ(run("xdotool mousemove --window " + std::to_string(docked) + " 5 5 click 1"), 0);
        EXPECT_TRUE(pump_until([&] { return clicked(WM_LBUTTONDOWN) && clicked(WM_LBUTTONUP); }));
        ASSERT_EQ(run("xdotool mousemove --window " + std::to_string(docked) + " 5 5 click 3"), 0);
        EXPECT_TRUE(pump_until([&] { return clicked(WM_RBUTTONDOWN) && clicked(WM_RBUTTONUP); }));
    }

    // Removed, the icon's window goes away.
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_TRUE(pump_until([&] {
        Window root_return, parent, *children = nullptr;
        unsigned count = 0;
        bool there = false;
        if (XQueryTree(s_display, root, &root_return, &parent, &children, &count))
            for (unsigned i = 0; i < count; ++i)
                there = there || children[i] == docked;
        if (children)
            XFree(children);
        return !there;
    }));
    XSetSelectionOwner(s_display, selection, None, CurrentTime);
    XDestroyWindow(s_display, manager);
    XSync(s_display, False);
    DestroyIcon(icon);
}

TEST_F(ScreenTest, CaptionButtonsAndDragWorkWithoutAWindowManager)
{
    if (access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(make("Screen buttons", 40, 50, 300, 200));
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Screen buttons")) != 0 && viewable(id); }));
    // The whole window is shown, its own caption included.
    EXPECT_TRUE(pump_until([&] { return pixels_match(id, window); }));
    auto centre = [&](int hit) {
        RECT r = user::caption_button(window, hit), wr;
        GetWindowRect(window, &wr);
        return std::to_string(wr.left + (r.left + r.right) / 2) + " " + std::to_string(wr.top + (r.top + r.bottom) / 2);
    };

    // Dragged by the caption.
    ASSERT_EQ(run("xdotool mousemove 140 60 mousedown 1 mousemove 170 80 mousemove 200 100 mouseup 1"), 0);
    EXPECT_TRUE(pump_until([&] {
        RECT r;
        GetWindowRect(window, &r);
        return r.left == 100 && r.top == 90 && r.right == 400 && r.bottom == 290;
    }));
    EXPECT_TRUE(pump_until([&] {
        RECT g = x_geometry(id);
        return g.left == 100 && g.top == 90;
    }));

    // Maximised and restored by its button, minimised by the other.
    auto x_follows = [&] {
        RECT r;
        GetWindowRect(window, &r);
        RECT g = x_geometry(id);
        return g.left == r.left && g.top == r.top && g.right == r.right && g.bottom == r.bottom;
    };
    ASSERT_EQ(run("xdotool mousemove " + centre(HTMAXBUTTON) + " click 1"), 0);
    EXPECT_TRUE(pump_until([&] { return IsZoomed(window) && x_follows(); }));
    ASSERT_EQ(run("xdotool mousemove " + centre(HTMAXBUTTON) + " click 1"), 0);
    EXPECT_TRUE(pump_until([&] { return !IsZoomed(window) && x_follows(); }));
    g_got.clear();
    ASSERT_EQ(run("xdotool mousemove " + centre(HTMINBUTTON) + " click 1"), 0);
    EXPECT_TRUE(pump_until([&] { return IsIconic(window) != FALSE; }));
    WPARAM command = 0;
    EXPECT_TRUE(got(WM_SYSCOMMAND, &command));
    EXPECT_EQ(command, WPARAM(SC_MINIMIZE));
    ShowWindow(window, SW_RESTORE);
    ASSERT_TRUE(pump_until([&] { return viewable(id); }));

    // Closed by its close button.
    g_got.clear();
    ASSERT_EQ(run("xdotool mousemove " + centre(HTCLOSE) + " click 1"), 0);
    EXPECT_TRUE(pump_until([&] { return !IsWindow(window); }));
    EXPECT_TRUE(got(WM_SYSCOMMAND, &command));
    EXPECT_EQ(command, WPARAM(SC_CLOSE));
}

TEST_F(ScreenTest, TheWindowsIconProcessAndMachineAreTheXWindows)
{
    ASSERT_TRUE(make("Screen icon"));
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Screen icon")) != 0 && viewable(id); }));
    auto cardinals = [&](const char* name) {
        Atom type;
        int format;
        unsigned long count = 0, after;
        unsigned char* data = nullptr;
        std::vector<unsigned long> out;
        if (XGetWindowProperty(s_display, id, XInternAtom(s_display, name, False), 0, 4096, False, XA_CARDINAL, &type,
                &format, &count, &after, &data)
                == Success
            && data)
            out.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
        if (data)
            XFree(data);
        return out;
    };
    EXPECT_EQ(cardinals("_NET_WM_PID"), std::vector<unsigned long> { static_cast<unsigned long>(getpid()) });
    XTextProperty machine {};
    ASSERT_TRUE(XGetWMClientMachine(s_display, id, &machine));
    char host[256] = "";
    gethostname(host, sizeof host - 1);
    EXPECT_STREQ(reinterpret_cast<char*>(machine.value), host);
    XFree(machine.value);

    // Big and small icons, big first, each as width, height and its ARGB pixels.
    HICON big = gdi::create_icon(gdi::Surface(32, 32, 0xFF00FF00u));
    HICON small = gdi::create_icon(gdi::Surface(16, 16, 0x80FF0000u));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    std::vector<unsigned long> icon;
    ASSERT_TRUE(pump_until([&] { return (icon = cardinals("_NET_WM_ICON")).size() == 2 + 32 * 32 + 2 + 16 * 16; }));
    EXPECT_EQ(icon[0], 32u);
    EXPECT_EQ(icon[1], 32u);
    EXPECT_EQ(icon[2] & 0xFFFFFFFFu, 0xFF00FF00u); // format 32 comes back as long
    EXPECT_EQ(icon[2 + 32 * 32], 16u);
    EXPECT_EQ(icon[2 + 32 * 32 + 2] & 0xFFFFFFFFu, 0x80FF0000u);
    DestroyWindow(window);
    DestroyIcon(big);
    DestroyIcon(small);
}

// The same display with openbox managing it.
class ManagedScreenTest : public ScreenTest {
protected:
    static inline DesktopHelper* s_manager = nullptr;

    static void SetUpTestSuite()
    {
        ScreenTest::SetUpTestSuite();
        if (!s_display)
            return;
        s_manager = new DesktopHelper;
        if (!s_manager->start(s_name, { "/usr/bin/openbox", "--sm-disable" },
                [] { return DesktopHelper::window_manager_frames(s_display); })) {
            delete s_manager;
            s_manager = nullptr;
        }
    }

    static void TearDownTestSuite()
    {
        present::stop();
        delete s_manager;
        s_manager = nullptr;
        ScreenTest::TearDownTestSuite();
    }

    void SetUp() override
    {
        if (!s_manager)
            GTEST_SKIP() << "Xvfb or openbox is not available";
        ScreenTest::SetUp();
    }

    static void send_to_root(Window id, const char* type, long l0, long l1 = 0, long l2 = 0)
    {
        DesktopHelper::ask_manager(s_display, id, type, l0, l1, l2);
    }

    static std::vector<long> frame_extents(Window id) { return DesktopHelper::frame_extents(s_display, id); }

    static bool same(const RECT& a, const RECT& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }

    // The window rectangle less the border and caption the manager draws instead.
    RECT inner(RECT r) const
    {
        RECT inset = user::decoration_insets(window);
        return { r.left + inset.left, r.top + inset.top, r.right - inset.right, r.bottom - inset.bottom };
    }
};

TEST_F(ManagedScreenTest, TheManagerFramesTheWindowInPlaceOfItsOwnCaption)
{
    ASSERT_TRUE(make("Managed frame", 60, 80, 300, 220));
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Managed frame")) != 0 && viewable(id); }));
    ASSERT_TRUE(pump_until([&] { return frame_extents(id).size() == 4; }));
    EXPECT_GT(frame_extents(id)[2], 0) << "the manager draws a title bar";
    // The X window is the window below its caption and border, where the window says it is.
    RECT wr { 60, 80, 360, 300 };
    EXPECT_TRUE(pump_until([&] { return same(x_geometry(id), inner(wr)); }));
    RECT now;
    GetWindowRect(window, &now);
    EXPECT_TRUE(same(now, wr));
    EXPECT_TRUE(pump_until([&] { return pixels_match(id, window, user::decoration_insets(window)); }));
    XImage* corner = XGetImage(s_display, id, 2, 2, 1, 1, AllPlanes, ZPixmap);
    ASSERT_TRUE(corner);
    EXPECT_EQ(XGetPixel(corner, 0, 0) & 0xFFFFFFu, gdi::pixel_from_colorref(kFill) & 0xFFFFFFu)
        << "no caption drawn inside the frame";
    XDestroyImage(corner);

    // Moved by the program: the X window follows, the window rectangle stays the program's.
    SetWindowPos(window, nullptr, 120, 140, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(pump_until([&] { return same(x_geometry(id), inner({ 120, 140, 440, 380 })); }));
}

TEST_F(ManagedScreenTest, TheManagersButtonsBecomeSystemCommands)
{
    ASSERT_TRUE(make("Managed buttons", 60, 80, 300, 220));
    Window id = 0;
    ASSERT_TRUE(pump_until([&] { return (id = find_x_window("Managed buttons")) != 0 && viewable(id); }));
    ASSERT_TRUE(pump_until([&] { return frame_extents(id).size() == 4; }));
    auto command_got = [&](WPARAM command) {
        for (const auto& g : g_got)
            if (g.message == WM_SYSCOMMAND && (g.wparam & 0xFFF0) == command)
                return true;
        return false;
    };
    Atom vert = XInternAtom(s_display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    Atom horz = XInternAtom(s_display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);

    // Maximised by the manager: the window is maximised and takes the manager's rectangle.
    send_to_root(id, "_NET_WM_STATE", 1, static_cast<long>(vert), static_cast<long>(horz));
    EXPECT_TRUE(pump_until([&] { return command_got(SC_MAXIMIZE) && IsZoomed(window); }));
    EXPECT_TRUE(pump_until([&] {
        RECT r;
        GetWindowRect(window, &r);
        RECT g = x_geometry(id);
        return same(inner(r), g) && g.right - g.left > 600;
    }));
    send_to_root(id, "_NET_WM_STATE", 0, static_cast<long>(vert), static_cast<long>(horz));
    EXPECT_TRUE(pump_until([&] { return command_got(SC_RESTORE) && !IsZoomed(window); }));
    EXPECT_TRUE(pump_until([&] {
        RECT r;
        GetWindowRect(window, &r);
        return same(r, { 60, 80, 360, 300 }) && same(x_geometry(id), inner(r));
    }));

    // Maximised by the program: the manager is asked, and its rectangle is the window's. (A new
    // title on screen tells that the display has seen the restored window first.)
    SetWindowTextA(window, "Managed buttons restored");
    ASSERT_TRUE(pump_until([&] { return find_x_window("Managed buttons restored") == id; }));
    ShowWindow(window, SW_MAXIMIZE);
    EXPECT_TRUE(pump_until([&] {
        RECT r;
        GetWindowRect(window, &r);
        return same(inner(r), x_geometry(id)) && x_geometry(id).right - x_geometry(id).left > 600;
    }));
    ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(pump_until([&] { return same(x_geometry(id), inner({ 60, 80, 360, 300 })); }));

    // Minimised by the manager.
    g_got.clear();
    if (access("/usr/bin/xdotool", X_OK) == 0) {
        ASSERT_EQ(run("xdotool windowminimize " + std::to_string(id)), 0);
        EXPECT_TRUE(pump_until([&] { return command_got(SC_MINIMIZE) && IsIconic(window); }));
        ShowWindow(window, SW_RESTORE);
        ASSERT_TRUE(pump_until([&] { return viewable(id); }));
    }

    // Closed by the manager.
    send_to_root(id, "_NET_CLOSE_WINDOW", CurrentTime, 2);
    EXPECT_TRUE(pump_until([&] { return command_got(SC_CLOSE) && !IsWindow(window); }));
}
