#pragma once

// Tuning a device whose tuner is reached only through its capture filter's property pages.
//
// The control opens the filter's own property frame on a thread of its own, hides it
// off-screen, finds the tuner page's combo box, channel edit and "Set" (or "Enter") button,
// switching the frame to the "TVTuner Property Page" tab when it opened on another, and then
// tunes by typing a channel number and pressing the button. The engine keeps one for a device
// without tuner interface, and only when its controls were found.
//
//     auto* page = new TunerPageControl(captureFilter, 1);
//     if (page->HasControls()) page->SetChannel(25);
//     delete page;                 // the frame applies and closes; its thread has ended

#include <base/Sync.h>
#include <com/Unknown.h>
#include <user/Window.h>

class TunerPageControl {
public:
    // Starts the frame thread and searches the frame's controls before returning.
    TunerPageControl(IUnknown* filter, BYTE hide);
    ~TunerPageControl();

    TunerPageControl(const TunerPageControl&) = delete;
    TunerPageControl& operator=(const TunerPageControl&) = delete;

    // Types `channel` into the page and presses its button; whether the text was taken.
    bool SetChannel(LONG channel);
    // The frame, the channel edit and the button were found.
    bool HasControls() const { return m_frame && m_edit && m_button; }

    static DWORD FrameThread(LPVOID control);

private:
    // Finds the frame, hides it and finds the page's controls; cancels the frame when the page or
    // its controls are missing, leaving no windows held.
    bool FindControls();
    // Searches the page's controls in the frame's current page, `attempts` times.
    bool FindPageControls(int attempts);
    // Selects the "TVTuner Property Page" tab as a click would; false when there is none.
    bool SelectTunerTab();
    void Cancel();
    void ClearWindows();
    // Waits up to `ms` for the frame thread; false when it has ended (no frame can come).
    bool Pause(DWORD ms);

    HWND m_frame { nullptr };
    HWND m_innerDialog { nullptr };
    HWND m_page { nullptr };
    HWND m_comboBox { nullptr };
    HWND m_edit { nullptr };
    HWND m_button { nullptr };
    IUnknown* m_filter { nullptr }; // the frame thread holds its own reference while it runs
    BYTE m_hide { 0 };
    HANDLE m_thread { nullptr };
};
