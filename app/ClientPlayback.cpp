// Playback of recorded and chosen files. No file can be opened yet, so there is never a player
// and every command here finds nothing to act on.

#include "Client.h"

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
