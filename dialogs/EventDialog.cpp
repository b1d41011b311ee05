#include "EventDialog.h"
#include "NumberText.h"

#include <resources/TimerDialogs.h>
#include <settings/Settings.h>

#include <base/Text.h>
#include <shell/Help.h>
#include <user/MessageBox.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const ContextHelpWin::HelpPair HelpTable[] = {
    { 402, 401 }, { 401, 401 }, { 404, 403 }, { 403, 403 }, { 412, 411 }, { 411, 411 },
    { 414, 413 }, { 413, 413 }, { 408, 408 }, { 415, 408 }, { 416, 408 }, { 417, 408 },
    { 418, 408 }, { 104, 408 }, { 420, 408 }, { 421, 408 }, { 423, 422 }, { 422, 422 },
    { 0, 0 },
};

struct ActionName {
    const char* text;
    LONG code;
};

// In the order of the action box's list.
constexpr ActionName Actions[] = {
    { "Record TV", TimerActionRecordTv },
    { "Record Audio", TimerActionRecordAudio },
    { "TV on", TimerActionTvOn },
    { "Audio on", TimerActionAudioOn },
    { "no action", TimerActionNone },
};

constexpr const char* KeepChoices[] = { "All", "1", "2", "5", "10" };

std::string station_text(LONG channel, const char* name)
{
    char text[300];
    if (channel < 2)
        std::snprintf(text, sizeof text, name ? "L%ld %s" : "L%ld", static_cast<long>(channel + 1), name);
    else
        std::snprintf(text, sizeof text, name ? "%ld %s" : "%ld", static_cast<long>(channel), name);
    return text;
}

}

void ParseEventTime(const char* text, LONG& hour, LONG& minute)
{
    LONG hours = 0;
    LONG minutes = 0;
    int digits = 0;
    bool to_hours = true;
    for (const char* p = text ? text : ""; *p; ++p) {
        char c = *p;
        if (c == ':') {
            to_hours = false;
        } else if (c == 'a' || c == 'A') {
            if (hours == 12)
                hours = 0;
        } else if (c == 'p' || c == 'P') {
            if (hours != 12)
                hours += 12;
        } else if (c >= '0' && c <= '9') {
            if (digits < 3)
                ++digits;
            if (digits >= 3)
                to_hours = false;
            // Hours get two digits at most; the minutes are kept mod 60 as they grow, which gives
            // the same remainder as the whole number would.
            if (to_hours)
                hours = hours * 10 + (c - '0');
            else
                minutes = (minutes * 10 + (c - '0')) % 60;
        }
    }
    hour = hours % 24;
    minute = minutes % 60;
}

TEventDialog::TEventDialog(OWL::TWindow* parent, TimerEvent* record, OWL::TModule* module)
    : TDialog(parent, IDD_EVENT, module)
    , ContextHelpWin(parent, HelpTable, IDD_EVENT)
    , m_record(record)
{
    RegisterTimerDialogs();
    m_name = new OWL::TEdit(this, 401, 255);
    m_name->SetValidator(new OWL::TFilterValidator("0-9a-zA-Z "));
    m_station = new OWL::TComboBox(this, 403, 255);
    m_start = new OWL::TEdit(this, 411);
    m_start->SetValidator(new OWL::TFilterValidator("0-9:apmAPM "));
    m_end = new OWL::TEdit(this, 413);
    m_end->SetValidator(new OWL::TFilterValidator("0-9:apmAPM "));
    m_keep = new OWL::TComboBox(this, 422, 255);
    m_action = new OWL::TComboBox(this, 424);
    for (int day = 0; day < 7; ++day)
        m_days[day] = new OWL::TCheckBox(this, DayBoxIds[day]);
    OnCommand(9, [] {
        HtmlHelpA(HelpOwner(), HelpFilePath, HH_DISPLAY_TOPIC, reinterpret_cast<DWORD_PTR>("Event_Dialog.html"));
    });
}

