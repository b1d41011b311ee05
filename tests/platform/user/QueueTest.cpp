#include "Fixture.h"

#include <base/Clock.h>
#include <base/Errors.h>
#include <base/Threads.h>

#include <atomic>
#include <thread>

TEST_F(WindowTest, PostedMessagesFiltersAndQuit)
{
    HWND a = make(WS_POPUP);
    HWND b = make(WS_POPUP);
    PostMessageA(a, WM_USER + 1, 1, 0);
    PostMessageA(b, WM_USER + 2, 2, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 3, 3, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    PostQuitMessage(4);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(got(a, WM_USER + 1).size(), 1u);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));   // WM_QUIT only after the posted ones
    EXPECT_EQ(msg.wParam, 4u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostThreadMessageA(0xFFFFFF, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST(Messages, RegisteredMessagesShareNumbersByName)
{
    UINT a = RegisterWindowMessageA("Orbivane.Notify");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA("ORBIVANE.notify"), a);
    EXPECT_NE(RegisterWindowMessageA("Other"), a);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

namespace {

// A window owned by a worker thread that pumps until told to stop; the worker sends back to the
// main thread's window while it handles WM_USER, to show that a waiting sender serves sends.
struct Worker {
    std::atomic<HWND> window { nullptr };
    HWND call_back = nullptr;
    std::thread thread;
    std::atomic<DWORD> id { 0 };

    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        auto self = reinterpret_cast<Worker*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (m == WM_USER)
            return SendMessageA(self->call_back, WM_USER + 10, wp, 0) + 1;
        if (m == WM_USER + 1)
            return static_cast<LRESULT>(InSendMessage());
        return DefWindowProcA(w, m, wp, lp);
    }

    void start()
    {
        thread = std::thread([this] {
            WNDCLASSA wc {};
            wc.lpfnWndProc = Proc;
            wc.lpszClassName = "WorkerWindow";
            RegisterClassA(&wc);
            HWND w = CreateWindowExA(0, "WorkerWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
            SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            id = GetCurrentThreadId();
            window = w;
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0)
                DispatchMessageA(&msg);
            DestroyWindow(w);
        });
        while (!window)
            std::this_thread::yield();
    }
    void stop()
    {
        PostThreadMessageA(id, WM_QUIT, 0, 0);
        PostMessageA(window, WM_NULL, 0, 0);
        thread.join();
    }
};

LRESULT CALLBACK Doubler(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_USER + 10)
        return static_cast<LRESULT>(wp * 2);
    return DefWindowProcA(w, m, wp, lp);
}

}

TEST_F(WindowTest, SendAcrossThreadsServesNestedSends)
{
    WNDCLASSA wc {};
    wc.lpfnWndProc = Doubler;
    wc.lpszClassName = "Doubler";
    RegisterClassA(&wc);
    HWND mine = CreateWindowExA(0, "Doubler", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    created.push_back(mine);
    Worker worker;
    worker.call_back = mine;
    worker.start();
    EXPECT_EQ(SendMessageA(worker.window, WM_USER, 20, 0), 41);
    EXPECT_EQ(SendMessageA(worker.window, WM_USER + 1, 0, 0), TRUE);
    EXPECT_FALSE(DestroyWindow(worker.window));   // another thread's window
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(worker.window, WM_USER, 1, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(result, 3u);
    worker.stop();
    EXPECT_FALSE(IsWindow(worker.window));
}

TEST_F(WindowTest, SendTimeoutToAThreadThatDoesNotPump)
{
    base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 1, 1, 12, 0, 0));
    std::atomic<HWND> window { nullptr };
    std::atomic<bool> release { false };
    std::thread blocked([&] {
        window = CreateWindowExA(0, "TestWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ;
        DestroyWindow(window);
    });
    while (!window)
        std::this_thread::yield();
    auto before = base::Clock::ticks_ms();
    DWORD_PTR result = 99;
    EXPECT_FALSE(SendMessageTimeoutA(window, WM_USER, 0, 0, SMTO_NORMAL, 3000, &result));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_GE(base::Clock::ticks_ms() - before, 3000);
    release = true;
    blocked.join();
    base::Clock::install_real();
}

TEST_F(WindowTest, TimersOnTheVirtualClockAreCoalesced)
{
    base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 1, 1, 12, 0, 0));
    HWND w = make(WS_POPUP);
    ASSERT_EQ(SetTimer(w, 42, 1000, nullptr), 42u);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    base::Clock::advance_ms(5500);
    PostMessageA(w, WM_USER, 0, 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));   // posted messages come before ticks
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.wParam, 42u);
    DispatchMessageA(&msg);
    EXPECT_EQ(got(w, WM_TIMER).size(), 1u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));   // one tick for five intervals
    base::Clock::advance_ms(1000);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    // A blocking GetMessage moves virtual time to the next tick.
    auto before = base::Clock::ticks_ms();
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(base::Clock::ticks_ms() - before, 1000);
    EXPECT_TRUE(KillTimer(w, 42));
    EXPECT_FALSE(KillTimer(w, 42));
    base::Clock::advance_ms(5000);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

    static int ticks = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    EXPECT_NE(id, 0u);
    base::Clock::advance_ms(100);
    pump();
    EXPECT_EQ(ticks, 1);
    KillTimer(nullptr, id);
    base::Clock::install_real();
}

TEST_F(WindowTest, PaintComesWhenTheQueueIsOtherwiseEmpty)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND child = make(WS_CHILD | WS_VISIBLE, frame, 1, "", { 0, 0, 50, 40 });
    pump();
    message_log().clear();
    RECT r { 5, 5, 20, 20 };
    InvalidateRect(frame, &r, TRUE);
    PostMessageA(frame, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(msg.hwnd, frame);   // parents before children
    RECT update;
    EXPECT_TRUE(GetUpdateRect(frame, &update, FALSE));
    EXPECT_EQ(update.left, 5);
    EXPECT_EQ(update.right, 20);
    DispatchMessageA(&msg);
    EXPECT_EQ(got(frame, WM_ERASEBKGND).size(), 1u);
    EXPECT_FALSE(GetUpdateRect(frame, &update, FALSE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, child);   // the child was invalidated with its parent
    DispatchMessageA(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    InvalidateRect(child, nullptr, FALSE);
    message_log().clear();
    UpdateWindow(child);
    EXPECT_EQ(got(child, WM_PAINT).size(), 1u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    ShowWindow(frame, SW_HIDE);
    InvalidateRect(frame, nullptr, TRUE);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));   // hidden windows do not paint
}

TEST_F(WindowTest, PaintingDrawsIntoTheTopLevelSurface)
{
    WNDCLASSA wc {};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            RECT all { 0, 0, 1000, 1000 };
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            EndPaint(w, &ps);
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    };
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = "Painter";
    RegisterClassA(&wc);
    HWND frame = make(WS_POPUP | WS_VISIBLE, nullptr, 0, "", { 0, 0, 100, 80 });
    HWND child = CreateWindowExA(0, "Painter", "", WS_CHILD | WS_VISIBLE, 10, 20, 30, 40, frame, nullptr, nullptr, nullptr);
    pump();
    auto surface = user::window_surface(frame);
    ASSERT_TRUE(surface);
    EXPECT_EQ(surface->width(), 100);
    EXPECT_EQ(surface->pixel(15, 25), gdi::kOpaqueBlack);   // inside the child
    EXPECT_NE(surface->pixel(45, 25), gdi::kOpaqueBlack);   // clipped at the child's right edge
    EXPECT_NE(surface->pixel(5, 5), gdi::kOpaqueBlack);
    DestroyWindow(child);
}
