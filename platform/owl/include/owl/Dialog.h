#pragma once

// TDialog: a window of the class library made from a dialog template (user/Dialogs.h), modal or
// modeless, with its controls bound to control objects (owl/Control.h and the control headers).
//
// A dialog class builds TDialog with its template's resource id and, in its constructor, the
// control objects of the template's controls (each names the dialog as parent and its control id)
// and its response-table entries. When the window is made (WM_INITDIALOG), SetupWindow binds each
// control object to its control and then calls TransferData(tdSetData); a derived SetupWindow
// calls the base's first and then fills its controls.
//
// Messages reach the response table first (own entries, then those of mixed-in classes, then the
// library's, because later entries replace earlier ones). A control's notification (WM_COMMAND
// with a code, WM_NOTIFY) is offered to the control's own object, then to the table's child
// notifications by (id, code); a click or command is then looked up as a command; IDOK and
// IDCANCEL without an entry run CmOk and CmCancel. Anything left goes to the default dialog
// procedure (Enter presses the default button, Escape and the close box press Cancel).
//
//     class TNameDialog : public OWL::TDialog {
//     public:
//         TNameDialog(TWindow* parent) : TDialog(parent, 300), m_name(new OWL::TEdit(this, 301, 64)) { }
//     protected:
//         void SetupWindow() override { TDialog::SetupWindow(); m_name->SetText("Anna"); }
//     private:
//         OWL::TEdit* m_name;
//     };
//     if (TNameDialog(frame).Execute() == IDOK) ...

#include <owl/Window.h>

#include <user/Dialogs.h>

namespace OWL {

// TransferData's directions.
enum { tdGetData = 0, tdSetData = 1 };

class TDialog : virtual public TWindow {
public:
    TDialog(TWindow* parent, UINT resourceId, TModule* module = nullptr);
    ~TDialog() override;

    // Runs the dialog modally (its owner is the parent's window); the value it was closed with, or
    // -1 when the template is unknown.
    virtual int Execute();
    // Makes the dialog modeless; false when the template is unknown.
    bool Create() override;
    // Ends the dialog: Execute returns `retValue`; a modeless dialog is destroyed.
    virtual void CloseWindow(int retValue = IDCANCEL);
    // Moves data between the controls and the program; the library's moves nothing.
    virtual void TransferData(int direction) { (void)direction; }
    // While the dialog runs modally, each message of its loop before the dialog keys and the
    // dispatch; true when it was used up. The library's uses none.
    virtual bool PreProcessMsg(MSG& msg) { (void)msg; return false; }

    UINT GetResourceId() const { return m_resource_id; }
    bool IsModal() const { return m_modal; }

    // Commands of a dialog stay in the dialog.
    void GetCommandTargets(std::vector<TEventHandler*>& targets) override;

protected:
    // Binds the control objects, then TransferData(tdSetData).
    void SetupWindow() override;
    // CanClose, then TransferData(tdGetData) and CloseWindow(IDOK).
    virtual void CmOk();
    // CloseWindow(IDCANCEL).
    virtual void CmCancel();

    // The dialog's handling of a message; false leaves it to the default dialog procedure.
    virtual bool DialogMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

private:
    static INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    bool ChildCommand(UINT id, UINT code, HWND control, LRESULT& result);

    UINT m_resource_id;
    bool m_modal = false;
};

}
