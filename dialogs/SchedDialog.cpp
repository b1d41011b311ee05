#include "SchedDialog.h"
#include "EventDialog.h"

#include <resources/TimerDialogs.h>
#include <settings/Settings.h>

#include <owl/Application.h>

#include <base/Clock.h>
#include <base/Text.h>
#include <user/MessageBox.h>

#include <cstdio>
#include <cstring>

namespace {

const ContextHelpWin::HelpPair HelpTable[] = {
    { 601, 57 }, { 605, 605 }, { 603, 603 }, { 602, 602 }, { 604, 604 }, { 0, 0 },
};

struct Column {
    const char* heading;
    int width;
};

constexpr Column Columns[] = { { "Program", 100 }, { "Station", 70 }, { "Time", 120 }, { "MaxFiles", 60 }, { "Action", 80 } };

constexpr const char* DayLetters[7] = { "Su", "M", "Tu", "W", "Th", "F", "Sa" };

bool valid_event(int index)
{
    return index >= 0 && index < Settings.EventCount && index < MaxTimerEvents && Settings.Events[index].Name[0];
}

std::string event_name(const TimerEvent& event)
{
    return { event.Name, strnlen(event.Name, sizeof event.Name) };
}

}

TSchedDialog::TSchedDialog(OWL::TWindow* parent, OWL::TModule* module)
    : TDialog(parent, IDD_TIMER, module)
    , ContextHelpWin(parent, HelpTable, IDD_TIMER)
{
    RegisterTimerDialogs();
    m_list = new OWL::TListWindow(this, 601);
    m_timerButton = new CoolButton(this, 605, 0, 0);
    OnCommand(IDCANCEL, [] { }); // Escape leaves the list open
    OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) {
        CmCancel();
        return 0;
    });
    OnMessage(WM_DIALOG_REFOCUS, [this](WPARAM, LPARAM) {
        SetFocus(GetHandle());
        return 0;
    });
    OnMessage(WM_COOLBUTTON_PRESS, [this](WPARAM w, LPARAM l) { return CoolButton::RelayPress(GetHandle(), w, l); });
    OnCommand(603, [this] { CmNew(); });
    OnCommand(604, [this] { CmEdit(); });
    OnCommand(602, [this] { CmDelete(); });
    OnCommand(605, [this] { CmEnableTimer(); });
    OnChildNotify(601, LVN_COLUMNCLICK, [this](LPARAM nm) { return ColumnClick(nm); });
}

bool TSchedDialog::PreProcessMsg(MSG& msg)
{
    OWL::TApplication* app = GetApplication();
    OWL::TFrameWindow* main = app ? app->GetMainWindow() : nullptr;
    if (main && main->PreProcessMsg(msg))
        return true;
    return TDialog::PreProcessMsg(msg);
}

std::string TSchedDialog::ProgramText(const TimerEvent& event)
{
    char text[300];
    std::snprintf(text, sizeof text, "%-20s", event_name(event).c_str());
    return text;
}

std::string TSchedDialog::StationText(const TimerEvent& event)
{
    char text[32];
    if (event.Station < 2)
        std::snprintf(text, sizeof text, "L%d", static_cast<int>(event.Station + 1));
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int>(event.Station));
    std::string station = text;
    for (int i = 0; i < Settings.StationCount(); ++i) {
        if (Settings.StationChannel(i) == event.Station) {
            station += " ";
            station += Settings.StationName(i);
            break;
        }
    }
    return station;
}

std::string TSchedDialog::TimeText(const TimerEvent& event)
{
    char text[80];
    std::snprintf(text, sizeof text, "%d:%2.2d-%d:%2.2d ", static_cast<int>(event.StartHour),
        static_cast<int>(event.StartMinute), static_cast<int>(event.EndHour), static_cast<int>(event.EndMinute));
    std::string time = text;
    switch (event.DayMask) {
    case 127: return time + "daily";
    case 65: return time + "weekend";
    case 62: return time + "weekday";
    default:
        for (int day = 0; day < 7; ++day) {
            if (event.DayMask & (1u << day))
                time += DayLetters[day];
        }
        return time;
    }
}

std::string TSchedDialog::KeepText(const TimerEvent& event)
{
    return event.Keep < 0 ? std::string("All") : std::to_string(event.Keep);
}

void TSchedDialog::AddRow(int index, int row)
{
    const TimerEvent& event = Settings.Events[index];
    if (!event.Name[0])
        return;
    OWL::TListWindItem item(ProgramText(event).c_str());
    item.SetIndex(row < 0 ? m_list->GetItemCount() : row);
    item.SetItemData(index);
    int at = m_list->InsertItem(item);
    m_list->SetItemText(at, 1, StationText(event).c_str());
    m_list->SetItemText(at, 2, TimeText(event).c_str());
    m_list->SetItemText(at, 3, KeepText(event).c_str());
    m_list->SetItemText(at, 4, TimerActionText(event.Action));
}

