// Dialog templates, modeless and modal dialogs, the keyboard interface and the item helpers.

#include "DialogFixture.h"

#include <base/Errors.h>

#include <string>

namespace {

constexpr UINT kForm = 700;
constexpr UINT kInner = 701;

user::DialogTemplate form()
{
    user::DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.x = 10;
    t.y = 10;
    t.cx = 200;
    t.cy = 100;
    t.caption = "Form";
    t.controls = {
        { "TestEdit", "", 101, WS_TABSTOP | WS_BORDER, 0, 7, 7, 50, 14 },
        { "TestEdit", "label", 102, 0, 0, 7, 30, 50, 8 },                    // no tab stop
        { "TestEdit", "", 103, WS_TABSTOP | WS_DISABLED, 0, 7, 40, 50, 14 },  // disabled
        { "TestEdit", "", 104, WS_TABSTOP, 0, 7, 60, 50, 14 },
        { "TestButton", "OK", IDOK, WS_TABSTOP | TEST_BS_DEFPUSHBUTTON, 0, 140, 80, 50, 14 },
        { "TestButton", "Cancel", IDCANCEL, WS_TABSTOP, 0, 80, 80, 50, 14 },
        { "TestButton", "Check", 105, WS_TABSTOP, 0, 80, 60, 50, 14 },
    };
    return t;
}

RECT child_rect(HWND dialog, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<LPPOINT>(&r), 2);
    return r;
}

bool same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}

TEST_F(DialogTest, TemplateLaysOutInDialogUnits)
{
    user::register_dialog(kForm, form());
    HWND parent = owner();
    HWND d = modeless(kForm, parent);
    ASSERT_TRUE(d);
    RECT client;
    GetClientRect(d, &client);
    EXPECT_EQ(client.right, 300);    // 200 * 6 / 4
    EXPECT_EQ(client.bottom, 162);   // 100 * 13 / 8
    // Controls: x * 6 / 4, y * 13 / 8 in the dialog's client area.
    EXPECT_TRUE(same(child_rect(d, 101), RECT { 10, 11, 85, 33 }));
    EXPECT_TRUE(same(child_rect(d, IDOK), RECT { 210, 130, 285, 152 }));
    RECT units { 7, 7, 57, 21 };
    ASSERT_TRUE(MapDialogRect(d, &units));
    EXPECT_TRUE(same(units, RECT { 10, 11, 85, 34 }));   // each coordinate on its own
    // The dialog's client corner sits at the template position in the owner's client area.
    POINT corner { 0, 0 };
    ClientToScreen(d, &corner);
    POINT expected { 15, 16 };
    ClientToScreen(parent, &expected);
    EXPECT_EQ(corner.x, expected.x);
    EXPECT_EQ(corner.y, expected.y);
    // Template order is the z-order.
    EXPECT_EQ(GetWindow(d, GW_CHILD), GetDlgItem(d, 101));
    EXPECT_EQ(GetWindow(GetDlgItem(d, 101), GW_HWNDNEXT), GetDlgItem(d, 102));
    char cls[32];
    GetClassNameA(d, cls, sizeof cls);
    EXPECT_STREQ(cls, "#32770");
    EXPECT_EQ(user::dialog_template_id(d), kForm);
    // WM_INITDIALOG got the first tab stop and the parameter; returning TRUE focused it.
    ASSERT_FALSE(dialog_events().empty());
    EXPECT_EQ(dialog_events()[0].message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(reinterpret_cast<HWND>(dialog_events()[0].wparam), GetDlgItem(d, 101));
    EXPECT_EQ(GetFocus(), GetDlgItem(d, 101));
    EXPECT_FALSE(IsWindowVisible(d));   // the template has no WS_VISIBLE
}

TEST_F(DialogTest, UnknownTemplateOrFailingControlFails)
{
    EXPECT_EQ(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(9999), nullptr, JournalDialogProc, 0), nullptr);
    EXPECT_EQ(GetLastError(), 1814u);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(9999), nullptr, JournalDialogProc, 0), -1);
    auto t = form();
    t.controls.push_back({ "NoSuchClass", "", 200, 0, 0, 0, 0, 10, 10 });
    user::register_dialog("broken", t);
    EXPECT_EQ(CreateDialogParamA(nullptr, "BROKEN", nullptr, JournalDialogProc, 0), nullptr);
    t.style |= DS_NOFAILCREATE;
    user::register_dialog("broken", t);
    HWND d = CreateDialogParamA(nullptr, "broken", nullptr, JournalDialogProc, 0);
    created.push_back(d);
    EXPECT_TRUE(d);
}

