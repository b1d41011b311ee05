// Playback of recorded and chosen files, and Stop, which ends a recording too. No file can be
// opened yet, so there is never a player and the playback commands find nothing to act on.

#include "Client.h"

#include <settings/Settings.h>
#include "TvEngine.h"

#include <capture/Tv.h>
#include <media/MediaIn.h>
#include <owl/Application.h>
#include <owl/FrameWindow.h>

#include <cstring>
#include <string>

void TClient::CmPlay()
{
}

void TClient::CmTogglePlay()
{
}

void TClient::CmHalfRate()
{
}

void TClient::CmStop()
{
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
    UpdateStateIcon();
}

void TClient::UpdateTitle()
{
    OWL::TApplication* app = GetApplication();
    OWL::TFrameWindow* main = app ? app->GetMainWindow() : nullptr;
    if (!main || !main->GetHandle())
        return;
    std::string text;
    if (SMediaIn* target = Tv ? Tv->GetRecordingTarget() : nullptr)
        text = std::string(target->GetFileName()) + " ";
    char caption[520] {};
    GetWindowTextA(main->GetHandle(), caption, sizeof caption);
    const char* program = std::strstr(caption, "Orbivane");
    text += program ? program : "Orbivane";
    SetWindowTextA(main->GetHandle(), text.c_str());
}

void TClient::CmSkipForward()
{
}

void TClient::CmSkipBackward()
{
}

void TClient::CmResetPlayback()
{
}

void TClient::CmOpen()
{
}

void TClient::CmRefreshPlayback()
{
}

void TClient::CmSaveAs()
{
}

void TClient::CmClose()
{
}

void TClient::CmProperties()
{
}

void TClient::PlayerSetVolume(LONG)
{
}

void TClient::PlayerSetMute(bool)
{
}

void TClient::PlayerGraphEvents(WPARAM, LPARAM)
{
}

void TClient::DeletePlayer()
{
}

LRESULT TClient::EvHScroll(WPARAM, LPARAM)
{
    return 0;
}

LRESULT TClient::EvPositionUpdate()
{
    return 0;
}
