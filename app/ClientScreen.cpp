// Screen modes (normal, full screen, full window) and the video's place in the window.

#include "Client.h"

#include <media/VideoFile.h>

#include "TvEngine.h"

#include <capture/Tv.h>

void TClient::SetScreenMode(LONG mode)
{
    m_screenMode = mode;
}

// Matches the frame's height to the picture; the frame keeps its size until this is built.
void TClient::LayoutVideo()
{
}

void TClient::FitVideo()
{
    if (Tv)
        Tv->FitVideoWindow();
    if (m_player)
        m_player->FitWindow();
}
