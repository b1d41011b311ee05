// The tuner page remote control: its frame thread, the search of the page's controls, tuning and
// closing.

#include <capture/TunerPageControl.h>

#include <capture/OwnPropertyFrame.h>

#include <base/Clock.h>
#include <base/Text.h>
#include <base/Threads.h>
#include <user/CommonControls.h>
#include <user/Controls.h>
#include <user/MessageBox.h>
#include <user/Messages.h>

#include <cstdio>

namespace {

constexpr const char* kCaption = "Lunetto/Orbivane control";
constexpr const char16_t* kWideCaption = u"Lunetto/Orbivane control";
constexpr const char* kTunerTab = "TVTuner Property Page";
constexpr int kFrameAttempts = 100;
constexpr int kAttempts = 20;
constexpr DWORD kPauseMs = 50;

}

TunerPageControl::TunerPageControl(IUnknown* filter, BYTE hide)
    : m_filter(filter)
    , m_hide(hide)
{
    DWORD id = 0;
    m_thread = CreateThread(nullptr, 0, FrameThread, this, 0, &id);
    FindControls();
}

TunerPageControl::~TunerPageControl()
{
    if (m_frame)
        PostMessageA(m_frame, WM_COMMAND, IDOK, 0);
    if (!m_thread)
        return;
    // The thread reads this object and shows the filter: it must end before either goes. A frame
    // that opened after the search gave up is cancelled.
    while (WaitForSingleObject(m_thread, 2000) == WAIT_TIMEOUT) {
        if (HWND late = FindOwnPropertyFrame(kCaption))
            PostMessageA(late, WM_COMMAND, IDCANCEL, 0);
    }
    CloseHandle(m_thread);
    m_thread = nullptr;
}

DWORD TunerPageControl::FrameThread(LPVOID control)
{
    auto* self = static_cast<TunerPageControl*>(control);
    RunOwnPropertyFrame(self->m_filter, kWideCaption);
    return 0;
}

bool TunerPageControl::Pause(DWORD ms)
{
    // Waiting on the thread rather than sleeping: a thread that ended has no frame to find.
    return !m_thread || WaitForSingleObject(m_thread, ms) == WAIT_TIMEOUT;
}

void TunerPageControl::ClearWindows()
{
    m_frame = m_innerDialog = m_page = m_comboBox = m_edit = m_button = nullptr;
}

void TunerPageControl::Cancel()
{
    PostMessageA(m_frame, WM_COMMAND, IDCANCEL, 0);
    Sleep(kPauseMs);
    ClearWindows();
}

bool TunerPageControl::FindControls()
{
    ClearWindows();
    if (!m_filter)
        return false;
    for (int attempt = 0; attempt < kFrameAttempts && !m_frame; ++attempt) {
        m_frame = FindOwnPropertyFrame(kCaption);
        if (!m_frame && !Pause(kPauseMs))
            break;
    }
    if (!m_frame)
        return false;

    if (m_hide) {
        for (int twice = 0; twice < 2; ++twice) {
            ShowWindow(m_frame, SW_HIDE);
            SetWindowPos(m_frame, nullptr, 2000, 2000, 2, 2, SWP_HIDEWINDOW);
        }
    }

    if (!FindPageControls(kAttempts)) {
        Cancel();
        return false;
    }
    if (!m_edit) {
        // The frame opened on another page.
        if (!SelectTunerTab()) {
            Cancel();
            return false;
        }
        Sleep(kPauseMs);
        Sleep(kPauseMs);
        if (!FindPageControls(kAttempts) || !HasControls()) {
            Cancel();
            return false;
        }
    }
    if (!HasControls() || !m_comboBox) {
        Cancel();
        return false;
    }
    return true;
}

bool TunerPageControl::FindPageControls(int attempts)
{
    m_innerDialog = m_page = nullptr;
    for (int attempt = 0; attempt < attempts && !m_innerDialog; ++attempt)
        if (!(m_innerDialog = FindUntitledDialog(m_frame)))
            Pause(kPauseMs);
    if (!m_innerDialog)
        return false;
    for (int attempt = 0; attempt < attempts && !m_page; ++attempt)
        if (!(m_page = FindUntitledDialog(m_innerDialog)))
            Pause(kPauseMs);
    if (!m_page)
        return false;
    // The page is there; a search that stays incomplete leaves what it found.
    for (int attempt = 0; attempt < attempts; ++attempt) {
        m_comboBox = FindWindowExA(m_page, nullptr, "ComboBox", nullptr);
        m_edit = FindWindowExA(m_page, nullptr, "Edit", nullptr);
        m_button = FindWindowExA(m_page, nullptr, "Button", "Set");
        if (!m_button)
            m_button = FindWindowExA(m_page, nullptr, "Button", "Enter");
        if (m_comboBox && m_edit && m_button)
            break;
        Pause(kPauseMs);
    }
    return true;
}

bool TunerPageControl::SelectTunerTab()
{
    HWND tab = FindWindowExA(m_frame, nullptr, "SysTabControl32", nullptr);
    if (!tab)
        return false;
    auto count = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[260] = {};
        TCITEMA item {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 259;
        SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        if (!base::equals_ignoring_case(text, kTunerTab))
            continue;
        SendMessageA(tab, TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
        NMHDR header {};
        header.hwndFrom = tab;
        header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tab));
        header.code = TCN_SELCHANGE;
        SendMessageA(m_frame, WM_NOTIFY, static_cast<WPARAM>(header.idFrom), reinterpret_cast<LPARAM>(&header));
        return true;
    }
    return false;
}

bool TunerPageControl::SetChannel(LONG channel)
{
    if (!m_frame || !m_edit)
        return false;
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(channel));
    bool taken = SetWindowTextA(m_edit, text) != FALSE;
    SendMessageA(m_edit, EM_SETSEL, 0, -1);
    SendMessageA(m_edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    SendMessageA(m_edit, EM_SETMODIFY, TRUE, 0);
    if (m_button)
        SendMessageA(m_page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_button), BN_CLICKED), reinterpret_cast<LPARAM>(m_button));
    return taken;
}
