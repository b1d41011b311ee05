#include "Fixture.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

}

TEST_F(MemoryDcTest, FillRectExcludesRightAndBottom)
{
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r { 2, 3, 6, 8 };
    EXPECT_TRUE(FillRect(dc, &r, red));
    EXPECT_EQ(GetPixel(dc, 2, 3), kRed);
    EXPECT_EQ(GetPixel(dc, 5, 7), kRed);
    EXPECT_EQ(GetPixel(dc, 6, 7), kWhite);
    EXPECT_EQ(GetPixel(dc, 5, 8), kWhite);
    EXPECT_EQ(GetPixel(dc, 1, 3), kWhite);
    DeleteObject(red);
}

TEST_F(MemoryDcTest, SystemColourIndexAsBrush)
{
    RECT r { 0, 0, 4, 4 };
    FillRect(dc, &r, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(GetPixel(dc, 1, 1), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_NE(GetSysColorBrush(COLOR_HIGHLIGHT), nullptr);
    EXPECT_EQ(GetSysColorBrush(999), nullptr);
}

TEST_F(MemoryDcTest, FrameRectDrawsOnePixelInside)
{
    HBRUSH blue = CreateSolidBrush(kBlue);
    RECT r { 5, 5, 15, 12 };
    FrameRect(dc, &r, blue);
    EXPECT_EQ(GetPixel(dc, 5, 5), kBlue);
    EXPECT_EQ(GetPixel(dc, 14, 11), kBlue);
    EXPECT_EQ(GetPixel(dc, 10, 5), kBlue);
    EXPECT_EQ(GetPixel(dc, 14, 8), kBlue);
    EXPECT_EQ(GetPixel(dc, 10, 8), kWhite);
    EXPECT_EQ(GetPixel(dc, 15, 8), kWhite);
    DeleteObject(blue);
}

TEST_F(MemoryDcTest, LinesLeaveOutTheirEndPoint)
{
    HPEN red = CreatePen(PS_SOLID, 1, kRed);
    HGDIOBJ old = SelectObject(dc, red);
    MoveToEx(dc, 2, 4, nullptr);
    LineTo(dc, 10, 4);
    EXPECT_EQ(GetPixel(dc, 2, 4), kRed);
    EXPECT_EQ(GetPixel(dc, 9, 4), kRed);
    EXPECT_EQ(GetPixel(dc, 10, 4), kWhite);
    LineTo(dc, 10, 9); // continues from the current position
    EXPECT_EQ(GetPixel(dc, 10, 4), kRed);
    EXPECT_EQ(GetPixel(dc, 10, 8), kRed);
    EXPECT_EQ(GetPixel(dc, 10, 9), kWhite);
    POINT p;
    GetCurrentPositionEx(dc, &p);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 9);
    POINT diag[] = { { 20, 0 }, { 25, 5 } };
    Polyline(dc, diag, 2);
    EXPECT_EQ(GetPixel(dc, 22, 2), kRed);
    EXPECT_EQ(GetPixel(dc, 25, 5), kWhite);
    EXPECT_EQ(SelectObject(dc, old), red);
    DeleteObject(red);
}

TEST_F(MemoryDcTest, RectangleOutlinesWithPenAndFillsWithBrush)
{
    HPEN red = CreatePen(PS_SOLID, 1, kRed);
    HBRUSH blue = CreateSolidBrush(kBlue);
    HGDIOBJ old_pen = SelectObject(dc, red);
    HGDIOBJ old_brush = SelectObject(dc, blue);
    Rectangle(dc, 2, 2, 10, 8);
    EXPECT_EQ(GetPixel(dc, 2, 2), kRed);
    EXPECT_EQ(GetPixel(dc, 9, 7), kRed);
    EXPECT_EQ(GetPixel(dc, 5, 5), kBlue);
    EXPECT_EQ(GetPixel(dc, 10, 5), kWhite);
    // A NULL pen fills one pixel less to the right and bottom.
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 20, 20, 25, 25);
    EXPECT_EQ(GetPixel(dc, 20, 20), kBlue);
    EXPECT_EQ(GetPixel(dc, 23, 23), kBlue);
    EXPECT_EQ(GetPixel(dc, 24, 24), kWhite);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(red);
    DeleteObject(blue);
}

TEST_F(MemoryDcTest, EllipseAndPolygonFillInsideOnly)
{
    HBRUSH blue = CreateSolidBrush(kBlue);
    SelectObject(dc, blue);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Ellipse(dc, 0, 0, 20, 20);
    EXPECT_EQ(GetPixel(dc, 10, 10), kBlue);
    EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(dc, 19, 19), kWhite);
    POINT tri[] = { { 22, 2 }, { 38, 2 }, { 22, 18 } };
    Polygon(dc, tri, 3);
    EXPECT_EQ(GetPixel(dc, 25, 5), kBlue);
    EXPECT_EQ(GetPixel(dc, 37, 17), kWhite);
    EXPECT_EQ(GetPixel(dc, 30, 2), RGB(0, 0, 0));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(blue);
}

