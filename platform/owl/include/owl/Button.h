#pragma once

// TButton, TCheckBox and TRadioButton: the objects of a dialog template's push buttons, check boxes
// and radio buttons. Setting the check by program notifies nothing; a user's click sends BN_CLICKED.
//
//     auto* daily = new OWL::TCheckBox(this, 415);
//     ... daily->SetCheck(BF_CHECKED); if (daily->GetCheck() == BF_CHECKED) ...

#include <owl/Control.h>

namespace OWL {

enum { BF_UNCHECKED = BST_UNCHECKED, BF_CHECKED = BST_CHECKED, BF_GRAYED = BST_INDETERMINATE };

class TButton : public TControl {
public:
    using TControl::TControl;
};

class TCheckBox : public TButton {
public:
    using TButton::TButton;
    unsigned GetCheck() const;
    void SetCheck(unsigned state);
    void Check() { SetCheck(BF_CHECKED); }
    void Uncheck() { SetCheck(BF_UNCHECKED); }
};

class TRadioButton : public TCheckBox {
public:
    using TCheckBox::TCheckBox;
};

}
