#include "HelpFixture.h"

#include <DialogDriver.h>

#include <owl/Dialog.h>

#include <resources/TimerDialogs.h>

#include <user/Keyboard.h>

namespace {

using dialog_driver::key;
using dialog_driver::right_click;

const ContextHelpWin::HelpPair Table[] = { { 402, 401 }, { 401, 401 }, { 404, 403 }, { 403, 0 }, { 0, 0 } };

// The event editor's template with a help table of its own and no behaviour.
class THelpedDialog : public OWL::TDialog, public ContextHelpWin {
public:
    THelpedDialog(OWL::TWindow* parent, const HelpPair* table, DWORD context)
        : TDialog(parent, IDD_EVENT)
        , ContextHelpWin(parent, table, context)
    {
        RegisterTimerDialogs();
    }
};

using ContextHelpTest = HelpFixture;

TEST_F(ContextHelpTest, F1ShowsTheTablePopupOfTheFocusedControlAtTheCursorOverTheMainWindow)
{
    THelpedDialog dialog(frame, Table, 400);
    user::testing::set_dialog_script(IDD_EVENT, [&](const user::testing::ModalDialog& d) {
        SetCursorPos(123, 77);
        key(d.dialog, VK_F1, 401);
        key(d.dialog, VK_F1, 403);   // pair (403, 0): the popup numbered like the control
        key(d.dialog, VK_F1, 411);   // not in the table: nothing
        key(d.dialog, VK_F1, 415);
        // Help for a menu item is not served.
        HELPINFO menu {};
        menu.cbSize = sizeof menu;
        menu.iContextType = HELPINFO_MENUITEM;
        menu.iCtrlId = 401;
        SendMessageA(d.dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&menu));
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    EXPECT_EQ(dialog.Execute(), IDCANCEL);
    EXPECT_EQ(popups(), (std::vector<UINT> { 401, 403 }));
    auto call = shell::testing::help_journal().at(0);
    EXPECT_EQ(call.window, frame->GetHandle());
    EXPECT_EQ(call.file, PopupTextPath);
    EXPECT_EQ(call.popup->pt.x, 123);
    EXPECT_EQ(call.popup->pt.y, 77);
    EXPECT_EQ(call.popup->clrForeground, COLORREF(-1));
    EXPECT_EQ(call.popup->clrBackground, 0xD0FFFFu);
    EXPECT_EQ(call.popup->rcMargins.left, 5);
    EXPECT_EQ(call.popup->rcMargins.bottom, 5);
    EXPECT_TRUE(call.shown); // a popup window, with the standard text as there is no help file
}

TEST_F(ContextHelpTest, WithoutATableEveryControlShowsThePopupNumberedLikeIt)
{
    THelpedDialog dialog(frame, nullptr, 400);
    user::testing::set_dialog_script(IDD_EVENT, [&](const user::testing::ModalDialog& d) {
        key(d.dialog, VK_F1, 411);
        right_click(d.dialog, 100, 70); // the end time box
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    dialog.Execute();
    EXPECT_EQ(popups(), (std::vector<UINT> { 411, 413 }));
}

TEST_F(ContextHelpTest, RightClickShowsThePopupOfTheControlUnderThePointAndNothingOverTheBackground)
{
    THelpedDialog dialog(frame, Table, 400);
    user::testing::set_dialog_script(IDD_EVENT, [&](const user::testing::ModalDialog& d) {
        right_click(d.dialog, 20, 29);   // the "&Station" label 404
        right_click(d.dialog, 100, 8);   // the name box 401
        right_click(d.dialog, 5, 190);   // the dialog's background
        right_click(d.dialog, 100, 52);  // the start time box: not in the table
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    dialog.Execute();
    EXPECT_EQ(popups(), (std::vector<UINT> { 403, 401 }));
}

TEST_F(ContextHelpTest, HelpButtonOpensTheContextTopicOrControlsHtmlWithoutAContext)
{
    for (DWORD context : { DWORD(400), DWORD(0) }) {
        shell::testing::clear_help_journal();
        THelpedDialog dialog(frame, Table, context);
        user::testing::set_dialog_script(IDD_EVENT, [&](const user::testing::ModalDialog& d) {
            NMHDR help {};
            help.hwndFrom = d.dialog;
            help.code = static_cast<UINT>(-205);
            SendMessageA(d.dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&help));
            user::testing::press_dialog_button(d.dialog, IDCANCEL);
        });
        dialog.Execute();
        auto journal = shell::testing::help_journal();
        ASSERT_EQ(journal.size(), 1u);
        EXPECT_EQ(journal[0].window, frame->GetHandle());
        EXPECT_EQ(journal[0].file, HelpFilePath);
        if (context) {
            EXPECT_EQ(journal[0].command, UINT(HH_HELP_CONTEXT));
            EXPECT_EQ(journal[0].data, 400u);
        } else {
            EXPECT_EQ(journal[0].command, UINT(HH_DISPLAY_TOPIC));
            EXPECT_EQ(journal[0].topic, "Controls.html");
        }
    }
}

}
