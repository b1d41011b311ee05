#include <owl/TreeWindow.h>

#include <user/User.h>

#include <string>

namespace OWL {

namespace {

LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0)
{
    return window ? SendMessageA(window, message, wparam, lparam) : 0;
}

// The comparator of the sort in progress; sorting runs on one thread at a time per tree.
thread_local const TTwComparator* s_comparator = nullptr;

int compare(LPARAM item1, LPARAM item2, LPARAM lParam)
{
    return s_comparator->Compare(item1, item2, lParam);
}

}

TTreeNode::TTreeNode(const TTreeWindow& tree, HTREEITEM item)
    : m_tree(tree.GetHandle())
    , m_item(item)
{
}

TTreeNode TTreeNode::Related(UINT flag) const
{
    if (!m_item)
        return {};
    auto item = reinterpret_cast<HTREEITEM>(send(m_tree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(m_item)));
    return item ? TTreeNode(m_tree, item) : TTreeNode();
}

TTreeNode TTreeNode::GetChild() const { return Related(TVGN_CHILD); }
TTreeNode TTreeNode::GetNextSibling() const { return Related(TVGN_NEXT); }
TTreeNode TTreeNode::GetParent() const { return Related(TVGN_PARENT); }

bool TTreeNode::GetText(char* buffer, int size) const
{
    if (!buffer || size <= 0)
        return false;
    buffer[0] = 0;
    TVITEMA item {};
    item.mask = TVIF_HANDLE | TVIF_TEXT;
    item.hItem = m_item;
    item.pszText = buffer;
    item.cchTextMax = size;
    return send(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

bool TTreeNode::SetText(const char* text)
{
    std::string copy = text ? text : "";
    TVITEMA item {};
    item.mask = TVIF_HANDLE | TVIF_TEXT;
    item.hItem = m_item;
    item.pszText = copy.data();
    return send(m_tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

LPARAM TTreeNode::GetItemData() const
{
    TVITEMA item {};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = m_item;
    return send(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

TTreeNode TTreeNode::AddChild(const char* text, LPARAM data) const
{
    if (!m_item)
        return {};
    std::string copy = text ? text : "";
    TVINSERTSTRUCTA insert {};
    insert.hParent = m_item;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = copy.data();
    insert.item.lParam = data;
    auto item = reinterpret_cast<HTREEITEM>(send(m_tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    return item ? TTreeNode(m_tree, item) : TTreeNode();
}

bool TTreeNode::SortChildren() const
{
    return m_item && send(m_tree, TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(m_item)) != 0;
}

bool TTreeNode::SortChildren(const TTwComparator& comparator, LPARAM lParam) const
{
    if (!m_item)
        return false;
    TVSORTCB sort {};
    sort.hParent = m_item;
    sort.lpfnCompare = &compare;
    sort.lParam = lParam;
    const TTwComparator* outer = s_comparator;
    s_comparator = &comparator;
    bool sorted = send(m_tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != 0;
    s_comparator = outer;
    return sorted;
}

bool TTreeNode::SelectItem() const
{
    return m_item && send(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(m_item)) != 0;
}

bool TTreeNode::ExpandItem(UINT how) const
{
    return m_item && send(m_tree, TVM_EXPAND, how, reinterpret_cast<LPARAM>(m_item)) != 0;
}

bool TTreeNode::Delete() const
{
    return m_item && send(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(m_item)) != 0;
}

TTreeWindow::TTreeWindow(TWindow* parent, int resourceId, TModule* module)
    : TControl(parent, resourceId, module)
{
    InitCommonControls();
}

TTreeNode TTreeWindow::GetSelection() const
{
    auto item = reinterpret_cast<HTREEITEM>(send(GetHandle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
    return item ? TTreeNode(*this, item) : TTreeNode();
}

int TTreeWindow::GetCount() const
{
    return static_cast<int>(send(GetHandle(), TVM_GETCOUNT));
}

}
