// The program as a person sees and drives it: the built executable on a private Xvfb display,
// clicked and typed at with xdotool, its picture read back from the X server; on a bare screen,
// and on one with a window manager (openbox) and a tray panel (trayer). Skipped where Xvfb,
// xdotool or the desktop program a test needs is not installed.
//
// With ORBIVANE_SCREENSHOT naming a PNG file, the bars test also writes the main window (TV on,
// both control bars) to that file.

#include "MachineSettings.h"
#include "ProgramProcess.h"
#include "DesktopHelper.h"
#include "ScreenPicture.h"
#include "TempHome.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <app/App.h>
#include <app/SettingsSequence.h>
#include <dialogs/ArchDialog.h>
#include <dialogs/DirPick.h>
#include <dialogs/SetApp.h>
#include <dialogs/SetAvi.h>
#include <dialogs/SetFile.h>
#include <dialogs/SetSound.h>
#include <resources/StationDialogs.h>
#include <owl/PropertySheet.h>
#include <user/Testing.h>
#include <settings/SettingsValues.h>
#include <gdi/Colors.h>
#include <gdi/Png.h>
#include <gdi/Surface.h>
#include <registry/Registry.h>
#include <registry/Testing.h>
#include <resources/ArchiveDialog.h>
#include <resources/MainMenu.h>
#include <resources/SettingsPages.h>
#include <sim/TestPicture.h>
#include <base/Path.h>
#include <user/Menus.h>
#include <user/NonClient.h>
#include <user/User.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using program::eventually;
using program::main_window;
using program::wait_exit;

namespace {

void shift(RECT& r, LONG dx, LONG dy)
{
    r = { r.left + dx, r.top + dy, r.right + dx, r.bottom + dy };
}

bool same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class ScreenEndToEnd : public program::ProgramTest {
protected:
    static inline XvfbServer* s_server = nullptr;

    static void SetUpTestSuite() { start_server(400, "1024x768x24"); }

    // The suite's own Xvfb, from display number `first_number` on; none when it does not start.
    static void start_server(int first_number, const char* screen)
    {
        s_server = new XvfbServer;
        if (!s_server->start(first_number, screen)) {
            delete s_server;
            s_server = nullptr;
        }
    }

    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        if (!s_server)
            GTEST_SKIP() << "Xvfb is not available";
        if (access("/usr/bin/xdotool", X_OK) != 0)
            GTEST_SKIP() << "xdotool is not installed";
        display = s_server->display();
    }

    // The built program, on this test's display (its own environment otherwise: the same home).
    pid_t start_program()
    {
        return start({}, { "DISPLAY=" + s_server->name(), "ORBIVANE_HEADLESS=0" });
    }

    int xdotool(const std::string& arguments)
    {
        std::string line = "DISPLAY=" + s_server->name() + " timeout 30 xdotool " + arguments + " >/dev/null 2>&1";
        return std::system(line.c_str());
    }

