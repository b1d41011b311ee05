// The common controls: their messages, the notifications user actions send, and how they paint.

#include "DialogFixture.h"

#include <gdi/Colors.h>
#include <gdi/Png.h>
#include <gdi/Surface.h>

#include <cstdlib>
#include <string>

namespace {

constexpr UINT kControls = 720;
constexpr int kTrack = 301;
constexpr int kBuddy = 302;
constexpr int kSpin = 303;
constexpr int kTabs = 304;
constexpr int kList = 305;
constexpr int kTree = 306;

user::DialogTemplate controls_form()
{
    user::DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    t.cx = 300;
    t.cy = 200;
    t.caption = "Controls";
    t.controls = {
        { TRACKBAR_CLASSA, "", kTrack, WS_TABSTOP | TBS_AUTOTICKS | TBS_ENABLESELRANGE, 0, 4, 4, 108, 16 },
        { "TestEdit", "", kBuddy, WS_TABSTOP, 0, 120, 4, 40, 12 },
        { UPDOWN_CLASSA, "", kSpin, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ARROWKEYS, 0, 160, 4, 10, 12 },
        { WC_TABCONTROLA, "", kTabs, WS_TABSTOP, 0, 4, 24, 200, 30 },
        { WC_LISTVIEWA, "", kList, WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 4, 60, 200, 70 },
        { WC_TREEVIEWA, "", kTree, WS_TABSTOP | TVS_HASBUTTONS | TVS_LINESATROOT, 0, 210, 24, 80, 100 },
    };
    return t;
}

LPARAM at(int x, int y)
{
    return MAKELPARAM(x, y);
}

struct Scroll {
    UINT message;
    int code;
    int pos;
    HWND from;
};

std::vector<Scroll> scrolls(HWND dialog)
{
    std::vector<Scroll> out;
    for (auto& e : dialog_events())
        if (e.dialog == dialog && (e.message == WM_HSCROLL || e.message == WM_VSCROLL))
            out.push_back({ e.message, LOWORD(e.wparam), static_cast<SHORT>(HIWORD(e.wparam)), reinterpret_cast<HWND>(e.lparam) });
    return out;
}

std::vector<UINT> codes()
{
    std::vector<UINT> out;
    for (auto& n : notifications())
        out.push_back(n.code);
    return out;
}

class CommonControlsTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        InitCommonControls();
        user::register_dialog(kControls, controls_form());
        dialog = modeless(kControls);
        ASSERT_TRUE(dialog);
    }
    HWND item(int id) { return GetDlgItem(dialog, id); }
    LRESULT send(int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0)
    {
        return SendDlgItemMessageA(dialog, id, message, wparam, lparam);
    }
    HWND dialog = nullptr;
};

}

TEST_F(CommonControlsTest, InitCommonControlsExChecksItsSize)
{
    INITCOMMONCONTROLSEX bad { 4, ICC_BAR_CLASSES };
    EXPECT_FALSE(InitCommonControlsEx(&bad));
    INITCOMMONCONTROLSEX good { sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_TAB_CLASSES };
    EXPECT_TRUE(InitCommonControlsEx(&good));
    WNDCLASSA wc;
    EXPECT_TRUE(GetClassInfoA(nullptr, TRACKBAR_CLASSA, &wc));
    EXPECT_TRUE(GetClassInfoA(nullptr, "systreeview32", &wc));
}

