#pragma once

// TPropertySheet and TPropertyPage: a modal dialog of tabbed pages with OK, Cancel, an optional
// Apply button and a Help button, and the pages it shows.
//
// A page is a TDialog over a child template (DS_CONTROL) whose caption is the tab's text; tabs
// that do not fit one row take more rows, and the sheet grows by them. The sheet makes a page's window only when the page is first shown (its SetupWindow runs then);
// pages never shown keep no window, and OK (Apply) and Cancel (Reset) reach only the pages made.
// The sheet tells a page through WM_NOTIFY with a PSHNOTIFY whose idFrom is 0: PSN_SETACTIVE each
// time it is shown, PSN_KILLACTIVE when the user leaves it (non-zero keeps it), PSN_APPLY at OK
// and Apply (PSNRET_INVALID... keeps the sheet open on that page), PSN_QUERYCANCEL and PSN_RESET
// at Cancel, PSN_HELP from the Help button (enabled for pages with PSP_HASHELP). TPropertyPage
// turns them into the virtual members below; other handlers go in the response table as usual.
//
// Execute returns IDOK or IDCANCEL (-1 without pages). The sheet's window is a modal dialog of
// template id PropertySheetTemplateId, so tests script it like any modal dialog: PSM_SETCURSEL
// changes the page as a tab click does, PSM_GETCURRENTPAGEHWND gives the page shown, and the
// buttons are IDOK, IDCANCEL, ID_APPLY_NOW and IDHELP.
//
// From the keyboard, Tab and Shift+Tab go round the tabs, the controls of the page shown and the
// buttons, in that order; Ctrl+Tab and Ctrl+Shift+Tab (or Ctrl+Page Down and Up) change the page.
// When the page that held the focus goes, the new page's first control takes it.
//
//     TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
//     new TSetApp(&sheet);
//     new TSetFile(&sheet);
//     sheet.Execute();

#include <owl/Dialog.h>

#include <user/CommonControls.h>

#include <vector>

// Property sheet flags (PROPSHEETHEADER) and page flags (PROPSHEETPAGE).
#define PSH_NOAPPLYNOW 0x00000080u
#define PSH_HASHELP 0x00000200u
#define PSP_HASHELP 0x00000020u

// Notifications to a page.
#define PSN_FIRST (0u - 200u)
#define PSN_SETACTIVE (PSN_FIRST - 0u)
#define PSN_KILLACTIVE (PSN_FIRST - 1u)
#define PSN_APPLY (PSN_FIRST - 2u)
#define PSN_RESET (PSN_FIRST - 3u)
#define PSN_HELP (PSN_FIRST - 5u)
#define PSN_WIZBACK (PSN_FIRST - 6u)
#define PSN_WIZNEXT (PSN_FIRST - 7u)
#define PSN_WIZFINISH (PSN_FIRST - 8u)
#define PSN_QUERYCANCEL (PSN_FIRST - 9u)

#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

// Messages to the sheet.
#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_SETWIZBUTTONS (WM_USER + 112)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)

// PSM_PRESSBUTTON's buttons.
#define PSBTN_APPLYNOW 4
#define PSBTN_OK 5
#define PSBTN_CANCEL 6
#define PSBTN_HELP 7

// The sheet's controls.
#define ID_APPLY_NOW 0x3021
#define IDC_TABCONTROL 0x3020

struct PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;
};

namespace OWL {

constexpr UINT PropertySheetTemplateId = 0x7E00;

class TPropertySheet;

class TPropertyPage : public TDialog {
public:
    TPropertyPage(TPropertySheet* parent, UINT resourceId, TModule* module = nullptr);

    // The page record's flags (PSP_HASHELP).
    DWORD GetFlags() const { return m_flags; }
    void SetFlags(DWORD flags) { m_flags = flags; }
    TPropertySheet* GetSheet() const;

    // Shown: 0 accepts (the library's answer).
    virtual int SetActive(PSHNOTIFY& notify);
    // Left: true keeps the user on the page; the library's lets go.
    virtual bool KillActive(PSHNOTIFY& notify);
    // OK or Apply: PSNRET_NOERROR, or PSNRET_INVALID... to keep the sheet open on this page. The
    // library's answer is PSNRET_NOERROR.
    virtual int Apply(PSHNOTIFY& notify);
    // Cancel, after QueryCancel let it.
    virtual void Reset(PSHNOTIFY& notify);
    // Cancel asked: true keeps the sheet open.
    virtual bool QueryCancel(PSHNOTIFY& notify);
    // A wizard's Next (0: go on) and Finish (false: close).
    virtual int WizNext(PSHNOTIFY& notify);
    virtual bool WizFinish(PSHNOTIFY& notify);

protected:
    // IDOK and IDCANCEL in a page press the sheet's buttons.
    void CmOk() override;
    void CmCancel() override;

private:
    DWORD m_flags = 0;
};

class TPropertySheet : public TDialog {
public:
    TPropertySheet(TWindow* parent, const char* title, UINT startPage = 0, bool isWizard = false,
        DWORD flags = 0, TModule* module = nullptr);

    int Execute() override;

    // The pages in tab order (added by their constructors).
    const std::vector<TPropertyPage*>& GetPages() const { return m_pages; }
    // The page shown, null before the sheet opened.
    TPropertyPage* GetCurrentPage() const;
    // Shows page `index` as a tab click does; false when the current page keeps the user.
    bool SelectPage(int index);
    // The last PSM_SETWIZBUTTONS value (recorded; a sheet without wizard buttons shows none).
    LPARAM GetWizButtons() const { return m_wizButtons; }

    void AddPage(TPropertyPage* page);

protected:
    void SetupWindow() override;
    bool DialogMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

private:
    // Sends a notification to a made page; its answer.
    LRESULT Notify(TPropertyPage* page, UINT code);
    bool ShowPage(int index);
    // The sheet's keys, offered each message of its loop: Tab and Shift+Tab in TabOrder;
    // Ctrl+Tab and Ctrl+Page Down show the next page, Ctrl+Shift+Tab and Ctrl+Page Up the one
    // before (wrapping round). True when the key was one of them.
    bool SheetKey(const MSG& msg);
    // The tab stops in the order Tab visits them: the tabs, the shown page's controls, the buttons.
    std::vector<HWND> TabOrder() const;
    bool Apply();
    void PressOk();
    void PressCancel();
    void PressHelp();
    void UpdateHelpButton();
    // Makes room for tabs that take more than one row.
    void FitTabRows();
    RECT PageArea() const;

    DWORD m_flags;
    UINT m_startPage;
    std::vector<TPropertyPage*> m_pages;
    int m_current = -1;
    LPARAM m_wizButtons = 0;
};

}