    // Whether `inner` is `outer` or lies inside it.
    bool inside(Window inner, Window outer)
    {
        for (Window w = inner; w; ) {
            if (w == outer)
                return true;
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, w, &root, &parent, &children, &count))
                return false;
            if (children)
                XFree(children);
            w = parent == root ? 0 : parent;
        }
        return false;
    }

    // Whether key presses reach the X window `id` now: it holds the focus, or the focus follows
    // the pointer (no window manager) and the pointer is over it, not over a popup or a dialog.
    bool keys_reach(Window id)
    {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        if (focus != PointerRoot)
            return focus != None && inside(focus, id);
        Window root = 0, child = 0;
        int rx = 0, ry = 0, x = 0, y = 0;
        unsigned mask = 0;
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rx, &ry, &x, &y, &mask);
        return child && inside(id, child);
    }

    // Moves the pointer to `at` in the X window `id` and waits until key presses reach the window.
    bool point_at(Window id, POINT at)
    {
        xdotool("mousemove --window " + std::to_string(id) + " " + std::to_string(at.x) + " " + std::to_string(at.y));
        return eventually([&] { return keys_reach(id); });
    }

    // Presses `keys` (xdotool's names, "ctrl+r") over `at` in the X window `id` once presses reach
    // it, and waits up to a minute for `effect`. A press can be lost on a loaded machine, so one
    // that shows no effect for fifteen seconds is pressed once more: keys whose second press
    // undoes the first only where the first did nothing.
    bool press(Window id, const std::string& keys, const std::function<bool()>& effect, POINT at = { 200, 200 })
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!point_at(id, at))
                return false;
            xdotool("key " + keys);
            if (eventually(effect, attempt == 0 ? std::chrono::seconds(15) : std::chrono::seconds(45)))
                return true;
        }
        return false;
    }

    // An effect that holds once the file at `path` has kept its size for a second (a recording
    // that stopped).
    static std::function<bool()> stops_growing(const std::string& path)
    {
        struct Seen {
            std::uintmax_t size = ~std::uintmax_t(0);
            std::chrono::steady_clock::time_point since;
        };
        auto seen = std::make_shared<Seen>();
        return [path, seen] {
            std::error_code missing;
            std::uintmax_t size = std::filesystem::file_size(path, missing);
            auto now = std::chrono::steady_clock::now();
            if (size != seen->size) {
                seen->size = size;
                seen->since = now;
            }
            return !missing && now - seen->since >= std::chrono::seconds(1);
        };
    }

    // The viewable X window whose class hint is class_name (and whose title is title, when one is
    // given), or 0; searched through the whole tree, since a window manager or a tray reparents the
    // windows it holds.
    Window x_window(const std::string& class_name, const char* title = nullptr)
    {
        XSync(display, False);
        return find_x_window(DefaultRootWindow(display), class_name, title);
    }

    Window find_x_window(Window under, const std::string& class_name, const char* title)
    {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (XQueryTree(display, under, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) {
                XClassHint hint {};
                XWindowAttributes a {};
                if (XGetClassHint(display, children[i], &hint)) {
                    char* name = nullptr;
                    bool titled = !title || (XFetchName(display, children[i], &name) && name && std::strcmp(name, title) == 0);
                    if (name)
                        XFree(name);
                    if (hint.res_class && class_name == hint.res_class && titled && XGetWindowAttributes(display, children[i], &a)
                        && a.map_state == IsViewable)
                        found = children[i];
                    XFree(hint.res_name);
                    XFree(hint.res_class);
                }
                if (!found)
                    found = find_x_window(children[i], class_name, title);
            }
        }
        if (children)
            XFree(children);
        return found;
    }

    // The viewable X windows whose title is title, of any class.
    std::vector<std::pair<Window, std::string>> x_windows_titled(const std::string& title)
    {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        std::vector<std::pair<Window, std::string>> found;
        XSync(display, False);
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count; ++i) {
                XWindowAttributes a {};
                char* name = nullptr;
                if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable
                    && XFetchName(display, children[i], &name) && name && title == name) {
                    XClassHint hint {};
                    std::string class_name;
                    if (XGetClassHint(display, children[i], &hint)) {
                        class_name = hint.res_class ? hint.res_class : "";
                        XFree(hint.res_name);
                        XFree(hint.res_class);
                    }
                    found.emplace_back(children[i], class_name);
                }
                if (name)
                    XFree(name);
            }
        }
        if (children)
            XFree(children);
        return found;
    }

    // The viewable X window of class class_name whose title is title, or 0.
    Window x_window_titled(const std::string& class_name, const std::string& title)
    {
        for (const auto& [id, name] : x_windows_titled(title))
            if (name == class_name)
                return id;
        return 0;
    }

    RECT x_geometry(Window id) { return screen_picture::geometry(display, id); }
    gdi::Surface grab(RECT rect) { return screen_picture::grab(display, rect); }
    std::optional<sim::PictureSource> picture_in(Window id) { return screen_picture::channel_in(display, id); }
    std::optional<sim::PictureIdentity> identity_in(Window id) { return screen_picture::identity_in(display, id); }

    // The X window shows `expected` within a minute; otherwise what it showed last.
    std::optional<sim::PictureSource> shown(Window id, sim::PictureSource expected)
    {
        std::optional<sim::PictureSource> seen;
        eventually([&] { return (seen = picture_in(id)) == expected; });
        return seen;
    }

    // A window laid out as the frame: its style, rectangle and menu.
    static HWND layout_window(HWND frame)
    {
        static bool registered = false;
        if (!registered) {
            RegisterMainMenu();
            WNDCLASSA wc {};
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = "ScreenEndToEndLayout";
            RegisterClassA(&wc);
            registered = true;
        }
        RECT rect {};
        GetWindowRect(frame, &rect);
        HWND layout = CreateWindowExA(0, "ScreenEndToEndLayout", "", WS_OVERLAPPEDWINDOW, rect.left, rect.top,
            rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
        SetMenu(layout, LoadMenuA(nullptr, MAKEINTRESOURCEA(IDM_MAINMENU)));
        return layout;
    }

    // The menu-bar item's rectangle in window coordinates, laid out as the frame lays it out.
    static RECT menu_bar_item(HWND frame, int index)
    {
        HWND layout = layout_window(frame);
        auto items = user::menu_bar_items(layout);
        DestroyWindow(layout);
        return index < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(index)] : RECT {};
    }

    // The client area's rectangle in window coordinates, laid out as the frame lays it out.
    static RECT client_area(HWND frame)
    {
        RECT rect {};
        GetWindowRect(frame, &rect);
        HWND layout = layout_window(frame);
        RECT client {};
        GetClientRect(layout, &client);
        POINT origin { 0, 0 };
        ClientToScreen(layout, &origin);
        DestroyWindow(layout);
        shift(client, origin.x - rect.left, origin.y - rect.top);
        return client;
    }

    // How many pixels of exactly `rgb` the X window shows inside `area` (window coordinates).
    int pixels_of(Window id, RECT area, DWORD rgb)
    {
        RECT window = x_geometry(id);
        shift(area, window.left, window.top);
        gdi::Surface shot = grab(area);
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += (shot.row(y)[x] & 0xFFFFFFu) == rgb ? 1 : 0;
        return count;
    }

    // Clicks the frame's Control menu open; true when its popup shows.
    bool open_control_menu(HWND frame, Window id)
    {
        RECT item = menu_bar_item(frame, 1);
        if (item.right <= item.left)
            return false;
        xdotool("mousemove --window " + std::to_string(id) + " " + std::to_string((item.left + item.right) / 2) + " "
            + std::to_string((item.top + item.bottom) / 2) + " click 1");
        return eventually([&] { return x_window("OrbivanePopupMenu") != 0; });
    }

    // Clicks Options, then its first item, "&Preferences...": the sheet's X window, or 0.
    Window open_preferences(HWND frame, Window id)
    {
        RECT options = menu_bar_item(frame, 2);
        if (options.right <= options.left)
            return 0;
        xdotool("mousemove --window " + std::to_string(id) + " " + std::to_string((options.left + options.right) / 2) + " "
            + std::to_string((options.top + options.bottom) / 2) + " click 1");
        if (!eventually([&] { return x_window("OrbivanePopupMenu") != 0; }))
            return 0;
        xdotool("mousemove --window " + std::to_string(x_window("OrbivanePopupMenu")) + " 40 12 click 1");
        Window sheet = 0;
        eventually([&] { return (sheet = x_window("#32770", "Options")) != 0; });
        return sheet;
    }

    static std::optional<std::vector<BYTE>> saved(const char* name)
    {
        auto value = registry::read_value(HKEY_CURRENT_USER, SettingsKeyPath, name);
        return value ? std::optional(value->data) : std::nullopt;
    }

    static std::string saved_text(const char* name)
    {
        auto value = saved(name);
        return value ? std::string(value->begin(), std::find(value->begin(), value->end(), BYTE(0))) : "(none)";
    }

    static LONG saved_long(const char* name)
    {
        auto value = saved(name);
        LONG n = -1;
        if (value && value->size() == 4)
            std::memcpy(&n, value->data(), 4);
        return n;
    }

    // The settings of a desktop test: TV off, the tray icon on (so minimising hides to the tray),
    // and a channel that the current user's hive holds only once the program has saved it.
    static void desktop_settings(LONG channel)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        WriteByteValue(key, "TvStart", 0);
        WriteByteValue(key, "TrayIcon", 1);
        WriteByteValue(key, "MinimizeOnStart", 0);
        WriteDecimalValue(key, "Channel", channel);
        RegCloseKey(key);
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Channel");
            RegCloseKey(key);
        }
        registry::restart();
    }

    // A caption button's middle in window coordinates, laid out as the frame lays it out.
    static POINT caption_button_middle(HWND frame, int hit)
    {
        HWND layout = layout_window(frame);
        RECT r = user::caption_button(layout, hit);
        DestroyWindow(layout);
        return { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
    }

    void click_at(Window id, POINT at)
    {
        xdotool("mousemove --window " + std::to_string(id) + " " + std::to_string(at.x) + " " + std::to_string(at.y)
            + " click 1");
    }

    // Pixels of the program's own caption colour in the top rows of an X window.
    int caption_pixels(Window id)
    {
        RECT g = x_geometry(id);
        DWORD caption = gdi::pixel_from_colorref(GetSysColor(COLOR_ACTIVECAPTION)) & 0xFFFFFFu;
        return pixels_of(id, { 0, 0, g.right - g.left, std::min<LONG>(40, g.bottom - g.top) }, caption);
    }

    // The docked tray icon, once the tray shows it larger than a sliver, or 0.
    Window tray_icon()
    {
        Window icon = 0;
        eventually([&] {
            icon = x_window("OrbivaneTrayIcon");
            RECT g = icon ? x_geometry(icon) : RECT {};
            return g.right - g.left >= 16 && g.bottom - g.top >= 16;
        });
        return icon;
    }

    // How many columns of the screen over an X window show something other than `background`.
    int drawn_columns(Window id, DWORD background)
    {
        gdi::Surface shot = grab(x_geometry(id));
        int columns = 0;
        for (int x = 0; x < shot.width(); ++x) {
            bool drawn = false;
            for (int y = 0; y < shot.height() && !drawn; ++y)
                drawn = (shot.row(y)[x] & 0xFFFFFFu) != background;
            columns += drawn ? 1 : 0;
        }
        return columns;
    }

    Display* display = nullptr;
};