TEST_F(CommonControlsTest, TrackbarRangePositionTicsAndSelection)
{
    send(kTrack, TBM_SETRANGE, TRUE, MAKELPARAM(10, 60));
    EXPECT_EQ(send(kTrack, TBM_GETRANGEMIN), 10);
    EXPECT_EQ(send(kTrack, TBM_GETRANGEMAX), 60);
    send(kTrack, TBM_SETPOS, TRUE, 99);
    EXPECT_EQ(send(kTrack, TBM_GETPOS), 60);   // clamped
    send(kTrack, TBM_SETPOS, TRUE, 5);
    EXPECT_EQ(send(kTrack, TBM_GETPOS), 10);
    send(kTrack, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    send(kTrack, TBM_SETPOS, TRUE, 40);
    send(kTrack, TBM_SETTICFREQ, 10);
    EXPECT_TRUE(send(kTrack, TBM_SETTIC, 0, 25));
    EXPECT_FALSE(send(kTrack, TBM_SETTIC, 0, 101));
    EXPECT_EQ(send(kTrack, TBM_GETNUMTICS), 3);
    send(kTrack, TBM_CLEARTICS, TRUE);
    EXPECT_EQ(send(kTrack, TBM_GETNUMTICS), 2);
    send(kTrack, TBM_SETSEL, TRUE, MAKELPARAM(20, 70));
    EXPECT_EQ(send(kTrack, TBM_GETSELSTART), 20);
    EXPECT_EQ(send(kTrack, TBM_GETSELEND), 70);
    EXPECT_TRUE(scrolls(dialog).empty());   // programmatic changes do not notify
}

TEST_F(CommonControlsTest, TrackbarReportsUserActionsAsHorizontalScrolls)
{
    HWND track = item(kTrack);
    send(kTrack, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    send(kTrack, TBM_SETPOS, TRUE, 50);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(track);
    key(VK_RIGHT);
    pump(dialog);   // the trackbar wants arrows: the dialog does not take them
    EXPECT_EQ(send(kTrack, TBM_GETPOS), 51);
    key(VK_END);
    pump(dialog);
    EXPECT_EQ(send(kTrack, TBM_GETPOS), 100);
    // A click beside the thumb pages towards the click.
    SendMessageA(track, WM_LBUTTONDOWN, MK_LBUTTON, at(10, 5));
    SendMessageA(track, WM_LBUTTONUP, 0, at(10, 5));
    EXPECT_EQ(send(kTrack, TBM_GETPOS), 80);
    // Dragging the thumb to the channel's middle.
    RECT thumb;
    send(kTrack, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    int cx = (thumb.left + thumb.right) / 2;
    SendMessageA(track, WM_LBUTTONDOWN, MK_LBUTTON, at(cx, 5));
    RECT client;
    GetClientRect(track, &client);
    SendMessageA(track, WM_MOUSEMOVE, MK_LBUTTON, at(client.right / 2, 5));
    SendMessageA(track, WM_LBUTTONUP, 0, at(client.right / 2, 5));
    EXPECT_EQ(send(kTrack, TBM_GETPOS), 50);
    auto s = scrolls(dialog);
    std::vector<int> got;
    for (auto& e : s) {
        EXPECT_EQ(e.message, static_cast<UINT>(WM_HSCROLL));
        EXPECT_EQ(e.from, track);
        got.push_back(e.code);
    }
    EXPECT_EQ(got, (std::vector<int> { TB_LINEDOWN, TB_ENDTRACK, TB_BOTTOM, TB_ENDTRACK, TB_PAGEUP, TB_ENDTRACK,
                       TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK }));
    EXPECT_EQ(s[7].pos, 50);
}

TEST_F(CommonControlsTest, UpDownKeepsItsBuddyInStep)
{
    EXPECT_EQ(reinterpret_cast<HWND>(send(kSpin, UDM_GETBUDDY)), item(kBuddy));
    send(kSpin, UDM_SETRANGE, 0, MAKELPARAM(9999, 1));
    EXPECT_EQ(send(kSpin, UDM_GETRANGE), MAKELONG(9999, 1));
    send(kSpin, UDM_SETPOS, 0, MAKELPARAM(0, 0));   // below the range
    char text[16];
    GetDlgItemTextA(dialog, kBuddy, text, sizeof text);
    EXPECT_STREQ(text, "1");
    send(kSpin, UDM_SETPOS, 0, MAKELPARAM(1234, 0));
    GetDlgItemTextA(dialog, kBuddy, text, sizeof text);
    EXPECT_STREQ(text, "1234");   // no thousands separator
    SetDlgItemTextA(dialog, kBuddy, "700");
    EXPECT_EQ(send(kSpin, UDM_GETPOS), MAKELONG(700, 0));
    SetDlgItemTextA(dialog, kBuddy, "7x");
    EXPECT_NE(HIWORD(send(kSpin, UDM_GETPOS)), 0);
    SetDlgItemTextA(dialog, kBuddy, "9998");
    // Clicks on the upper arrow step up, and stop at the top of the range.
    RECT c;
    GetClientRect(item(kSpin), &c);
    for (int i = 0; i < 2; ++i)
        SendMessageA(item(kSpin), WM_LBUTTONDOWN, MK_LBUTTON, at(2, 1));
    GetDlgItemTextA(dialog, kBuddy, text, sizeof text);
    EXPECT_STREQ(text, "9999");
    SendMessageA(item(kSpin), WM_LBUTTONDOWN, MK_LBUTTON, at(2, c.bottom - 1));
    GetDlgItemTextA(dialog, kBuddy, text, sizeof text);
    EXPECT_STREQ(text, "9998");
    ASSERT_EQ(notifications().size(), 3u);
    EXPECT_EQ(notifications()[0].code, UDN_DELTAPOS);
    EXPECT_EQ(notifications()[0].item, 9998);
    EXPECT_EQ(notifications()[0].sub_item, 1);
    EXPECT_EQ(notifications()[2].sub_item, -1);
    auto s = scrolls(dialog);
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[0].message, static_cast<UINT>(WM_VSCROLL));
    EXPECT_EQ(s[0].pos, 9999);
    // The arrow keys in the buddy step too.
    ShowWindow(dialog, SW_SHOW);
    SetFocus(item(kBuddy));
    key(VK_DOWN);
    pump(dialog);
    GetDlgItemTextA(dialog, kBuddy, text, sizeof text);
    EXPECT_STREQ(text, "9997");
}

TEST_F(CommonControlsTest, TabControlSelectsByClickWithNotifications)
{
    const char* names[] = { "General", "TVTuner Property Page", "Sound" };
    for (int i = 0; i < 3; ++i) {
        TCITEMA tab {};
        tab.mask = TCIF_TEXT | TCIF_PARAM;
        tab.pszText = const_cast<LPSTR>(names[i]);
        tab.lParam = 100 + i;
        EXPECT_EQ(send(kTabs, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab)), i);
    }
    EXPECT_EQ(send(kTabs, TCM_GETITEMCOUNT), 3);
    EXPECT_EQ(send(kTabs, TCM_GETCURSEL), 0);
    char text[8];
    TCITEMA got {};
    got.mask = TCIF_TEXT | TCIF_PARAM;
    got.pszText = text;
    got.cchTextMax = sizeof text;
    ASSERT_TRUE(send(kTabs, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&got)));
    EXPECT_STREQ(text, "TVTuner");   // cut to the buffer, terminated
    EXPECT_EQ(got.lParam, 101);
    EXPECT_EQ(send(kTabs, TCM_SETCURSEL, 2), 0);
    EXPECT_EQ(send(kTabs, TCM_SETCURSEL, 7), -1);
    EXPECT_TRUE(notifications().empty());
    RECT r;
    ASSERT_TRUE(send(kTabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
    SendMessageA(item(kTabs), WM_LBUTTONDOWN, MK_LBUTTON, at((r.left + r.right) / 2, 8));
    EXPECT_EQ(send(kTabs, TCM_GETCURSEL), 1);
    EXPECT_EQ(codes(), (std::vector<UINT> { TCN_SELCHANGING, TCN_SELCHANGE }));
    EXPECT_EQ(notifications()[1].id, kTabs);
}

// With TCS_MULTILINE, tabs that do not fit go on to more rows; the selected tab's row is the one
// next to the display area, which starts below every row.
TEST_F(CommonControlsTest, MultiLineTabsTakeMoreRowsWithTheSelectedRowLast)
{
    HWND tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | TCS_MULTILINE, 4, 140, 150, 80, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(399)), nullptr, nullptr);
    ASSERT_TRUE(tabs);
    const char* names[] = { "General", "Stations", "Sound device", "File", "WinMedia" };
    for (int i = 0; i < 5; ++i) {
        TCITEMA tab {};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<LPSTR>(names[i]);
        SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
    }
    int rows = static_cast<int>(SendMessageA(tabs, TCM_GETROWCOUNT, 0, 0));
    ASSERT_GE(rows, 2);
    auto rect = [&](int i) {
        RECT r {};
        SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        return r;
    };
    RECT client {};
    GetClientRect(tabs, &client);
    for (int i = 0; i < 5; ++i)
        EXPECT_LE(rect(i).right, client.right) << names[i] << " fits the width";
    const LONG band = rect(0).bottom - rect(0).top;
    EXPECT_EQ(rect(0).bottom, rows * band) << "the selected first tab's row is last";
    RECT area { 0, 0, 150, 80 };
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    EXPECT_EQ(area.top, rows * band + 2);

    // A click on a tab of an upper row selects it, and its row comes down next to the display area.
    RECT last = rect(4);
    ASSERT_LT(last.bottom, rows * band);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at((last.left + last.right) / 2, (last.top + last.bottom) / 2));
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(rect(4).bottom, rows * band);
    EXPECT_LT(rect(0).bottom, rows * band);

    // Without the style, one row however wide.
    SetWindowLongA(tabs, GWL_STYLE, WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETROWCOUNT, 0, 0), 1);
    EXPECT_EQ(rect(4).top, 0);
}