TEST_F(DialogTest, TabMovesThroughEnabledTabStopsAndWraps)
{
    user::register_dialog(kForm, form());
    HWND d = modeless(kForm);
    ShowWindow(d, SW_SHOW);
    SetFocus(GetDlgItem(d, 101));
    // 102 has no tab stop and 103 is disabled; the order wraps round after the last.
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) {
        key(VK_TAB);
        pump(d);
        order.push_back(GetDlgCtrlID(GetFocus()));
    }
    EXPECT_EQ(order, (std::vector<int> { 104, IDOK, IDCANCEL, 105, 101 }));
    user::key_input(VK_SHIFT, true);
    key(VK_TAB);
    user::key_input(VK_SHIFT, false);
    pump(d);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 105);
    // A hidden control is skipped too.
    ShowWindow(GetDlgItem(d, 104), SW_HIDE);
    SetFocus(GetDlgItem(d, 101));
    key(VK_TAB);
    pump(d);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDOK);
}

TEST_F(DialogTest, EnterPressesDefaultOrFocusedButtonEscapePressesCancel)
{
    user::register_dialog(kForm, form());
    on_command() = [](HWND, int) -> INT_PTR { return TRUE; };   // keep the dialog open
    HWND d = modeless(kForm);
    ShowWindow(d, SW_SHOW);
    SetFocus(GetDlgItem(d, 101));
    key(VK_RETURN);
    pump(d);
    SendMessageA(d, DM_SETDEFID, 105, 0);
    EXPECT_EQ(SendMessageA(d, DM_GETDEFID, 0, 0), MAKELONG(105, DC_HASDEFID));
    key(VK_RETURN);
    pump(d);
    SetFocus(GetDlgItem(d, IDCANCEL));   // a focused push button takes Enter
    key(VK_RETURN);
    pump(d);
    key(VK_ESCAPE);
    pump(d);
    EnableWindow(GetDlgItem(d, IDCANCEL), FALSE);   // a disabled Cancel is not pressed
    SetFocus(GetDlgItem(d, 101));
    key(VK_ESCAPE);
    pump(d);
    EXPECT_EQ(commands(d), (std::vector<int> { IDOK, 105, IDCANCEL, IDCANCEL }));
    EnableWindow(GetDlgItem(d, IDCANCEL), TRUE);
    SendMessageA(d, WM_CLOSE, 0, 0);
    pump(d);
    EXPECT_EQ(commands(d).back(), IDCANCEL);
}

TEST_F(DialogTest, ModalDialogEndsWithTheScriptsResultAndDisablesItsOwner)
{
    user::register_dialog(kForm, form());
    HWND parent = owner();
    bool owner_was_enabled = true;
    HWND seen = nullptr;
    on_command() = [](HWND dialog, int id) -> INT_PTR {
        if (id == IDOK) {
            BOOL ok = FALSE;
            UINT value = GetDlgItemInt(dialog, 101, &ok, TRUE);
            EndDialog(dialog, ok ? static_cast<INT_PTR>(static_cast<int>(value)) : -2);
        }
        return TRUE;
    };
    user::testing::set_dialog_script(kForm, [&](const user::testing::ModalDialog& d) {
        seen = d.dialog;
        EXPECT_EQ(d.template_id, kForm);
        EXPECT_EQ(d.caption, "Form");
        EXPECT_TRUE(IsWindowVisible(d.dialog));
        owner_was_enabled = IsWindowEnabled(parent);
        SetDlgItemTextA(d.dialog, 101, "-42");
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kForm), parent, JournalDialogProc, 0), -42);
    EXPECT_FALSE(owner_was_enabled);
    EXPECT_TRUE(IsWindowEnabled(parent));
    EXPECT_FALSE(IsWindow(seen));
    auto journal = user::testing::dialog_journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].template_id, kForm);
    EXPECT_EQ(journal[0].result, -42);
}