// The tray icon's own background, around the state icon.
constexpr DWORD kTrayBackground = 0xC0C0C0u;

const std::vector<std::string> kTrayer { "/usr/bin/trayer", "--edge", "bottom", "--align", "right", "--widthtype",
    "request", "--height", "32", "--SetDockType", "true" };

// The Control menu's "&TV" item in its popup: below three items of 20 pixels and a separator of 8,
// inside a 2-pixel edge.
constexpr int kTvItemX = 40;
constexpr int kTvItemY = 2 + 3 * 20 + 8 + 10;

TEST_F(ScreenEndToEnd, TvFromTheMenuChannelUpFromTheKeyboardAndAllOfItBackAfterARestart)
{
    // TV at start: the state at the last exit.
    machine_settings({ byte_setting("TvStart", 2) });

    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame) << "the main frame of class \"Orbivane\" appears";
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; })) << "and shows on the display";
    EXPECT_EQ(picture_in(id), std::nullopt) << "TV starts off";

    // Control, then TV.
    ASSERT_TRUE(open_control_menu(frame, id));
    Window menu = x_window("OrbivanePopupMenu");
    xdotool("mousemove --window " + std::to_string(menu) + " " + std::to_string(kTvItemX) + " "
        + std::to_string(kTvItemY) + " click 1");
    EXPECT_TRUE(eventually([&] { return x_window("OrbivanePopupMenu") == 0; }));
    EXPECT_EQ(shown(id, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));

    // Page Up with the pointer over the window: the next channel.
    EXPECT_TRUE(press(id, "Prior", [&] { return picture_in(id) == sim::PictureSource::channel(6); }, { 100, 150 }));
    EXPECT_EQ(shown(id, sim::PictureSource::channel(6)), sim::PictureSource::channel(6));
    // TV on laid the frame out for a 4:3 picture: what it adds to that is its caption, menu and bars.
    RECT laid {};
    GetWindowRect(frame, &laid);
    const int extra = (laid.bottom - laid.top) - (laid.right - laid.left) * 3 / 4;

    // Moved and resized as a window manager does it, then closed with Alt+F4.
    const RECT moved { 120, 60, 120 + 760, 60 + 600 };
    XMoveResizeWindow(display, id, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top);
    XFlush(display);
    ASSERT_TRUE(eventually([&] {
        RECT r {};
        GetWindowRect(frame, &r);
        return same(r, moved);
    }));
    ASSERT_TRUE(press(id, "alt+F4", [&] { return x_window("Orbivane") == 0; }, { 100, 150 }));
    ASSERT_EQ(wait_exit(program), 0);
    registry::forget_hives();
    EXPECT_EQ(saved("TvState"), std::vector<BYTE> { 1 }) << "TV was on at exit";
    EXPECT_EQ(saved_text("Channel"), "6");
    EXPECT_EQ(saved_long("WindowX"), moved.left);
    EXPECT_EQ(saved_long("WindowY"), moved.top);
    EXPECT_EQ(saved_long("WindowW"), moved.right - moved.left);
    EXPECT_EQ(saved_long("WindowH"), moved.bottom - moved.top);

    // Started again: where it was and as wide, TV on, channel 6, and as high as a 4:3 picture needs.
    program = start_program();
    frame = main_window();
    ASSERT_TRUE(frame);
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    const RECT restored { moved.left, moved.top, moved.right, moved.top + (moved.right - moved.left) * 3 / 4 + extra };
    EXPECT_TRUE(eventually([&] {
        RECT g = x_geometry(id);
        return same(g, restored);
    })) << "the X window is at the saved place";
    RECT placed {};
    GetWindowRect(frame, &placed);
    EXPECT_TRUE(same(placed, restored));
    EXPECT_EQ(shown(id, sim::PictureSource::channel(6)), sim::PictureSource::channel(6));

    // Home turns TV off: the picture goes, and so does the state at exit.
    EXPECT_TRUE(press(id, "Home", [&] { return !picture_in(id); }, { 100, 150 }));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
    registry::forget_hives();
    EXPECT_EQ(saved("TvState"), std::vector<BYTE> { 0 });
}

// Colours of the bar pictures: the TV button's dark screen (TV off) and blue screen (TV on), and
// the Record button's red.
constexpr DWORD kTvOffScreen = 0x404856;
constexpr DWORD kTvOnScreen = 0x2F8FE0;
constexpr DWORD kRecordRed = 0xD8302A;

