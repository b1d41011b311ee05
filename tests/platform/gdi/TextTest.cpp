#include "Fixture.h"

#include <cstring>

TEST_F(MemoryDcTest, DialogFontHasFixedMetrics)
{
    SelectObject(dc, gdi::dialog_font());
    TEXTMETRICA tm {};
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_EQ(tm.tmHeight, 13);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_GT(tm.tmAveCharWidth, 0);
    EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(6, 13));
    char face[32];
    GetTextFaceA(dc, sizeof face, face);
    EXPECT_STREQ(face, "DejaVu Sans");
}

TEST_F(MemoryDcTest, TextExtentsAreDeterministicAndGrow)
{
    SIZE a {}, b {}, again {};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "Hello", 5, &a));
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "Hello world", 11, &b));
    GetTextExtentPoint32A(dc, "Hello", 5, &again);
    EXPECT_GT(a.cx, 0);
    EXPECT_GT(b.cx, a.cx);
    EXPECT_EQ(a.cx, again.cx);
    EXPECT_EQ(a.cy, 13);
    HFONT bold = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
    SelectObject(dc, bold);
    SIZE c {};
    GetTextExtentPoint32A(dc, "Hello", 5, &c);
    EXPECT_GT(c.cx, a.cx);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(bold);
}

TEST_F(MemoryDcTest, TextPixelsAppearInTextColourInsideExtent)
{
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(dc, 2, 2, "HH", 2));
    SIZE size {};
    GetTextExtentPoint32A(dc, "HH", 2, &size);
    int red = 0, outside = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            bool inside = x >= 2 && x < 2 + size.cx && y >= 2 && y < 2 + size.cy;
            COLORREF c = GetPixel(dc, x, y);
            if (inside && GetRValue(c) == 255 && GetGValue(c) < 128 && GetBValue(c) < 128)
                ++red;
            if (c != RGB(255, 255, 255) && !inside)
                ++outside;
        }
    }
    EXPECT_GT(red, 10); // the stems of H are (nearly) fully covered
    EXPECT_EQ(outside, 0);
}

TEST_F(MemoryDcTest, OpaqueBackgroundAndAlignment)
{
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 255));
    SetTextAlign(dc, TA_RIGHT | TA_BOTTOM);
    TextOutA(dc, 30, 20, "i", 1);
    SIZE size {};
    GetTextExtentPoint32A(dc, "i", 1, &size);
    EXPECT_EQ(GetPixel(dc, 30 - size.cx, 20 - size.cy), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 30, 19), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 29, 20), RGB(255, 255, 255));
    RECT r { 0, 0, 5, 5 };
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
    EXPECT_EQ(GetPixel(dc, 4, 4), RGB(0, 0, 255));
}

TEST_F(MemoryDcTest, DrawTextMeasuresAndWraps)
{
    SIZE one {};
    GetTextExtentPoint32A(dc, "Record", 6, &one);
    RECT r { 0, 0, 1000, 0 };
    int h = DrawTextA(dc, "Record", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h, 13);
    EXPECT_EQ(r.right, one.cx);
    EXPECT_EQ(r.bottom, 13);

    // '&' is not drawn and "&&" is one ampersand.
    RECT p { 0, 0, 1000, 0 };
    DrawTextA(dc, "&Record", -1, &p, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(p.right, one.cx);
    RECT q { 0, 0, 1000, 0 };
    DrawTextA(dc, "&Record", -1, &q, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(q.right, one.cx);

    RECT narrow { 0, 0, one.cx + 2, 0 };
    h = DrawTextA(dc, "Record Record Record", -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(h, 3 * 13);
    EXPECT_EQ(narrow.bottom, 3 * 13);
    EXPECT_LE(narrow.right, one.cx + 2);

    RECT lines { 0, 0, 1000, 0 };
    EXPECT_EQ(DrawTextA(dc, "a\nb", -1, &lines, DT_CALCRECT), 26);
}

TEST_F(MemoryDcTest, DrawTextAlignsAndEllipsizes)
{
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT r { 0, 0, 40, 30 };
    DrawTextA(dc, "I", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    int min_x = 40, max_x = -1, min_y = 30, max_y = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                min_x = std::min(min_x, x);
                max_x = std::max(max_x, x);
                min_y = std::min(min_y, y);
                max_y = std::max(max_y, y);
            }
    ASSERT_GE(max_x, 0);
    EXPECT_NEAR((min_x + max_x) / 2.0, 20, 2);
    EXPECT_NEAR((min_y + max_y) / 2.0, 15, 3);

    SIZE dots {};
    GetTextExtentPoint32A(dc, "...", 3, &dots);
    RECT small { 0, 0, dots.cx + 8, 0 };
    DrawTextA(dc, "A very long caption", -1, &small, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(small.right, dots.cx + 8);
    EXPECT_GT(small.right, dots.cx);
}
