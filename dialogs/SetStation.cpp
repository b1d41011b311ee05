#include "SetStation.h"
#include "StationDialog.h"

#include <resources/StationDialogs.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <user/MessageBox.h>

#include <algorithm>
#include <cstdio>

LONG LoadStationPageSettings(HKEY key)
{
    BYTE byte;
    LONG result = ReadByteValue(key, "ChannelListOnly", byte);
    Settings.ChannelListOnly = result == ERROR_SUCCESS && byte != 0;
    return result;
}

LONG SaveStationPageSettings(HKEY key)
{
    return WriteByteValue(key, "ChannelListOnly", static_cast<BYTE>(Settings.ChannelListOnly != 0));
}

namespace {

const ContextHelpWin::HelpPair StationHelp[] = {
    { 1701, 1701 }, { 1707, 1701 }, { 1704, 1704 }, { 1705, 1705 }, { 1702, 99 }, { 1706, 1706 }, { 1703, 1703 },
    { 0, 0 },
};

}

TSetStation::TSetStation(OWL::TPropertySheet* parent, bool sharedSheet, OWL::TModule* module)
    : TPropertyPage(parent, IDD_SET_STATION, module)
    , ContextHelpWin(parent, StationHelp, IDD_SET_STATION)
    , m_list(new OWL::TListBox(this, 1701))
    , m_new(new OWL::TButton(this, 1702))
    , m_delete(new OWL::TButton(this, 1703))
    , m_edit(new OWL::TButton(this, 1706))
    , m_up(new OWL::TButton(this, 1704))
    , m_down(new OWL::TButton(this, 1705))
    , m_surfDefined(new OWL::TCheckBox(this, 101))
    , m_sharedSheet(sharedSheet)
{
    RegisterStationDialogs();
    SetFlags(GetFlags() | PSP_HASHELP);
    OnCommand(1702, [this] { CmNew(); });
    OnCommand(1703, [this] { CmDelete(); });
    OnCommand(1706, [this] { CmEdit(); });
    OnCommand(1704, [this] { Move(-1); });
    OnCommand(1705, [this] { Move(1); });
}

void TSetStation::StationLine(char* line, int size, LONG channel, const char* name)
{
    if (channel < 2)
        std::snprintf(line, static_cast<size_t>(size), "L%ld   %s", static_cast<long>(channel + 1), name ? name : "");
    else
        std::snprintf(line, static_cast<size_t>(size), "%ld   %s", static_cast<long>(channel), name ? name : "");
}

void TSetStation::SetupWindow()
{
    TPropertyPage::SetupWindow();
    if (!m_sharedSheet) {
        if (OWL::TPropertySheet* sheet = GetSheet(); sheet && sheet->GetHandle())
            SendMessageA(sheet->GetHandle(), PSM_CANCELTOCLOSE, 0, 0);
    }
    m_surfDefined->SetCheck(Settings.ChannelListOnly ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);
    FillList();
}

int TSetStation::SetActive(PSHNOTIFY& notify)
{
    if (OWL::TPropertySheet* sheet = GetSheet(); sheet && sheet->GetHandle())
        SendMessageA(sheet->GetHandle(), PSM_SETWIZBUTTONS, 0, 5);
    return TPropertyPage::SetActive(notify);
}

int TSetStation::Apply(PSHNOTIFY& notify)
{
    Settings.ChannelListOnly = m_surfDefined->GetCheck() == OWL::BF_CHECKED;
    return TPropertyPage::Apply(notify);
}

void TSetStation::FillList()
{
    m_list->ClearList();
    for (int i = 0; i < Settings.StationCount(); ++i) {
        char line[80];
        StationLine(line, sizeof line, Settings.StationChannel(i), Settings.StationName(i));
        m_list->AddString(line);
    }
}

LONG TSetStation::ProposedChannel()
{
    LONG proposal = Settings.Channel;
    bool taken = false;
    for (int i = 0; i < Settings.StationCount(); ++i)
        taken = taken || Settings.StationChannel(i) == proposal;
    if (proposal >= 0 && !taken)
        return proposal;
    // An empty table has no highest channel: the first tuner channel then.
    if (Settings.StationCount() == 0)
        return 2;
    LONG highest = Settings.StationChannel(0);
    for (int i = 1; i < Settings.StationCount(); ++i)
        highest = std::max(highest, Settings.StationChannel(i));
    return highest + 1;
}

void TSetStation::CmNew()
{
    int index = Settings.StationCount();
    if (!Settings.AddStation(ProposedChannel(), "")) {
        MessageBoxA(GetHandle(), "The station list is full: delete a station before adding another.",
            "Orbivane channel", MB_ICONHAND);
        return;
    }
    // The editor's own Delete removes the station and closes with IDOK.
    if (TStationDialog(this, index).Execute() != IDOK)
        Settings.DeleteStation(index);
    FillList();
}

void TSetStation::CmEdit()
{
    int index = m_list->GetSelIndex();
    if (index < 0)
        return;
    TStationDialog(this, index).Execute();
    FillList();
}

void TSetStation::CmDelete()
{
    int index = m_list->GetSelIndex();
    if (index < 0)
        return;
    Settings.DeleteStation(index);
    FillList();
}

void TSetStation::Move(int step)
{
    int index = m_list->GetSelIndex();
    if (index < 0)
        return;
    // Selected by its place rather than by its text, which another line may begin with too.
    int target = index + step;
    bool moves = target >= 0 && target < Settings.StationCount();
    Settings.SwapStations(index, target);
    FillList();
    m_list->SetSelIndex(moves ? target : index);
}