TEST_F(ScreenEndToEnd, BothBarsShowTheirTvButtonSwitchesTvOnAndFullWindowComesAndGoesByTheKeys)
{
    // TV off at start, in a window that fits the screen.
    machine_settings({
        byte_setting("TvStart", 0),
        dword_setting("WindowX", 40),
        dword_setting("WindowY", 40),
        dword_setting("WindowW", 640),
        dword_setting("WindowH", 560),
    });

    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    const RECT client = client_area(frame);
    // The TV button is the top bar's first gadget, the Record button the bottom bar's.
    const RECT tvButton { client.left, client.top, client.left + 30, client.top + 28 };
    const RECT recordButton { client.left, client.bottom - 28, client.left + 30, client.bottom };
    EXPECT_TRUE(eventually([&] { return pixels_of(id, tvButton, kTvOffScreen) > 0; })) << "the top bar";
    EXPECT_GT(pixels_of(id, recordButton, kRecordRed), 0) << "the bottom bar";
    EXPECT_EQ(picture_in(id), std::nullopt);

    // A click on the TV button.
    ASSERT_EQ(xdotool("mousemove --window " + std::to_string(id) + " " + std::to_string(tvButton.left + 13) + " "
                  + std::to_string(tvButton.top + 12) + " click 1"),
        0);
    EXPECT_TRUE(eventually([&] { return picture_in(id).has_value(); })) << "TV is on";
    EXPECT_TRUE(eventually([&] { return pixels_of(id, client_area(frame), kTvOnScreen) > 0; }))
        << "the TV button shows TV on";
    if (const char* path = std::getenv("ORBIVANE_SCREENSHOT")) {
        xdotool("mousemove 1000 740");
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the bars painted
        EXPECT_TRUE(gdi::write_png(grab(x_geometry(id)), path));
    }

    // Full window from the Control menu by the keys: no menu, no bars, the picture on.
    ASSERT_TRUE(press(id, "alt+c", [&] { return x_window("OrbivanePopupMenu") != 0; }));
    ASSERT_EQ(xdotool("key Down Down Return"), 0);
    EXPECT_TRUE(eventually([&] {
        RECT whole = x_geometry(id);
        shift(whole, -whole.left, -whole.top);
        return pixels_of(id, whole, kTvOnScreen) == 0 && pixels_of(id, whole, kRecordRed) == 0;
    })) << "the bars are gone";
    EXPECT_TRUE(eventually([&] { return picture_in(id).has_value(); }));

    // Back from the context menu (Shift+F10) by the keys: Normal Screen, the bars again.
    ASSERT_TRUE(press(id, "shift+F10", [&] { return x_window("OrbivanePopupMenu") != 0; }));
    ASSERT_EQ(xdotool("key Down Down Down Return"), 0);
    EXPECT_TRUE(eventually([&] {
        RECT area = client_area(frame);
        RECT bottom { area.left, area.bottom - 28, area.left + 30, area.bottom };
        return pixels_of(id, bottom, kRecordRed) > 0;
    })) << "the bars are back";
    EXPECT_TRUE(eventually([&] { return picture_in(id).has_value(); }));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
}

// Where a control of the Preferences sheet is, relative to the sheet's window: the same sheet laid
// out in this process (its controls are the program's own, out of reach from here).
struct SheetSpots {
    POINT general_tab, on_top, file_tab, size, ok;
};

// The middle of a window, relative to another window's top left corner.
POINT spot_of(HWND in, HWND control)
{
    RECT w {}, r {};
    GetWindowRect(in, &w);
    GetWindowRect(control, &r);
    return POINT { (r.left + r.right) / 2 - w.left, (r.top + r.bottom) / 2 - w.top };
}

// The middle of a sheet's tab `index` as the tabs lie now, relative to the sheet's window.
POINT tab_spot(HWND sheet, int index)
{
    RECT w {}, tab {};
    GetWindowRect(sheet, &w);
    HWND tabs = GetDlgItem(sheet, IDC_TABCONTROL);
    SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tab));
    MapWindowPoints(tabs, nullptr, reinterpret_cast<LPPOINT>(&tab), 2);
    return POINT { (tab.left + tab.right) / 2 - w.left, (tab.top + tab.bottom) / 2 - w.top };
}

// The index of the sheet's tab named `caption`, or -1.
int tab_of(HWND sheet, const char* caption)
{
    HWND tabs = GetDlgItem(sheet, IDC_TABCONTROL);
    int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        TCITEMA item {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        if (std::strcmp(text, caption) == 0)
            return i;
    }
    return -1;
}

