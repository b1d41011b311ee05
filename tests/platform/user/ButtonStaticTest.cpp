#include "ControlsFixture.h"

using ButtonTest = ControlsTest;

TEST_F(ButtonTest, ClassesAreRegisteredWithTheWindowArea)
{
    WNDCLASSA wc {};
    for (const char* name : { "BUTTON", "Static", "button" })
        EXPECT_TRUE(GetClassInfoA(nullptr, name, &wc)) << name;
}

TEST_F(ButtonTest, ClicksNotifyTheParentAndAutoStylesToggle)
{
    HWND push = control("BUTTON", "OK", BS_PUSHBUTTON, { 10, 10, 85, 33 }, 1);
    HWND check = control("BUTTON", "Check", BS_AUTOCHECKBOX, { 10, 40, 150, 56 }, 2);
    HWND manual = control("BUTTON", "Manual", BS_CHECKBOX, { 10, 60, 150, 76 }, 3);

    click(push, 5, 5);
    EXPECT_EQ(commands(push), std::vector<int> { BN_CLICKED });
    EXPECT_EQ(LOWORD(got(parent, WM_COMMAND).back().wparam), 1);
    EXPECT_EQ(GetFocus(), push);

    click(check, 3, 3);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    click(check, 3, 3);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(commands(check).size(), 2u);

    click(manual, 3, 3);
    EXPECT_EQ(SendMessageA(manual, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(commands(manual), std::vector<int> { BN_CLICKED });

    // Setting the check by message notifies nothing; releasing outside the button does not click.
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(push, WM_LBUTTONDOWN, MK_LBUTTON, at(5, 5));
    SendMessageA(push, WM_MOUSEMOVE, MK_LBUTTON, at(200, 5));
    EXPECT_EQ(GetCapture(), push);
    SendMessageA(push, WM_LBUTTONUP, 0, at(200, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(commands(check).size(), 2u);
    EXPECT_EQ(commands(push).size(), 1u);

    // Space bar and BM_CLICK click too.
    SetFocus(check);
    SendMessageA(check, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(check, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(push, BM_CLICK, 0, 0);
    EXPECT_EQ(commands(push).size(), 2u);
}

TEST_F(ButtonTest, AutoRadioClickUnchecksItsGroupOnly)
{
    // The group runs from a WS_GROUP button to the next one, in z-order.
    HWND a = control("BUTTON", "A", BS_AUTORADIOBUTTON | WS_GROUP, { 10, 10, 100, 26 }, 1);
    HWND b = control("BUTTON", "B", BS_AUTORADIOBUTTON, { 10, 30, 100, 46 }, 2);
    HWND c = control("BUTTON", "C", BS_AUTORADIOBUTTON | WS_GROUP, { 10, 50, 100, 66 }, 3);
    std::vector<HWND> order;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        order.push_back(w);
    // Whatever order the window tree keeps, the group is the WS_GROUP button and those after it.

    SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(b, BM_SETCHECK, BST_CHECKED, 0);   // programmatic: no unchecking
    EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);

    click(b, 3, 3);
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(commands(b), std::vector<int> { BN_CLICKED });
    if (order.front() == a) {
        EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    } else {
        EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_CHECKED);
    }
}

TEST_F(ButtonTest, PaintsCheckMarkAndFocusRectangle)
{
    HWND check = control("BUTTON", "Check", BS_AUTOCHECKBOX, { 10, 10, 150, 30 }, 2);
    RECT box { 0, 3, 13, 16 };
    paint();
    int dark_before = count(check, box, RGB(0, 0, 0));
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    paint();
    EXPECT_GT(count(check, box, RGB(0, 0, 0)), dark_before + 5);   // the check mark

    // The label is drawn right of the box; focus frames it with a dotted rectangle.
    RECT label { 17, 0, 140, 20 };
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_GT(count(check, label, RGB(0, 0, 0)), 0);
    int before = 0;
    for (int y = 0; y < 20; ++y)
        before += pixel(check, 16, y) != face;
    SetFocus(check);
    paint();
    int after = 0;
    for (int y = 0; y < 20; ++y)
        after += pixel(check, 16, y) != face;
    EXPECT_GT(after, before);
    save("button-check");
}

TEST_F(ButtonTest, OwnerDrawButtonAsksTheParent)
{
    HWND owner = control("BUTTON", "Cool", BS_PUSHBUTTON, { 10, 10, 90, 40 }, 7);
    SendMessageA(owner, BM_SETSTYLE, BS_OWNERDRAW, FALSE);
    InvalidateRect(owner, nullptr, TRUE);
    SendMessageA(owner, WM_LBUTTONDOWN, MK_LBUTTON, at(5, 5));
    paint();
    auto draws = got(parent, WM_DRAWITEM);
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws.back().wparam, 7u);
    SendMessageA(owner, WM_LBUTTONUP, 0, at(5, 5));
    EXPECT_EQ(commands(owner), std::vector<int> { BN_CLICKED });
}

TEST_F(ButtonTest, DefaultPushButtonHasDarkFrame)
{
    HWND def = control("BUTTON", "OK", BS_DEFPUSHBUTTON, { 10, 10, 85, 33 }, 1);
    paint();
    EXPECT_EQ(pixel(def, 0, 10), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(pixel(def, 40, 0), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(SendMessageA(def, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
}

using StaticTest = ControlsTest;

TEST_F(StaticTest, AlignsTextAndKeepsIt)
{
    struct Case {
        DWORD style;
        int ink_from;   // the ink lies right of this x
        int ink_to;     // and left of this one
    };
    const Case cases[] = { { SS_LEFT, 0, 60 }, { SS_CENTER, 60, 140 }, { SS_RIGHT, 140, 200 } };
    for (const Case& c : cases) {
        HWND s = control("STATIC", "Label", c.style, { 0, 100, 200, 116 });
        paint();
        int left = 1000, right = -1;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 200; ++x)
                if (pixel(s, x, y) != GetSysColor(COLOR_BTNFACE)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_GE(left, c.ink_from) << c.style;
        EXPECT_LE(right, c.ink_to) << c.style;
        HDC dc = GetDC(s);
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(s, WM_GETFONT, 0, 0)));
        SIZE size;
        GetTextExtentPoint32A(dc, "Label", 5, &size);
        ReleaseDC(s, dc);
        EXPECT_LE(right - left + 1, size.cx) << c.style;
        EXPECT_GE(right - left + 1, size.cx - 3) << c.style;
        DestroyWindow(s);
    }
    HWND s = control("STATIC", "first", SS_LEFT, { 0, 0, 100, 16 });
    SetWindowTextA(s, "second text");
    char buffer[8];
    EXPECT_EQ(GetWindowTextA(s, buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "second ");
}

TEST_F(StaticTest, NotifiesClicksOnlyWithNotifyStyle)
{
    HWND plain = control("STATIC", "x", SS_LEFT, { 0, 0, 50, 16 }, 1);
    HWND notifying = control("STATIC", "y", SS_LEFT | SS_NOTIFY, { 0, 20, 50, 36 }, 2);
    click(plain, 2, 2);
    click(notifying, 2, 2);
    EXPECT_TRUE(commands(plain).empty());
    EXPECT_EQ(commands(notifying), std::vector<int> { STN_CLICKED });
}

TEST_F(StaticTest, ChildWindowFromPointFindsHiddenChildrenAndTheParent)
{
    HWND group = control("BUTTON", "Group", BS_GROUPBOX, { 10, 10, 200, 100 }, -1);
    HWND hidden = control("STATIC", "h", SS_LEFT, { 220, 10, 260, 30 }, 5);
    ShowWindow(hidden, SW_HIDE);
    EXPECT_EQ(ChildWindowFromPoint(parent, { 50, 50 }), group);
    EXPECT_EQ(ChildWindowFromPoint(parent, { 230, 20 }), hidden);
    EXPECT_EQ(ChildWindowFromPoint(parent, { 300, 200 }), parent);
    EXPECT_EQ(ChildWindowFromPoint(parent, { 500, 20 }), nullptr);
}

TEST_F(ButtonTest, FocusedPushButtonShowsFocusFrameInsideItsBorder)
{
    HWND push = control("BUTTON", "Apply", BS_PUSHBUTTON, { 10, 10, 85, 33 }, 1);
    HWND other = control("BUTTON", "Other", BS_PUSHBUTTON, { 100, 10, 175, 33 }, 2);
    SetFocus(other);
    paint();
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(pixel(push, 5, 3), face);
    EXPECT_EQ(pixel(push, 3, 5), face);
    SetFocus(push);
    paint();
    // The dotted frame runs 3 pixels inside the edge: every other pixel on its top line is dark.
    int dots = 0;
    for (int x = 4; x < 70; ++x)
        dots += pixel(push, x, 3) != face;
    EXPECT_GT(dots, 25);
    EXPECT_EQ(pixel(other, 5, 3), face);
    EXPECT_EQ(SendMessageA(push, BM_GETSTATE, 0, 0) & BST_FOCUS, BST_FOCUS);
}

TEST_F(StaticTest, IconStaticDrawsItsIcon)
{
    HWND icon = control("STATIC", "", SS_ICON, { 10, 10, 42, 42 });
    HICON picture = LoadIconA(nullptr, IDI_INFORMATION);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0), 0);
    EXPECT_EQ(SendMessageA(icon, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(picture));
    paint();
    RECT r { 0, 0, 32, 32 };
    EXPECT_LT(count(icon, r, GetSysColor(COLOR_BTNFACE)), 32 * 32 - 50);
}

// Overlapping siblings end up as stacked, whichever of them paints: a group box shows the controls
// it frames (it draws its frame and label only), and a control over a sibling stays visible when
// that sibling alone paints again.
TEST_F(ButtonTest, OverlappingSiblingsPaintFromTheBottomUp)
{
    auto higher = [this](HWND a, HWND b) {
        for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            if (w == a || w == b)
                return w == a;
        return false;
    };
    // The frame lies over the control it frames, as a dialog's template order makes it.
    HWND check = control("BUTTON", "Inside", BS_AUTOCHECKBOX, { 20, 30, 150, 50 }, 2);
    HWND frame = control("BUTTON", "Group", BS_GROUPBOX, { 5, 5, 200, 80 }, 1);
    ASSERT_TRUE(higher(frame, check));
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    RECT box { 0, 3, 13, 16 };
    InvalidateRect(parent, nullptr, TRUE);
    paint();
    int mark = count(check, box, RGB(0, 0, 0));
    EXPECT_GT(mark, 5) << "the check box shows inside the frame";
    EXPECT_GT(count(frame, { 0, 0, 40, 14 }, RGB(0, 0, 0)), 0) << "and the frame its label";
    for (HWND alone : { frame, check }) {
        InvalidateRect(alone, nullptr, TRUE);
        paint();
        EXPECT_EQ(count(check, box, RGB(0, 0, 0)), mark);
    }
    // A sibling lying under another repaints without covering it.
    HWND below = control("STATIC", "", SS_LEFT, { 10, 100, 120, 140 }, 3);
    HWND above = control("BUTTON", "Above", BS_PUSHBUTTON, { 30, 110, 100, 130 }, 4);
    InvalidateRect(parent, nullptr, TRUE);
    paint();
    RECT face { 3, 3, 60, 17 };
    int drawn = count(above, face, RGB(0, 0, 0));
    EXPECT_GT(drawn, 0);
    ASSERT_TRUE(higher(above, below));
    InvalidateRect(below, nullptr, TRUE);
    paint();
    EXPECT_EQ(count(above, face, RGB(0, 0, 0)), drawn);
}