TEST_F(DialogTest, ScriptsDriveKeysAndNestedDialogs)
{
    user::register_dialog(kForm, form());
    auto inner = form();
    inner.caption = "Inner";
    user::register_dialog(kInner, inner);
    HWND parent = owner();
    on_command() = [](HWND dialog, int id) -> INT_PTR {
        if (user::dialog_template_id(dialog) == kForm && id == 105) {
            INT_PTR r = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kInner), dialog, JournalDialogProc, 0);
            EndDialog(dialog, 100 + r);
        } else if (id == IDOK || id == IDCANCEL)
            EndDialog(dialog, id);
        return TRUE;
    };
    bool outer_disabled = false;
    HWND outer = nullptr;
    user::testing::set_dialog_script(kForm, [&](const user::testing::ModalDialog& d) {
        outer = d.dialog;
        user::testing::press_dialog_button(d.dialog, 105);
    });
    // The inner dialog is ended by Escape through its own loop.
    user::testing::set_dialog_script(kInner, [&](const user::testing::ModalDialog& d) {
        outer_disabled = !IsWindowEnabled(outer);
        EXPECT_EQ(d.owner, outer);
        SetFocus(GetDlgItem(d.dialog, 101));
        key(VK_ESCAPE);
    });
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kForm), parent, JournalDialogProc, 0), 100 + IDCANCEL);
    EXPECT_TRUE(outer_disabled);
    auto journal = user::testing::dialog_journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0].caption, "Inner");
    EXPECT_EQ(journal[0].result, IDCANCEL);
    EXPECT_EQ(journal[1].caption, "Form");
}

TEST_F(DialogTest, UnexpectedAndAbandonedDialogsAreReportedAndCancelled)
{
    user::register_dialog(kForm, form());
    std::vector<UINT> reported;
    user::testing::set_unexpected_dialog_handler(
        [&](const user::testing::ModalDialog& d) { reported.push_back(d.template_id); });
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kForm), nullptr, JournalDialogProc, 0), IDCANCEL);
    user::testing::set_dialog_script(kForm, [](const user::testing::ModalDialog& d) {
        SetDlgItemTextA(d.dialog, 101, "left open");
    });
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kForm), nullptr, JournalDialogProc, 0), IDCANCEL);
    EXPECT_EQ(reported, (std::vector<UINT> { kForm, kForm }));
}

TEST_F(DialogTest, EndDialogDuringInitDialogEndsBeforeTheLoop)
{
    user::register_dialog(kForm, form());
    static DLGPROC ends_at_once = [](HWND dialog, UINT message, WPARAM, LPARAM param) -> INT_PTR {
        if (message == WM_INITDIALOG)
            EndDialog(dialog, param);
        return FALSE;
    };
    bool scripted = false;
    user::testing::set_dialog_script([&](const user::testing::ModalDialog&) { scripted = true; });
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kForm), nullptr, ends_at_once, 77), 77);
    EXPECT_FALSE(scripted);
}

TEST_F(DialogTest, ItemHelpers)
{
    user::register_dialog(kForm, form());
    HWND d = modeless(kForm);
    struct Case {
        const char* text;
        BOOL is_signed;
        BOOL ok;
        UINT value;
    } cases[] = {
        { "123", FALSE, TRUE, 123 },
        { "  7 ", FALSE, TRUE, 7 },
        { "-5", TRUE, TRUE, static_cast<UINT>(-5) },
        { "-5", FALSE, FALSE, 0 },
        { "12a", FALSE, FALSE, 0 },
        { "", FALSE, FALSE, 0 },
        { "4294967295", FALSE, TRUE, 4294967295u },
        { "4294967296", FALSE, FALSE, 0 },
        { "2147483648", TRUE, FALSE, 0 },
        { "-2147483648", TRUE, TRUE, 0x80000000u },
    };
    for (const auto& c : cases) {
        SetDlgItemTextA(d, 101, c.text);
        BOOL ok = !c.ok;
        EXPECT_EQ(GetDlgItemInt(d, 101, &ok, c.is_signed), c.value) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
    SetDlgItemInt(d, 104, static_cast<UINT>(-9), TRUE);
    char text[16];
    GetDlgItemTextA(d, 104, text, sizeof text);
    EXPECT_STREQ(text, "-9");
    SetDlgItemInt(d, 104, 4000000000u, FALSE);
    GetDlgItemTextA(d, 104, text, sizeof text);
    EXPECT_STREQ(text, "4000000000");
    EXPECT_TRUE(CheckDlgButton(d, 105, BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(d, 105), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(SendDlgItemMessageA(d, 105, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(CheckDlgButton(d, 999, BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(d, 999), 0u);
    // The message result slot answers for a handled message.
    SetWindowLongPtrA(d, DWLP_USER, 1234);
    EXPECT_EQ(GetWindowLongPtrA(d, DWLP_USER), 1234);
    EXPECT_EQ(GetWindowLongPtrA(d, DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(JournalDialogProc));
}