HWND shown_page(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// Lays the program's Preferences sheet out in this process and runs `measure` on it (with the
// modal dialogs it opens scripted as the caller set them), then cancels it.
void measure_preferences(const std::function<void(HWND sheet)>& measure)
{
    LONG format = 3;
    OWL::TPropertySheet sheet(nullptr, "Options", 0, false, PSH_NOAPPLYNOW);
    App::AddPreferencesPages(sheet, &format);
    user::testing::set_dialog_script(OWL::PropertySheetTemplateId, [&](const user::testing::ModalDialog& d) {
        measure(d.dialog);
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    sheet.Execute();
    user::testing::reset();
}

SheetSpots preferences_spots()
{
    SheetSpots spots {};
    measure_preferences([&](HWND sheet) {
        int general = tab_of(sheet, "General");
        spots.general_tab = tab_spot(sheet, general);
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(general), 0);
        spots.on_top = spot_of(sheet, GetDlgItem(shown_page(sheet), 302));
        int file = tab_of(sheet, "File");
        spots.file_tab = tab_spot(sheet, file);
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(file), 0);
        spots.size = spot_of(sheet, GetDlgItem(shown_page(sheet), 1304));
        spots.ok = spot_of(sheet, GetDlgItem(sheet, IDOK));
    });
    return spots;
}

// Where the folder picker's path field is, relative to the picker's window, laid out here.
POINT picker_path_field()
{
    POINT spot {};
    user::testing::set_dialog_script(NEWFILEOPENORD, [&](const user::testing::ModalDialog& d) {
        RECT window {}, field {};
        GetWindowRect(d.dialog, &window);
        GetWindowRect(GetDlgItem(d.dialog, TDirPick::PathFieldId), &field);
        spot = { (field.left + field.right) / 2 - window.left, (field.top + field.bottom) / 2 - window.top };
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    char path[260] = "";
    TDirPick(nullptr, path).Execute();
    user::testing::reset();
    return spot;
}

// The Options menu's Preferences: the sheet opens on the display, and a box clicked on the General
// page and a size typed on the File page (a page first shown by a click on its tab) are saved at OK.
TEST_F(ScreenEndToEnd, PreferencesFromTheMenuSavesClickedAndTypedChangesAtOk)
{
    const SheetSpots spots = preferences_spots();
    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));

    Window sheet = open_preferences(frame, id);
    ASSERT_TRUE(sheet) << "the sheet shows";

    auto click = [&](POINT at) {
        xdotool("mousemove --window " + std::to_string(sheet) + " " + std::to_string(at.x) + " " + std::to_string(at.y)
            + " click 1");
    };
    click(spots.general_tab);
    click(spots.on_top);     // General: "&Always on top"
    click(spots.file_tab);   // the "File" tab
    click(spots.size);
    xdotool("key End BackSpace BackSpace BackSpace");
    xdotool("type 350");
    click(spots.ok);
    EXPECT_TRUE(eventually([&] { return x_window("#32770") == 0; })) << "OK closes the sheet";
    registry::forget_hives();
    EXPECT_EQ(saved("OnTop"), std::vector<BYTE> { 1 });
    EXPECT_EQ(saved_text("FileSize"), "350");

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
}

// Without a window manager: the program's caption with its buttons. Minimise hides the window to
// a real tray panel, whose icon brings it back; close ends the program with its settings saved.
TEST_F(ScreenEndToEnd, TheCaptionsButtonsMinimiseToTheTrayAndCloseWithTheSettingsSaved)
{
    DesktopHelper tray;
    if (!tray.start(s_server->name(), kTrayer, [&] { return DesktopHelper::tray_runs(display); }))
        GTEST_SKIP() << "trayer is not available";
    desktop_settings(11);
    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    EXPECT_TRUE(eventually([&] { return caption_pixels(id) > 0; })) << "the program draws its caption";
    Window icon = tray_icon();
    ASSERT_TRUE(icon) << "the tray shows the icon";

    click_at(id, caption_button_middle(frame, HTMINBUTTON));
    EXPECT_TRUE(eventually([&] { return x_window("Orbivane") == 0 && !IsWindowVisible(frame); }))
        << "minimised to the tray";
    EXPECT_TRUE(tray_icon());

    click_at(icon, { 8, 8 });
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; })) << "restored by the tray icon";

    click_at(id, caption_button_middle(frame, HTCLOSE));
    EXPECT_EQ(wait_exit(program), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_text("Channel"), "11") << "saved at the close";
}

// The same screen with a window manager (openbox) and a tray panel (trayer) running.
class ManagedScreenEndToEnd : public ScreenEndToEnd {
protected:
    static inline DesktopHelper* s_manager = nullptr;
    static inline DesktopHelper* s_tray = nullptr;

    static void SetUpTestSuite()
    {
        ScreenEndToEnd::SetUpTestSuite();
        if (!s_server)
            return;
        s_manager = new DesktopHelper;
        s_tray = new DesktopHelper;
        Display* d = s_server->display();
        if (!s_manager->start(s_server->name(), { "/usr/bin/openbox", "--sm-disable" },
                [d] { return DesktopHelper::window_manager_frames(d); })
            || !s_tray->start(s_server->name(), kTrayer, [d] { return DesktopHelper::tray_runs(d); })) {
            delete s_tray;
            s_tray = nullptr;
            delete s_manager;
            s_manager = nullptr;
        }
    }

    static void TearDownTestSuite()
    {
        delete s_tray;
        s_tray = nullptr;
        delete s_manager;
        s_manager = nullptr;
        ScreenEndToEnd::TearDownTestSuite();
    }

    void SetUp() override
    {
        if (!s_manager || !s_tray)
            GTEST_SKIP() << "Xvfb, openbox or trayer is not available";
        ScreenEndToEnd::SetUp();
    }

    std::vector<long> frame_extents(Window id) { return DesktopHelper::frame_extents(display, id); }
};

TEST_F(ManagedScreenEndToEnd, OneTitleBarAVisibleTrayIconAndTheManagersMinimiseAndCloseWithTheSettingsSaved)
{
    desktop_settings(12);
    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0 && frame_extents(id).size() == 4; }));
    EXPECT_GT(frame_extents(id)[2], 0) << "the manager draws the title bar";
    // The X window is the frame below its caption and border, and shows no caption of its own.
    HWND layout = layout_window(frame);
    RECT inset = user::decoration_insets(layout);
    DestroyWindow(layout);
    ASSERT_GT(inset.top, 0);
    EXPECT_TRUE(eventually([&] {
        RECT r {};
        GetWindowRect(frame, &r);
        RECT g = x_geometry(id);
        return g.bottom - g.top == r.bottom - r.top - inset.top - inset.bottom
            && g.right - g.left == r.right - r.left - inset.left - inset.right;
    }));
    EXPECT_EQ(caption_pixels(id), 0) << "one title bar";

    // The tray icon: docked at the tray's size, its picture on screen, and a click that restores.
    Window icon = tray_icon();
    ASSERT_TRUE(icon);
    EXPECT_TRUE(eventually([&] { return drawn_columns(icon, kTrayBackground) >= 8; })) << "the state icon is drawn";
    ASSERT_EQ(xdotool("windowminimize " + std::to_string(id)), 0);
    EXPECT_TRUE(eventually([&] { return x_window("Orbivane") == 0 && !IsWindowVisible(frame); }))
        << "minimised to the tray";
    click_at(icon, { 8, 8 });
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; })) << "restored by the tray icon";

    DesktopHelper::ask_manager(display, id, "_NET_CLOSE_WINDOW", CurrentTime, 2);
    EXPECT_EQ(wait_exit(program), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_text("Channel"), "12") << "saved at the manager's close";

    // Ended by the session (SIGTERM): closed the same way, its settings saved.
    desktop_settings(13);
    program = start_program();
    ASSERT_TRUE(main_window());
    ASSERT_TRUE(eventually([&] { return x_window("Orbivane") != 0; }));
    kill(program, SIGTERM);
    EXPECT_EQ(wait_exit(program), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_text("Channel"), "13") << "saved at SIGTERM";
}

// Where the archive browser's tree and its Open file button are, relative to the dialog's window.
// A screen larger than the platform's built-in one (1280 x 1024).
class LargeScreenEndToEnd : public ScreenEndToEnd {
protected:
    static void SetUpTestSuite() { start_server(430, "1920x1080x24"); }
};

