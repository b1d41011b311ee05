#include "SetFile.h"

#include "DirPick.h"
#include "PatternDialog.h"
#include "RecordingRate.h"

#include <resources/SettingsPages.h>
#include <settings/FilePattern.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Files.h>
#include <base/Modules.h>
#include <base/SystemInfo.h>
#include <base/Text.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <user/CommonControls.h>

namespace {

using SHGetFolderPathAndSubDirAFunction = LONG (*)(HWND, int, HANDLE, DWORD, LPCSTR, LPSTR);
constexpr int CSIDL_COMMON_APPDATA_CREATE = 0x8023; // CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE

void append_backslash(char* path, std::size_t capacity)
{
    std::size_t length = std::strlen(path);
    if (length + 1 < capacity) {
        path[length] = '\\';
        path[length + 1] = '\0';
    }
}

// The folder of recordings when none is stored.
void default_directory(char* path, std::size_t capacity)
{
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(capacity), path);
    if (length == 0 || length >= capacity) {
        length = GetTempPathA(static_cast<DWORD>(capacity), path);
        if (length == 0 || length >= capacity)
            path[0] = '\0';
    }
    if (GetOsMajorVersion() < 6)
        return;
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell)
        return;
    auto get_folder = reinterpret_cast<SHGetFolderPathAndSubDirAFunction>(GetProcAddress(shell, "SHGetFolderPathAndSubDirA"));
    if (get_folder) {
        // A failed call keeps the current folder.
        char folder[MAX_PATH] = "";
        if (get_folder(nullptr, CSIDL_COMMON_APPDATA_CREATE, nullptr, 0, "Orbivane", folder) >= 0) {
            folder[MAX_PATH - 1] = '\0';
            if (folder[0]) {
                base::copy_bounded(path, capacity, folder);
                append_backslash(path, capacity);
            }
        }
    }
    FreeLibrary(shell);
}

}

void LoadFileSettings(HKEY key)
{
    LONG size = 0;
    char text[260];
    if (ReadTextValue(key, "FileSize", text, sizeof text, sizeof text) != ERROR_SUCCESS)
        base::copy_bounded(text, sizeof text, "200");
    if (!ParseDecimal(text, size))
        size = 0; // text without a number counts as 0, as the decimal conversion gives
    Settings.FileSize = size;

    if (ReadTextValue(key, "DefaultDirectory", Settings.DefaultDirectory, sizeof Settings.DefaultDirectory,
            sizeof Settings.DefaultDirectory) != ERROR_SUCCESS
        || Settings.DefaultDirectory[0] == '\0')
        default_directory(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory);

    if (ReadTextValue(key, "ImprovedFilePattern", Settings.ImprovedFilePattern, sizeof Settings.ImprovedFilePattern,
            sizeof Settings.ImprovedFilePattern) != ERROR_SUCCESS)
        Settings.ImprovedFilePattern[0] = '\0';

    BYTE mode;
    Settings.FileInstanceMode = ReadByteValue(key, "FileInstanceMode", mode) == ERROR_SUCCESS ? mode : 0;
}

void SaveFileSettings(HKEY key)
{
    WriteDecimalValue(key, "FileSize", Settings.FileSize);
    WriteTextValue(key, "DefaultDirectory", Settings.DefaultDirectory);
    WriteTextValue(key, "ImprovedFilePattern", Settings.ImprovedFilePattern);
    WriteByteValue(key, "FileInstanceMode", Settings.FileInstanceMode);
}

const ContextHelpWin::HelpPair FileHelp[] = {
    { 1307, 11 }, { 1309, 11 }, { 1304, 10 }, { 1303, 10 }, { 1306, 10 }, { 1305, 10 }, { 1301, 1308 },
    { 1308, 1308 }, { 1302, 1302 }, { 1311, 1311 }, { 1312, 1311 }, { 1310, 1310 }, { 4201, 4201 },
    { 4202, 4201 }, { 4203, 4203 }, { 4204, 4204 }, { 4205, 4205 }, { 4207, 4207 }, { 4209, 4209 }, { 0, 0 },
};

