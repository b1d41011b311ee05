// Playback of recorded and chosen files through the player (VideoFile): open, play, toggle,
// stop (which ends a recording too), skip, half rate, close, the position slider and its time
// texts, and the window title.

#include "Client.h"

#include "App.h"
#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <media/MediaIn.h>
#include <media/VideoFile.h>
#include <settings/Settings.h>

#include <base/Arithmetic.h>
#include <base/Text.h>
#include <owl/Application.h>
#include <owl/FrameWindow.h>
#include <owl/WaitCursor.h>
#include <user/Controls.h>
#include <user/Keyboard.h>
#include <user/MessageBox.h>
#include <user/Messages.h>
#include <user/Window.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The next SB_ENDSCROLL of the position slider follows a line step and is not a seek.
bool SkipEndPending = false;
// Playback ran when the user took the slider's thumb; it resumes at the drop.
bool ResumeAfterSeek = false;

bool KeyHeld(int key) { return (GetAsyncKeyState(key) & 0xFFF0) != 0; }

// " h:mm:ss" from an hour on, else " m:ss".
std::string TimeText(int seconds)
{
    char text[32];
    int hours = seconds / 3600;
    if (hours > 0)
        wsprintfA(text, " %d:%2.2d:%2.2d", hours, seconds / 60 % 60, seconds % 60);
    else
        wsprintfA(text, " %d:%2.2d", seconds / 60, seconds % 60);
    return text;
}

void PumpWaitingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}

void TClient::CmPlay()
{
    if (Tv)
        SetTvMode(false, true);
    // Play without an open file does nothing: there is no default file to open.
    if (!m_player)
        return;
    int duration = m_player->GetDuration();
    if (duration != -1 && m_player->GetPosition() == duration)
        m_player->SetPosition(0);
    m_player->Run();
    SetPlayRecordButtons(true, false);
    Settings.ActivityState = ActivityPlaying;
    UpdateStateIcon();
}

void TClient::CmTogglePlay()
{
    if (!m_player)
        return;
    if (m_player->IsRunning())
        CmStop();
    else
        CmPlay();
}

void TClient::CmHalfRate()
{
    if (!m_player)
        return;
    CmPlay();
    m_player->SetRate(0.5);
}

void TClient::CmStop()
{
    OWL::TWaitCursor wait;
    if (m_player)
        m_player->Stop();
    if (Tv && Tv->IsRecording()) {
        if (!Tv->Is3dfx3500()) {
            Tv->StopRecording(true);
        } else {
            Tv->StopRecording(false);
            SetTvMode(false, false);
        }
        UpdateTitle();
        LayoutVideo();
    }
    Settings.ActivityState = Tv && Tv->IsVideoShown() ? ActivityTv : ActivityIdle;
    SetPlayRecordButtons(false, false);
    UpdateStateIcon();
}

// A running file stops for a skip and lets the waiting messages run. The tick among them must
// not take the stop for the end of the file: it leaves playback alone as during a drag.
void TClient::PauseForSkip()
{
    m_player->Stop();
    bool dragging = m_positionDrag;
    m_positionDrag = true;
    PumpWaitingMessages();
    m_positionDrag = dragging;
}

void TClient::SkipPlayback(int direction, int shift_step)
{
    if (!m_player)
        return;
    bool running = m_player->IsRunning();
    if (running)
        PauseForSkip();
    int now = std::max(m_player->GetPosition(), 0);
    int step = KeyHeld(VK_CONTROL) ? 600 : KeyHeld(VK_SHIFT) ? shift_step : 60;
    SeekTo(std::max(now + direction * step, 0), true);
    if (running)
        m_player->Run();
}

void TClient::CmSkipForward() { SkipPlayback(+1, 1); }

void TClient::CmSkipBackward() { SkipPlayback(-1, 2); }

void TClient::CmResetPlayback()
{
    if (m_player)
        m_player->Stop();
    DeletePlayer();
    UpdateTitle();
    SeekTo(0, true);
}

void TClient::CmOpen()
{
    CmStop();
    DeletePlayer();
    OWL::TFrameWindow* main = GetApplication() ? GetApplication()->GetMainWindow() : nullptr;
    if (RunFileDialog(main, false))
        OpenMediaFile(m_openData.FileName);
}

void TClient::OpenMediaFile(const char* path)
{
    CmStop();
    if (Tv)
        SetTvMode(Tv->IsRecording(), false);
    DeletePlayer();
    std::string name = path ? path : "";
    m_player = new VideoFile(name.c_str(), GetHandle(), Settings.WaveOutDriver, Settings.Mute != 0, Settings.Volume);
    if (!m_player->IsOk()) {
        if (m_player->GetErrorText()[0]) {
            std::string text = std::string(m_player->GetErrorText()) + "\n  " + name;
            MessageBoxA(GetHandle(), text.c_str(), "Orbivane", MB_ICONHAND);
        }
        DeletePlayer();
    } else if (m_player->GetErrorText()[0]) {
        std::string text = std::string(m_player->GetErrorText()) + "\n  " + name;
        MessageBoxA(nullptr, text.c_str(), "Orbivane", MB_ICONHAND);
    }
    UpdateTitle();
    SeekTo(0, true);
    LayoutVideo();
    if (m_player) {
        if (auto* recent = dynamic_cast<OWL::TRecentFiles*>(GetApplication()))
            recent->SaveMenuChoice(name.c_str());
    }
    UpdateStateIcon();
}