TEST_F(CommonControlsTest, ListViewRowsSelectionAndNotifications)
{
    const char* headings[] = { "Name", "Start" };
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA col {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = const_cast<LPSTR>(headings[i]);
        col.cx = 80;
        EXPECT_EQ(send(kList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col)), i);
    }
    const char* names[] = { "News", "Film", "Sport" };
    for (int i = 0; i < 3; ++i) {
        LVITEMA row {};
        row.mask = LVIF_TEXT | LVIF_PARAM;
        row.iItem = 1000;   // appends
        row.pszText = const_cast<LPSTR>(names[i]);
        row.lParam = 10 + i;
        EXPECT_EQ(send(kList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)), i);
        LVITEMA sub {};
        sub.iSubItem = 1;
        sub.pszText = const_cast<LPSTR>("20:15");
        EXPECT_TRUE(send(kList, LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&sub)));
    }
    EXPECT_EQ(send(kList, LVM_GETITEMCOUNT), 3);
    char text[4];
    LVITEMA get {};
    get.iSubItem = 0;
    get.pszText = text;
    get.cchTextMax = sizeof text;
    EXPECT_EQ(send(kList, LVM_GETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&get)), 3);
    EXPECT_STREQ(text, "Spo");
    EXPECT_EQ(send(kList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);

    LVITEMA state {};
    state.state = LVIS_SELECTED;
    state.stateMask = LVIS_SELECTED;
    ASSERT_TRUE(send(kList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state)));
    EXPECT_EQ(send(kList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
    EXPECT_EQ(send(kList, LVM_GETNEXTITEM, 1, LVNI_SELECTED), -1);
    ASSERT_EQ(notifications().size(), 1u);
    EXPECT_EQ(notifications()[0].code, LVN_ITEMCHANGED);
    EXPECT_EQ(notifications()[0].item, 1);
    EXPECT_EQ(notifications()[0].new_state & LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(notifications()[0].param, 11);

    // A click on row 2 moves the selection there; Ctrl+click adds row 0.
    notifications().clear();
    SendMessageA(item(kList), WM_LBUTTONDOWN, MK_LBUTTON, at(100, 20 + 2 * 17 + 5));
    EXPECT_EQ(send(kList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
    EXPECT_EQ(codes(), (std::vector<UINT> { LVN_ITEMCHANGED, LVN_ITEMCHANGED, NM_CLICK }));
    EXPECT_EQ(notifications()[0].item, 1);
    EXPECT_EQ(notifications()[0].new_state & LVIS_SELECTED, 0u);
    EXPECT_EQ(notifications()[2].item, 2);
    EXPECT_EQ(notifications()[2].sub_item, 1);
    SendMessageA(item(kList), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, at(10, 20 + 5));
    EXPECT_EQ(send(kList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    EXPECT_EQ(send(kList, LVM_GETNEXTITEM, 0, LVNI_SELECTED), 2);
    notifications().clear();
    SendMessageA(item(kList), WM_LBUTTONDBLCLK, MK_LBUTTON, at(10, 20 + 17 + 5));
    SendMessageA(item(kList), WM_LBUTTONDOWN, MK_LBUTTON, at(90, 5));   // the second heading
    EXPECT_EQ(codes(), (std::vector<UINT> { NM_DBLCLK, LVN_COLUMNCLICK }));
    EXPECT_EQ(notifications()[0].item, 1);
    EXPECT_EQ(notifications()[0].param, 11);
    EXPECT_EQ(notifications()[1].sub_item, 1);

    // Sorting by item data, descending; rows keep their data across sorting and deletion.
    send(kList, LVM_SORTITEMS, 0,
        reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>([](LPARAM x, LPARAM y, LPARAM) { return static_cast<int>(y - x); })));
    get.pszText = text;
    send(kList, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&get));
    EXPECT_STREQ(text, "Spo");
    EXPECT_EQ(send(kList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);   // Sport stays selected
    send(kList, LVM_SORTITEMS, 0,
        reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>([](LPARAM x, LPARAM y, LPARAM) { return static_cast<int>(x - y); })));
    EXPECT_TRUE(send(kList, LVM_DELETEITEM, 0));
    EXPECT_FALSE(send(kList, LVM_DELETEITEM, 5));
    LVITEMA data {};
    data.mask = LVIF_PARAM;
    data.iItem = 1;
    ASSERT_TRUE(send(kList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)));
    EXPECT_EQ(data.lParam, 12);
    EXPECT_TRUE(send(kList, LVM_DELETEALLITEMS));
    EXPECT_EQ(send(kList, LVM_GETITEMCOUNT), 0);
}

TEST_F(CommonControlsTest, TreeViewScrollsToKeepTheSelectionInViewAndByTheWheel)
{
    std::vector<HTREEITEM> rows;
    for (int i = 0; i < 20; ++i) {
        std::string text = "item " + std::to_string(i);
        TVINSERTSTRUCTA in {};
        in.hParent = TVI_ROOT;
        in.hInsertAfter = TVI_LAST;
        in.item.mask = TVIF_TEXT;
        in.item.pszText = text.data();
        rows.push_back(reinterpret_cast<HTREEITEM>(send(kTree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in))));
    }
    HWND tree = item(kTree);
    RECT c;
    GetClientRect(tree, &c);
    const int shown = c.bottom / 17;
    ASSERT_LT(shown, 20);
    auto caret = [&] { return reinterpret_cast<HTREEITEM>(send(kTree, TVM_GETNEXTITEM, TVGN_CARET, 0)); };
    auto click_top_row = [&] { SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, at(30, 5)); };
    ShowWindow(dialog, SW_SHOW);
    SetFocus(tree);

    key(VK_END);
    pump(dialog);
    EXPECT_EQ(caret(), rows[19]);
    click_top_row();
    EXPECT_EQ(caret(), rows[20 - shown]) << "the last row shows at the bottom";
    SendMessageA(tree, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    click_top_row();
    EXPECT_EQ(caret(), rows[20 - shown - 3]);
    key(VK_HOME);
    key(VK_NEXT);
    pump(dialog);
    EXPECT_EQ(caret(), rows[shown]);
    click_top_row();
    EXPECT_EQ(caret(), rows[1]);
    SendMessageA(tree, WM_MOUSEWHEEL, MAKEWPARAM(0, 10 * 120), 0);
    click_top_row();
    EXPECT_EQ(caret(), rows[0]) << "no further than the first row";
}

TEST_F(CommonControlsTest, TreeViewInsertWalkSortSelect)
{
    auto add = [&](HTREEITEM parent, const char* text, LPARAM data, HTREEITEM after = TVI_LAST) {
        TVINSERTSTRUCTA in {};
        in.hParent = parent;
        in.hInsertAfter = after;
        in.item.mask = TVIF_TEXT | TVIF_PARAM;
        in.item.pszText = const_cast<LPSTR>(text);
        in.item.lParam = data;
        return reinterpret_cast<HTREEITEM>(send(kTree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in)));
    };
    HTREEITEM b = add(TVI_ROOT, "b news", 1);
    HTREEITEM unscheduled = add(TVI_ROOT, "<unscheduled>", 2);
    HTREEITEM a = add(TVI_ROOT, "A film", 3);
    HTREEITEM child = add(b, "2024-01-01.avi", 4);
    HTREEITEM digits = add(TVI_ROOT, "1 More", 5);
    ASSERT_TRUE(b && unscheduled && a && child && digits);
    EXPECT_EQ(send(kTree, TVM_GETCOUNT), 5);
    auto next = [&](UINT flag, HTREEITEM from) {
        return reinterpret_cast<HTREEITEM>(send(kTree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(from)));
    };
    EXPECT_EQ(next(TVGN_ROOT, nullptr), b);
    EXPECT_EQ(next(TVGN_NEXT, b), unscheduled);
    EXPECT_EQ(next(TVGN_CHILD, b), child);
    EXPECT_EQ(next(TVGN_PARENT, child), b);
    EXPECT_EQ(next(TVGN_PARENT, b), nullptr);
    EXPECT_EQ(next(TVGN_NEXT, a), digits);
    send(kTree, TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    std::vector<HTREEITEM> order;
    for (HTREEITEM i = next(TVGN_ROOT, nullptr); i; i = next(TVGN_NEXT, i))
        order.push_back(i);
    EXPECT_EQ(order, (std::vector<HTREEITEM> { unscheduled, digits, a, b }));
    // By a comparator of the item data, descending.
    TVSORTCB by_data { TVI_ROOT, [](LPARAM x, LPARAM y, LPARAM) { return static_cast<int>(y - x); }, 0 };
    send(kTree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&by_data));
    EXPECT_EQ(next(TVGN_ROOT, nullptr), digits);
    send(kTree, TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(TVI_ROOT));

    char text[260];
    TVITEMA get {};
    get.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    get.hItem = b;
    get.pszText = text;
    get.cchTextMax = sizeof text;
    ASSERT_TRUE(send(kTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)));
    EXPECT_STREQ(text, "b news");
    EXPECT_EQ(get.lParam, 1);
    EXPECT_EQ(get.cChildren, 1);

    // Selecting a child expands its parent; both ways notify.
    EXPECT_TRUE(send(kTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child)));
    EXPECT_EQ(next(TVGN_CARET, nullptr), child);
    EXPECT_EQ(codes(), (std::vector<UINT> { TVN_SELCHANGINGA, TVN_SELCHANGEDA }));
    EXPECT_EQ(notifications()[1].tree_item, child);
    EXPECT_EQ(notifications()[1].param, 4);
    EXPECT_EQ(notifications()[1].action, TVC_UNKNOWN);
    TVITEMA st {};
    st.mask = TVIF_STATE;
    st.hItem = b;
    st.stateMask = TVIS_EXPANDED;
    send(kTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&st));
    EXPECT_EQ(st.state, TVIS_EXPANDED);
    notifications().clear();
    // Rows: <unscheduled>, 1 More, A film, b news, 2024-01-01.avi; a click on the third selects it.
    SendMessageA(item(kTree), WM_LBUTTONDOWN, MK_LBUTTON, at(30, 2 * 17 + 5));
    EXPECT_EQ(next(TVGN_CARET, nullptr), a);
    ASSERT_GE(notifications().size(), 2u);
    EXPECT_EQ(notifications()[1].code, TVN_SELCHANGEDA);
    EXPECT_EQ(notifications()[1].action, TVC_BYMOUSE);
    EXPECT_TRUE(send(kTree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(b)));
    send(kTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&st));
    EXPECT_EQ(st.state, 0u);
    EXPECT_TRUE(send(kTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
    EXPECT_EQ(send(kTree, TVM_GETCOUNT), 0);
    EXPECT_EQ(next(TVGN_CARET, nullptr), nullptr);
    EXPECT_FALSE(send(kTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)));   // b is gone
}

