#include <owl/ListWindow.h>

namespace OWL {

TListWindColumn::TListWindColumn(const char* heading, int width, int format)
    : LVCOLUMNA {}
    , m_heading(heading ? heading : "")
{
    mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    fmt = format;
    cx = width;
}

TListWindItem::TListWindItem(const char* text, int subItem)
    : LVITEMA {}
{
    iSubItem = subItem;
    SetText(text);
}

void TListWindItem::SetItemData(LPARAM data)
{
    mask |= LVIF_PARAM;
    lParam = data;
}

void TListWindItem::SetText(const char* text)
{
    m_text = text ? text : "";
    mask |= LVIF_TEXT;
    pszText = m_text.data();
}

namespace {

LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0)
{
    return SendMessageA(window, message, wparam, lparam);
}

// The comparator of the sort in progress; sorting runs on one thread at a time per list.
thread_local const TLwComparator* s_comparator = nullptr;

int compare(LPARAM item1, LPARAM item2, LPARAM lParam)
{
    return s_comparator->Compare(item1, item2, lParam);
}

}

TListWindow::TListWindow(TWindow* parent, int resourceId, TModule* module)
    : TControl(parent, resourceId, module)
{
    InitCommonControls();
}

int TListWindow::InsertColumn(int index, const TListWindColumn& column)
{
    LVCOLUMNA copy = column;
    return static_cast<int>(send(GetHandle(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&copy)));
}

int TListWindow::InsertItem(const TListWindItem& item)
{
    LVITEMA copy = item;
    return static_cast<int>(send(GetHandle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&copy)));
}

int TListWindow::AddItem(const TListWindItem& item)
{
    LVITEMA copy = item;
    copy.iItem = GetItemCount();
    return static_cast<int>(send(GetHandle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&copy)));
}

bool TListWindow::SetItemText(int index, int subItem, const char* text)
{
    std::string copy = text ? text : "";
    LVITEMA item {};
    item.iSubItem = subItem;
    item.pszText = copy.data();
    return send(GetHandle(), LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
}

std::string TListWindow::GetItemText(int index, int subItem) const
{
    char text[261] = {};
    LVITEMA item {};
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    send(GetHandle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

bool TListWindow::DeleteAnItem(int index)
{
    return send(GetHandle(), LVM_DELETEITEM, static_cast<WPARAM>(index)) != 0;
}

bool TListWindow::DeleteAllItems()
{
    return send(GetHandle(), LVM_DELETEALLITEMS) != 0;
}

int TListWindow::GetItemCount() const
{
    return static_cast<int>(send(GetHandle(), LVM_GETITEMCOUNT));
}

UINT TListWindow::GetItemState(int index, UINT mask) const
{
    return static_cast<UINT>(send(GetHandle(), LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
}

bool TListWindow::SetItemState(int index, UINT state, UINT mask)
{
    LVITEMA item {};
    item.state = state;
    item.stateMask = mask;
    return send(GetHandle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
}

LPARAM TListWindow::GetItemData(int index) const
{
    LVITEMA item {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!send(GetHandle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.lParam;
}

bool TListWindow::SetItemData(int index, LPARAM data)
{
    LVITEMA item {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = data;
    return send(GetHandle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

bool TListWindow::SortItems(const TLwComparator& comparator, LPARAM lParam)
{
    const TLwComparator* outer = s_comparator;
    s_comparator = &comparator;
    bool sorted = send(GetHandle(), LVM_SORTITEMS, static_cast<WPARAM>(lParam), reinterpret_cast<LPARAM>(&compare)) != 0;
    s_comparator = outer;
    return sorted;
}

DWORD TListWindow::SetExtStyle(DWORD style, DWORD mask)
{
    return static_cast<DWORD>(send(GetHandle(), LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(style)));
}

}