TEST_F(LargeScreenEndToEnd, TheWindowComesBackAtItsSavedPlaceAndWidthBeyondTheBuiltInScreen)
{
    // The height follows the picture's shape; the place and the width are the saved ones.
    const RECT saved { 300, 100, 300 + 1500, 100 + 900 };
    machine_settings({ dword_setting("WindowX", saved.left), dword_setting("WindowY", saved.top),
        dword_setting("WindowW", saved.right - saved.left), dword_setting("WindowH", saved.bottom - saved.top) });
    auto placed_as_saved = [&](const RECT& r) { return r.left == saved.left && r.top == saved.top && r.right == saved.right; };
    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    EXPECT_TRUE(eventually([&] { return placed_as_saved(x_geometry(id)); })) << "not cut to a smaller screen";
    RECT placed {};
    GetWindowRect(frame, &placed);
    EXPECT_TRUE(placed_as_saved(placed));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
}

// A screen of its own for a test that ends its X server.
class EndedScreenEndToEnd : public ScreenEndToEnd {
protected:
    static void SetUpTestSuite() { start_server(460, "1024x768x24"); }
};

TEST_F(EndedScreenEndToEnd, TheXServerEndingUnderLiveTvClosesTheProgramWithItsSettingsSaved)
{
    desktop_settings(14);
    machine_settings({ byte_setting("TvStart", 1), no_setting("WindowX"), no_setting("WindowY"), no_setting("WindowW"),
        no_setting("WindowH") });
    pid_t program = start_program();
    ASSERT_TRUE(main_window());
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    EXPECT_EQ(shown(id, sim::PictureSource::channel(14)), sim::PictureSource::channel(14));
    // Frames keep coming while the server goes: their puts meet a closed connection.
    s_server->stop();
    display = nullptr;
    EXPECT_EQ(wait_exit(program), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_text("Channel"), "14") << "saved as at the session's end";
}

struct ArchiveSpots {
    RECT tree;
    POINT first_row, first_button, open;
};

ArchiveSpots archive_spots()
{
    ArchiveSpots spots {};
    char path[260] = "";
    TArchDialog dialog(nullptr, path);
    user::testing::set_dialog_script(IDD_ARCHIVE, [&](const user::testing::ModalDialog& d) {
        RECT window {};
        GetWindowRect(d.dialog, &window);
        auto relative = [&](HWND c) {
            RECT r {};
            GetWindowRect(c, &r);
            shift(r, -window.left, -window.top);
            return r;
        };
        spots.tree = relative(GetDlgItem(d.dialog, IDC_ARCHIVE_TREE));
        spots.first_row = { spots.tree.left + 40, spots.tree.top + 10 };
        spots.first_button = { spots.tree.left + 9, spots.tree.top + 10 };
        RECT open = relative(GetDlgItem(d.dialog, IDOK));
        spots.open = { (open.left + open.right) / 2, (open.top + open.bottom) / 2 };
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    dialog.Execute();
    user::testing::reset();
    return spots;
}

// The Control menu's "VCR archives...": below three items, a separator and five items.
constexpr int kArchivesItemY = 2 + 3 * 20 + 8 + 5 * 20 + 10;

// The program records, then its "VCR archives..." shows the recording in its tree; the file chosen
// there and opened is what Play then shows.
TEST_F(ScreenEndToEnd, VcrArchivesShowsTheRecordingsMadeAndOpensTheOneChosenForPlay)
{
    const ArchiveSpots spots = archive_spots();
    std::string folder = temp_dir("screen-archive");
    desktop_settings(5);
    machine_settings({
        byte_setting("DefaultMediaFormat", 0),
        text_setting("DefaultDirectory", base::to_windows_path(folder)),
    });

    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    auto title = [frame] {
        char text[300] = {};
        GetWindowTextA(frame, text, sizeof text);
        return std::string(text);
    };
    PostMessageA(frame, WM_COMMAND, 1800, 0); // TV on
    EXPECT_EQ(shown(id, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));
    PostMessageA(frame, WM_COMMAND, 1808, 0); // Record
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(folder + "/tv_1.avi"); }));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    PostMessageA(frame, WM_COMMAND, 1807, 0); // Stop
    PostMessageA(frame, WM_COMMAND, 1800, 0); // TV off
    EXPECT_TRUE(eventually([&] { return !picture_in(id); }));

    ASSERT_TRUE(open_control_menu(frame, id));
    xdotool("mousemove --window " + std::to_string(x_window("OrbivanePopupMenu")) + " " + std::to_string(kTvItemX) + " "
        + std::to_string(kArchivesItemY) + " click 1");
    Window dialog = 0;
    ASSERT_TRUE(eventually([&] { return (dialog = x_window("#32770")) != 0; })) << "the archive shows";
    EXPECT_TRUE(eventually([&] { return pixels_of(dialog, spots.tree, 0x000000) > 20; })) << "its tree has a row";

    auto click = [&](POINT at) {
        xdotool("mousemove --window " + std::to_string(dialog) + " " + std::to_string(at.x) + " " + std::to_string(at.y)
            + " click 1");
    };
    click(spots.first_row); // "<unscheduled>"
    click(spots.first_button); // opens it: Right is the main window's Skip forward
    xdotool("key Down");
    click(spots.open);
    EXPECT_TRUE(eventually([&] { return x_window("#32770") == 0; })) << "Open file closes the archive";
    EXPECT_TRUE(eventually([&] { return title() == "tv_1.avi Orbivane"; })) << title();

    EXPECT_TRUE(press(id, "ctrl+p", [&] { return picture_in(id) == sim::PictureSource::channel(5); }, { 100, 150 }))
        << "the recording plays";
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
}

