#pragma once

// TComboBox and TListBox: the objects of a dialog template's combo boxes and list boxes.
//
// Indexes count from 0; -1 (CB_ERR, LB_ERR) means none. SetSelString selects the first item that
// begins with the text (any case), searching after `searchIndex` and wrapping round; without a
// match the selection stays. A combo box's GetText and SetText read and write its edit field
// (drop-down with edit) or its selected item (drop-down list).
//
//     auto* keep = new OWL::TComboBox(this, 422, 255);
//     keep->AddString("All"); keep->SetSelIndex(0);

#include <owl/Control.h>

#include <string>

namespace OWL {

class TComboBox : public TControl {
public:
    TComboBox(TWindow* parent, int resourceId, unsigned textLimit = 0, TModule* module = nullptr);

    int AddString(const char* text);
    void ClearList();
    int GetCount() const;
    int GetSelIndex() const;
    int SetSelIndex(int index);
    int SetSelString(const char* text, int searchIndex = -1);
    // The text of item `index`; empty when there is none.
    std::string GetString(int index) const;
    int SetItemData(int index, LPARAM data);
    LPARAM GetItemData(int index) const;
    int GetText(char* buffer, int size) const;

protected:
    void SetupWindow() override;

private:
    unsigned m_text_limit;
};

class TListBox : public TControl {
public:
    using TControl::TControl;

    int AddString(const char* text);
    int InsertString(const char* text, int index);
    int DeleteString(int index);
    void ClearList();
    int GetCount() const;
    int GetSelIndex() const;
    int SetSelIndex(int index);
    int SetSelString(const char* text, int searchIndex = -1);
    std::string GetString(int index) const;
    // The selected item's text; empty when nothing is selected.
    std::string GetSelString() const;
    int SetItemData(int index, LPARAM data);
    LPARAM GetItemData(int index) const;
};

}
