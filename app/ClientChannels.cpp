// Channels: surfing through all channel numbers or only the station table, the channel typed into
// the control bar, and the channel and station display.

#include "Client.h"

#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <dialogs/SetStation.h>
#include <owl/Application.h>
#include <owl/FrameWindow.h>
#include <owl/PropertySheet.h>
#include <settings/Settings.h>

#include <base/Text.h>
#include <user/Window.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

// The whole text, blanks around it aside, as a 32-bit decimal number.
std::optional<LONG> parse_whole_number(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    if (!*text)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 10);
    if (end == text || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end)
        return std::nullopt;
    return static_cast<LONG>(value);
}

// The channel the engine is tuned to, or the one last asked for while there is no engine.
LONG current_channel(LONG selected)
{
    return Tv ? Tv->GetChannel() : selected;
}

}

void TClient::SelectChannel(LONG channel, bool updateField)
{
    m_selectedChannel = channel;
    if (Tv && Tv->IsRecording())
        return;
    Settings.Channel = m_selectedChannel;
    ShowChannel(updateField);
    if (Tv)
        Tv->SetChannel(m_selectedChannel);
}

void TClient::ShowChannel(bool updateField)
{
    char text[16];
    if (m_selectedChannel >= 2 || m_selectedChannel < 0)
        wsprintfA(text, "%d", m_selectedChannel);
    else
        wsprintfA(text, "L%d", m_selectedChannel + 1);
    if (updateField && m_channelField)
        SetWindowTextA(m_channelField, text);
    if (m_player)
        return;
    SetStationText("");
    for (int i = 0; i < Settings.StationCount(); ++i) {
        if (Settings.StationChannel(i) == Settings.Channel) {
            SetStationText(Settings.StationName(i));
            break;
        }
    }
}

int TClient::FindStationIndex(LONG channel) const
{
    int found = -1;
    for (int i = 0; i < Settings.StationCount(); ++i) {
        LONG station = Settings.StationChannel(i);
        if (station == channel)
            return i;
        if (station < channel && (found < 0 || station > Settings.StationChannel(found)))
            found = i;
    }
    return found;
}

void TClient::CmChannelUp()
{
    LONG current = std::max<LONG>(current_channel(m_selectedChannel), -1);
    LONG count = Settings.StationCount();
    if (Settings.ChannelListOnly && count > 0) {
        int i = FindStationIndex(current) + 1;
        SelectChannel(Settings.StationChannel(i % count), true);
        return;
    }
    if (current < INT32_MAX) // the highest number has nowhere further to go
        SelectChannel(current + 1, true);
}

void TClient::CmChannelDown()
{
    LONG current = current_channel(m_selectedChannel);
    LONG count = Settings.StationCount();
    if (Settings.ChannelListOnly && count > 0) {
        int i = FindStationIndex(current);
        // Below every station the step wraps round to the last one.
        int j = i < 0 ? count - 1 : (i + count - 1) % count;
        SelectChannel(Settings.StationChannel(j), true);
        return;
    }
    SelectChannel(current > 0 ? current - 1 : 0, true);
}

LRESULT TClient::EvChannelTyped()
{
    if (!m_channelField)
        return 0;
    char text[40] = {};
    GetWindowTextA(m_channelField, text, sizeof text);
    if (std::optional<LONG> n = parse_whole_number(text)) {
        if (*n != Settings.Channel && *n >= 2)
            SelectChannel(*n, false);
        return 0;
    }
    if (text[0] == 'l' || text[0] == 'L') {
        std::optional<LONG> m = parse_whole_number(text + 1);
        if (m && *m >= 1 && *m <= 2 && *m - 1 != Settings.Channel)
            SelectChannel(*m - 1, false);
    }
    return 0;
}

// The stations page alone in a sheet of its own; the table it changed applies at once.
void TClient::CmChannels()
{
    {
        OWL::TFrameWindow* main = GetApplication() ? GetApplication()->GetMainWindow() : nullptr;
        OWL::TPropertySheet sheet(main ? static_cast<OWL::TWindow*>(main) : this, "Channels", 0, false, PSH_NOAPPLYNOW);
        new TSetStation(&sheet, false);
        sheet.Execute();
    }
    ApplyClientOptions();
}
