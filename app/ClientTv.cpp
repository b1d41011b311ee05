// TV on and off: the engine's life, the mixer that carries the card's sound, and re-applying the
// options to a running engine.

#include "Client.h"

#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <media/Mixer.h>
#include <settings/Settings.h>

#include <base/Text.h>
#include <owl/WaitCursor.h>

#include <string>

namespace {

// An empty Tuner, or "<default>", leaves the engine to choose the device.
bool names_default_rule(const char* tuner)
{
    return !tuner[0] || lstrcmpiA(tuner, "<default>") == 0;
}

// Mixer levels run from 0 to 127.
int mixer_level(LONG volume)
{
    return static_cast<int>(volume * 127 / 100);
}

}

void TClient::CmTv()
{
    if (!Tv || !Tv->IsVideoShown())
        SetTvMode(true, true);
    else
        SetTvMode(false, true);
}

void TClient::CmTvAudioOnly()
{
    if (!Tv || Tv->IsVideoShown())
        SetTvMode(true, false);
    else
        SetTvMode(false, true);
}

void TClient::SetTvMode(bool on, bool video)
{
    if (!on) {
        if (Tv) {
            Tv->STvShow(false);
            delete Tv;
            Tv = nullptr;
        }
        ShowTvToggle(0);
        Settings.TvState = 0;
        Settings.ActivityState = ActivityIdle;
        LayoutVideo();
        delete m_mixer;
        m_mixer = nullptr;
        UpdateStateIcon();
        return;
    }

    if (Tv) {
        // An engine made for the device's property pages has never been tuned nor counted as
        // TV; it gets the full start now.
        if (Settings.TvState == 0)
            TvStarted(video);
        else
            Tv->STvShow(video);
        LayoutVideo();
        UpdateStateIcon();
        return;
    }

    if (m_player)
        CmClose();
    OWL::TWaitCursor wait;
    if (!CheckTunerOwner())
        return;
    std::string graphFile = std::string(Settings.DefaultDirectory) + "\\debug.grf";
    MakeEngine(Settings.Mute, Settings.WaveOutDriver, graphFile.c_str());
    if (Tv->HasCaptureDevice()) {
        base::copy_bounded(Settings.OpenedDeviceName, sizeof Settings.OpenedDeviceName, Tv->GetDeviceName());
        TvStarted(video);
    } else {
        ShowTvToggle(0);
        Settings.TvState = 0;
        Settings.ActivityState = ActivityIdle;
        delete Tv;
        Tv = nullptr;
    }
    LayoutVideo();
    UpdateStateIcon();
}

STv* TClient::MakeEngine(BYTE lineIn, const char* audioRendererName, const char* graphFilePath)
{
    m_engineByDefaultRule = names_default_rule(Settings.Tuner);
    Tv = new STv(Settings.Tuner, GetHandle(), lineIn, Settings.DebugMode, audioRendererName, graphFilePath);
    return Tv;
}

bool TClient::TunerNamesEngine() const
{
    if (!Tv)
        return false;
    if (names_default_rule(Settings.Tuner))
        return m_engineByDefaultRule;
    return lstrcmpiA(Tv->GetDeviceName(), Settings.Tuner) == 0;
}

void TClient::TvStarted(bool video)
{
    Tv->SetAntenna(Settings.TvAntenna != 0);
    Tv->SetCountryCode(Settings.Country);
    Tv->SetChannel(Settings.Channel);
    Tv->PlaceVideoWindow(m_screenMode);
    Tv->STvShow(video);
    ShowTvToggle(1);
    Settings.TvState = 1;
    Settings.ActivityState = ActivityTv;
    if (!m_mixer)
        CreateMixer();
    if (m_mixer && !Settings.Mute)
        m_mixer->SetMute(Settings.MixerInput, false);
}

bool TClient::CreateMixer()
{
    delete m_mixer;
    m_mixer = nullptr;
    if (!Settings.ChangeMixer)
        return true;
    m_mixer = new SMixer(MIXER_OBJECTF_WAVEIN, Settings.WaveInDriver, GetHandle());
    if (!m_mixer->GetHandle()) {
        delete m_mixer;
        m_mixer = nullptr;
        return false;
    }
    if (!Settings.Mute) {
        m_mixer->SetMute(Settings.MixerInput, false);
        m_mixer->SetVolume(Settings.MixerInput, mixer_level(Settings.Volume));
    }
    return true;
}

void TClient::ApplyClientOptions()
{
    LayoutVideo();
    if (m_mixer && !Settings.ChangeMixer) {
        delete m_mixer;
        m_mixer = nullptr;
    }
    if (m_mixer)
        CreateMixer(); // again, for the current wave input device
    ShowVolumeSlider(Settings.ChangeMixer != 0);
    if (Tv && !Tv->IsRecording() && !TunerNamesEngine()) {
        bool shown = Tv->IsVideoShown();
        SetTvMode(false, false);
        SetTvMode(true, shown);
    }
    if (Tv) {
        Tv->SetAntenna(Settings.TvAntenna != 0);
        Tv->SetChannel(Settings.Channel);
        Tv->SetCountryCode(Settings.Country);
    }
    ShowChannel(true);
}
