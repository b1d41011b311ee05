#include <user/User.h>
#include <user/NonClient.h>
#include <base/Errors.h>

#include <utility>

#include <gtest/gtest.h>

namespace {

// Restores the cursor a test changed.
class Cursor : public testing::Test {
protected:
    void TearDown() override { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }
};

TEST_F(Cursor, StandardShapesAreSharedHandlesThatNameTheirIds)
{
    for (LPCSTR id : { IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS,
             IDC_SIZEALL, IDC_NO, IDC_HAND, IDC_APPSTARTING }) {
        WORD number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(id));
        SCOPED_TRACE(number);
        HCURSOR cursor = LoadCursorA(nullptr, id);
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(LoadCursorA(nullptr, id), cursor);
        EXPECT_EQ(user::standard_cursor_id(cursor), number);
    }
    EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(user::standard_cursor_id(nullptr), 0);
}

TEST_F(Cursor, UnknownAndModuleCursorsFailWithResourceNotFound)
{
    int module = 0;
    using Case = std::pair<HINSTANCE, LPCSTR>;
    for (auto [instance, name] : { Case { nullptr, MAKEINTRESOURCEA(32700) },
             Case { reinterpret_cast<HINSTANCE>(&module), IDC_ARROW }, Case { nullptr, "arrow" } }) {
        SetLastError(0);
        EXPECT_EQ(LoadCursorA(instance, name), nullptr);
        EXPECT_EQ(GetLastError(), 1814u);
    }
}

TEST_F(Cursor, SetCursorMakesItCurrentAndReturnsThePreviousOne)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(arrow);
    EXPECT_EQ(SetCursor(wait), arrow);
    EXPECT_EQ(GetCursor(), wait);
    EXPECT_EQ(SetCursor(nullptr), wait);
    EXPECT_EQ(GetCursor(), nullptr);
}

LRESULT CALLBACK ClaimingParentProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// Over the client area the class's cursor shows; over the frame the arrow; a parent that answers
// WM_SETCURSOR decides for its children.
TEST_F(Cursor, DefaultSetCursorShowsTheClassCursorOverTheClientArea)
{
    WNDCLASSA wc {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    wc.lpszClassName = "CursorTestCross";
    ASSERT_NE(RegisterClassA(&wc), 0);
    wc.lpfnWndProc = ClaimingParentProc;
    wc.hCursor = nullptr;
    wc.lpszClassName = "CursorTestClaiming";
    ASSERT_NE(RegisterClassA(&wc), 0);

    HWND plain = CreateWindowExA(0, "CursorTestCross", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(SendMessageA(plain, WM_SETCURSOR, reinterpret_cast<WPARAM>(plain), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), FALSE);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS));
    SendMessageA(plain, WM_SETCURSOR, reinterpret_cast<WPARAM>(plain), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));

    HWND parent = CreateWindowExA(0, "CursorTestClaiming", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "CursorTestCross", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr);
    EXPECT_EQ(SendMessageA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));

    DestroyWindow(parent);
    DestroyWindow(plain);
}

}
