// Modal dialogs: the owner is disabled, the dialog's own loop dispatches the thread's messages
// until EndDialog; tests script the dialog through user/Testing.h.

#include "DialogState.h"
#include "../State.h"

#include <base/Errors.h>
#include <base/Text.h>
#include <user/Testing.h>

#include <map>

using namespace user::detail;

namespace {

std::map<UINT, user::testing::DialogScript> s_scripts;
user::testing::DialogScript s_any_script;
user::testing::DialogScript s_unexpected;
std::vector<user::testing::ShownDialog> s_journal;

// The script for a dialog: its template's, else the catch-all one.
user::testing::DialogScript script_for(UINT id)
{
    Guard guard(lock());
    auto it = s_scripts.find(id);
    if (it != s_scripts.end() && it->second)
        return it->second;
    return s_any_script;
}

// One message of a modal dialog's loop: the dialog's filter, its keys, or the dispatch.
void handle_message(HWND dialog, MSG& msg)
{
    DialogState current;
    if (dialog_state(dialog, current) && current.filter && current.filter(msg))
        return;
    if (!IsDialogMessageA(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool ended(HWND dialog)
{
    DialogState s;
    return !dialog_state(dialog, s) || s.ended;
}

}

namespace user::testing {

void set_dialog_script(UINT template_id, DialogScript script)
{
    Guard guard(lock());
    s_scripts[template_id] = std::move(script);
}

void set_dialog_script(DialogScript script)
{
    Guard guard(lock());
    s_any_script = std::move(script);
}

void set_unexpected_dialog_handler(DialogScript handler)
{
    Guard guard(lock());
    s_unexpected = std::move(handler);
}

std::vector<ShownDialog> dialog_journal()
{
    Guard guard(lock());
    return s_journal;
}

void press_dialog_button(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    char name[16] = {};
    if (control)
        GetClassNameA(control, name, sizeof name);
    if (control && base::equals_ignoring_case(name, "BUTTON")) {
        SendMessageA(control, 0x00F5 /* BM_CLICK */, 0, 0);
        return;
    }
    if (control && !IsWindowEnabled(control))
        return;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(control));
}

void pump_dialog(HWND dialog)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (IsWindow(dialog))
            handle_message(dialog, msg);
        else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void reset_dialogs()
{
    Guard guard(lock());
    s_scripts.clear();
    s_any_script = nullptr;
    s_unexpected = nullptr;
    s_journal.clear();
}

}

bool user::set_dialog_message_filter(HWND dialog, std::function<bool(MSG&)> filter)
{
    return update_dialog(dialog, [&](DialogState& s) { s.filter = std::move(filter); });
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    bool modal = false;
    if (!update_dialog(dialog, [&](DialogState& s) {
            s.ended = true;
            s.result = result;
            modal = s.modal;
        }))
        return FALSE;
    if (!modal)
        ShowWindow(dialog, SW_HIDE);
    else
        PostMessageA(dialog, WM_NULL, 0, 0);   // wakes the modal loop
    return TRUE;
}

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR template_name, HWND owner, DLGPROC proc, LPARAM param)
{
    const user::DialogTemplate* found = user::find_dialog(template_name);
    if (!found) {
        SetLastError(gdi::kErrorResourceNameNotFound);
        return -1;
    }
    if (owner && !IsWindow(owner))
        owner = nullptr;
    bool child = (found->style & (WS_CHILD | DS_CONTROL)) != 0;
    HWND top_owner = owner && !child ? GetAncestor(owner, GA_ROOT) : nullptr;
    bool disabled = top_owner && IsWindowEnabled(top_owner) && !EnableWindow(top_owner, FALSE);

    HWND dialog = create_dialog(template_name, top_owner ? top_owner : owner, proc, param, true);
    if (!dialog) {
        if (disabled)
            EnableWindow(top_owner, TRUE);
        return -1;
    }
    UINT id = user::dialog_template_id(dialog);
    char caption[256] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    user::testing::ModalDialog call { dialog, id, caption, owner };

    auto script = script_for(id);
    user::testing::DialogScript unexpected;
    {
        Guard guard(lock());
        unexpected = s_unexpected;
    }
    bool scripted = script || unexpected;
    if (!ended(dialog)) {
        if (script)
            script(call);
        else if (unexpected) {
            unexpected(call);
            if (!ended(dialog))
                EndDialog(dialog, IDCANCEL);
        }
    }

    bool quit = false;
    int quit_code = 0;
    while (IsWindow(dialog) && !ended(dialog)) {
        MSG msg;
        if (scripted) {
            // A scripted dialog never waits: once its queue is dry the script has left it open.
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (unexpected)
                    unexpected(call);
                EndDialog(dialog, IDCANCEL);
                break;
            }
        } else if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            quit = true;
            quit_code = static_cast<int>(msg.wParam);
            break;
        }
        if (msg.message == WM_QUIT) {
            quit = true;
            quit_code = static_cast<int>(msg.wParam);
            break;
        }
        handle_message(dialog, msg);
    }

    DialogState s;
    INT_PTR result = dialog_state(dialog, s) && s.ended ? s.result : -1;
    if (disabled)
        EnableWindow(top_owner, TRUE);
    if (IsWindow(dialog))
        DestroyWindow(dialog);
    if (quit)
        PostQuitMessage(quit_code);   // the application's loop must see it too
    {
        Guard guard(lock());
        s_journal.push_back({ id, caption, result });
    }
    return result;
}
