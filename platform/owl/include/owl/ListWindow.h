#pragma once

// TListWindow: the object of a list view ("SysListView32") of a dialog template, in report view:
// columns (TListWindColumn), rows (TListWindItem) with a text per column and 32-bit item data,
// selection state, and sorting by a comparator of two rows' item data (TLwComparator).
//
//     list->InsertColumn(0, OWL::TListWindColumn("Program", 100));
//     OWL::TListWindItem item("News", 0);
//     item.SetItemData(3);
//     int row = list->InsertItem(item);
//     list->SetItemText(row, 1, "L1");
//     list->SortItems(ByName(), 0);

#include <owl/Control.h>

#include <user/CommonControls.h>

#include <string>

namespace OWL {

class TListWindColumn : public LVCOLUMNA {
public:
    TListWindColumn(const char* heading, int width, int format = LVCFMT_LEFT);

private:
    std::string m_heading;
};

class TListWindItem : public LVITEMA {
public:
    TListWindItem(const char* text = "", int subItem = 0);
    void SetIndex(int index) { iItem = index; }
    void SetItemData(LPARAM data);
    void SetText(const char* text);

private:
    std::string m_text;
};

// Orders two rows by their item data: below 0, 0 or above 0.
class TLwComparator {
public:
    virtual ~TLwComparator() = default;
    virtual int Compare(LPARAM item1, LPARAM item2, LPARAM lParam) const = 0;
};

class TListWindow : public TControl {
public:
    // Registers the common controls, so the template's list view can be made.
    TListWindow(TWindow* parent, int resourceId, TModule* module = nullptr);

    int InsertColumn(int index, const TListWindColumn& column);
    // The row's index; at the item's iItem (past the end appends).
    int InsertItem(const TListWindItem& item);
    int AddItem(const TListWindItem& item);
    bool SetItemText(int index, int subItem, const char* text);
    std::string GetItemText(int index, int subItem = 0) const;
    bool DeleteAnItem(int index);
    bool DeleteAllItems();
    int GetItemCount() const;
    UINT GetItemState(int index, UINT mask) const;
    bool SetItemState(int index, UINT state, UINT mask);
    LPARAM GetItemData(int index) const;
    bool SetItemData(int index, LPARAM data);
    bool SortItems(const TLwComparator& comparator, LPARAM lParam = 0);
    DWORD SetExtStyle(DWORD style, DWORD mask = 0);
};

}
