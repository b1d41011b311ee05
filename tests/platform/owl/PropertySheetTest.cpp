// The property sheet: pages made on first show, OK applying only the made pages and staying open
// for a page that refuses, Cancel resetting them, the Help button by page, the sheet messages, and
// the keyboard round the tabs, the page and the buttons.

#include <owl/Button.h>
#include <owl/PropertySheet.h>

#include <user/CommonControls.h>
#include <user/Keyboard.h>
#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace OWL;

namespace {

std::vector<std::string> journal;

// A page journalling what the sheet tells it; `refuse_apply` and `keep` make it refuse.
class TJournalPage : public TPropertyPage {
public:
    TJournalPage(TPropertySheet* sheet, UINT id, std::string name, bool help)
        : TPropertyPage(sheet, id)
        , name(std::move(name))
        , box(new TCheckBox(this, 11))
    {
        if (help)
            SetFlags(PSP_HASHELP);
        OnChildNotify(AnyControlId, PSN_HELP, [this](LPARAM) { return note("help"), 0; });
        OnCommand(13, [this] { note("go"); });
    }

    std::string name;
    TCheckBox* box;
    bool refuse_apply = false;
    bool keep = false;

protected:
    void SetupWindow() override
    {
        TPropertyPage::SetupWindow();
        note("setup");
    }
    int SetActive(PSHNOTIFY& n) override { return note("active"), TPropertyPage::SetActive(n); }
    bool KillActive(PSHNOTIFY&) override { return note("leave"), keep; }
    int Apply(PSHNOTIFY&) override { return note("apply"), refuse_apply ? PSNRET_INVALID_NOCHANGEPAGE : PSNRET_NOERROR; }
    void Reset(PSHNOTIFY&) override { note("reset"); }

private:
    void note(const char* what) { journal.push_back(name + " " + what); }
};

class PropertySheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        journal.clear();
        for (UINT id : { 501u, 502u, 503u }) {
            user::DialogTemplate t;
            t.style = WS_CHILD | DS_CONTROL;
            t.cx = id == 502 ? 200 : 150;
            t.cy = 100;
            t.caption = "Page " + std::to_string(id);
            t.controls = { { "BUTTON", "Box", 11, WS_TABSTOP | BS_AUTOCHECKBOX, 0, 10, 10, 60, 10 },
                { "STATIC", "Name", -1, 0, 0, 10, 24, 30, 10 }, { "EDIT", "", 12, WS_TABSTOP, 0, 40, 24, 60, 12 },
                { "BUTTON", "Go", 13, WS_TABSTOP, 0, 10, 40, 40, 14 } };
            user::register_dialog(id, t);
        }
        one = new TJournalPage(&sheet, 501, "one", true);
        two = new TJournalPage(&sheet, 502, "two", false);
        three = new TJournalPage(&sheet, 503, "three", true);
    }
    void TearDown() override { user::testing::reset(); }

    int run(const std::function<void(HWND)>& act)
    {
        user::testing::set_dialog_script(PropertySheetTemplateId, [&](const user::testing::ModalDialog& d) {
            EXPECT_EQ(d.caption, "Options");
            act(d.dialog);
        });
        return sheet.Execute();
    }

    // A key pressed and released with the modifiers held, handled as the sheet's loop does.
    static void press(HWND sheet, UINT vk, std::initializer_list<UINT> held = {})
    {
        for (UINT m : held)
            user::key_input(m, true);
        user::key_input(vk, true);
        user::key_input(vk, false);
        for (UINT m : held)
            user::key_input(m, false);
        user::testing::pump_dialog(sheet);
    }

    static HWND shown(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

    TPropertySheet sheet { nullptr, "Options", 0, false, PSH_NOAPPLYNOW };
    TJournalPage* one;
    TJournalPage* two;
    TJournalPage* three;
};

