// The tree window's nodes over a dialog's tree view: adding, walking, texts and data, both sorts,
// selection and deletion.

#include <owl/Dialog.h>
#include <owl/TreeWindow.h>

#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace OWL;

namespace {

constexpr UINT TreeDialogId = 310;

class TTreeDialog : public TDialog {
public:
    TTreeDialog()
        : TWindow(nullptr)
        , TDialog(nullptr, TreeDialogId)
        , tree(new TTreeWindow(this, 311))
    {
    }
    TTreeWindow* tree;
};

std::vector<std::string> texts(TTreeNode parent)
{
    std::vector<std::string> out;
    for (TTreeNode n = parent.GetChild(); n; n = n.GetNextSibling()) {
        char text[8];
        n.GetText(text, sizeof text);
        out.push_back(text);
    }
    return out;
}

TEST(TreeWindow, NodesAreAddedWalkedSortedSelectedAndDeleted)
{
    user::DialogTemplate t;
    t.cx = 120;
    t.cy = 100;
    t.controls = { { WC_TREEVIEWA, "", 311, WS_BORDER | TVS_HASBUTTONS, 0, 5, 5, 110, 90 } };
    user::register_dialog(TreeDialogId, t);
    TTreeDialog dialog;
    user::testing::set_dialog_script(TreeDialogId, [&](const user::testing::ModalDialog& d) {
        TTreeNode root = dialog.tree->GetRoot();
        TTreeNode news = root.AddChild("news");
        TTreeNode film = root.AddChild("Film");
        ASSERT_TRUE(news && film);
        news.AddChild("old", 3);
        TTreeNode newest = news.AddChild("new", 9);
        news.AddChild("middle", 5);
        EXPECT_EQ(dialog.tree->GetCount(), 5);
        EXPECT_EQ(texts(news), (std::vector<std::string> { "old", "new", "middle" }));
        EXPECT_EQ(newest.GetParent().GetHTreeItem(), news.GetHTreeItem());
        EXPECT_FALSE(news.GetParent());
        EXPECT_EQ(newest.GetItemData(), 9);

        struct Descending : TTwComparator {
            int Compare(LPARAM a, LPARAM b, LPARAM) const override { return a > b ? -1 : a < b ? 1 : 0; }
        };
        EXPECT_TRUE(news.SortChildren(Descending()));
        EXPECT_EQ(texts(news), (std::vector<std::string> { "new", "middle", "old" }));
        EXPECT_TRUE(root.SortChildren());
        EXPECT_EQ(texts(root), (std::vector<std::string> { "Film", "news" }));

        // A text is cut to the buffer; the selection is the node selected.
        EXPECT_TRUE(newest.SetText("the newest"));
        EXPECT_FALSE(dialog.tree->GetSelection());
        EXPECT_TRUE(newest.SelectItem());
        char text[8];
        dialog.tree->GetSelection().GetText(text, sizeof text);
        EXPECT_STREQ(text, "the new");

        EXPECT_TRUE(news.Delete());
        EXPECT_EQ(dialog.tree->GetCount(), 1);
        EXPECT_FALSE(newest.GetText(text, sizeof text)) << "gone with its parent";
        EXPECT_FALSE(dialog.tree->GetSelection());
        EXPECT_TRUE(dialog.tree->DeleteAllItems());
        EXPECT_FALSE(root.GetChild());
        EXPECT_FALSE(TTreeNode().AddChild("x"));
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    EXPECT_EQ(dialog.Execute(), IDCANCEL);
    user::testing::reset();
}

}
