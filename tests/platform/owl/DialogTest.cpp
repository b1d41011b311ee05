#include <owl/Button.h>
#include <owl/ComboBox.h>
#include <owl/Dialog.h>
#include <owl/Edit.h>
#include <owl/ListWindow.h>
#include <owl/Static.h>

#include <user/CommonControls.h>
#include <user/Keyboard.h>
#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace OWL;

namespace {

constexpr UINT NameDialogId = 300;

void type(HWND control, const char* text)
{
    for (const char* p = text; *p; ++p)
        SendMessageA(control, WM_CHAR, static_cast<unsigned char>(*p), 1);
}

std::string text_of(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A small dialog of each kind of control object, journalling what the library calls.
class TNameDialog : public TDialog {
public:
    explicit TNameDialog(TWindow* parent)
        : TDialog(parent, NameDialogId)
        , name(new TEdit(this, 301, 8))
        , kind(new TComboBox(this, 302, 32))
        , daily(new TCheckBox(this, 303))
        , label(new TStatic(this, 304, 4))
        , list(new TListWindow(this, 305))
    {
        name->SetValidator(new TFilterValidator("0-9a-z "));
        OnCommand(306, [this] { log.push_back("apply"); });
        OnChildNotify(305, LVN_COLUMNCLICK, [this](LPARAM nm) {
            log.push_back("column " + std::to_string(reinterpret_cast<NMLISTVIEW*>(nm)->iSubItem));
            return 0;
        });
    }

    void TransferData(int direction) override
    {
        log.push_back(direction == tdSetData ? "set" : "get " + std::string(text_of(*name)));
    }

    std::vector<std::string> log;
    TEdit* name;
    TComboBox* kind;
    TCheckBox* daily;
    TStatic* label;
    TListWindow* list;

protected:
    void SetupWindow() override
    {
        TDialog::SetupWindow();
        log.push_back("setup");
        kind->AddString("Record TV");
        kind->AddString("TV on");
        kind->SetSelIndex(1);
        daily->Check();
    }
};

class OwlDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        user::DialogTemplate t;
        t.cx = 200;
        t.cy = 120;
        t.caption = "Name";
        t.controls = {
            { "EDIT", "", 301, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 10, 10, 100, 12 },
            { "COMBOBOX", "", 302, WS_TABSTOP | CBS_DROPDOWNLIST, 0, 10, 26, 100, 60 },
            { "BUTTON", "Daily", 303, WS_TABSTOP | BS_AUTOCHECKBOX, 0, 10, 42, 60, 10 },
            { "STATIC", "Label text", 304, SS_LEFT, 0, 120, 10, 60, 10 },
            { WC_LISTVIEWA, "", 305, WS_BORDER | LVS_REPORT, 0, 10, 56, 180, 40 },
            { "BUTTON", "Apply", 306, WS_TABSTOP, 0, 30, 100, 40, 14 },
            { "BUTTON", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 80, 100, 40, 14 },
            { "BUTTON", "Cancel", IDCANCEL, WS_TABSTOP, 0, 130, 100, 40, 14 },
        };
        user::register_dialog(NameDialogId, t);
    }
    void TearDown() override { user::testing::reset(); }
};