void TClient::CmRefreshPlayback()
{
    CmStop();
    if (m_player)
        UpdateTitle();
}

void TClient::CmSaveAs()
{
    CmStop();
    if (!m_player)
        return;
    OWL::TFrameWindow* main = GetApplication() ? GetApplication()->GetMainWindow() : nullptr;
    if (RunFileDialog(main, true)) {
        if (auto* recent = dynamic_cast<OWL::TRecentFiles*>(GetApplication()))
            recent->SaveMenuChoice(m_openData.FileName);
    }
    UpdateTitle();
}

void TClient::CmClose()
{
    CmStop();
    DeletePlayer();
    UpdateTitle();
    LayoutVideo();
}

// The file's properties are not built yet: the command does nothing.
void TClient::PlayerSetVolume(LONG volume)
{
    if (m_player)
        m_player->SetVolume(volume);
}

void TClient::PlayerSetMute(bool mute)
{
    if (m_player)
        m_player->SetMute(mute);
}

void TClient::PlayerGraphEvents(WPARAM wparam, LPARAM lparam)
{
    if (m_player)
        m_player->HandleGraphEvents(wparam, lparam);
}

void TClient::DeletePlayer()
{
    delete m_player;
    m_player = nullptr;
}

bool TClient::PlayerShowsPicture() const
{
    return m_player && (m_player->IsPlayableExtension() & 8);
}

void TClient::SeekTo(int seconds, bool updateSlider)
{
    if (!m_player) {
        ShowPositionText(seconds, false);
        return;
    }
    int duration = m_player->GetDuration();
    // An unknown duration (-1) sets no bound.
    if (duration >= 0)
        seconds = std::min(seconds, duration);
    seconds = std::max(seconds, 0);
    m_player->SetPosition(static_cast<unsigned>(seconds));
    if (updateSlider && duration >= 1)
        SetPositionSlider(static_cast<int>(static_cast<long long>(seconds) * 1000 / duration));
    ShowPositionText(seconds, false);
}

void TClient::ShowPositionText(int position, bool updateSlider)
{
    if (!m_player) {
        m_positionShown.clear();
        SetPositionText("");
        return;
    }
    if (position == -1)
        position = m_player->GetPosition();
    if (updateSlider) {
        int duration = m_player->GetDuration();
        SetPositionSlider(duration > 0 && position >= 0 ? MulDiv(position, 1000, duration) : 0);
    }
    // A position that cannot be read shows nothing.
    m_positionShown = position >= 0 ? TimeText(position) : std::string();
    SetPositionText(m_positionShown.c_str());
}

void TClient::ShowDurationText()
{
    int duration = m_player ? m_player->GetDuration() : -1;
    m_durationShown = m_player && duration >= 0 ? TimeText(duration) + "  " : std::string();
    SetDurationText(m_durationShown.c_str());
}

void TClient::UpdateTitle()
{
    HWND main = GetHandle() ? GetAncestor(GetHandle(), GA_ROOT) : nullptr;
    if (main) {
        std::string text;
        if (m_player) {
            char name[260];
            text = std::string(m_player->GetBaseName(name)) + " ";
        } else if (SMediaIn* target = Tv ? Tv->GetRecordingTarget() : nullptr) {
            text = std::string(target->GetFileName()) + " ";
        }
        char caption[520] {};
        GetWindowTextA(main, caption, sizeof caption);
        const char* program = std::strstr(caption, "Orbivane");
        text += program ? program : "Orbivane";
        SetWindowTextA(main, text.c_str());
    }
    ShowDurationText();
    ShowPositionText(-1, true);
}

LRESULT TClient::EvHScroll(WPARAM wparam, LPARAM lparam)
{
    if (VolumeScrolled(lparam) || !m_player)
        return 0;
    UINT code = LOWORD(wparam);
    if (code == SB_LINERIGHT) {
        CmSkipForward();
        SkipEndPending = true;
        return 0;
    }
    if (code == SB_LINELEFT) {
        CmSkipBackward();
        SkipEndPending = true;
        return 0;
    }
    if (code == SB_ENDSCROLL && SkipEndPending) {
        SkipEndPending = false;
        return 0;
    }
    if (m_player->IsRunning()) {
        ResumeAfterSeek = true;
        m_player->Stop();
    }
    int duration = m_player->GetDuration();
    if (duration == 0)
        return 0;
    if (code != SB_ENDSCROLL) {
        int position = MulDiv(static_cast<SHORT>(HIWORD(wparam)), duration, 1000);
        ShowPositionText(position, false);
        m_positionDrag = true;
        return 0;
    }
    m_positionDrag = false;
    int position = MulDiv(GetPositionSlider(), duration, 1000);
    ShowPositionText(position, false);
    m_player->SetPosition(static_cast<unsigned>(std::max(position, 0)));
    if (ResumeAfterSeek) {
        m_player->Run();
        ResumeAfterSeek = false;
    }
    return 0;
}

// The position slider's step message has no work of its own.
LRESULT TClient::EvPositionUpdate()
{
    return 0;
}

bool TClient::RunFileDialog(OWL::TWindow* owner, bool save)
{
    if (save)
        return OWL::TFileSaveDialog(owner, m_openData).Execute() == IDOK;
    return OWL::TFileOpenDialog(owner, m_openData).Execute() == IDOK;
}