void TEventDialog::SetupWindow()
{
    TDialog::SetupWindow();
    char text[64];
    m_name->SetText(m_record->Name);
    std::snprintf(text, sizeof text, "%d:%2.2d", static_cast<int>(m_record->StartHour), static_cast<int>(m_record->StartMinute));
    m_start->SetText(text);
    std::snprintf(text, sizeof text, "%d:%2.2d", static_cast<int>(m_record->EndHour), static_cast<int>(m_record->EndMinute));
    m_end->SetText(text);

    for (const char* choice : KeepChoices)
        m_keep->AddString(choice);
    if (m_record->Keep < 0)
        m_keep->SetText("All");
    else {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(m_record->Keep));
        m_keep->SetText(text);
    }

    for (int day = 0; day < 7; ++day)
        m_days[day]->SetCheck((m_record->DayMask >> day) & 1 ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);

    FillStations();

    for (const ActionName& action : Actions)
        m_action->AddString(action.text);
    for (int i = 0; i < static_cast<int>(std::size(Actions)); ++i) {
        if (Actions[i].code == m_record->Action)
            m_action->SetSelIndex(i);
    }
}

void TEventDialog::FillStations()
{
    int selected = -1;
    for (int i = 0; i < Settings.StationCount(); ++i) {
        LONG channel = Settings.StationChannel(i);
        if (channel < 0)
            continue;
        int row = m_station->AddString(station_text(channel, Settings.StationName(i)).c_str());
        if (channel == m_record->Station)
            selected = row;
    }
    if (selected < 0 && m_record->Station >= 0)
        selected = m_station->AddString(station_text(m_record->Station, nullptr).c_str());
    if (selected >= 0)
        m_station->SetSelIndex(selected);
}

bool TEventDialog::Refuse(const char* message)
{
    MessageBoxA(GetHandle(), message, "Event", MB_ICONHAND);
    return false;
}

bool TEventDialog::ReadName()
{
    char name[260];
    m_name->GetText(name, sizeof name);
    if (!name[0])
        return Refuse("The event name must not be empty.");
    std::size_t length = std::char_traits<char>::length(name);
    while (length > 0 && name[length - 1] == ' ')
        name[--length] = '\0';
    if (!name[0])
        return Refuse("The event name must not be empty.");
    base::copy_bounded(m_record->Name, sizeof m_record->Name, name);
    return true;
}

bool TEventDialog::ReadStation()
{
    char text[260];
    m_station->GetText(text, sizeof text);
    m_record->Station = 0;
    if (text[0] != 'L' && text[0] != 'l') {
        LONG station = 0;
        if (!ReadLeadingNumber(text, station) || station < 2)
            return Refuse("Must specify a valid station number");
        m_record->Station = station;
        return true;
    }
    LONG line = 0;
    if (!ReadLeadingNumber(text + 1, line))
        return Refuse("Must specify a valid station number or line number");
    m_record->Station = line - 1;
    if (m_record->Station != 0 && m_record->Station != 1)
        return Refuse("Must specify L1 or L2 or station number");
    return true;
}

void TEventDialog::ReadKeep()
{
    char text[260];
    m_keep->GetText(text, sizeof text);
    if (base::equals_ignoring_case(text, "all")) {
        m_record->Keep = -1;
        return;
    }
    LONG keep = 0;
    if (ReadLeadingNumber(text, keep))
        m_record->Keep = keep;
}

bool TEventDialog::ReadAction()
{
    char text[260];
    m_action->GetText(text, sizeof text);
    for (const ActionName& action : Actions) {
        if (base::equals_ignoring_case(text, action.text)) {
            m_record->Action = action.code;
            return true;
        }
    }
    return Refuse("Must specify an event action.");
}

void TEventDialog::CmOk()
{
    if (!ReadName() || !ReadStation())
        return;
    char text[260];
    m_start->GetText(text, sizeof text);
    ParseEventTime(text, m_record->StartHour, m_record->StartMinute);
    m_end->GetText(text, sizeof text);
    ParseEventTime(text, m_record->EndHour, m_record->EndMinute);
    DWORD mask = 0;
    for (int day = 0; day < 7; ++day) {
        if (m_days[day]->GetCheck() == OWL::BF_CHECKED)
            mask |= 1u << day;
    }
    m_record->DayMask = mask;
    ReadKeep();
    if (!ReadAction())
        return;
    CloseWindow(IDOK);
}
