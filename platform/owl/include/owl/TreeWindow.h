#pragma once

// TTreeWindow: the object of a tree view ("SysTreeView32") of a dialog template. Its items are
// reached as TTreeNode values, each a (tree, item handle) pair that stays valid while the item
// exists; the root node (TVI_ROOT) stands for the tree itself and holds the top-level items.
// Children are sorted by their text (the control's collation) or by a comparator of two items'
// 32-bit item data (TTwComparator).
//
//     OWL::TTreeNode group = tree->GetRoot().AddChild("News");
//     group.AddChild("5-Mar-2003 09:07   \"News_1.avi\"", stamp);
//     tree->GetRoot().SortChildren();
//     group.SortChildren(NewestFirst());
//     for (OWL::TTreeNode n = tree->GetRoot().GetChild(); n; n = n.GetNextSibling()) ...

#include <owl/Control.h>

#include <user/CommonControls.h>

#include <string>

namespace OWL {

class TTreeWindow;

// Orders two items by their item data: below 0 puts the first before the second.
class TTwComparator {
public:
    virtual ~TTwComparator() = default;
    virtual int Compare(LPARAM item1, LPARAM item2, LPARAM lParam) const = 0;
};

class TTreeNode {
public:
    TTreeNode() = default;
    TTreeNode(const TTreeWindow& tree, HTREEITEM item);

    HTREEITEM GetHTreeItem() const { return m_item; }
    // False for the null node (no such item).
    explicit operator bool() const { return m_item != nullptr; }

    // The first child, the next sibling and the parent (null nodes when there is none).
    TTreeNode GetChild() const;
    TTreeNode GetNextSibling() const;
    TTreeNode GetParent() const;

    // Copies the text into `buffer` of `size` bytes (cut, terminated); false for no such item.
    bool GetText(char* buffer, int size) const;
    bool SetText(const char* text);
    LPARAM GetItemData() const;

    // Inserts a child after the others; the null node on failure.
    TTreeNode AddChild(const char* text, LPARAM data = 0) const;
    // Sorts the children (not theirs) by text, or by the comparator's view of their item data.
    bool SortChildren() const;
    bool SortChildren(const TTwComparator& comparator, LPARAM lParam = 0) const;

    // Makes the item the selected one (scrolled into view, its parents expanded).
    bool SelectItem() const;
    // TVE_EXPAND, TVE_COLLAPSE or TVE_TOGGLE.
    bool ExpandItem(UINT how) const;
    // Removes the item and its children (the root node: every item).
    bool Delete() const;

private:
    TTreeNode(HWND tree, HTREEITEM item) : m_tree(tree), m_item(item) { }
    TTreeNode Related(UINT flag) const;

    HWND m_tree = nullptr;
    HTREEITEM m_item = nullptr;
};

class TTreeWindow : public TControl {
public:
    // Registers the common controls, so the template's tree view can be made.
    TTreeWindow(TWindow* parent, int resourceId, TModule* module = nullptr);

    // The node of TVI_ROOT, parent of the top-level items.
    TTreeNode GetRoot() const { return TTreeNode(*this, TVI_ROOT); }
    // The selected item, or the null node.
    TTreeNode GetSelection() const;
    bool DeleteAllItems() { return GetRoot().Delete(); }
    int GetCount() const;
};

}