TEST_F(OwlDialogTest, ExecuteBindsTheControlObjectsAndOkTransfersTheTypedText)
{
    TNameDialog dialog(nullptr);
    user::testing::set_dialog_script(NameDialogId, [&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(dialog.GetHandle(), d.dialog);
        EXPECT_EQ(dialog.kind->GetSelIndex(), 1);
        EXPECT_EQ(dialog.kind->GetString(0), "Record TV");
        EXPECT_EQ(dialog.daily->GetCheck(), unsigned(BF_CHECKED));
        char short_text[8];
        dialog.label->GetText(short_text, sizeof short_text);
        EXPECT_STREQ(short_text, "Lab"); // the static's limit of 4
        // The validator refuses capitals and punctuation; the limit of 8 keeps 7 characters.
        type(*dialog.name, "ab C-d9 xyz");
        EXPECT_EQ(text_of(*dialog.name), "ab d9 x");
        user::testing::press_dialog_button(d.dialog, 306);
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    EXPECT_EQ(dialog.Execute(), IDOK);
    EXPECT_EQ(dialog.GetHandle(), nullptr);
    std::vector<std::string> expected { "set", "setup", "apply", "get ab d9 x" };
    EXPECT_EQ(dialog.log, expected);
    EXPECT_EQ(user::testing::beep_journal().size(), 2u);

    // Escape ends it with Cancel and transfers nothing back; the dialog can run again.
    dialog.log.clear();
    user::testing::set_dialog_script(NameDialogId, [&](const user::testing::ModalDialog& d) {
        SendMessageA(d.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.name->GetHandle()), TRUE);
        user::key_input(VK_ESCAPE, true);
        user::key_input(VK_ESCAPE, false);
    });
    EXPECT_EQ(dialog.Execute(), IDCANCEL);
    EXPECT_EQ(dialog.log, (std::vector<std::string> { "set", "setup" }));
}

TEST_F(OwlDialogTest, ListWindowKeepsItemDataThroughSortAndDeletionAndColumnClicksReachTheTable)
{
    struct ByData : TLwComparator {
        int Compare(LPARAM a, LPARAM b, LPARAM descending) const override
        {
            return descending ? static_cast<int>(b - a) : static_cast<int>(a - b);
        }
    };
    TNameDialog dialog(nullptr);
    user::testing::set_dialog_script(NameDialogId, [&](const user::testing::ModalDialog&) {
        TListWindow& list = *dialog.list;
        list.InsertColumn(0, TListWindColumn("Program", 100));
        list.InsertColumn(1, TListWindColumn("Station", 70));
        for (int i = 0; i < 3; ++i) {
            TListWindItem item(("event" + std::to_string(i)).c_str());
            item.SetIndex(0); // each in front of the others
            item.SetItemData(10 + i);
            int row = list.InsertItem(item);
            list.SetItemText(row, 1, ("L" + std::to_string(i)).c_str());
        }
        EXPECT_EQ(list.GetItemText(0), "event2");
        list.SortItems(ByData(), 0);
        EXPECT_EQ(list.GetItemText(0), "event0");
        EXPECT_EQ(list.GetItemText(2, 1), "L2");
        EXPECT_EQ(list.GetItemData(1), 11);
        list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        list.DeleteAnItem(0);
        EXPECT_EQ(list.GetItemCount(), 2);
        EXPECT_EQ(list.GetItemState(0, LVIS_SELECTED), UINT(LVIS_SELECTED));
        EXPECT_EQ(list.GetItemData(0), 11);
        list.SortItems(ByData(), 1);
        EXPECT_EQ(list.GetItemText(0), "event2");

        // A click on the second heading.
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 5));
        user::testing::press_dialog_button(dialog.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(dialog.Execute(), IDCANCEL);
    EXPECT_EQ(dialog.log.back(), "column 1");
}

// An owner-drawn button that answers its own click and records what it was asked to draw.
class TDrawnButton : public TButton {
public:
    using TButton::TButton;
    bool EvNotify(UINT code) override
    {
        if (code != BN_CLICKED)
            return false;
        log.push_back("clicked");
        return true;
    }
    std::vector<std::string> log;

protected:
    void ODADrawEntire(DRAWITEMSTRUCT& item) override
    {
        log.push_back("entire" + std::string(item.itemState & ODS_SELECTED ? " selected" : ""));
    }
    void ODASelect(DRAWITEMSTRUCT& item) override
    {
        log.push_back("select" + std::string(item.itemState & ODS_SELECTED ? " selected" : ""));
    }
};

TEST_F(OwlDialogTest, OwnerDrawnControlDrawsAndAnswersItsOwnClickBeforeTheDialog)
{
    user::DialogTemplate t;
    t.cx = 100;
    t.cy = 40;
    t.controls = { { "BUTTON", "Go", 401, WS_TABSTOP | BS_OWNERDRAW, 0, 10, 10, 50, 14 } };
    user::register_dialog(310, t);
    TDialog dialog(nullptr, 310);
    auto* button = new TDrawnButton(&dialog, 401);
    bool dialog_heard = false;
    dialog.OnCommand(401, [&] { dialog_heard = true; });
    user::testing::set_dialog_script(310, [&](const user::testing::ModalDialog&) {
        UpdateWindow(*button);
        SendMessageA(*button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(*button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        dialog.CloseWindow(IDOK);
    });
    EXPECT_EQ(dialog.Execute(), IDOK);
    ASSERT_FALSE(button->log.empty());
    EXPECT_EQ(button->log.front(), "entire");
    EXPECT_NE(std::find(button->log.begin(), button->log.end(), "select selected"), button->log.end());
    EXPECT_EQ(button->log.back(), "clicked");
    EXPECT_FALSE(dialog_heard);
}

TEST_F(OwlDialogTest, ModelessDialogIsDestroyedByCloseWindowAndByItsObject)
{
    {
        TNameDialog dialog(nullptr);
        ASSERT_TRUE(dialog.Create());
        HWND window = dialog.GetHandle();
        EXPECT_EQ(dialog.log, (std::vector<std::string> { "set", "setup" }));
        EXPECT_EQ(dialog.name->GetHandle(), GetDlgItem(window, 301));
        dialog.CloseWindow(IDOK);
        EXPECT_FALSE(IsWindow(window));
        ASSERT_TRUE(dialog.Create());
        window = dialog.GetHandle();
        SendMessageA(window, WM_KEYDOWN, VK_F1, 0); // no help handler: nothing happens
        EXPECT_TRUE(IsWindow(window));
    }
    TDialog unknown(nullptr, 999);
    EXPECT_FALSE(unknown.Create());
    EXPECT_EQ(unknown.Execute(), -1);
}

}
