#include "ControlsFixture.h"

#include <base/Clock.h>

using EditTest = ControlsTest;

namespace {

std::string text_of(HWND w)
{
    char buffer[256];
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

void type(HWND w, const char* keys)
{
    for (const char* k = keys; *k; ++k)
        SendMessageA(w, WM_CHAR, static_cast<unsigned char>(*k), 1);
}

}

TEST_F(EditTest, TypingEditsTextAndNotifiesChange)
{
    HWND edit = control("EDIT", "", WS_BORDER | ES_AUTOHSCROLL, { 10, 10, 150, 30 }, 131);
    SetFocus(edit);
    type(edit, "abc");
    EXPECT_EQ(text_of(edit), "abc");
    EXPECT_EQ(commands(edit), (std::vector<int> { EN_SETFOCUS, EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE }));
    type(edit, "\b");
    EXPECT_EQ(text_of(edit), "ab");
    SendMessageA(edit, WM_KEYDOWN, VK_HOME, 0);
    type(edit, "X");
    EXPECT_EQ(text_of(edit), "Xab");
    SendMessageA(edit, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(text_of(edit), "Xb");
    EXPECT_EQ(GetWindowTextLengthA(edit), 2);
}

TEST_F(EditTest, SelectionReplaceAndLimit)
{
    HWND edit = control("EDIT", "hello world", 0, { 10, 10, 150, 30 });
    SendMessageA(edit, EM_SETSEL, 0, 5);
    DWORD start = 9, end = 9;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
    message_log().clear();
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("bye"));
    EXPECT_EQ(text_of(edit), "bye world");
    EXPECT_EQ(commands(edit), (std::vector<int> { EN_UPDATE, EN_CHANGE }));

    // EM_SETSEL(-1, -1) collapses the selection and leaves the caret where it is.
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("!"));
    EXPECT_EQ(text_of(edit), "bye world!");

    SendMessageA(edit, EM_LIMITTEXT, 12, 0);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("12345"));
    EXPECT_EQ(text_of(edit), "bye world!12");
    type(edit, "x");
    EXPECT_EQ(text_of(edit), "bye world!12");
    auto codes = commands(edit);
    EXPECT_NE(std::find(codes.begin(), codes.end(), EN_MAXTEXT), codes.end());

    message_log().clear();
    SetWindowTextA(edit, "new");
    EXPECT_EQ(commands(edit), (std::vector<int> { EN_UPDATE, EN_CHANGE }));
    char small[3];
    EXPECT_EQ(GetWindowTextA(edit, small, sizeof small), 2);
    EXPECT_STREQ(small, "ne");
}

TEST_F(EditTest, NumberAndReadOnlyStylesFilterInput)
{
    HWND number = control("EDIT", "", ES_NUMBER, { 10, 10, 150, 30 }, 1);
    type(number, "1a2-3");
    EXPECT_EQ(text_of(number), "123");
    HWND fixed = control("EDIT", "keep", ES_READONLY, { 10, 40, 150, 60 }, 2);
    type(fixed, "zz\b");
    SendMessageA(fixed, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(text_of(fixed), "keep");
    EXPECT_TRUE(commands(fixed).empty());
}

TEST_F(EditTest, PaintsTextSelectionAndCaret)
{
    HWND edit = control("EDIT", "secret", ES_PASSWORD, { 10, 10, 150, 30 });
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    paint();
    RECT client { 0, 0, 140, 20 };
    int highlighted = count(edit, client, GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_GT(highlighted, 30);
    save("edit-selected");
    EXPECT_EQ(text_of(edit), "secret");   // the password style hides only the display

    // A click puts the caret, and no selection remains.
    click(edit, 1, 5);
    paint();
    EXPECT_EQ(count(edit, client, GetSysColor(COLOR_HIGHLIGHT)), 0);
    DWORD start = 9, end = 9;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    EXPECT_EQ(pixel(edit, 2, 10), GetSysColor(COLOR_WINDOWTEXT));   // the caret line
}

TEST_F(EditTest, TheFocusedFieldBlinksItsCaretWhereTypingGoes)
{
    base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 11, 3, 0, 0));
    HWND edit = control("EDIT", "", 0, { 10, 10, 150, 30 });
    HWND other = control("EDIT", "", 0, { 10, 40, 150, 60 }, 101);
    SetFocus(edit);
    type(edit, "abc");
    paint();
    POINT at {};
    ASSERT_TRUE(GetCaretPos(&at));
    EXPECT_GT(at.x, 10) << "after the typed text";

    // The caret's column, drawn and then blinked off: each pixel the other's inverse.
    auto column = [&] {
        std::vector<COLORREF> out;
        for (int y = at.y; y < at.y + 8; ++y)
            out.push_back(pixel(edit, at.x, y));
        return out;
    };
    auto on = column();
    base::Clock::advance_ms(GetCaretBlinkTime());
    pump();
    auto off = column();
    for (std::size_t i = 0; i < on.size(); ++i)
        EXPECT_EQ(on[i], off[i] ^ 0xFFFFFFu) << i;

    // Focus elsewhere takes the caret along, leaving this field as it is without one.
    base::Clock::advance_ms(GetCaretBlinkTime());
    pump();
    ASSERT_EQ(column(), on);
    SetFocus(other);
    paint();
    EXPECT_EQ(column(), off);
    ASSERT_TRUE(GetCaretPos(&at));
    EXPECT_EQ(at.x, 2) << "at the start of the empty field";
    DestroyWindow(other);
    base::Clock::install_real();
}
