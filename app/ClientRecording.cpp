// Recording TV or its sound: the record start with its choice of format, the recording's texts,
// the mixer's recording source, the file names with their instance numbers and the deletion of
// the oldest recordings beyond a keep count; and the archive command.

#include "Client.h"

#include "App.h"
#include "RecordingNames.h"
#include <settings/FilePattern.h>
#include <settings/Settings.h>
#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <dialogs/ArchDialog.h>
#include <media/MediaIn.h>
#include <media/Mixer.h>

#include <owl/Application.h>
#include <owl/FrameWindow.h>
#include <owl/WaitCursor.h>

#include <base/Files.h>
#include <base/SystemInfo.h>
#include <base/Text.h>
#include <mm/Mmio.h>
#include <user/MessageBox.h>

#include <string>

namespace {

constexpr const char* kCopyright = "Copyright by broadcaster and its content providers. Not for distribution.";
constexpr const char* kProgram = "Orbivane";

// Recording volumes below this are raised to kRaisedRecordVolume before a recording.
constexpr int kLowRecordVolume = 90;
constexpr int kRaisedRecordVolume = 110;

// The folder with the separator a name is appended after ("" stays "").
std::string folder_prefix()
{
    std::string folder = Settings.DefaultDirectory;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

bool file_exists(const std::string& path)
{
    std::string copy = path;
    return mmioOpenA(copy.data(), nullptr, MMIO_EXIST) != nullptr;
}

}

void TClient::CmRecord()
{
    StartRecording("tv", 3, -1, Settings.DefaultMediaFormat);
}

void TClient::CmRecordAudio()
{
    StartRecording("tv", 1, -1, Settings.DefaultMediaFormat);
}

void TClient::StartRecording(const char* base, LONG action, LONG keep, LONG kind)
{
    std::string stem = MakeRecordingStem(base, Settings.ImprovedFilePattern);
    m_busy = true;
    OWL::TWaitCursor wait;
    if (!Tv)
        SetTvMode(true, false);
    if (!Tv) {
        m_busy = false;
        return;
    }
    Tv->RouteAudio(false);

    char author[260] {};
    DWORD size = sizeof author;
    if (!GetUserNameA(author, &size))
        author[0] = 0;
    char description[600];
    wsprintfA(description, "Recorded by %s using %s.", author, kProgram);

    if (m_mixer) {
        m_mixer->SelectRecordSource(Settings.MixerInput);
        int level = m_mixer->GetRecordVolume(Settings.MixerInput);
        if (level >= 0 && level < kLowRecordVolume)
            m_mixer->SetRecordVolume(Settings.MixerInput, kRaisedRecordVolume);
    }

    bool record = (action & 1) != 0;
    bool video = (action & 2) != 0;
    if (!record || (kind != 0 && kind != 3)) {
        MessageBoxA(GetHandle(), "improper mode", "tclient", 0);
        m_busy = false;
        return;
    }
    const char* extension = video ? (kind == 3 ? "wmv" : "avi") : (kind == 3 ? "wma" : "wav");
    char path[260];
    if (!MakeRecordFileName(stem.c_str(), extension, path, keep)) {
        char message[600];
        wsprintfA(message, "Cannot record: every file name from\n     %s_1.%s\nto _9999 is taken.", path, extension);
        MessageBoxA(GetHandle(), message, "Orbivane record", MB_ICONHAND);
        m_busy = false;
        return;
    }

    if (kind == 3) {
        Tv->StartWmRecording(path, action, Settings.WaveInDriver, video ? Settings.WMVideoProfile : Settings.WMAudioProfile,
            kCopyright, description, kProgram);
    } else if (video) {
        Tv->StartCapture(path, Settings.VideoCodec, Settings.AudioCodec, Settings.WaveInDriver);
    } else {
        Tv->StartSoundCapture(path, Settings.AudioCodec, Settings.WaveInDriver);
    }

    if (SMediaIn* target = Tv->GetRecordingTarget(); target && !target->IsUsable()) {
        char message[600];
        wsprintfA(message, "Cannot write to this file: \n     %s\nIf directory exists, may be read-only.", target->GetPath());
        MessageBoxA(GetHandle(), message, "Orbivane record", MB_ICONHAND);
        CmStop();
        m_busy = false;
        return;
    }
    if (Tv->IsRecording()) {
        SetPlayRecordButtons(false, true);
        Settings.ActivityState = ActivityRecording;
        LayoutVideo();
        UpdateStateIcon();
        UpdateTitle();
        if (auto* app = dynamic_cast<App*>(GetApplication()))
            app->SaveMenuChoice(path);
    }
    m_busy = false;
}

bool TClient::MakeRecordFileName(const char* stem, const char* extension, char* out, LONG keep)
{
    PruneRecordings(stem, extension, keep - 1);

    // Formatted as the File page's example is: a code the runtime does not know stays literal.
    char name[260] {};
    FormatFilePattern(stem, name, sizeof name);
    std::string full = folder_prefix() + name;

    std::string candidate;
    if (Settings.FileInstanceMode & 1) {
        candidate = full + "." + extension;
        if (!file_exists(candidate)) {
            base::copy_bounded(out, 260, candidate);
            return true;
        }
    }
    for (int n = 1; n <= 9999; ++n) {
        candidate = full + "_" + std::to_string(n) + "." + extension;
        if (!file_exists(candidate)) {
            base::copy_bounded(out, 260, candidate);
            return true;
        }
    }
    // Every number is taken: nothing is overwritten.
    base::copy_bounded(out, 260, full);
    return false;
}

bool TClient::PruneRecordings(const char* stem, const char* extension, LONG limit)
{
    if (limit < 0)
        return true;
    for (;;) {
        char oldest[260];
        if (FindOldestRecording(stem, extension, oldest) <= limit)
            return true;
        if (!mmioOpenA(oldest, nullptr, MMIO_DELETE))
            return false;
    }
}

int TClient::FindOldestRecording(const char* stem, const char* extension, char* out)
{
    std::string folder = folder_prefix();
    std::string pattern = folder + RecordingStemPrefix(stem) + "*." + extension;
    WIN32_FIND_DATAA found {};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    FILETIME oldestTime {};
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsRecordingOf(stem, extension, found.cFileName))
            continue;
        if (count == 0 || CompareFileTime(&found.ftCreationTime, &oldestTime) < 0) {
            oldestTime = found.ftCreationTime;
            base::copy_bounded(out, 260, folder + found.cFileName);
        }
        ++count;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

void TClient::CmArchives()
{
    char path[260] = "";
    OWL::TWindow* main = GetApplication() ? GetApplication()->GetMainWindow() : nullptr;
    TArchDialog(main ? main : this, path).Execute();
    if (path[0])
        OpenMediaFile(path);
}