// A recording made from the keyboard, opened through File, Open by typing its path and Return in
// the dialog on the display, played, stopped, played on and, once at its end, replayed from its
// start.
TEST_F(ScreenEndToEnd, ARecordingOpenedThroughTheOpenDialogPlaysInTheWindowStopsAndReplaysFromTheStart)
{
    const std::string folder = temp_dir("screen-recordings");
    machine_settings({
        byte_setting("TvStart", 1),
        byte_setting("DefaultMediaFormat", 0),
        text_setting("DefaultDirectory", base::to_windows_path(folder)),
        text_setting("ImprovedFilePattern", ""),
        dword_setting("WindowX", 40),
        dword_setting("WindowY", 40),
        dword_setting("WindowW", 640),
        dword_setting("WindowH", 560),
    });

    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    std::optional<sim::PictureSource> channel;
    ASSERT_TRUE(eventually([&] { return (channel = picture_in(id)).has_value(); })) << "TV is on";

    // Five seconds of the channel.
    const std::string recording = folder + "/tv_1.avi";
    ASSERT_TRUE(press(id, "ctrl+r", [&] { return std::filesystem::exists(recording); })) << "Ctrl+R records";
    std::this_thread::sleep_for(std::chrono::seconds(5));
    ASSERT_TRUE(press(id, "ctrl+s", stops_growing(recording))) << "Ctrl+S stops the recording";
    ASSERT_TRUE(press(id, "Home", [&] { return !picture_in(id); })) << "TV is off";

    // File, then its first item, "&Open...": the path typed, then Return.
    RECT file = menu_bar_item(frame, 0);
    ASSERT_GT(file.right, file.left);
    xdotool("mousemove --window " + std::to_string(id) + " " + std::to_string((file.left + file.right) / 2) + " "
        + std::to_string((file.top + file.bottom) / 2) + " click 1");
    ASSERT_TRUE(eventually([&] { return x_window("OrbivanePopupMenu") != 0; }));
    xdotool("mousemove --window " + std::to_string(x_window("OrbivanePopupMenu")) + " 40 12 click 1");
    Window dialog = 0;
    ASSERT_TRUE(eventually([&] { return (dialog = x_window("#32770")) != 0; })) << "the Open dialog shows";
    const std::string at = "mousemove --window " + std::to_string(dialog) + " 10 10 ";
    ASSERT_EQ(xdotool(at + "type --delay 20 '" + recording + "'"), 0);
    ASSERT_EQ(xdotool(at + "key Return"), 0);
    ASSERT_TRUE(eventually([&] { return x_window("#32770") == 0; })) << "Return in the name field opens the file";

    // Play: the recording's picture; Stop holds it; Play again goes on.
    std::optional<sim::PictureIdentity> seen;
    // A second into it, so that a replay from the start shows earlier frames than Stop held for
    // long enough to be seen (a frame lasts 40 ms; a look at the screen can take longer under load).
    ASSERT_TRUE(press(id, "ctrl+p", [&] { return (seen = identity_in(id)) && seen->source == *channel && seen->frame >= 25; }))
        << "the recording plays in the window";
    // Stopped once the picture keeps its frame for half a second.
    std::optional<sim::PictureIdentity> stopped;
    auto holds = [&] {
        stopped = identity_in(id);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        auto now = identity_in(id);
        return stopped && now && now->frame == stopped->frame;
    };
    ASSERT_TRUE(press(id, "ctrl+s", holds)) << "Stop holds the picture";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    auto held = identity_in(id);
    ASSERT_TRUE(stopped && held);
    EXPECT_EQ(held->frame, stopped->frame) << "Stop holds the picture";
    EXPECT_TRUE(press(id, "ctrl+p", [&] {
        auto now = identity_in(id);
        return now && now->frame != stopped->frame;
    })) << "Play goes on (or, stopped at the end, starts again)";

    // Play at the end starts again from the start; before the end it only plays on, so Play is
    // pressed now and then until the file has reached its end.
    int polls = 0;
    EXPECT_TRUE(eventually([&] {
        if (polls++ % 20 == 0 && point_at(id, { 200, 200 }))
            xdotool("key ctrl+p");
        auto now = identity_in(id);
        return now && now->frame < stopped->frame;
    })) << "replayed from the start";

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
}

// Where the Stations page's and the station editor's controls are, relative to the sheet's and
// the editor's windows, and every tab of the sheet; laid out in this process as above.
struct StationSpots {
    std::vector<POINT> tabs; // tab i while tab i - 1 is chosen (the rows of tabs turn with the choice)
    POINT stations_tab;      // while the last tab is chosen
    RECT page {}; // the page's area in the sheet's window
    POINT new_station, surf_defined, manage_profiles, ok;
    POINT channel, name, editor_ok;
};

