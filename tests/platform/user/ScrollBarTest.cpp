#include "ControlsFixture.h"

#include <base/Errors.h>

using ScrollBarTest = ControlsTest;

namespace {

struct Scroll {
    int code;
    int pos;
};

}

class ScrollBarNotifications : public ScrollBarTest {
protected:
    std::vector<Scroll> scrolls(UINT message = WM_HSCROLL)
    {
        std::vector<Scroll> out;
        for (auto& l : got(parent, message))
            out.push_back({ LOWORD(l.wparam), static_cast<short>(HIWORD(l.wparam)) });
        return out;
    }
    std::vector<int> codes(UINT message = WM_HSCROLL)
    {
        std::vector<int> out;
        for (auto& s : scrolls(message))
            out.push_back(s.code);
        return out;
    }
};

TEST_F(ScrollBarTest, StateIsClampedToRangeAndPage)
{
    HWND bar = control("SCROLLBAR", "", SBS_HORZ, { 10, 10, 210, 26 });
    SCROLLINFO info { sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 500, 0 };
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &info, TRUE), 90);   // max - (page - 1)
    SCROLLINFO out { sizeof out, SIF_ALL, 0, 0, 0, 0, 0 };
    ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &out));
    EXPECT_EQ(out.nMin, 0);
    EXPECT_EQ(out.nMax, 99);
    EXPECT_EQ(out.nPage, 10u);
    EXPECT_EQ(out.nPos, 90);
    EXPECT_EQ(SetScrollPos(bar, SB_CTL, -5, TRUE), 90);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0);
    EXPECT_TRUE(SetScrollRange(bar, SB_CTL, 10, 20, TRUE));
    int lo = 0, hi = 0;
    EXPECT_TRUE(GetScrollRange(bar, SB_CTL, &lo, &hi));
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 20);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 10);
    EXPECT_EQ(SetScrollPos(parent, SB_HORZ, 3, TRUE), 0);   // window bars are not kept
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ScrollBarNotifications, ClicksSendCodesAndLeaveThePositionToTheParent)
{
    HWND bar = control("SCROLLBAR", "", SBS_HORZ, { 10, 10, 210, 26 });   // arrows 16 wide
    SCROLLINFO info { sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 50, 0 };
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    click(bar, 5, 8);
    click(bar, 195, 8);
    click(bar, 20, 8);
    click(bar, 170, 8);
    EXPECT_EQ(codes(), (std::vector<int> { SB_LINELEFT, SB_ENDSCROLL, SB_LINERIGHT, SB_ENDSCROLL, SB_PAGELEFT,
                           SB_ENDSCROLL, SB_PAGERIGHT, SB_ENDSCROLL }));
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 50);
    EXPECT_EQ(got(parent, WM_HSCROLL).front().lparam, reinterpret_cast<LPARAM>(bar));

    // Dragging the thumb tracks positions and ends with the position reached.
    message_log().clear();
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(100, 8));   // the thumb sits mid-track
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, at(300, 8));
    SCROLLINFO track { sizeof track, SIF_TRACKPOS, 0, 0, 0, 0, 0 };
    GetScrollInfo(bar, SB_CTL, &track);
    EXPECT_EQ(track.nTrackPos, 81);
    SendMessageA(bar, WM_LBUTTONUP, 0, at(300, 8));
    auto s = scrolls();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].code, SB_THUMBTRACK);
    EXPECT_EQ(s[0].pos, 81);
    EXPECT_EQ(s[1].code, SB_THUMBPOSITION);
    EXPECT_EQ(s[1].pos, 81);
    EXPECT_EQ(s[2].code, SB_ENDSCROLL);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarNotifications, KeysOnAVerticalBar)
{
    HWND bar = control("SCROLLBAR", "", SBS_VERT | WS_TABSTOP, { 10, 10, 26, 210 });
    SetFocus(bar);
    const WPARAM keys[] = { VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR, VK_HOME, VK_END };
    for (WPARAM k : keys) {
        SendMessageA(bar, WM_KEYDOWN, k, 1);
        SendMessageA(bar, WM_KEYUP, k, 1);
    }
    EXPECT_EQ(codes(WM_VSCROLL), (std::vector<int> { SB_LINEDOWN, SB_ENDSCROLL, SB_LINEUP, SB_ENDSCROLL, SB_PAGEDOWN,
                                     SB_ENDSCROLL, SB_PAGEUP, SB_ENDSCROLL, SB_TOP, SB_ENDSCROLL, SB_BOTTOM, SB_ENDSCROLL }));
    EXPECT_TRUE(got(parent, WM_HSCROLL).empty());
}

TEST_F(ScrollBarTest, PaintsArrowsAndThumbAtItsPosition)
{
    HWND bar = control("SCROLLBAR", "", SBS_HORZ, { 10, 10, 210, 26 });
    SCROLLINFO info { sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 0, 0 };
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    paint();
    COLORREF track = GetSysColor(COLOR_SCROLLBAR);
    EXPECT_NE(pixel(bar, 25, 8), track);    // the thumb at the left end
    EXPECT_EQ(pixel(bar, 150, 8), track);
    SetScrollPos(bar, SB_CTL, 81, TRUE);
    paint();
    EXPECT_EQ(pixel(bar, 25, 8), track);
    EXPECT_NE(pixel(bar, 170, 8), track);   // and at the right end
    save("scrollbar");
}
