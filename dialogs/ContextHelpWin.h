#pragma once

// ContextHelpWin: the context help every dialog and settings page mixes in. F1 over a control
// (WM_HELP) or a right click on it (WM_CONTEXTMENU) shows the control's short text popup from the
// help file's popup texts; a settings page's Help button (PSN_HELP) opens the page's topic.
//
// A dialog derives from its class-library base and from ContextHelpWin (TWindow is a virtual base
// of both) and passes a help table and its context id (its dialog resource id, or 0 for none). The
// table pairs control ids with popup text ids, ends with a pair whose control id is 0, and may be
// null: without it every control shows the popup numbered like itself. A popup text id of 0 in the
// table also means the popup numbered like the control. Controls not in a table show nothing. A
// right click inside a group box is about the control there, not the box.
//
//     static const ContextHelpWin::HelpPair help[] = { { 601, 57 }, { 605, 0 }, { 0, 0 } };
//     TSchedDialog::TSchedDialog(TWindow* parent)
//         : TDialog(parent, 600), ContextHelpWin(parent, help, 600) { }

#include <owl/Window.h>

#include <base/Types.h>

// The help file ("<program folder>orbivane.chm") and its popup texts ("<help file>::/CSOrbivane.txt"),
// set by the application at start.
extern char HelpFilePath[260];
extern char PopupTextPath[260];

// Shows popup text `popupId` at the mouse cursor, owned by `owner` (the application's main window);
// the result is 0.
LRESULT ShowHelpPopup(DWORD popupId, HWND owner);

class ContextHelpWin : virtual public OWL::TWindow {
public:
    struct HelpPair {
        DWORD ControlId;
        DWORD PopupId; // 0: the popup numbered like the control
    };

    ContextHelpWin(OWL::TWindow* parent, const HelpPair* helpTable, DWORD contextId);

    // F1: the popup of the control the help is for; answers 0 whatever happened.
    virtual LRESULT EvHelp(const HELPINFO& info);
    // Right click: the popup of the control under the screen point; answers 0.
    virtual LRESULT EvContextMenu(HWND window, POINT point);
    // The Help button: the context topic of the help file, or "Controls.html" without a context id.
    LRESULT HelpButton();

    // Shows the popup a table gives a control, over the main window; false when the control is 0 or
    // not in the table.
    static bool ShowTablePopup(const HelpPair* table, DWORD controlId);
    // The application's main window, the owner of every help window.
    static HWND HelpOwner();

protected:
    // The control under a point of the client area: the child there, first in z-order, but a
    // control inside a group box rather than the box; null over the background.
    HWND ControlAt(POINT point) const;

    const HelpPair* m_helpTable;
    DWORD m_contextId;
};
