// The client's state as its control bars show it: the TV and mute toggles, the position and
// volume sliders and the station text. The bars and their gadgets are made by BuildControlBar;
// until they exist there is nothing to show, so each of these leaves the state alone.

#include "Client.h"

void TClient::BuildControlBar()
{
}

void TClient::ShowTvToggle(int)
{
}

void TClient::ShowMuteToggle()
{
}

void TClient::SetupPositionSlider()
{
}

void TClient::SetupVolumeSlider()
{
}

void TClient::ShowVolumePosition()
{
}

void TClient::ShowVolumeSlider(bool)
{
}

void TClient::SetStationText(const char*)
{
}

void TClient::SetPositionText(const char*)
{
}

void TClient::SetDurationText(const char*)
{
}

void TClient::SetPositionSlider(int)
{
}

int TClient::GetPositionSlider() const
{
    return 0;
}

void TClient::SetPlayRecordButtons(bool, bool)
{
}

bool TClient::VolumeScrolled(LPARAM)
{
    return false;
}
