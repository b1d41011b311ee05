#include "ControlsFixture.h"

using ListBoxTest = ControlsTest;

namespace {

LRESULT add(HWND list, const char* text)
{
    return SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

std::string item(HWND list, int index)
{
    char buffer[64] = "?";
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

}

TEST_F(ListBoxTest, ItemsAndData)
{
    HWND list = control("LISTBOX", "", LBS_NOTIFY | WS_BORDER, { 10, 10, 150, 110 });
    EXPECT_EQ(add(list, "one"), 0);
    EXPECT_EQ(add(list, "two"), 1);
    EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zero")), 0);
    EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("last")), 3);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(item(list, 1), "one");
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 3, 0), 4);
    EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 9, 0), LB_ERR);
    EXPECT_TRUE(SendMessageA(list, LB_SETITEMDATA, 2, 42));
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 2, 0), 42);

    SendMessageA(list, LB_SETCURSEL, 2, 0);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 0, 0), 3);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);   // the selection follows its item
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 42);
    EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 7, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(commands(list).empty());   // nothing the user did
}

TEST_F(ListBoxTest, SortedInsertAndSearches)
{
    HWND list = control("LISTBOX", "", LBS_SORT, { 10, 10, 150, 110 });
    for (const char* s : { "Berlin", "amsterdam", "Cairo", "Bonn" })
        add(list, s);
    EXPECT_EQ(item(list, 0), "amsterdam");
    EXPECT_EQ(item(list, 1), "Berlin");
    EXPECT_EQ(item(list, 2), "Bonn");
    EXPECT_EQ(item(list, 3), "Cairo");

    struct Case {
        UINT message;
        int after;
        const char* text;
        LRESULT expected;
    };
    const Case cases[] = {
        { LB_FINDSTRING, -1, "b", 1 },
        { LB_FINDSTRING, 1, "b", 2 },
        { LB_FINDSTRING, 2, "B", 1 },   // wraps round
        { LB_FINDSTRING, 0, "AMS", 0 },  // after 0 searches item 0 last
        { LB_FINDSTRING, -1, "x", LB_ERR },
        { LB_FINDSTRINGEXACT, -1, "bonn", 2 },
        { LB_FINDSTRINGEXACT, -1, "Bon", LB_ERR },
    };
    for (const Case& c : cases)
        EXPECT_EQ(SendMessageA(list, c.message, static_cast<WPARAM>(c.after), reinterpret_cast<LPARAM>(c.text)), c.expected)
            << c.text << " after " << c.after;

    SendMessageA(list, LB_SETCURSEL, 3, 0);
    EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>("nothing")), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);   // a miss keeps the selection
    EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>("ber")), 1);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
}

TEST_F(ListBoxTest, ClicksAndKeysNotifyAndScroll)
{
    HWND list = control("LISTBOX", "", LBS_NOTIFY, { 10, 10, 150, 75 });   // five rows of 13
    for (int i = 0; i < 20; ++i)
        add(list, ("item " + std::to_string(i)).c_str());
    int h = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(h, 0);
    click(list, 5, h * 2 + 3);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
    click(list, 5, h * 2 + 3);   // same item: no change
    EXPECT_EQ(commands(list), (std::vector<int> { LBN_SETFOCUS, LBN_SELCHANGE }));
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at(5, h * 2 + 3));
    EXPECT_EQ(commands(list).back(), LBN_DBLCLK);

    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 19);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20 - 65 / h);
    SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
    SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 2);
    click(list, 5, 1);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);   // rows count from the top index

    // A list without LBS_NOTIFY tells nothing.
    HWND quiet = control("LISTBOX", "", 0, { 160, 10, 300, 75 }, 101);
    add(quiet, "a");
    click(quiet, 5, 3);
    EXPECT_EQ(SendMessageA(quiet, LB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(commands(quiet).empty());
}

TEST_F(ListBoxTest, PaintsTheSelectedRowHighlighted)
{
    HWND list = control("LISTBOX", "", LBS_NOTIFY, { 10, 10, 150, 75 });
    add(list, "first");
    add(list, "second");
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    paint();
    int h = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(pixel(list, 100, h + h / 2), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(pixel(list, 100, h / 2), GetSysColor(COLOR_WINDOW));
    RECT second { 0, h, 140, 2 * h };
    EXPECT_GT(count(list, second, GetSysColor(COLOR_HIGHLIGHTTEXT)), 5);   // its text
    SetFocus(list);
    paint();
    EXPECT_NE(pixel(list, 100, h), GetSysColor(COLOR_HIGHLIGHT));   // the focus frame's dots
    save("listbox");
}

TEST_F(ListBoxTest, OwnScrollBarIsDrawnAndClickable)
{
    HWND list = control("LISTBOX", "", LBS_NOTIFY | WS_VSCROLL, { 10, 10, 150, 75 });
    for (int i = 0; i < 20; ++i)
        add(list, ("row " + std::to_string(i)).c_str());
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(client.right, 140 - 16);
    paint();
    // The thumb sits at the top of the bar's track, the track below it.
    COLORREF track = GetSysColor(COLOR_SCROLLBAR);
    EXPECT_NE(pixel(list, client.right + 8, 20), track);
    EXPECT_EQ(pixel(list, client.right + 8, 40), track);

    POINT down { client.right + 8, client.bottom - 3 };   // the down arrow
    ClientToScreen(list, &down);
    LRESULT hit = SendMessageA(list, WM_NCHITTEST, 0, MAKELPARAM(down.x, down.y));
    EXPECT_EQ(hit, 7);
    SendMessageA(list, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(down.x, down.y));
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1);
    POINT page { client.right + 8, 40 };
    ClientToScreen(list, &page);
    SendMessageA(list, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(page.x, page.y));
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1 + 65 / static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)));
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);   // scrolling selects nothing
    save("listbox-scrolled");
}
