// The Properties command: one message box describing the file being played or, without one, the
// file of a running Windows Media recording. Each line appears only when its value is known.

#include "Client.h"

#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <media/VideoFile.h>
#include <media/WMFileIn.h>

#include <base/FileTime.h>
#include <base/Files.h>
#include <base/Text.h>
#include <user/User.h>

#include <cstdio>
#include <string>

namespace {

// A printf-style line, appended to `text`.
template<typename... Values>
void append(std::string& text, const char* format, Values... values)
{
    char line[400];
    std::snprintf(line, sizeof line, format, values...);
    text += line;
}

void append_duration(std::string& text, LONG seconds)
{
    if (seconds == -1 || seconds == 0)
        return;
    LONG hours = seconds / 3600;
    LONG minutes = seconds % 3600 / 60;
    if (hours > 0)
        append(text, "\nDuration: %d:%2.2d:%2.2d", int(hours), int(minutes), int(seconds % 60));
    else
        append(text, "\nDuration: %d:%2.2d", int(minutes), int(seconds % 60));
}

void append_size(std::string& text, float bytes)
{
    if (!(bytes > 1))
        return;
    float megabytes = bytes / 1048576;
    char size[64];
    std::snprintf(size, sizeof size, megabytes < 1 ? "%.3fMB" : megabytes < 100 ? "%.2fMB" : "%.0fMB", double(megabytes));
    append(text, "\nSize: %s", size);
}

void append_date(std::string& text, const char* path)
{
    static const char* const months[] = { "illegal month", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug",
        "Sep", "Oct", "Nov", "Dec" };
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    FindClose(find);
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&found.ftCreationTime, &local) || !FileTimeToSystemTime(&local, &time))
        return;
    const char* month = time.wMonth <= 12 ? months[time.wMonth] : months[0];
    append(text, "\nDate: %d-%s-%d", int(time.wDay), month, int(time.wYear));
}

}

void TClient::CmProperties()
{
    std::string text;
    std::string caption;
    if (m_player) {
        char name[260];
        caption = std::string(m_player->GetBaseName(name)) + " Properties";
        char tag[261];
        if (m_player->GetTag("Copyright", sizeof tag - 1, tag))
            append(text, "\nCopyright notice: %s", tag);
        if (m_player->GetTag("Recorded by", sizeof tag - 1, tag))
            append(text, "\nDescription: %s", tag);
        append_duration(text, m_player->GetDuration());
        append_size(text, static_cast<float>(m_player->GetFileSize()));
        append_date(text, m_player->GetPath());
    } else if (auto* target = Tv ? dynamic_cast<WMFileIn*>(Tv->GetRecordingTarget()) : nullptr) {
        caption = std::string(target->GetFileName()) + " Properties";
        struct Attribute {
            const char* name;
            const char* line;
        };
        static const Attribute attributes[] = {
            { "copyright", "\nCopyright:   %s" },
            { "title", "\nTitle:   %s" },
            { "author", "\nAuthor:   %s" },
            { "rating", "\nRating:   %s" },
            { "description", "\nDescription:   %s" },
        };
        for (const auto& attribute : attributes) {
            char value[260] {};
            if (target->GetAttribute(attribute.name, value) && value[0])
                append(text, attribute.line, value);
        }
        append_duration(text, Tv->GetElapsedSeconds());
        append_size(text, static_cast<float>(Tv->GetFileSize()));
        append_date(text, target->GetPath());
    } else {
        return;
    }
    if (text.empty())
        text = "No properties available for this file";
    MessageBoxA(GetHandle(), text.c_str(), caption.c_str(), MB_OK);
}