TEST_F(PropertySheetTest, PagesAreMadeWhenFirstShownAndOkAppliesOnlyThoseMade)
{
    int result = run([&](HWND s) {
        EXPECT_EQ(GetDlgItem(s, ID_APPLY_NOW), nullptr) << "PSH_NOAPPLYNOW";
        EXPECT_EQ(shown(s), one->GetHandle());
        EXPECT_EQ(two->GetHandle(), nullptr);
        EXPECT_TRUE(IsWindowVisible(one->GetHandle()));
        // The tab control's page area holds the largest page.
        RECT r;
        GetClientRect(one->GetHandle(), &r);
        RECT wide { 0, 0, 200, 100 };
        MapDialogRect(s, &wide);
        EXPECT_GE(r.right, wide.right);

        // A click on the second tab.
        HWND tabs = reinterpret_cast<HWND>(SendMessageA(s, PSM_GETTABCONTROL, 0, 0));
        RECT tab;
        SendMessageA(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
        SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tab.left + 3, tab.top + 3));
        SendMessageA(tabs, WM_LBUTTONUP, 0, MAKELPARAM(tab.left + 3, tab.top + 3));
        EXPECT_EQ(shown(s), two->GetHandle());
        EXPECT_FALSE(IsWindowVisible(one->GetHandle()));
        two->box->Check();
        user::testing::press_dialog_button(s, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    std::vector<std::string> expected { "one setup", "one active", "one leave", "two setup", "two active",
        "two leave", "one apply", "two apply" };
    EXPECT_EQ(journal, expected);
}

TEST_F(PropertySheetTest, APageThatRefusesKeepsTheUserAndTheSheetOpen)
{
    int result = run([&](HWND s) {
        SendMessageA(s, PSM_SETCURSEL, 2, 0);
        SendMessageA(s, PSM_SETCURSEL, 1, 0);
        two->keep = true;
        EXPECT_FALSE(SendMessageA(s, PSM_SETCURSEL, 0, 0));
        EXPECT_EQ(shown(s), two->GetHandle());
        two->keep = false;
        three->refuse_apply = true;
        journal.clear();
        user::testing::press_dialog_button(s, IDOK);
        EXPECT_TRUE(IsWindow(s)) << "the third page refused";
        EXPECT_EQ(shown(s), three->GetHandle());
        three->refuse_apply = false;
        journal.clear();
        user::key_input(VK_ESCAPE, true);
        user::key_input(VK_ESCAPE, false);
    });
    EXPECT_EQ(result, IDCANCEL);
    std::vector<std::string> expected { "one reset", "two reset", "three reset" };
    EXPECT_EQ(journal, expected);
}

TEST_F(PropertySheetTest, HelpGoesToTheShownPageWhenItHasHelp)
{
    run([&](HWND s) {
        HWND help = GetDlgItem(s, IDHELP);
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(IsWindowEnabled(help));
        user::testing::press_dialog_button(s, IDHELP);
        SendMessageA(s, PSM_SETCURSEL, 1, 0);
        EXPECT_FALSE(IsWindowEnabled(help)) << "the second page has no help";
        SendMessageA(s, PSM_PRESSBUTTON, PSBTN_HELP, 0);
        SendMessageA(s, PSM_SETWIZBUTTONS, 0, 5);
        EXPECT_EQ(sheet.GetWizButtons(), 5);
        SendMessageA(s, PSM_CANCELTOCLOSE, 0, 0);
        char text[16] = {};
        GetDlgItemTextA(s, IDOK, text, sizeof text);
        EXPECT_STREQ(text, "Close");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(s, IDCANCEL)));
        user::testing::press_dialog_button(s, IDOK);
    });
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "one help"), 1);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "two help"), 0);
}