TEST_F(CommonControlsTest, DialogWithCommonControlsRendersToPng)
{
    for (const char* name : { "Video", "Audio" }) {
        TCITEMA tab {};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<LPSTR>(name);
        send(kTabs, TCM_INSERTITEMA, 9, reinterpret_cast<LPARAM>(&tab));
    }
    send(kTabs, TCM_SETCURSEL, 1);
    LVCOLUMNA col {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<LPSTR>("Name");
    col.cx = 150;
    send(kList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    send(kList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (const char* name : { "One", "Two", "Three" }) {
        LVITEMA row {};
        row.mask = LVIF_TEXT;
        row.iItem = 99;
        row.pszText = const_cast<LPSTR>(name);
        send(kList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
    }
    LVITEMA state {};
    state.state = state.stateMask = LVIS_SELECTED;
    send(kList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    send(kTrack, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    send(kTrack, TBM_SETPOS, TRUE, 75);
    UpdateWindow(dialog);
    pump(dialog);

    auto surface = user::window_surface(dialog);
    ASSERT_TRUE(surface);
    const char* home = std::getenv("ORBIVANE_HOME");
    std::string file = std::string(home ? home : "/tmp") + "/common-controls.png";
    ASSERT_TRUE(gdi::write_png(*surface, file));
    auto png = gdi::read_png_file(file);
    ASSERT_TRUE(png);

    RECT frame;
    GetWindowRect(dialog, &frame);
    auto pixel = [&](int id, int x, int y) {
        RECT r;
        GetWindowRect(item(id), &r);
        return png->pixel(r.left - frame.left + x, r.top - frame.top + y);
    };
    auto colour = [](int index) { return gdi::pixel_from_colorref(GetSysColor(index)); };
    ASSERT_NE(colour(COLOR_WINDOW), colour(COLOR_BTNFACE));
    // The selected tab is drawn in the window colour, the other one in the button face.
    RECT first, second;
    send(kTabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    send(kTabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    EXPECT_EQ(pixel(kTabs, second.left + 3, 5), colour(COLOR_WINDOW));
    EXPECT_EQ(pixel(kTabs, first.left + 3, 5), colour(COLOR_BTNFACE));
    // Row 1 (y 37..53 under the 20-pixel heading) is highlighted across the row; row 0 is not.
    EXPECT_EQ(pixel(kList, 140, 20 + 17 + 2), colour(COLOR_HIGHLIGHT));
    EXPECT_EQ(pixel(kList, 140, 20 + 2), colour(COLOR_WINDOW));
    // The thumb sits at three quarters of the channel (8 pixels in from either end).
    RECT track;
    GetClientRect(item(kTrack), &track);
    int thumb_x = 8 + 75 * (track.right - 16) / 100;
    EXPECT_EQ(pixel(kTrack, thumb_x, 6), colour(COLOR_HIGHLIGHT));
    EXPECT_NE(pixel(kTrack, thumb_x - 10, 6), colour(COLOR_HIGHLIGHT));
}
