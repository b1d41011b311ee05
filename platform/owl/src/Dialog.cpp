#include <owl/Control.h>
#include <owl/Dialog.h>

#include <user/CommonControls.h>

namespace OWL {

TDialog::TDialog(TWindow* parent, UINT resourceId, TModule* module)
    : m_resource_id(resourceId)
{
    Init(parent, nullptr, module);
}

TDialog::~TDialog()
{
    DestroyQuietly();
}

void TDialog::GetCommandTargets(std::vector<TEventHandler*>& targets)
{
    targets.push_back(this);
}

int TDialog::Execute()
{
    m_modal = true;
    HWND owner = GetParentO() ? GetParentO()->GetHandle() : nullptr;
    INT_PTR result = DialogBoxParamA(GetModule()->GetHandle(), MAKEINTRESOURCEA(m_resource_id), owner, DlgProc,
        reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return static_cast<int>(result);
}

bool TDialog::Create()
{
    if (GetHandle())
        return true;
    m_modal = false;
    HWND owner = GetParentO() ? GetParentO()->GetHandle() : nullptr;
    return CreateDialogParamA(GetModule()->GetHandle(), MAKEINTRESOURCEA(m_resource_id), owner, DlgProc,
               reinterpret_cast<LPARAM>(this))
        != nullptr;
}

void TDialog::CloseWindow(int retValue)
{
    if (!GetHandle())
        return;
    if (m_modal)
        EndDialog(GetHandle(), retValue);
    else
        Destroy();
}

void TDialog::SetupWindow()
{
    TWindow::SetupWindow();
    TransferData(tdSetData);
}

void TDialog::CmOk()
{
    if (!CanClose())
        return;
    TransferData(tdGetData);
    CloseWindow(IDOK);
}

void TDialog::CmCancel()
{
    CloseWindow(IDCANCEL);
}

bool TDialog::ChildCommand(UINT id, UINT code, HWND control, LRESULT& result)
{
    result = 0;
    if (control) {
        if (auto* object = dynamic_cast<TControl*>(FromHandle(control)); object && object->EvNotify(code))
            return true;
        if (DispatchChildNotify(id, code, reinterpret_cast<LPARAM>(control), result))
            return true;
    }
    // A click, a menu item or an accelerator is a command.
    if (control && code != BN_CLICKED)
        return false;
    if (RouteCommand(id))
        return true;
    if (id == IDOK) {
        CmOk();
        return true;
    }
    if (id == IDCANCEL) {
        CmCancel();
        return true;
    }
    return false;
}

bool TDialog::DialogMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    if (DispatchMsg(message, wparam, lparam, result))
        return true;
    switch (message) {
    case WM_COMMAND:
        return ChildCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam), result);
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        return header
            && (DispatchChildNotify(static_cast<UINT>(header->idFrom), header->code, lparam, result)
                || DispatchChildNotify(AnyControlId, header->code, lparam, result));
    }
    case WM_DRAWITEM:
        result = TRUE;
        return ReflectDrawItem(lparam);
    case WM_DESTROY:
        CleanupWindow();
        return false;
    default:
        return false;
    }
}

INT_PTR CALLBACK TDialog::DlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* object = dynamic_cast<TDialog*>(FromHandle(dialog));
    if (!object && message == WM_INITDIALOG) {
        object = reinterpret_cast<TDialog*>(lparam);
        object->BindHandle(dialog);
        if (object->m_modal)
            user::set_dialog_message_filter(dialog, [object](MSG& msg) { return object->PreProcessMsg(msg); });
        object->SetupWindow();
        return TRUE;
    }
    if (!object)
        return FALSE;
    if (message == WM_NCDESTROY) {
        object->Detach();
        return FALSE;
    }
    if (object->IsQuiet())
        return FALSE;
    LRESULT result = 0;
    if (!object->DialogMessage(message, wparam, lparam, result))
        return FALSE;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}