TEST_F(PropertySheetTest, TabGoesRoundTheTabsThePageAndTheButtonsAndCtrlTabChangesThePage)
{
    run([&](HWND s) {
        HWND tabs = GetDlgItem(s, IDC_TABCONTROL);
        HWND ok = GetDlgItem(s, IDOK), cancel = GetDlgItem(s, IDCANCEL), help = GetDlgItem(s, IDHELP);
        HWND box = GetDlgItem(one->GetHandle(), 11), edit = GetDlgItem(one->GetHandle(), 12);
        HWND go = GetDlgItem(one->GetHandle(), 13);
        EXPECT_EQ(GetFocus(), box) << "the sheet opens with the focus on its page's first control";
        for (HWND expected : { edit, go, ok, cancel, help, tabs, box }) {
            press(s, VK_TAB);
            EXPECT_EQ(GetFocus(), expected);
        }
        for (HWND expected : { tabs, help, cancel, ok, go }) {
            press(s, VK_TAB, { VK_SHIFT });
            EXPECT_EQ(GetFocus(), expected);
        }
        // Enter on the page's focused button presses it, not the sheet's OK.
        journal.clear();
        press(s, VK_RETURN);
        EXPECT_EQ(journal, std::vector<std::string> { "one go" });
        EXPECT_TRUE(IsWindow(s));

        // Ctrl+Tab from inside the page: the next page, its first control focused.
        press(s, VK_TAB, { VK_CONTROL });
        EXPECT_EQ(shown(s), two->GetHandle());
        EXPECT_FALSE(IsWindowVisible(one->GetHandle()));
        EXPECT_EQ(GetFocus(), GetDlgItem(two->GetHandle(), 11));
        // The second page has no help: Tab passes the disabled Help button by.
        for (HWND expected : { GetDlgItem(two->GetHandle(), 12), GetDlgItem(two->GetHandle(), 13), ok, cancel, tabs,
                 GetDlgItem(two->GetHandle(), 11) }) {
            press(s, VK_TAB);
            EXPECT_EQ(GetFocus(), expected);
        }
        press(s, VK_NEXT, { VK_CONTROL });
        EXPECT_EQ(shown(s), three->GetHandle());
        press(s, VK_TAB, { VK_CONTROL });
        EXPECT_EQ(shown(s), one->GetHandle()) << "round to the first page";
        press(s, VK_TAB, { VK_CONTROL, VK_SHIFT });
        EXPECT_EQ(shown(s), three->GetHandle());
        press(s, VK_PRIOR, { VK_CONTROL });
        EXPECT_EQ(shown(s), two->GetHandle());
        EXPECT_EQ(GetFocus(), GetDlgItem(two->GetHandle(), 11));

        // A page that keeps the user keeps Ctrl+Tab from leaving too.
        two->keep = true;
        press(s, VK_TAB, { VK_CONTROL });
        EXPECT_EQ(shown(s), two->GetHandle());
        two->keep = false;
        user::testing::press_dialog_button(s, IDCANCEL);
    });
}

// Tabs too many for one row take more rows; the sheet grows by them, so every tab can be
// clicked and the pages and buttons lie below the tabs as large as ever.
TEST_F(PropertySheetTest, TabsThatDoNotFitTakeMoreRowsAndTheSheetGrows)
{
    RECT one_row_sheet {}, one_row_page {};
    run([&](HWND s) {
        GetWindowRect(s, &one_row_sheet);
        GetWindowRect(shown(s), &one_row_page);
        user::testing::press_dialog_button(s, IDCANCEL);
    });
    for (int i = 0; i < 6; ++i)
        new TJournalPage(&sheet, 501, "more", false);
    run([&](HWND s) {
        HWND tabs = GetDlgItem(s, IDC_TABCONTROL);
        int rows = static_cast<int>(SendMessageA(tabs, TCM_GETROWCOUNT, 0, 0));
        ASSERT_GE(rows, 2);
        RECT tabs_rect {};
        GetClientRect(tabs, &tabs_rect);
        LONG lowest = 0;
        for (int i = 0; i < 9; ++i) {
            RECT r {};
            SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
            EXPECT_LE(r.right, tabs_rect.right) << i;
            lowest = std::max(lowest, r.bottom);
        }
        RECT sheet_rect {}, page {}, ok {};
        GetWindowRect(s, &sheet_rect);
        GetWindowRect(shown(s), &page);
        GetWindowRect(GetDlgItem(s, IDOK), &ok);
        POINT tabs_origin { 0, 0 };
        ClientToScreen(tabs, &tabs_origin);
        EXPECT_GE(page.top, tabs_origin.y + lowest) << "the page lies below the last row";
        EXPECT_EQ(page.bottom - page.top, one_row_page.bottom - one_row_page.top);
        EXPECT_GE(ok.top, page.bottom);
        EXPECT_EQ((sheet_rect.bottom - sheet_rect.top) - (one_row_sheet.bottom - one_row_sheet.top),
            (rows - 1) * (lowest / rows));
        user::testing::press_dialog_button(s, IDCANCEL);
    });
}

}
