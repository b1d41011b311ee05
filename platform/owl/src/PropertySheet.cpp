#include <owl/PropertySheet.h>

#include <user/Dialogs.h>
#include <user/Keyboard.h>

#include <algorithm>

namespace OWL {

namespace {

// Layout of the sheet, in dialog units: the tab control round the largest page, the buttons in a
// row under it at the right.
constexpr int Margin = 4;
constexpr int TabRow = 14;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 14;
constexpr int ButtonGap = 4;

LRESULT page_answer(HWND page)
{
    return GetWindowLongPtrA(page, DWLP_MSGRESULT);
}

}

// ---- TPropertyPage ----

TPropertyPage::TPropertyPage(TPropertySheet* parent, UINT resourceId, TModule* module)
    : TDialog(parent, resourceId, module)
{
    if (parent)
        parent->AddPage(this);
    auto answer = [this](auto member) {
        return [this, member](LPARAM lparam) -> LRESULT {
            return (this->*member)(*reinterpret_cast<PSHNOTIFY*>(lparam));
        };
    };
    OnChildNotify(0, PSN_SETACTIVE, answer(&TPropertyPage::SetActive));
    OnChildNotify(0, PSN_KILLACTIVE, [this](LPARAM lparam) -> LRESULT {
        return KillActive(*reinterpret_cast<PSHNOTIFY*>(lparam)) ? TRUE : FALSE;
    });
    OnChildNotify(0, PSN_APPLY, answer(&TPropertyPage::Apply));
    OnChildNotify(0, PSN_RESET, [this](LPARAM lparam) -> LRESULT {
        Reset(*reinterpret_cast<PSHNOTIFY*>(lparam));
        return 0;
    });
    OnChildNotify(0, PSN_QUERYCANCEL, [this](LPARAM lparam) -> LRESULT {
        return QueryCancel(*reinterpret_cast<PSHNOTIFY*>(lparam)) ? TRUE : FALSE;
    });
    OnChildNotify(0, PSN_WIZNEXT, answer(&TPropertyPage::WizNext));
    OnChildNotify(0, PSN_WIZFINISH, [this](LPARAM lparam) -> LRESULT {
        return WizFinish(*reinterpret_cast<PSHNOTIFY*>(lparam)) ? FALSE : TRUE;
    });
}

TPropertySheet* TPropertyPage::GetSheet() const
{
    return dynamic_cast<TPropertySheet*>(GetParentO());
}

int TPropertyPage::SetActive(PSHNOTIFY&) { return 0; }
bool TPropertyPage::KillActive(PSHNOTIFY&) { return false; }
int TPropertyPage::Apply(PSHNOTIFY&) { return PSNRET_NOERROR; }
void TPropertyPage::Reset(PSHNOTIFY&) { }
bool TPropertyPage::QueryCancel(PSHNOTIFY&) { return false; }
int TPropertyPage::WizNext(PSHNOTIFY&) { return 0; }
bool TPropertyPage::WizFinish(PSHNOTIFY&) { return true; }

void TPropertyPage::CmOk()
{
    if (TPropertySheet* sheet = GetSheet(); sheet && sheet->GetHandle())
        SendMessageA(sheet->GetHandle(), PSM_PRESSBUTTON, PSBTN_OK, 0);
}

void TPropertyPage::CmCancel()
{
    if (TPropertySheet* sheet = GetSheet(); sheet && sheet->GetHandle())
        SendMessageA(sheet->GetHandle(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

// ---- TPropertySheet ----

TPropertySheet::TPropertySheet(TWindow* parent, const char* title, UINT startPage, bool, DWORD flags, TModule* module)
    : TDialog(parent, PropertySheetTemplateId, module)
    , m_flags(flags)
    , m_startPage(startPage)
{
    SetCaption(title);
}

void TPropertySheet::AddPage(TPropertyPage* page)
{
    if (std::find(m_pages.begin(), m_pages.end(), page) == m_pages.end())
        m_pages.push_back(page);
}

TPropertyPage* TPropertySheet::GetCurrentPage() const
{
    return m_current >= 0 ? m_pages[static_cast<size_t>(m_current)] : nullptr;
}

int TPropertySheet::Execute()
{
    if (m_pages.empty())
        return -1;
    // The sheet's template: a tab control round the largest page and the button row.
    int width = 0;
    int height = 0;
    bool help = (m_flags & PSH_HASHELP) != 0;
    for (TPropertyPage* page : m_pages) {
        if (const user::DialogTemplate* t = user::find_dialog(MAKEINTRESOURCEA(page->GetResourceId()))) {
            width = std::max(width, t->cx);
            height = std::max(height, t->cy);
        }
        help = help || (page->GetFlags() & PSP_HASHELP);
    }
    user::DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CONTEXTHELP;
    t.caption = GetCaption();
    t.cx = width + 4 * Margin;
    int tab_height = height + TabRow + 2 * Margin;
    t.cy = Margin + tab_height + Margin + ButtonHeight + Margin;
    t.controls.push_back({ WC_TABCONTROLA, "", IDC_TABCONTROL, WS_TABSTOP | TCS_MULTILINE, 0, Margin, Margin, width + 2 * Margin, tab_height });
    std::vector<std::pair<int, const char*>> buttons { { IDOK, "OK" }, { IDCANCEL, "Cancel" } };
    if (!(m_flags & PSH_NOAPPLYNOW))
        buttons.push_back({ ID_APPLY_NOW, "&Apply" });
    if (help)
        buttons.push_back({ IDHELP, "Help" });
    int x = t.cx - Margin - static_cast<int>(buttons.size()) * (ButtonWidth + ButtonGap) + ButtonGap;
    int y = t.cy - Margin - ButtonHeight;
    for (auto [id, text] : buttons) {
        DWORD style = WS_TABSTOP | (id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        t.controls.push_back({ "BUTTON", text, id, style, 0, x, y, ButtonWidth, ButtonHeight });
        x += ButtonWidth + ButtonGap;
    }
    user::register_dialog(PropertySheetTemplateId, t);
    InitCommonControls();
    m_current = -1;
    return TDialog::Execute();
}

void TPropertySheet::SetupWindow()
{
    // Only the pages are children, and they are made as they are first shown.
    HWND tabs = GetDlgItem(GetHandle(), IDC_TABCONTROL);
    for (size_t i = 0; i < m_pages.size(); ++i) {
        const user::DialogTemplate* t = user::find_dialog(MAKEINTRESOURCEA(m_pages[i]->GetResourceId()));
        std::string text = t ? t->caption : std::string();
        TCITEMA item {};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    FitTabRows();
    user::set_dialog_message_filter(GetHandle(), [this](MSG& msg) { return SheetKey(msg); });
    int start = m_startPage < m_pages.size() ? static_cast<int>(m_startPage) : 0;
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(start), 0);
    ShowPage(start);
}

void TPropertySheet::FitTabRows()
{
    HWND tabs = GetDlgItem(GetHandle(), IDC_TABCONTROL);
    int rows = static_cast<int>(SendMessageA(tabs, TCM_GETROWCOUNT, 0, 0));
    RECT tab {};
    if (rows <= 1 || !SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab)))
        return;
    // The rows beyond the first push the pages and the buttons down as far.
    int extra = (rows - 1) * (tab.bottom - tab.top);
    auto grow = [](HWND window, int by) {
        RECT r {};
        GetWindowRect(window, &r);
        SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + by, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    grow(GetHandle(), extra);
    grow(tabs, extra);
    for (int id : { IDOK, IDCANCEL, ID_APPLY_NOW, IDHELP }) {
        HWND button = GetDlgItem(GetHandle(), id);
        if (!button)
            continue;
        RECT r {};
        GetWindowRect(button, &r);
        MapWindowPoints(nullptr, GetHandle(), reinterpret_cast<LPPOINT>(&r), 2);
        SetWindowPos(button, nullptr, r.left, r.top + extra, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

RECT TPropertySheet::PageArea() const
{
    HWND tabs = GetDlgItem(GetHandle(), IDC_TABCONTROL);
    RECT r {};
    GetClientRect(tabs, &r);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(tabs, GetHandle(), reinterpret_cast<LPPOINT>(&r), 2);
    return r;
}

LRESULT TPropertySheet::Notify(TPropertyPage* page, UINT code)
{
    if (!page->GetHandle())
        return 0;
    PSHNOTIFY notify {};
    notify.hdr.hwndFrom = GetHandle();
    notify.hdr.idFrom = 0;
    notify.hdr.code = code;
    SendMessageA(page->GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    return page_answer(page->GetHandle());
}

bool TPropertySheet::ShowPage(int index)
{
    if (index < 0 || index >= static_cast<int>(m_pages.size()))
        return false;
    if (index == m_current)
        return true;
    if (TPropertyPage* old = GetCurrentPage()) {
        if (Notify(old, PSN_KILLACTIVE))
            return false;
    }
    // Where the focus is now: a page made now takes it at its set-up.
    TPropertyPage* old = GetCurrentPage();
    HWND focus = GetFocus();
    bool focusInSheet = focus && IsChild(GetHandle(), focus);
    bool focusLeaves = old && focus && IsChild(old->GetHandle(), focus);
    TPropertyPage* page = m_pages[static_cast<size_t>(index)];
    if (!page->GetHandle() && !page->Create())
        return false;
    RECT area = PageArea();
    HWND tabs = GetDlgItem(GetHandle(), IDC_TABCONTROL);
    SetWindowPos(page->GetHandle(), nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
        SWP_NOACTIVATE | SWP_NOZORDER);
    m_current = index;
    SendMessageA(GetDlgItem(GetHandle(), IDC_TABCONTROL), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    Notify(page, PSN_SETACTIVE);
    if (old)
        ShowWindow(old->GetHandle(), SW_HIDE);
    ShowWindow(page->GetHandle(), SW_SHOW);
    UpdateHelpButton();
    if (focusLeaves) {
        // The focus was on the page that went: the new page's first control takes it.
        HWND first = GetNextDlgTabItem(page->GetHandle(), nullptr, FALSE);
        HWND target = first && IsChild(page->GetHandle(), first) ? first : tabs;
        SendMessageA(GetHandle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    } else if (focusInSheet && IsWindow(focus) && GetFocus() != focus) {
        // Elsewhere in the sheet (the tabs, a button): it stays there.
        SendMessageA(GetHandle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    }
    return true;
}

std::vector<HWND> TPropertySheet::TabOrder() const
{
    auto stop = [](HWND c) {
        LONG style = GetWindowLongA(c, GWL_STYLE);
        return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
    };
    std::vector<HWND> order;
    HWND tabs = GetDlgItem(GetHandle(), IDC_TABCONTROL);
    if (tabs && stop(tabs))
        order.push_back(tabs);
    if (TPropertyPage* page = GetCurrentPage())
        for (HWND c = GetWindow(page->GetHandle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (stop(c))
                order.push_back(c);
    for (HWND c = GetWindow(GetHandle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        bool isPage = std::any_of(m_pages.begin(), m_pages.end(), [&](TPropertyPage* p) { return p->GetHandle() == c; });
        if (c != tabs && !isPage && stop(c))
            order.push_back(c);
    }
    return order;
}

bool TPropertySheet::SheetKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || m_pages.empty())
        return false;
    if (msg.hwnd != GetHandle() && !IsChild(GetHandle(), msg.hwnd))
        return false;
    if (GetKeyState(VK_CONTROL) >= 0) {
        if (msg.wParam != VK_TAB || GetKeyState(VK_MENU) < 0)
            return false;
        UINT code = static_cast<UINT>(SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
        if (code & (DLGC_WANTALLKEYS | DLGC_WANTTAB))
            return false;
        std::vector<HWND> order = TabOrder();
        if (order.empty())
            return true;
        bool back = GetKeyState(VK_SHIFT) < 0;
        std::size_t n = order.size();
        std::size_t at = n;
        for (HWND w = GetFocus(); w && w != GetHandle() && at == n; w = GetParent(w))
            at = static_cast<std::size_t>(std::find(order.begin(), order.end(), w) - order.begin());
        HWND next = at == n ? (back ? order.back() : order.front()) : order[back ? (at + n - 1) % n : (at + 1) % n];
        SendMessageA(GetHandle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
        return true;
    }
    int step = 0;
    if (msg.wParam == VK_TAB)
        step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    else if (msg.wParam == VK_NEXT)
        step = 1;
    else if (msg.wParam == VK_PRIOR)
        step = -1;
    if (step == 0)
        return false;
    int count = static_cast<int>(m_pages.size());
    ShowPage((m_current + step + count) % count);
    return true;
}

bool TPropertySheet::SelectPage(int index)
{
    return ShowPage(index);
}

void TPropertySheet::UpdateHelpButton()
{
    if (HWND help = GetDlgItem(GetHandle(), IDHELP)) {
        TPropertyPage* page = GetCurrentPage();
        EnableWindow(help, page && (page->GetFlags() & PSP_HASHELP) ? TRUE : FALSE);
    }
}

bool TPropertySheet::Apply()
{
    if (TPropertyPage* page = GetCurrentPage(); page && Notify(page, PSN_KILLACTIVE))
        return false;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        LRESULT answer = Notify(m_pages[i], PSN_APPLY);
        if (answer == PSNRET_INVALID || answer == PSNRET_INVALID_NOCHANGEPAGE) {
            ShowPage(static_cast<int>(i));
            return false;
        }
    }
    if (HWND apply = GetDlgItem(GetHandle(), ID_APPLY_NOW))
        EnableWindow(apply, FALSE);
    return true;
}

void TPropertySheet::PressOk()
{
    if (Apply())
        CloseWindow(IDOK);
}

void TPropertySheet::PressCancel()
{
    HWND cancel = GetDlgItem(GetHandle(), IDCANCEL);
    if (cancel && !IsWindowEnabled(cancel))
        return;
    if (TPropertyPage* page = GetCurrentPage(); page && Notify(page, PSN_QUERYCANCEL))
        return;
    for (TPropertyPage* page : m_pages)
        Notify(page, PSN_RESET);
    CloseWindow(IDCANCEL);
}

void TPropertySheet::PressHelp()
{
    if (TPropertyPage* page = GetCurrentPage(); page && (page->GetFlags() & PSP_HASHELP))
        Notify(page, PSN_HELP);
}

bool TPropertySheet::DialogMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_COMMAND:
        if (lparam && HIWORD(wparam) != BN_CLICKED)
            break;
        switch (LOWORD(wparam)) {
        case IDOK:
            PressOk();
            return true;
        case IDCANCEL:
            PressCancel();
            return true;
        case ID_APPLY_NOW:
            Apply();
            return true;
        case IDHELP:
            PressHelp();
            return true;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && header->idFrom == IDC_TABCONTROL) {
            if (header->code == TCN_SELCHANGING) {
                TPropertyPage* page = GetCurrentPage();
                result = page && Notify(page, PSN_KILLACTIVE) ? TRUE : FALSE;
                return true;
            }
            if (header->code == TCN_SELCHANGE) {
                int index = static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0));
                // The old page already agreed to go at TCN_SELCHANGING.
                int old = m_current;
                m_current = -1;
                if (!ShowPage(index)) {
                    m_current = old;
                    SendMessageA(header->hwndFrom, TCM_SETCURSEL, static_cast<WPARAM>(old), 0);
                } else if (old >= 0 && old != index) {
                    ShowWindow(m_pages[static_cast<size_t>(old)]->GetHandle(), SW_HIDE);
                }
                return true;
            }
        }
        break;
    }
    case PSM_SETCURSEL:
        result = ShowPage(static_cast<int>(wparam)) ? TRUE : FALSE;
        return true;
    case PSM_GETCURRENTPAGEHWND:
        result = reinterpret_cast<LRESULT>(GetCurrentPage() ? GetCurrentPage()->GetHandle() : nullptr);
        return true;
    case PSM_GETTABCONTROL:
        result = reinterpret_cast<LRESULT>(GetDlgItem(GetHandle(), IDC_TABCONTROL));
        return true;
    case PSM_SETWIZBUTTONS:
        m_wizButtons = lparam;
        return true;
    case PSM_CHANGED:
    case PSM_UNCHANGED:
        if (HWND apply = GetDlgItem(GetHandle(), ID_APPLY_NOW))
            EnableWindow(apply, message == PSM_CHANGED ? TRUE : FALSE);
        return true;
    case PSM_APPLY:
        result = Apply() ? TRUE : FALSE;
        return true;
    case PSM_CANCELTOCLOSE:
        // Nothing is left to cancel: OK reads "Close" and Cancel is disabled.
        SetDlgItemTextA(GetHandle(), IDOK, "Close");
        EnableWindow(GetDlgItem(GetHandle(), IDCANCEL), FALSE);
        return true;
    case PSM_PRESSBUTTON:
        switch (wparam) {
        case PSBTN_OK: PressOk(); break;
        case PSBTN_CANCEL: PressCancel(); break;
        case PSBTN_APPLYNOW: Apply(); break;
        case PSBTN_HELP: PressHelp(); break;
        }
        return true;
    case WM_CLOSE:
        PressCancel();
        return true;
    }
    return TDialog::DialogMessage(message, wparam, lparam, result);
}

}
