// Volume and mute: steps of 10 from the menu and keys, routing to the player, the mixer and the
// engine, and following volume changes made in the system's mixer.

#include "Client.h"

#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <media/Mixer.h>
#include <settings/Settings.h>

#include <base/Text.h>

#include <algorithm>

namespace {

constexpr LONG VolumeStep = 10;

int mixer_level(LONG volume)
{
    return static_cast<int>(volume * 127 / 100);
}

// The cards whose crossbar cannot silence the sound: the mixer mutes them as well.
bool is_3dfx_card(const char* name)
{
    return lstrcmpiA(name, "3dfx 3500TV VPX Video Capture(VFW)") == 0
        || base::starts_with_ignoring_case(name, "3dfx Voodoo3TV");
}

}

void TClient::SetVolume(unsigned position)
{
    if (position > 100)
        return;
    Settings.Volume = static_cast<LONG>(position);
    if (m_player)
        PlayerSetVolume(Settings.Volume);
    if (m_mixer)
        m_mixer->SetVolume(Settings.MixerInput, mixer_level(Settings.Volume));
    if (Tv)
        Tv->SetVolume(Settings.Volume);
}

void TClient::CmVolumeUp()
{
    Settings.Volume = std::min<LONG>(Settings.Volume + VolumeStep, 100);
    SetVolume(static_cast<unsigned>(Settings.Volume));
    ShowVolumePosition();
}

void TClient::CmVolumeDown()
{
    Settings.Volume = std::max<LONG>(Settings.Volume - VolumeStep, 0);
    SetVolume(static_cast<unsigned>(Settings.Volume));
    ShowVolumePosition();
}

void TClient::CmMute()
{
    Settings.Mute = Settings.Mute ? 0 : 1;
    ShowMuteToggle();
    if (Tv) {
        bool routed = Tv->RouteAudio(Settings.Mute != 0);
        if ((!routed || is_3dfx_card(Tv->GetDeviceName())) && m_mixer)
            m_mixer->SetMute(Settings.MixerInput, Settings.Mute != 0);
        if (m_mixer && !Settings.Mute) {
            m_mixer->SetMute(Settings.MixerInput, false);
            m_mixer->SetVolume(Settings.MixerInput, mixer_level(Settings.Volume));
        }
    } else if (m_player) {
        PlayerSetMute(Settings.Mute != 0);
    }
}

LRESULT TClient::EvMixerControlChange()
{
    if (!m_mixer)
        return 0;
    int level = m_mixer->GetVolume(Settings.MixerInput);
    if (level < 0)
        return 0; // an unreadable level says nothing about the user's volume
    // Our own settings come back as a notice too, read back up to one level lower; only a
    // change made elsewhere moves the volume.
    int set = mixer_level(Settings.Volume);
    if (level == set || level == set - 1)
        return 0;
    LONG volume = level * 100 / 127;
    if (volume == Settings.Volume)
        return 0;
    Settings.Volume = volume;
    ShowVolumePosition();
    return 0;
}