TEST_F(MemoryDcTest, InvertFocusAndPatBlt)
{
    RECT r { 0, 0, 4, 4 };
    InvertRect(dc, &r);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
    InvertRect(dc, &r);
    EXPECT_EQ(GetPixel(dc, 1, 1), kWhite);

    RECT f { 10, 10, 20, 16 };
    DrawFocusRect(dc, &f);
    EXPECT_EQ(GetPixel(dc, 10, 10), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 11, 10), kWhite);
    EXPECT_EQ(GetPixel(dc, 15, 13), kWhite);
    DrawFocusRect(dc, &f); // XOR: drawn twice is gone
    EXPECT_EQ(GetPixel(dc, 10, 10), kWhite);

    PatBlt(dc, 30, 0, 5, 5, BLACKNESS);
    EXPECT_EQ(GetPixel(dc, 32, 2), RGB(0, 0, 0));
    PatBlt(dc, 30, 0, 5, 5, WHITENESS);
    EXPECT_EQ(GetPixel(dc, 32, 2), kWhite);
    HBRUSH red = CreateSolidBrush(kRed);
    SelectObject(dc, red);
    PatBlt(dc, 30, 0, 5, 5, PATCOPY);
    EXPECT_EQ(GetPixel(dc, 34, 4), kRed);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST_F(MemoryDcTest, SetPixelAndViewportOrigin)
{
    EXPECT_EQ(SetPixel(dc, 3, 3, kRed), kRed);
    EXPECT_EQ(GetPixel(dc, 3, 3), kRed);
    EXPECT_EQ(GetPixel(dc, 40, 0), CLR_INVALID);
    POINT previous;
    SetViewportOrgEx(dc, 10, 5, &previous);
    EXPECT_EQ(previous.x, 0);
    SetPixel(dc, 1, 1, kBlue);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    EXPECT_EQ(GetPixel(dc, 11, 6), kBlue);
    POINT now;
    GetViewportOrgEx(dc, &now);
    EXPECT_EQ(now.x, 0);
}

TEST_F(MemoryDcTest, ClippingLimitsDrawingAndRestoreDcUndoesIt)
{
    int level = SaveDC(dc);
    EXPECT_EQ(level, 1);
    IntersectClipRect(dc, 5, 5, 10, 10);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT all { 0, 0, 40, 30 };
    FillRect(dc, &all, red);
    RECT box;
    GetClipBox(dc, &box);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.right, 10);
    EXPECT_TRUE(RestoreDC(dc, -1));
    EXPECT_EQ(GetPixel(dc, 7, 7), kRed);
    EXPECT_EQ(GetPixel(dc, 4, 7), kWhite);
    EXPECT_EQ(GetPixel(dc, 10, 7), kWhite);
    FillRect(dc, &all, red);
    EXPECT_EQ(GetPixel(dc, 0, 0), kRed);
    EXPECT_FALSE(RestoreDC(dc, -1)); // nothing left to restore

    HRGN region = CreateRectRgn(0, 0, 2, 2);
    SelectClipRgn(dc, region);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(GetPixel(dc, 1, 1), kWhite);
    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(GetPixel(dc, 3, 3), kRed);
    EXPECT_TRUE(PtInRegion(region, 1, 1));
    EXPECT_FALSE(PtInRegion(region, 2, 1));
    DeleteObject(region);
    DeleteObject(red);
}

TEST_F(MemoryDcTest, DrawEdgeUsesTheSchemeColours)
{
    RECT r { 0, 0, 10, 10 };
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(GetPixel(dc, 9, 9), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(GetPixel(dc, 1, 1), GetSysColor(COLOR_3DHILIGHT));
    EXPECT_EQ(GetPixel(dc, 8, 8), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(GetPixel(dc, 5, 5), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.right, 8);
    RECT s { 20, 0, 30, 10 };
    DrawEdge(dc, &s, EDGE_SUNKEN, BF_RECT);
    EXPECT_EQ(GetPixel(dc, 20, 0), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(GetPixel(dc, 21, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(GetPixel(dc, 25, 5), kWhite);
}

TEST_F(MemoryDcTest, FrameControlsShowTheirState)
{
    RECT check { 0, 0, 13, 13 };
    DrawFrameControl(dc, &check, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(GetPixel(dc, 6, 6), GetSysColor(COLOR_WINDOW));
    DrawFrameControl(dc, &check, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    int marked = 0;
    for (int y = 2; y < 11; ++y)
        for (int x = 2; x < 11; ++x)
            marked += GetPixel(dc, x, y) == GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_GT(marked, 5);
    RECT radio { 15, 0, 27, 12 };
    DrawFrameControl(dc, &radio, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
    EXPECT_EQ(GetPixel(dc, 21, 6), GetSysColor(COLOR_WINDOWTEXT));
    RECT push { 0, 15, 20, 30 };
    DrawFrameControl(dc, &push, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(GetPixel(dc, 0, 15), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(GetPixel(dc, 10, 22), GetSysColor(COLOR_BTNFACE));
}
