// Playback of recorded and chosen files, and Stop, which ends a recording too. No file can be
// opened yet, so there is never a player and the playback commands find nothing to act on.

#include "Client.h"

#include <settings/Settings.h>
#include "TvEngine.h"

#include <capture/Tv.h>
#include <media/MediaIn.h>

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
    SetPlayRecordButtons(false, false);
    UpdateStateIcon();
}

void TClient::UpdateTitle()
{
    HWND main = GetHandle() ? GetAncestor(GetHandle(), GA_ROOT) : nullptr;
    if (!main)
        return;
    std::string text;
    if (SMediaIn* target = Tv ? Tv->GetRecordingTarget() : nullptr)
        text = std::string(target->GetFileName()) + " ";
    char caption[520] {};
    GetWindowTextA(main, caption, sizeof caption);
    const char* program = std::strstr(caption, "Orbivane");
    text += program ? program : "Orbivane";
    SetWindowTextA(main, text.c_str());
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

LRESULT TClient::EvHScroll(WPARAM, LPARAM lparam)
{
    VolumeScrolled(lparam);
    return 0;
}

bool TClient::PlayerShowsPicture() const
{
    return false;
}

LRESULT TClient::EvPositionUpdate()
{
    return 0;
}
