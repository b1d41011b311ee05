#pragma once

// A memory DC with a 32-bit bitmap of a known size, filled white.

#include <gdi/Gdi.h>
#include <gtest/gtest.h>

class MemoryDcTest : public testing::Test {
protected:
    void SetUp() override
    {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, 40, 30);
        old_bitmap = SelectObject(dc, bitmap);
        RECT all { 0, 0, 40, 30 };
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void TearDown() override
    {
        SelectObject(dc, old_bitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old_bitmap = nullptr;
};
