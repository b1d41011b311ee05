#include "ControlsFixture.h"

#include <base/Clock.h>
#include <base/Sync.h>

namespace {

// A child that paints itself white, so its pixels show the caret's inversion.
LRESULT CALLBACK canvas_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

class CaretTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 11, 3, 0, 0));
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc {};
            wc.lpfnWndProc = canvas_proc;
            wc.lpszClassName = "CaretCanvas";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        canvas = control("CaretCanvas", "", 0, { 10, 10, 110, 60 });
        paint();
    }
    void TearDown() override
    {
        DestroyCaret();
        ControlsTest::TearDown();
        base::Clock::install_real();
    }
    int black() { return count(canvas, { 0, 0, 100, 50 }, RGB(0, 0, 0)); }
    void wait(int ms)
    {
        base::Clock::advance_ms(ms);
        pump();
    }
    HWND canvas = nullptr;
};

TEST_F(CaretTest, AShownCaretInvertsItsPixelsBlinksAndCountsItsHides)
{
    ASSERT_TRUE(CreateCaret(canvas, nullptr, 2, 10));
    ASSERT_TRUE(SetCaretPos(5, 3));
    EXPECT_EQ(black(), 0) << "a new caret is hidden";
    ASSERT_TRUE(ShowCaret(canvas));
    EXPECT_EQ(black(), 20);
    EXPECT_EQ(pixel(canvas, 6, 12), RGB(0, 0, 0));
    EXPECT_EQ(pixel(canvas, 7, 3), RGB(255, 255, 255));

    wait(GetCaretBlinkTime());
    EXPECT_EQ(black(), 0) << "off for one blink";
    wait(GetCaretBlinkTime());
    EXPECT_EQ(black(), 20) << "and on again";

    // Two hides need two shows.
    EXPECT_TRUE(HideCaret(canvas));
    EXPECT_TRUE(HideCaret(nullptr));
    EXPECT_TRUE(ShowCaret(canvas));
    wait(GetCaretBlinkTime());
    EXPECT_EQ(black(), 0);
    EXPECT_TRUE(ShowCaret(canvas));
    EXPECT_EQ(black(), 20);

    // A move takes it off its old place and draws it at the new one at once.
    wait(GetCaretBlinkTime());
    ASSERT_EQ(black(), 0);
    ASSERT_TRUE(SetCaretPos(40, 20));
    EXPECT_EQ(black(), 20);
    EXPECT_EQ(pixel(canvas, 40, 20), RGB(0, 0, 0));
    EXPECT_EQ(pixel(canvas, 5, 3), RGB(255, 255, 255));
    POINT at {};
    EXPECT_TRUE(GetCaretPos(&at));
    EXPECT_EQ(at.x, 40);
    EXPECT_EQ(at.y, 20);

    EXPECT_TRUE(DestroyCaret());
    EXPECT_EQ(black(), 0) << "destroying it gives the pixels back";
    EXPECT_FALSE(GetCaretPos(&at));
}

TEST_F(CaretTest, OnlyTheOwnerShowsOrHidesTheCaretAndCallsWithoutOneFail)
{
    EXPECT_FALSE(SetCaretPos(1, 1));
    EXPECT_FALSE(ShowCaret(nullptr));
    EXPECT_FALSE(DestroyCaret());
    EXPECT_FALSE(CreateCaret(reinterpret_cast<HWND>(0x7777), nullptr, 1, 1));

    ASSERT_TRUE(CreateCaret(canvas, nullptr, 0, 0));
    EXPECT_FALSE(ShowCaret(parent));
    EXPECT_FALSE(HideCaret(parent));
    EXPECT_TRUE(ShowCaret(canvas));
    EXPECT_EQ(black(), GetSystemMetrics(SM_CXBORDER) * GetSystemMetrics(SM_CYBORDER)) << "0 takes the border sizes";

    // A new caret replaces the old one, whichever window owned it.
    HWND other = control("CaretCanvas", "", 0, { 150, 10, 200, 60 }, 101);
    paint();
    ASSERT_TRUE(CreateCaret(other, nullptr, 3, 3));
    EXPECT_EQ(black(), 0);
    EXPECT_FALSE(ShowCaret(canvas));

    // Destroying its owner destroys it.
    ASSERT_TRUE(ShowCaret(other));
    DestroyWindow(other);
    POINT at;
    EXPECT_FALSE(GetCaretPos(&at));
}

TEST_F(CaretTest, PaintingTakesTheCaretOffAndPutsItBack)
{
    ASSERT_TRUE(CreateCaret(canvas, nullptr, 2, 10));
    ASSERT_TRUE(ShowCaret(canvas));
    ASSERT_EQ(black(), 20);
    // The owner paints over the caret; then its parent does.
    for (HWND painted : { canvas, parent }) {
        InvalidateRect(painted, nullptr, TRUE);
        paint();
        EXPECT_EQ(black(), 20) << (painted == canvas ? "owner" : "parent");
        wait(GetCaretBlinkTime());
        EXPECT_EQ(black(), 0) << "the blink still takes it off";
        wait(GetCaretBlinkTime());
    }
    // A paint that draws nothing leaves it as it was, not inverted twice.
    SetWindowLongPtrA(canvas, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    InvalidateRect(canvas, nullptr, FALSE);
    paint();
    EXPECT_EQ(black(), 20);
}

TEST_F(CaretTest, BlinkingStopsWithTheCaretDrawnWhenNothingMovesItForTenSeconds)
{
    ASSERT_TRUE(CreateCaret(canvas, nullptr, 2, 10));
    ASSERT_TRUE(ShowCaret(canvas));
    for (int elapsed = 0; elapsed < 12000; elapsed += 100)
        wait(100);
    EXPECT_EQ(black(), 20);
    base::Clock::advance_ms(60000);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "no more wake-ups";

    // A move blinks it again.
    SetCaretPos(30, 3);
    wait(GetCaretBlinkTime());
    EXPECT_EQ(black(), 0);

    // An infinite blink time keeps it drawn.
    SetCaretBlinkTime(INFINITE);
    EXPECT_EQ(black(), 20);
    wait(5000);
    EXPECT_EQ(black(), 20);
    SetCaretBlinkTime(530);
}

}