void MakeExampleName(const char* pattern, bool alwaysInstance, LONG format, char* out, std::size_t size)
{
    std::string text = "Event";
    if (pattern && pattern[0])
        text += std::string("_") + pattern;
    if (alwaysInstance)
        text += "_1";
    switch (format) {
    case 1: text += ".mp3"; break;
    case 2: text += ".ogg"; break;
    case 3: text += ".wmv"; break;
    default: text += ".avi"; break;
    }
    FormatFilePattern(text.c_str(), out, std::min<std::size_t>(size, 260));
}

TSetFile::TSetFile(OWL::TPropertySheet* parent, LONG* defaultMediaFormat, OWL::TModule* module)
    : TPropertyPage(parent, IDD_SET_FILE, module)
    , ContextHelpWin(parent, FileHelp, IDD_SET_FILE)
    , m_size(new OWL::TEdit(this, 1304))
    , m_estimate(new OWL::TStatic(this, 1307, 30))
    , m_browse(new OWL::TButton(this, 1302))
    , m_folder(new OWL::TStatic(this, 1308, 260))
    , m_example(new OWL::TStatic(this, 1311))
    , m_pattern {}
    , m_mode(0)
    , m_format(defaultMediaFormat)
{
    RegisterSettingsPages();
    SetFlags(GetFlags() | PSP_HASHELP);
    m_size->SetValidator(new OWL::TRangeValidator(0, 9999));
    OnChildNotify(1304, EN_CHANGE, [this](LPARAM) { return UpdateTimeEstimate(), 0; });
    OnCommand(1302, [this] { Browse(); });
    OnCommand(1310, [this] { EditPattern(); });
}

void TSetFile::SetupWindow()
{
    TPropertyPage::SetupWindow();
    char size[16];
    std::snprintf(size, sizeof size, "%ld", static_cast<long>(Settings.FileSize));
    m_size->SetText(size);
    HWND spin = GetDlgItem(GetHandle(), 1305);
    SendMessageA(spin, UDM_SETRANGE32, 1, 9999);
    SendMessageA(spin, UDM_SETPOS32, 0, Settings.FileSize);
    m_rate = RecordingRate(*m_format, Settings.Tuner);
    UpdateTimeEstimate();
    base::copy_bounded(m_pattern, sizeof m_pattern, Settings.ImprovedFilePattern);
    m_mode = Settings.FileInstanceMode;
    UpdateExample();
    m_folder->SetText(Settings.DefaultDirectory);
}

void TSetFile::UpdateTimeEstimate()
{
    DWORD rate = m_rate;
    if (rate == 0)
        return;
    char text[29] = {};
    m_size->GetText(text, sizeof text);
    double megabytes = std::atof(text);
    double minutes = megabytes * 1048576.0 / rate / 60.0;
    char estimate[64];
    std::snprintf(estimate, sizeof estimate, "%.1f minutes", minutes);
    m_estimate->SetText(estimate);
}

void TSetFile::UpdateExample()
{
    char example[260];
    MakeExampleName(m_pattern, (m_mode & 1) == 0, *m_format, example, sizeof example);
    m_example->SetText(example);
}

int TSetFile::SetActive(PSHNOTIFY& notify)
{
    // The recording format may have changed on another page.
    m_rate = RecordingRate(*m_format, Settings.Tuner);
    UpdateTimeEstimate();
    UpdateExample();
    TPropertyPage::SetActive(notify);
    return 0;
}

int TSetFile::Apply(PSHNOTIFY& notify)
{
    Settings.FileInstanceMode = m_mode;
    char text[9] = {};
    m_size->GetText(text, sizeof text);
    LONG size = std::atol(text);
    Settings.FileSize = size < 1 ? 1 : size;
    base::copy_bounded(Settings.ImprovedFilePattern, sizeof Settings.ImprovedFilePattern, m_pattern);
    m_folder->GetText(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory);
    return TPropertyPage::Apply(notify);
}

void TSetFile::Browse()
{
    char path[260];
    base::copy_bounded(path, sizeof path, Settings.DefaultDirectory);
    if (TDirPick(GetHandle(), path).Execute() == 1)
        m_folder->SetText(path);
}

void TSetFile::EditPattern()
{
    char pattern[260];
    base::copy_bounded(pattern, sizeof pattern, m_pattern);
    if (TPatternDialog(this, pattern, *m_format, &m_mode).Execute() == IDOK) {
        base::copy_bounded(m_pattern, sizeof m_pattern, pattern);
        UpdateExample();
    }
}
