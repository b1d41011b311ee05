// The Studio PCTV card, whose driver selects its TV input only through its own property page:
// the page is opened on a thread of its own and its input combo box driven from here.

#include <capture/PCTVHackThread.h>
#include <capture/Tv.h>

#include <capture/OwnPropertyFrame.h>

#include <base/Clock.h>
#include <user/Controls.h>
#include <user/MessageBox.h>
#include <user/Messages.h>

namespace {

constexpr int kFindAttempts = 2000;
constexpr DWORD kPollMs = 5;
constexpr int kFinishPolls = 100;
constexpr int kInputComboId = 1004; // the driver's page names its input combo box so
constexpr DWORD kLateFrameWaitMs = 2000;

// Waits up to `ms` for the thread to end, serving what other threads send to this one meanwhile:
// the frame's thread activates this thread's windows as the frame closes. WAIT_OBJECT_0 once it
// has ended.
DWORD WaitServingSent(HANDLE thread, DWORD ms)
{
    if (!thread)
        return WAIT_OBJECT_0;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        DWORD left = spent >= ms ? 0 : ms - spent;
        DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (woke != WAIT_OBJECT_0 + 1)
            return woke == WAIT_OBJECT_0 ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
}

}

PCTVHackThread::PCTVHackThread(IBaseFilter* captureFilter)
    : m_captureFilter(captureFilter)
{
}

PCTVHackThread::~PCTVHackThread() { WaitForExit(); }

int PCTVHackThread::Run()
{
    static constexpr char16_t kWideCaption[] = u"pctv for orbivane";
    return RunOwnPropertyFrame(m_captureFilter, kWideCaption) ? 1 : 0;
}

void STv::STvHkPCTV()
{
    auto* thread = new PCTVHackThread(m_captureFilter);
    HANDLE running = thread->Start();
    Sleep(100);

    // Each pause waits on the thread: one that has ended has no frame to find.
    HWND frame = nullptr;
    HWND page = nullptr;
    HWND comboBox = nullptr;
    for (int attempt = 0; attempt < kFindAttempts; ++attempt) {
        frame = FindOwnPropertyFrame(PCTVHackThread::kCaption);
        page = FindUntitledDialog(FindUntitledDialog(frame));
        comboBox = page ? FindWindowExA(page, nullptr, "ComboBox", nullptr) : nullptr;
        if (comboBox)
            break;
        if (WaitServingSent(running, kPollMs) == WAIT_OBJECT_0)
            break;
    }

    if (!comboBox) {
        ErrorBox("Cannot find control to change tuning.  (STvHkPCTV)", 0);
        if (frame)
            PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
    } else {
        // The first entry is chosen whatever the string selection found.
        SendMessageA(comboBox, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("TV"));
        SendMessageA(comboBox, CB_SETCURSEL, 0, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(kInputComboId, CBN_SELENDOK), reinterpret_cast<LPARAM>(comboBox));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(kInputComboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(comboBox));
        PostMessageA(frame, WM_COMMAND, IDOK, 0);
    }

    for (int poll = 0; poll < kFinishPolls && WaitServingSent(running, kPollMs) == WAIT_TIMEOUT; ++poll) {
    }
    thread->Terminate();
    WaitServingSent(running, kPollMs);
    // The frame shows the capture filter: the thread must end before the object goes. A frame
    // that opened after the search gave up is cancelled.
    while (WaitServingSent(running, kLateFrameWaitMs) == WAIT_TIMEOUT) {
        if (HWND late = FindOwnPropertyFrame(PCTVHackThread::kCaption))
            PostMessageA(late, WM_COMMAND, IDCANCEL, 0);
    }
    delete thread;
}
