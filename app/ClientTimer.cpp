// Timer 42, once a second: the status text, the end of a played file, and the start and end of
// scheduled events; the timer list.

#include "App.h"
#include "Client.h"
#include "TickStatus.h"
#include "TimerEventStore.h"
#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <dialogs/SchedDialog.h>
#include <media/Mixer.h>
#include <media/VideoFile.h>
#include <media/WMFileIn.h>
#include <settings/Settings.h>

#include <base/Text.h>

namespace {

// Set while an event starts or ends: their message boxes and waits pump messages, and a tick
// arriving then must not start or end another.
bool s_eventInProgress = false;

}

void TClient::EvTimer(UINT_PTR id)
{
    UpdateStatus();
    if (id != TimerId || !Settings.TimerEnable)
        return;
    LONG k = ScheduleCheck(m_runningEvent == -1);
    if (k == 0 || s_eventInProgress)
        return;
    s_eventInProgress = true;
    if (k > 0)
        StartTimerEvent(k - 1);
    else
        StopTimerEvent(~k);
    s_eventInProgress = false;
}

void TClient::UpdateStatus()
{
    if (m_positionDrag)
        return;
    // A player that stopped by itself while playing has reached the end of its file.
    if (m_player && !m_player->IsRunning() && Settings.ActivityState == ActivityPlaying)
        CmStop();
    if (m_player && m_player->IsRunning()) {
        ShowPositionText(-1, true);
        return;
    }
    if (Tv && Tv->IsRecording()) {
        ShowRecordingStatus();
        return;
    }
    if (Tv && Tv->IsVideoShown())
        ShowDropStatus();
}

void TClient::ShowRecordingStatus()
{
    // After a Windows Media recording the writer indexes the file: its progress.
    auto* writer = dynamic_cast<WMFileIn*>(Tv->GetRecordingTarget());
    if (writer && !writer->IsEncoding()) {
        char text[260] = {};
        writer->GetStatusText(text);
        SetStatusText(text);
        return;
    }
    SetStatusText(RecordingStatusText(Tv->GetElapsedSeconds(), Tv->GetFileSize()).c_str());
}

void TClient::ShowDropStatus()
{
    float ratio = 0.0f;
    SetStatusText(Tv->GetStatistic("dropratio", &ratio) ? DropStatusText(ratio).c_str() : "");
}

void TClient::StartTimerEvent(int i)
{
    m_busy = true;
    m_runningEvent = i;
    // The line is muted for the recording unless TV is on and audible.
    bool muteLine = !(Settings.TvState != 0 && !Settings.Mute);
    m_muteBeforeEvent = Settings.Mute != 0;
    m_tvOffBeforeEvent = Settings.TvState == 0;
    bool known = i >= 0 && i < MaxTimerEvents;
    LONG action = known ? Settings.Events[i].Action : 0;
    if (action & 2)
        action |= 8;

    if (known) {
        CmStop();
        CmClose();
        base::copy_bounded(m_eventName, sizeof m_eventName, Settings.Events[i].Name);
        LONG channel = Settings.Events[i].Station;
        if (Settings.ChangeMixer && muteLine && (action & 3)) {
            if (!m_mixer)
                CreateMixer();
            if (m_mixer) {
                m_mixer->SetMute(Settings.MixerInput, true);
                Settings.Mute = 1;
                ShowMuteToggle();
            }
        }
        if (action & 2)
            SetTvMode(true, false); // the recording shows the picture
        else
            SetTvMode(true, (action & 8) != 0);
        if (!Tv) {
            m_busy = false;
            return;
        }
        SelectChannel(channel, true);
        Tv->RouteAudio(false);
    } else {
        m_eventName[0] = '\0';
    }
    if (action & 3)
        StartRecording(m_eventName, action, known ? Settings.Events[i].Keep : -1, 3);
    m_busy = false;
}

void TClient::StopTimerEvent(int)
{
    CmStop();
    if (!m_muteBeforeEvent && Settings.Mute)
        CmMute();
    if (m_tvOffBeforeEvent && Settings.TvState != 0)
        SetTvMode(false, false);
}

void TClient::CmVcrTimer()
{
    OWL::TFrameWindow* main = GetApplication() ? GetApplication()->GetMainWindow() : nullptr;
    TSchedDialog(main ? static_cast<OWL::TWindow*>(main) : this).Execute();
    if (auto* app = dynamic_cast<App*>(GetApplication()))
        app->SaveSettings();
}