void TSchedDialog::SetupWindow()
{
    TDialog::SetupWindow();
    m_list->SetExtStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(Columns)); ++i)
        m_list->InsertColumn(i, OWL::TListWindColumn(Columns[i].heading, Columns[i].width));
    int count = std::min<LONG>(Settings.EventCount, MaxTimerEvents);
    for (int i = 0; i < count; ++i)
        AddRow(i);
    m_timerButton->SetBitmap(IDB_TIMER_DOWN, 1);
    m_timerButton->SetBitmap(IDB_TIMER_UP, 0);
    m_timerButton->SetState(Settings.TimerEnable ? 1 : 0, false);
}

int TSchedDialog::SelectedEvent(int& row) const
{
    for (row = 0; row < m_list->GetItemCount(); ++row) {
        if (m_list->GetItemState(row, LVIS_SELECTED))
            return static_cast<int>(m_list->GetItemData(row));
    }
    row = -1;
    return -1;
}

void TSchedDialog::CmNew()
{
    // A new event goes after the others; with the table full, into its first free record.
    int index = Settings.EventCount < MaxTimerEvents ? std::max<LONG>(Settings.EventCount, 0) : -1;
    for (int i = 0; index < 0 && i < MaxTimerEvents; ++i) {
        if (!Settings.Events[i].Name[0])
            index = i;
    }
    if (index < 0) {
        char text[100];
        std::snprintf(text, sizeof text, "The timer holds %d events at most. Delete one to add another.", MaxTimerEvents);
        MessageBoxA(GetHandle(), text, "Timer", MB_ICONEXCLAMATION);
        return;
    }

    SYSTEMTIME now;
    GetLocalTime(&now);
    TimerEvent record {};
    record.Station = Settings.Channel;
    record.DayMask = 1u << now.wDayOfWeek;
    record.StartHour = now.wHour;
    record.StartMinute = now.wMinute >= 30 ? 30 : 0;
    record.EndHour = (now.wHour + 1) % 24;
    record.EndMinute = 0;
    record.Keep = -1;
    record.Action = TimerActionRecordTv;
    if (TEventDialog(this, &record).Execute() != IDOK)
        return;
    Settings.Events[index] = record;
    if (index >= Settings.EventCount)
        Settings.EventCount = index + 1;
    AddRow(index);
    CheckConflicts(GetHandle());
}

void TSchedDialog::CmEdit()
{
    int row;
    int index = SelectedEvent(row);
    if (!valid_event(index))
        return;
    TimerEvent copy = Settings.Events[index];
    if (TEventDialog(this, &copy).Execute() != IDOK)
        return;
    m_list->DeleteAnItem(row);
    Settings.Events[index] = copy;
    AddRow(index, row);
    CheckConflicts(GetHandle());
}

void TSchedDialog::CmDelete()
{
    for (int row = m_list->GetItemCount() - 1; row >= 0; --row) {
        if (!m_list->GetItemState(row, LVIS_SELECTED))
            continue;
        int index = static_cast<int>(m_list->GetItemData(row));
        if (valid_event(index))
            Settings.Events[index].Name[0] = '\0';
        m_list->DeleteAnItem(row);
    }
}

void TSchedDialog::CmEnableTimer()
{
    Settings.TimerEnable = Settings.TimerEnable ? 0 : 1;
    m_timerButton->SetState(Settings.TimerEnable, false);
}

LRESULT TSchedDialog::ColumnClick(LPARAM notification)
{
    int column = reinterpret_cast<const NMLISTVIEW*>(notification)->iSubItem;
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    m_list->SortItems(ListComparator(), m_ascending ? (column | 0x100) : column);
    return 0;
}

int ListComparator::Compare(LPARAM a, LPARAM b, LPARAM parameter) const
{
    auto event = [](LPARAM index) -> const TimerEvent& {
        static const TimerEvent none {};
        return index >= 0 && index < MaxTimerEvents ? Settings.Events[index] : none;
    };
    const TimerEvent& x = event(a);
    const TimerEvent& y = event(b);
    int result;
    switch (parameter & 0xFF) {
    case 1: result = x.Station - y.Station; break;
    case 2: result = (x.StartHour * 60 + x.StartMinute) - (y.StartHour * 60 + y.StartMinute); break;
    case 3: result = x.Keep - y.Keep; break;
    case 4: result = x.Action - y.Action; break;
    default: result = lstrcmpiA(x.Name, y.Name); break;
    }
    return (parameter & 0x100) ? result : -result;
}