StationSpots station_spots()
{
    StationSpots spots {};
    user::testing::set_dialog_script(IDD_STATION, [&](const user::testing::ModalDialog& d) {
        spots.channel = spot_of(d.dialog, GetDlgItem(d.dialog, 701));
        spots.name = spot_of(d.dialog, GetDlgItem(d.dialog, 703));
        spots.editor_ok = spot_of(d.dialog, GetDlgItem(d.dialog, IDOK));
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    measure_preferences([&](HWND sheet) {
        int count = static_cast<int>(SendMessageA(GetDlgItem(sheet, IDC_TABCONTROL), TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i - 1), 0);
            spots.tabs.push_back(tab_spot(sheet, i));
        }
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
        spots.stations_tab = tab_spot(sheet, 2);
        SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
        RECT window {}, area {};
        GetWindowRect(sheet, &window);
        GetWindowRect(shown_page(sheet), &area);
        spots.page = { area.left - window.left, area.top - window.top, area.right - window.left, area.bottom - window.top };
        SendMessageA(sheet, PSM_SETCURSEL, 2, 0);
        spots.new_station = spot_of(sheet, GetDlgItem(shown_page(sheet), 1702));
        spots.surf_defined = spot_of(sheet, GetDlgItem(shown_page(sheet), 101));
        user::testing::press_dialog_button(shown_page(sheet), 1702);
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
        spots.manage_profiles = spot_of(sheet, GetDlgItem(shown_page(sheet), 2212));
        spots.ok = spot_of(sheet, GetDlgItem(sheet, IDOK));
    });
    return spots;
}

// The Preferences sheet on the display: each of its seven tabs shows a page of its own (the last,
// WinMedia, with its Manage Profiles button); a station added on the Stations page, with "Only surf
// defined stations", is where Page Up goes after OK.
TEST_F(ScreenEndToEnd, PreferencesShowsSevenPagesAndAStationAddedThereIsReachedByPageUp)
{
    const StationSpots spots = station_spots();
    ASSERT_EQ(spots.tabs.size(), 7u);
    machine_settings({ byte_setting("TvStart", 1), decimal_setting("Channel", 5) });

    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    EXPECT_EQ(shown(id, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));

    Window sheet = open_preferences(frame, id);
    ASSERT_TRUE(sheet) << "the sheet shows";
    auto click = [&](Window window, POINT at) {
        xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(at.x) + " " + std::to_string(at.y)
            + " click 1");
    };
    // Every tab brings a page of its own on screen.
    std::vector<gdi::Surface> pages;
    for (POINT tab : spots.tabs) {
        click(sheet, tab);
        RECT area = spots.page;
        RECT window = x_geometry(sheet);
        shift(area, window.left, window.top);
        gdi::Surface seen;
        EXPECT_TRUE(eventually([&] {
            seen = grab(area);
            for (const gdi::Surface& other : pages)
                if (other.width() == seen.width() && other.height() == seen.height()
                    && std::memcmp(other.pixels(), seen.pixels(), other.stride() * static_cast<std::size_t>(other.height())) == 0)
                    return false;
            return !seen.empty();
        })) << "tab " << pages.size();
        pages.push_back(std::move(seen));
    }
    click(sheet, spots.manage_profiles);
    Window profiles = 0;
    EXPECT_TRUE(eventually([&] { return (profiles = x_window("#32770", "Profiles")) != 0; }))
        << "the last page is WinMedia's";
    xdotool("key Escape");
    EXPECT_TRUE(eventually([&] { return x_window("#32770", "Profiles") == 0; }));

    // Stations: a new station on channel 40, surfing only the stations.
    click(sheet, spots.stations_tab);
    click(sheet, spots.new_station);
    Window editor = 0;
    ASSERT_TRUE(eventually([&] { return (editor = x_window("#32770", "Station")) != 0; }));
    click(editor, spots.channel);
    xdotool("key End BackSpace BackSpace BackSpace");
    xdotool("type 40");
    click(editor, spots.name);
    xdotool("type Forty");
    click(editor, spots.editor_ok);
    EXPECT_TRUE(eventually([&] { return x_window("#32770", "Station") == 0; }));
    click(sheet, spots.surf_defined);
    click(sheet, spots.ok);
    EXPECT_TRUE(eventually([&] { return x_window("#32770", "Options") == 0; })) << "OK closes the sheet";

    EXPECT_TRUE(press(id, "Prior", [&] { return picture_in(id) == sim::PictureSource::channel(40); }, { 100, 150 }));
    EXPECT_EQ(shown(id, sim::PictureSource::channel(40)), sim::PictureSource::channel(40));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_text("Station0"), "40");
    EXPECT_EQ(saved_text("StationName0"), "Forty");
}

// The recording folder changed on the File page from the keyboard (Tab to "Browse...", a new
// folder typed into the picker's path field and made when the picker asks), OK, and the next
// recording (Ctrl+R) lands in the new folder.
TEST_F(ScreenEndToEnd, ARecordingFolderChosenInPreferencesReceivesTheNextRecording)
{
    const SheetSpots spots = preferences_spots();
    const std::string before = temp_dir("orbivane-screen-before");
    const std::string parent = temp_dir("orbivane-screen-after");
    const std::string after = parent + "/Recordings";
    auto windows_form = [](std::string path) {
        std::replace(path.begin(), path.end(), '/', '\\');
        return path + "\\";
    };
    machine_settings({ byte_setting("TvStart", 0), text_setting("DefaultDirectory", windows_form(before)) });
    auto recordings_in = [](const std::string& folder) {
        std::vector<std::filesystem::path> found;
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(folder, missing))
            if (entry.is_regular_file())
                found.push_back(entry.path());
        return found;
    };

    pid_t program = start_program();
    HWND frame = main_window();
    ASSERT_TRUE(frame);
    Window id = 0;
    ASSERT_TRUE(eventually([&] { return (id = x_window("Orbivane")) != 0; }));
    RECT options = menu_bar_item(frame, 2);
    xdotool("mousemove --window " + std::to_string(id) + " " + std::to_string((options.left + options.right) / 2) + " "
        + std::to_string((options.top + options.bottom) / 2) + " click 1");
    ASSERT_TRUE(eventually([&] { return x_window("OrbivanePopupMenu") != 0; }));
    xdotool("mousemove --window " + std::to_string(x_window("OrbivanePopupMenu")) + " 40 12 click 1");
    Window sheet = 0;
    ASSERT_TRUE(eventually([&] { return (sheet = x_window_titled("#32770", "Options")) != 0; }));
    auto click = [&](Window on, POINT at) {
        xdotool("mousemove --window " + std::to_string(on) + " " + std::to_string(at.x) + " " + std::to_string(at.y)
            + " click 1");
    };

    // The "File" tab clicked (from the General page, where its spot was measured): the focus is on
    // the tabs, and Tab goes into the page, to "Browse...".
    click(sheet, spots.general_tab);
    click(sheet, spots.file_tab);
    xdotool("key Tab Return");
    Window picker = 0;
    ASSERT_TRUE(eventually([&] { return (picker = x_window_titled("#32770", "Select directory")) != 0; }))
        << "Browse opens the folder picker";
    // A click in the path field, whose text the new folder replaces.
    click(picker, picker_path_field());
    xdotool("key End shift+Home");
    xdotool("type --delay 20 '" + windows_form(after) + "'");
    xdotool("key Return");
    ASSERT_TRUE(eventually([&] { return x_windows_titled("Select directory").size() == 2; }))
        << "the picker asks whether to make the missing folder";
    xdotool("key Return");
    EXPECT_TRUE(eventually([&] { return x_windows_titled("Select directory").empty(); })) << "Select takes the folder";
    EXPECT_TRUE(std::filesystem::is_directory(after)) << "the folder was made";
    click(sheet, spots.ok);
    ASSERT_TRUE(eventually([&] { return x_window_titled("#32770", "Options") == 0; }));
    registry::forget_hives();
    EXPECT_EQ(saved_text("DefaultDirectory"), windows_form(after));

    // Ctrl+R over the main window records TV into the new folder.
    EXPECT_TRUE(press(id, "ctrl+r", [&] { return !recordings_in(after).empty(); })) << "the recording is in the new folder";
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(program), 0);
    auto made = recordings_in(after);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].filename().string().rfind("tv", 0), 0u) << made[0];
    EXPECT_GT(std::filesystem::file_size(made[0]), 0u);
    EXPECT_TRUE(recordings_in(before).empty());
}

}
