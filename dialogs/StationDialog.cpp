#include "StationDialog.h"
#include "NumberText.h"

#include <capture/Tv.h>
#include <capture/TvEngine.h>
#include <resources/StationDialogs.h>
#include <settings/Settings.h>

#include <shell/Help.h>
#include <user/MessageBox.h>

#include <cstdio>

namespace {

// The popups of F1 and of a right click, by control.
const ContextHelpWin::HelpPair HelpTable[] = {
    { 706, 705 }, { 705, 705 }, { 702, 701 }, { 701, 701 }, { 704, 703 }, { 703, 703 }, { 134, 0xFFFFFFFFu },
    { 0, 0 },
};

constexpr const char* Caption = "Orbivane channel";

}

TStationDialog::TStationDialog(OWL::TWindow* parent, int stationIndex, OWL::TModule* module)
    : TDialog(parent, IDD_STATION, module)
    , ContextHelpWin(parent, HelpTable, 0)
    , m_index(stationIndex)
    , m_indexText(new OWL::TStatic(this, 705, 255))
    , m_channelBox(new OWL::TEdit(this, 701, 255))
    , m_nameBox(new OWL::TEdit(this, 703, 255))
    , m_tuningMode(new OWL::TComboBox(this, 708))
{
    RegisterStationDialogs();
    OnCommand(707, [this] { CmDelete(); });
    OnCommand(9, [] {
        HtmlHelpA(HelpOwner(), HelpFilePath, HH_DISPLAY_TOPIC, reinterpret_cast<DWORD_PTR>("Station_Dialog.html"));
    });
}

void TStationDialog::SetupWindow()
{
    TDialog::SetupWindow();
    char text[64];
    std::snprintf(text, sizeof text, "%d", m_index + 1);
    m_indexText->SetText(text);
    m_tuningMode->SetSelIndex(0);
    m_channel = Settings.StationChannel(m_index);
    if (m_channel >= 2)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(m_channel));
    else if (m_channel >= 0)
        std::snprintf(text, sizeof text, "L%d", static_cast<int>(m_channel + 1));
    else
        text[0] = '\0';
    m_channelBox->SetText(text);
    const char* name = Settings.StationName(m_index);
    m_nameBox->SetText(name ? name : "");
}

void TStationDialog::Refuse(const char* message)
{
    MessageBoxA(GetHandle(), message, Caption, MB_ICONHAND);
}

bool TStationDialog::InTunerRange(LONG channel)
{
    if (channel < 2)
        return channel >= 0;
    IAMTVTuner* tuner = Tv ? Tv->GetTuner() : nullptr;
    LONG low = 0;
    LONG high = 0;
    if (!tuner || FAILED(tuner->ChannelMinMax(&low, &high)) || high < low)
        return true;
    return channel >= low && channel <= high;
}

void TStationDialog::CmOk()
{
    char text[261] = {};
    m_channelBox->GetText(text, sizeof text);
    LONG channel = 0;
    if (text[0] == 'l' || text[0] == 'L') {
        LONG line = 0;
        if (!ReadLeadingNumber(text + 1, line) || line < 1 || line > 2)
            return Refuse("Invalid Line-number for channel. Use L1 or L2");
        channel = line - 1;
    } else if (!ReadLeadingNumber(text, channel) || !InTunerRange(channel)) {
        // A negative number would be the table's mark of an unused entry.
        return Refuse("Invalid channel number");
    }
    for (int i = 0; i < Settings.StationCount(); ++i) {
        if (i != m_index && Settings.StationChannel(i) == channel)
            return Refuse("This channel already exists.\nPlease do not duplicate channels.");
    }
    char name[261] = {};
    m_nameBox->GetText(name, sizeof name);
    Settings.SetStationChannel(m_index, channel);
    Settings.SetStationName(m_index, name);
    CloseWindow(IDOK);
}

void TStationDialog::CmDelete()
{
    Settings.DeleteStation(m_index);
    CloseWindow(IDOK);
}
