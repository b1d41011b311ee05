#include "ContextHelpWin.h"

#include <owl/Application.h>
#include <owl/Dialog.h>

#include <base/Text.h>
#include <shell/Help.h>
#include <user/Controls.h>
#include <user/Keyboard.h>

char HelpFilePath[260];
char PopupTextPath[260];

namespace {

// The property sheet's notification of its Help button.
constexpr UINT PsnHelp = static_cast<UINT>(-205);

constexpr COLORREF PopupBackground = 0xD0FFFF;

bool is_group_box(HWND window)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return base::equals_ignoring_case(name, "BUTTON") && (GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

}

LRESULT ShowHelpPopup(DWORD popupId, HWND owner)
{
    HH_POPUP popup {};
    popup.cbStruct = sizeof popup;
    popup.hinst = nullptr;
    popup.idString = popupId;
    popup.pszText = nullptr;
    GetCursorPos(&popup.pt);
    popup.clrForeground = static_cast<COLORREF>(-1);
    popup.clrBackground = PopupBackground;
    popup.rcMargins = { 5, 5, 5, 5 };
    popup.pszFont = nullptr;
    HtmlHelpA(owner, PopupTextPath, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
    return 0;
}

ContextHelpWin::ContextHelpWin(OWL::TWindow* parent, const HelpPair* helpTable, DWORD contextId)
    : m_helpTable(helpTable)
    , m_contextId(contextId)
{
    Init(parent, nullptr, nullptr);
    OnMessage(WM_HELP, [this](WPARAM, LPARAM lparam) {
        const auto* info = reinterpret_cast<const HELPINFO*>(lparam);
        return info ? EvHelp(*info) : 0;
    });
    OnMessage(WM_CONTEXTMENU, [this](WPARAM wparam, LPARAM lparam) {
        POINT point { static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)) };
        return EvContextMenu(reinterpret_cast<HWND>(wparam), point);
    });
    OnChildNotify(OWL::AnyControlId, PsnHelp, [this](LPARAM) { return HelpButton(); });
}

HWND ContextHelpWin::HelpOwner()
{
    OWL::TApplication* app = OWL::GetApplicationObject();
    OWL::TFrameWindow* main = app ? app->GetMainWindow() : nullptr;
    return main ? main->GetHandle() : nullptr;
}

bool ContextHelpWin::ShowTablePopup(const HelpPair* table, DWORD controlId)
{
    if (controlId == 0)
        return false;
    for (const HelpPair* pair = table; pair && pair->ControlId != 0; ++pair) {
        if (pair->ControlId == controlId) {
            ShowHelpPopup(pair->PopupId ? pair->PopupId : controlId, HelpOwner());
            return true;
        }
    }
    return false;
}

LRESULT ContextHelpWin::EvHelp(const HELPINFO& info)
{
    if (info.iContextType != HELPINFO_WINDOW)
        return 0;
    if (!m_helpTable) {
        ShowHelpPopup(static_cast<DWORD>(info.iCtrlId), HelpOwner());
        return 0;
    }
    auto id = static_cast<DWORD>(info.iCtrlId);
    if (id == 0)
        id = static_cast<DWORD>(GetDlgCtrlID(static_cast<HWND>(info.hItemHandle)));
    ShowTablePopup(m_helpTable, id);
    return 0;
}

HWND ContextHelpWin::ControlAt(POINT point) const
{
    HWND found = ChildWindowFromPoint(GetHandle(), point);
    if (!found || found == GetHandle())
        return nullptr;
    if (!is_group_box(found))
        return found;
    // A frame drawn round other controls is above them; the control inside is the one meant.
    for (HWND child = GetWindow(GetHandle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetHandle(), reinterpret_cast<LPPOINT>(&r), 2);
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom && !is_group_box(child))
            return child;
    }
    return found;
}

LRESULT ContextHelpWin::EvContextMenu(HWND window, POINT point)
{
    if (!m_helpTable) {
        ShowHelpPopup(static_cast<DWORD>(GetDlgCtrlID(window)), HelpOwner());
        return 0;
    }
    ScreenToClient(GetHandle(), &point);
    HWND child = ControlAt(point);
    if (child)
        ShowTablePopup(m_helpTable, static_cast<DWORD>(GetDlgCtrlID(child)));
    return 0;
}

LRESULT ContextHelpWin::HelpButton()
{
    HWND shown = m_contextId
        ? HtmlHelpA(HelpOwner(), HelpFilePath, HH_HELP_CONTEXT, m_contextId)
        : HtmlHelpA(HelpOwner(), HelpFilePath, HH_DISPLAY_TOPIC, reinterpret_cast<DWORD_PTR>("Controls.html"));
    return reinterpret_cast<LRESULT>(shown);
}
