#pragma once

// TControl: the object of one control of a dialog template, found by its id when the dialog's
// window is made (TDialog::SetupWindow binds it; its messages then pass through the object before
// the control's own procedure), or of a control the program places itself (the positional
// constructor; Create makes its window, as in a control bar).
//
// An owner-drawn control (BS_OWNERDRAW) overrides the three drawing hooks, which the parent hands
// it from WM_DRAWITEM: ODADrawEntire to paint everything, ODAFocus when the focus changed, ODASelect
// when the selection (the pressed state) changed; the DRAWITEMSTRUCT gives the DC, the rectangle and
// the state (ODS_SELECTED, ODS_FOCUS, ODS_DISABLED). A control may also answer its own notifications
// (BN_CLICKED and the like) before the parent sees them, through EvNotify.
//
//     class TLink : public OWL::TControl {
//         void ODADrawEntire(DRAWITEMSTRUCT& d) override { ...draw into d.hDC... }
//         bool EvNotify(UINT code) override { return code == BN_CLICKED && Open(); }
//     };

#include <owl/Window.h>

#include <user/Controls.h>

namespace OWL {

class TControl : public TWindow {
public:
    // The control `resourceId` of the parent dialog's template.
    TControl(TWindow* parent, int resourceId, TModule* module = nullptr);
    // A control the object makes itself: a visible child at (x, y), w x h, with the id.
    TControl(TWindow* parent, int id, const char* title, int x, int y, int w, int h, TModule* module = nullptr);

    // A template's control: binds the object to it in the parent's window; false when the parent
    // has no window or no control of that id. Else makes the window.
    bool Create() override;
    int GetId() const { return static_cast<int>(Attr.Id); }

    // The control's notification to its parent, offered to the control first; true when it used it.
    virtual bool EvNotify(UINT code) { (void)code; return false; }

    // Owner-draw dispatch by item action (see above).
    bool DrawReflected(DRAWITEMSTRUCT& item) override;

    // Window text and the enabled state.
    int GetText(char* buffer, int size) const;
    void SetText(const char* text);
    int GetTextLen() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;

protected:
    virtual void ODADrawEntire(DRAWITEMSTRUCT&) { }
    virtual void ODAFocus(DRAWITEMSTRUCT&) { }
    virtual void ODASelect(DRAWITEMSTRUCT&) { }

    // Runs once the object is bound to its control.
    void SetupWindow() override { }

private:
    bool m_from_template = true;
};

}
