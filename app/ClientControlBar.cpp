// The client's control bars: building both bars with every gadget, the client's state as they
// show it (TV and mute toggles, the volume and position sliders, the station, status and time
// texts), the volume slider's scrolling, and the bars' removal when the window closes. Every
// gadget update checks that its gadget exists: before the bars are built and after they are
// removed there is nothing to show.

#include "BitmapToggle.h"
#include "Client.h"
#include "ControlBar.h"
#include "MainFrame.h"
#include "VolumeSlider.h"

#include <resources/BarBitmaps.h>
#include <resources/CommandIds.h>
#include <settings/Settings.h>

#include <owl/DecoratedFrame.h>
#include <owl/Edit.h>
#include <owl/Slider.h>
#include <user/Controls.h>
#include <user/Messages.h>

namespace {

constexpr int GadgetFontPoints = 10;

OWL::TButtonGadget* button(OWL::TGadgetWindow& bar, UINT bitmap, UINT id)
{
    auto* gadget = new OWL::TButtonGadget(bitmap, static_cast<int>(id), OWL::TButtonGadget::Command, true);
    bar.Insert(*gadget);
    return gadget;
}

OWL::TTextGadget* text(OWL::TGadgetWindow& bar, int id, UINT chars)
{
    auto* gadget = new OWL::TTextGadget(id, OWL::TGadget::None, OWL::TTextGadget::Left, chars);
    bar.Insert(*gadget);
    return gadget;
}

void pump_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}

void TClient::BuildControlBar()
{
    if (m_topBar)
        return;
    auto* frame = dynamic_cast<OWL::TDecoratedFrame*>(GetParentO());
    if (!frame)
        return;
    OWL::TGadgetWindow::EnableFlatStyle(0xFFFF);

    m_topBar = new SControlBar(frame, OWL::TGadgetWindow::Horizontal, new OWL::TGadgetWindowFont(GadgetFontPoints),
        nullptr);
    m_tvToggle = new SBitmapToggle(m_topBar, CM_TV, IDB_TVOFF, IDB_TVON);
    button(*m_topBar, IDB_ARCHIVES, CM_ARCHIVES);
    button(*m_topBar, IDB_TIMER, CM_VCRTIMER);
    m_topBar->Insert(*new OWL::TSeparatorGadget);
    button(*m_topBar, IDB_CHANNELDOWN, CM_CHANNELDOWN);
    button(*m_topBar, IDB_CHANNELUP, CM_CHANNELUP);
    auto* field = new OWL::TEdit(nullptr, ChannelFieldId, "", 0, 0, 40, 20);
    field->Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_CENTER;
    field->Attr.ExStyle = WS_EX_CLIENTEDGE;
    m_topBar->Insert(*new OWL::TControlGadget(*field));
    m_stationText = text(*m_topBar, StationTextId, 5);
    m_muteToggle = new SBitmapToggle(m_topBar, CM_MUTE, IDB_SOUND, IDB_MUTED);
    m_volumeSlider = new VolumeSlider(nullptr, VolumeSliderId, 0, 0, 50, 20, IDB_VOLUMETHUMB);
    m_topBar->Insert(*new OWL::TControlGadget(*m_volumeSlider));
    frame->Insert(*m_topBar, OWL::TDecoratedFrame::Top);
    m_channelField = field->GetHandle();

    m_bottomBar = new SControlBar(frame, OWL::TGadgetWindow::Horizontal,
        new OWL::TGadgetWindowFont(GadgetFontPoints), nullptr);
    m_recordButton = button(*m_bottomBar, IDB_RECORD, CM_RECORD);
    m_playButton = button(*m_bottomBar, IDB_PLAY, CM_PLAY);
    button(*m_bottomBar, IDB_STOP, CM_STOP);
    m_bottomBar->Insert(*new OWL::TSeparatorGadget);
    button(*m_bottomBar, IDB_SKIPBACKWARD, CM_SKIPBACKWARD);
    button(*m_bottomBar, IDB_SKIPFORWARD, CM_SKIPFORWARD);
    m_positionSlider = new OWL::THSlider(nullptr, PositionSliderId, 0, 0, 150, 20, IDB_SLIDERTHUMB);
    m_bottomBar->Insert(*new OWL::TControlGadget(*m_positionSlider));
    m_positionText = text(*m_bottomBar, PositionTextId, 8);
    m_durationText = text(*m_bottomBar, DurationTextId, 9);
    m_statusText = text(*m_bottomBar, static_cast<int>(CM_POSITIONSTATUS), 20);
    frame->Insert(*m_bottomBar, OWL::TDecoratedFrame::Bottom);

    if (auto* main = dynamic_cast<SDIDecFrame*>(frame))
        main->SetGadgetWindows(m_topBar, m_bottomBar);
}

