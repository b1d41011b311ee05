#pragma once

// Test controls (a push button and a text box) and a dialog procedure that journals what it gets,
// for the dialog tests; the real control classes are not needed.

#include <user/CommonControls.h>
#include <user/User.h>
#include <user/Testing.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#define TEST_BS_DEFPUSHBUTTON 0x0001

// A push button: WM_GETDLGCODE says default or plain push button, BM_*CHECK keep a check state.
inline LRESULT CALLBACK TestButtonProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return (GetWindowLongA(window, GWL_STYLE) & TEST_BS_DEFPUSHBUTTON) ? DLGC_DEFPUSHBUTTON | DLGC_BUTTON
                                                                          : DLGC_UNDEFPUSHBUTTON | DLGC_BUTTON;
    case BM_GETCHECK: return GetWindowLongPtrA(window, GWLP_USERDATA);
    case BM_SETCHECK: SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(wparam)); return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

inline LRESULT CALLBACK TestEditProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_GETDLGCODE)
        return DLGC_WANTCHARS | DLGC_HASSETSEL;
    return DefWindowProcA(window, message, wparam, lparam);
}

struct DialogEvent {
    HWND dialog;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

inline std::vector<DialogEvent>& dialog_events()
{
    static std::vector<DialogEvent> events;
    return events;
}

// A WM_NOTIFY as the dialog got it, decoded while its structure was alive.
struct Notification {
    int id;
    UINT code;
    int item = -1;       // list view row, up-down position, tree view: 1 when itemNew is an item
    int sub_item = 0;    // list view column, up-down delta
    UINT new_state = 0;
    UINT old_state = 0;
    LPARAM param = 0;    // the item data of the row or of itemNew
    UINT action = 0;     // tree view
    HTREEITEM tree_item = nullptr;
};

inline std::vector<Notification>& notifications()
{
    static std::vector<Notification> list;
    return list;
}

inline void record_notification(const NMHDR* h)
{
    Notification n { static_cast<int>(h->idFrom), h->code };
    char cls[32] = {};
    GetClassNameA(h->hwndFrom, cls, sizeof cls);
    std::string name = cls;
    if (name == WC_LISTVIEWA && h->code != NM_CLICK && h->code != NM_DBLCLK) {
        auto* nm = reinterpret_cast<const NMLISTVIEW*>(h);
        n.item = nm->iItem;
        n.sub_item = nm->iSubItem;
        n.new_state = nm->uNewState;
        n.old_state = nm->uOldState;
        n.param = nm->lParam;
    } else if (name == WC_LISTVIEWA) {
        auto* nm = reinterpret_cast<const NMITEMACTIVATE*>(h);
        n.item = nm->iItem;
        n.sub_item = nm->iSubItem;
        n.param = nm->lParam;
    } else if (name == UPDOWN_CLASSA) {
        auto* nm = reinterpret_cast<const NMUPDOWN*>(h);
        n.item = nm->iPos;
        n.sub_item = nm->iDelta;
    } else if (name == WC_TREEVIEWA && (h->code == TVN_SELCHANGEDA || h->code == TVN_SELCHANGINGA)) {
        auto* nm = reinterpret_cast<const NMTREEVIEWA*>(h);
        n.action = nm->action;
        n.tree_item = nm->itemNew.hItem;
        n.param = nm->itemNew.lParam;
    }
    notifications().push_back(n);
}

// What a test's dialog does with a WM_COMMAND; by default OK and Cancel end it with their id.
inline std::function<INT_PTR(HWND, int)>& on_command()
{
    static std::function<INT_PTR(HWND, int)> handler;
    return handler;
}

inline INT_PTR CALLBACK JournalDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG || message == WM_COMMAND || message == WM_NOTIFY || message == WM_HSCROLL
        || message == WM_VSCROLL)
        dialog_events().push_back({ dialog, message, wparam, lparam });
    if (message == WM_NOTIFY)
        record_notification(reinterpret_cast<const NMHDR*>(lparam));
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND) {
        int id = LOWORD(wparam);
        if (on_command())
            return on_command()(dialog, id);
        if (id == IDOK || id == IDCANCEL) {
            EndDialog(dialog, id);
            return TRUE;
        }
    }
    return FALSE;
}

class DialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc {};
            wc.lpfnWndProc = TestButtonProc;
            wc.lpszClassName = "TestButton";
            ASSERT_NE(RegisterClassA(&wc), 0);
            wc.lpfnWndProc = TestEditProc;
            wc.lpszClassName = "TestEdit";
            ASSERT_NE(RegisterClassA(&wc), 0);
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = "TestOwner";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        dialog_events().clear();
        notifications().clear();
        on_command() = nullptr;
    }
    void TearDown() override
    {
        for (HWND w : created)
            if (IsWindow(w))
                DestroyWindow(w);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ;
        user::testing::reset();
        on_command() = nullptr;
    }
    HWND owner()
    {
        HWND w = CreateWindowExA(0, "TestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600, 400,
            nullptr, nullptr, nullptr, nullptr);
        created.push_back(w);
        return w;
    }
    HWND modeless(UINT id, HWND parent = nullptr, LPARAM param = 0)
    {
        HWND d = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(id), parent, JournalDialogProc, param);
        created.push_back(d);
        return d;
    }
    // Runs the queue with the dialog's keyboard interface, as a modeless dialog's program does.
    static void pump(HWND dialog)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
    }
    static void key(UINT vk)
    {
        user::key_input(vk, true);
        user::key_input(vk, false);
    }
    // The commands a dialog got, in order.
    static std::vector<int> commands(HWND dialog)
    {
        std::vector<int> out;
        for (auto& e : dialog_events())
            if (e.dialog == dialog && e.message == WM_COMMAND)
                out.push_back(LOWORD(e.wparam));
        return out;
    }
    std::vector<HWND> created;
};
