#include "ControlsFixture.h"

#include <base/Text.h>
#include <base/Threads.h>

#include <algorithm>

using ComboBoxTest = ControlsTest;

namespace {

std::string text_of(HWND w)
{
    char buffer[128];
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

HWND dropped_list()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM out) -> BOOL {
            char cls[32];
            GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpiA(cls, "ComboLBox") == 0 && IsWindowVisible(w)) {
                *reinterpret_cast<HWND*>(out) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}

TEST_F(ComboBoxTest, DropDownListItemsSelectionAndText)
{
    HWND combo = control("COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT, { 10, 10, 150, 150 });
    RECT r;
    GetWindowRect(combo, &r);
    EXPECT_LT(r.bottom - r.top, 30);   // only the field; the rest is the dropped height
    for (const char* s : { "Stereo", "mono", "Dual" })
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(text_of(combo), "mono");
    char buffer[32];
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(buffer)), 6);
    EXPECT_STREQ(buffer, "Stereo");
    SendMessageA(combo, CB_SETITEMDATA, 2, 7);
    EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 2, 0), 7);

    EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("st")), 2);
    EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("none")), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("DUAL")), 0);
    EXPECT_TRUE(commands(combo).empty());   // nothing the user did

    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(text_of(combo), "");
}

TEST_F(ComboBoxTest, KeysAndTheDroppedListNotifySelectionChanges)
{
    HWND combo = control("COMBOBOX", "", CBS_DROPDOWNLIST, { 10, 10, 150, 150 });
    for (const char* s : { "a", "b", "c" })
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SetFocus(combo);
    message_log().clear();
    SendMessageA(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(commands(combo), std::vector<int> { CBN_SELCHANGE });

    message_log().clear();
    click(combo, 20, 5);
    EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    HWND list = dropped_list();
    ASSERT_NE(list, nullptr);
    RECT lr, cr;
    GetWindowRect(list, &lr);
    GetWindowRect(combo, &cr);
    EXPECT_EQ(lr.top, cr.bottom);
    int h = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0));
    click(list, 5, 2 * h + 2);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(text_of(combo), "c");
    EXPECT_EQ(commands(combo), (std::vector<int> { CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP }));

    // A click outside the dropped list cancels.
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    message_log().clear();
    click(dropped_list(), 5, -20);
    EXPECT_EQ(commands(combo), (std::vector<int> { CBN_SELENDCANCEL, CBN_CLOSEUP }));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
    paint();
    save("combo-focused");
    EXPECT_EQ(pixel(combo, 20, 10), GetSysColor(COLOR_HIGHLIGHT));   // the focused field
}

TEST_F(ComboBoxTest, DropDownHasAnEditField)
{
    HWND combo = control("COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL, { 10, 10, 150, 150 });
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Channel 1"));
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Channel 2"));
    HWND edit = GetWindow(combo, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    SendMessageA(combo, CB_LIMITTEXT, 5, 0);
    SetFocus(combo);
    EXPECT_EQ(GetFocus(), edit);
    message_log().clear();
    for (char ch : std::string("abcdefg"))
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(ch), 1);
    EXPECT_EQ(text_of(combo), "abcde");
    auto codes = commands(combo);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), CBN_EDITCHANGE), 5);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), CBN_EDITUPDATE), 5);

    message_log().clear();
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(text_of(combo), "Chann");   // the edit keeps its limit
    SetWindowTextA(combo, "xy");
    EXPECT_EQ(text_of(combo), "xy");
    EXPECT_TRUE(commands(combo).empty());
}