void TClient::RemoveControlBars()
{
    if (!m_topBar && !m_bottomBar)
        return;
    if (auto* main = dynamic_cast<SDIDecFrame*>(GetParentO()))
        main->SetGadgetWindows(nullptr, nullptr);
    // Nothing may reach the gadgets from here on: forget them before the bars go.
    for (SBitmapToggle* toggle : { m_tvToggle, m_muteToggle }) {
        if (toggle)
            toggle->ForgetBar();
    }
    SControlBar* bars[] = { m_topBar, m_bottomBar };
    m_topBar = m_bottomBar = nullptr;
    m_playButton = m_recordButton = nullptr;
    m_channelField = nullptr;
    m_positionSlider = nullptr;
    m_volumeSlider = nullptr;
    m_statusText = m_stationText = m_positionText = m_durationText = nullptr;
    for (SControlBar* bar : bars) {
        if (bar) {
            bar->Destroy();
            delete bar;
        }
    }
    if (auto* frame = dynamic_cast<OWL::TDecoratedFrame*>(GetParentO()))
        frame->Layout();
    pump_messages();
    pump_messages();
}

void TClient::ShowTvToggle(int state)
{
    if (m_tvToggle)
        m_tvToggle->SetState(state);
}

void TClient::ShowMuteToggle()
{
    if (m_muteToggle)
        m_muteToggle->SetState(Settings.Mute ? 1 : 0);
}

void TClient::SetupPositionSlider()
{
    if (!m_positionSlider)
        return;
    m_positionSlider->SetRange(0, 1000, true);
    m_positionSlider->SetRuler(0, false);
}

void TClient::SetupVolumeSlider()
{
    if (!m_volumeSlider)
        return;
    m_volumeSlider->SetSliderRange(0, 100, true);
    m_volumeSlider->SetRuler(0, false);
    m_volumeSlider->SetSliderPosition(Settings.Volume, true);
}

void TClient::ShowVolumePosition()
{
    if (m_volumeSlider)
        m_volumeSlider->SetSliderPosition(Settings.Volume, true);
}

void TClient::ShowVolumeSlider(bool shown)
{
    if (m_volumeSlider)
        m_volumeSlider->Show(shown ? SW_SHOW : SW_HIDE);
}

bool TClient::VolumeScrolled(LPARAM slider)
{
    if (!m_volumeSlider || !m_volumeSlider->GetHandle() || reinterpret_cast<HWND>(slider) != m_volumeSlider->GetHandle())
        return false;
    SetVolume(static_cast<unsigned>(m_volumeSlider->GetSliderPosition()));
    return true;
}

void TClient::SetStationText(const char* text)
{
    if (m_stationText)
        m_stationText->SetText(text);
}

void TClient::SetStatusText(const char* text)
{
    if (m_statusText)
        m_statusText->SetText(text);
}

void TClient::SetPositionText(const char* text)
{
    if (m_positionText)
        m_positionText->SetText(text);
}

void TClient::SetDurationText(const char* text)
{
    if (m_durationText)
        m_durationText->SetText(text);
}

void TClient::SetPositionSlider(int position)
{
    if (m_positionSlider)
        m_positionSlider->SetPosition(position, true);
}

int TClient::GetPositionSlider() const
{
    return m_positionSlider ? m_positionSlider->GetPosition() : 0;
}

void TClient::SetPlayRecordButtons(bool playDown, bool recordDown)
{
    if (m_playButton)
        m_playButton->SetButtonState(playDown ? OWL::TButtonGadget::Down : OWL::TButtonGadget::Up);
    if (m_recordButton)
        m_recordButton->SetButtonState(recordDown ? OWL::TButtonGadget::Down : OWL::TButtonGadget::Up);
}
