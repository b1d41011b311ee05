#include <shell/Testing.h>
#include <shell/TrayIcon.h>

#include <user/User.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr UINT kCallback = WM_USER + 234;

class TrayIconTest : public testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc {};
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = "TrayOwner";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        owner = CreateWindowExA(0, "TrayOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
            nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override
    {
        shell::testing::reset();
        DestroyWindow(owner);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ;
    }
    NOTIFYICONDATAA data(UINT flags, const char* tip = "Orbivane", HICON icon = nullptr)
    {
        NOTIFYICONDATAA d {};
        d.cbSize = 88;
        d.hWnd = owner;
        d.uID = 1200;
        d.uFlags = flags;
        d.uCallbackMessage = kCallback;
        d.hIcon = icon;
        std::strncpy(d.szTip, tip, sizeof d.szTip);
        return d;
    }
    HWND owner = nullptr;
};

HICON fake_icon(int n) { return reinterpret_cast<HICON>(static_cast<INT_PTR>(0x1000 + n)); }

TEST_F(TrayIconTest, AddModifyDeleteKeepTheIconsStateAndTellTheObserver)
{
    std::vector<std::pair<shell::TrayEvent, std::string>> seen;
    shell::set_tray_observer([&](shell::TrayEvent e, const shell::TrayIcon& icon) { seen.emplace_back(e, icon.tip); });

    auto add = data(NIF_MESSAGE | NIF_ICON | NIF_TIP, "Orbivane", fake_icon(1));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &add));
    auto icons = shell::tray_icons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].owner, owner);
    EXPECT_EQ(icons[0].id, 1200u);
    EXPECT_EQ(icons[0].callback_message, kCallback);
    EXPECT_EQ(icons[0].icon, fake_icon(1));
    EXPECT_EQ(icons[0].tip, "Orbivane");

    // Only the flagged fields change.
    auto modify = data(NIF_ICON | NIF_TIP, "Recording", fake_icon(2));
    modify.uCallbackMessage = 0;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &modify));
    icons = shell::tray_icons();
    EXPECT_EQ(icons[0].callback_message, kCallback);
    EXPECT_EQ(icons[0].icon, fake_icon(2));
    EXPECT_EQ(icons[0].tip, "Recording");

    auto remove = data(NIF_ICON);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &remove));
    EXPECT_TRUE(shell::tray_icons().empty());

    using E = shell::TrayEvent;
    std::vector<std::pair<E, std::string>> expected { { E::Added, "Orbivane" }, { E::Modified, "Recording" },
        { E::Deleted, "Recording" } };
    EXPECT_EQ(seen, expected);
}

TEST_F(TrayIconTest, RefusesUnknownIconsDuplicatesAndDeadOwners)
{
    auto d = data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &d));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &d));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &d));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &d));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &d)); // a second remove fails
    EXPECT_FALSE(Shell_NotifyIconA(7, &d));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr));

    HWND gone = CreateWindowExA(0, "TrayOwner", "gone", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    d.hWnd = gone;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &d));
    EXPECT_TRUE(shell::tray_icons().empty());
}

TEST_F(TrayIconTest, JournalKeepsEveryCallWithItsFlagsAndResultFailedOnesToo)
{
    auto add = data(NIF_MESSAGE | NIF_ICON | NIF_TIP, "Orbivane", fake_icon(1));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &add));
    auto remove = data(NIF_ICON);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &remove));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &remove));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr)); // nothing to keep

    auto calls = shell::tray_calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].message, DWORD(NIM_ADD));
    EXPECT_EQ(calls[0].flags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(calls[0].owner, owner);
    EXPECT_EQ(calls[0].id, 1200u);
    EXPECT_EQ(calls[0].icon, fake_icon(1));
    EXPECT_EQ(calls[0].tip, "Orbivane");
    EXPECT_TRUE(calls[0].result);
    EXPECT_EQ(calls[1].message, DWORD(NIM_DELETE));
    EXPECT_TRUE(calls[1].result);
    EXPECT_EQ(calls[2].message, DWORD(NIM_DELETE));
    EXPECT_FALSE(calls[2].result);

    shell::testing::reset();
    EXPECT_TRUE(shell::tray_calls().empty());
}

TEST_F(TrayIconTest, TipIsCutTo63BytesOfWholeCharactersEvenUnterminated)
{
    auto d = data(NIF_TIP);
    std::memset(d.szTip, 'a', sizeof d.szTip); // no terminator at all
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
    EXPECT_EQ(shell::tray_icons().at(0).tip, std::string(63, 'a'));

    // A two-byte character that would straddle the cut is dropped whole.
    std::string text = std::string(62, 'b') + "\xC3\xA9";
    std::memset(d.szTip, 0, sizeof d.szTip);
    std::memcpy(d.szTip, text.data(), text.size());
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &d));
    EXPECT_EQ(shell::tray_icons().at(0).tip, std::string(62, 'b'));
}

TEST_F(TrayIconTest, ClickPostsTheCallbackMessageWithIdAndMouseMessage)
{
    auto d = data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
    for (UINT mouse : { UINT(WM_LBUTTONDOWN), UINT(0x0205) /* WM_RBUTTONUP */, UINT(0x0203) /* WM_LBUTTONDBLCLK */ }) {
        ASSERT_TRUE(shell::tray_click(owner, 1200, mouse));
        MSG msg {};
        ASSERT_TRUE(PeekMessageA(&msg, owner, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, kCallback);
        EXPECT_EQ(msg.wParam, WPARAM(1200));
        EXPECT_EQ(msg.lParam, LPARAM(mouse));
    }
    EXPECT_FALSE(shell::tray_click(owner, 1201, WM_LBUTTONDOWN));

    // An icon added without NIF_MESSAGE reports no clicks.
    auto silent = data(NIF_ICON);
    silent.uID = 5;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &silent));
    EXPECT_FALSE(shell::tray_click(owner, 5, WM_LBUTTONDOWN));
    MSG msg {};
    EXPECT_FALSE(PeekMessageA(&msg, owner, 0, 0, PM_REMOVE));
}

}
