#include "ArchDialog.h"

#include <media/FileTag.h>
#include <resources/ArchiveDialog.h>
#include <settings/Settings.h>

#include <owl/Application.h>
#include <owl/FrameWindow.h>

#include <base/Files.h>
#include <base/Text.h>
#include <mm/Mmio.h>
#include <shell/ShellExecute.h>
#include <user/Keyboard.h>
#include <user/MessageBox.h>
#include <user/User.h>

#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace {

const ContextHelpWin::HelpPair HelpTable[] = {
    { 201, 56 }, { 206, 54 }, { 205, 55 }, { 221, 221 }, { 0, 0 },
};

constexpr const char* Months[13] = { "illegal month", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep",
    "Oct", "Nov", "Dec" };
constexpr const char* DayLetters[7] = { "Su", "M", "Tu", "W", "Th", "F", "Sa" };
constexpr const char* KeptExtensions[] = { "wav", "mp3", "avi", "wma", "wmv" };
constexpr const char* Unscheduled = "<unscheduled>";
constexpr std::size_t TextLimit = 260; // 259 characters and the terminator

// The recording folder with a separator at its end.
std::string folder_prefix()
{
    std::string folder(Settings.DefaultDirectory, strnlen(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory));
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/'))
        folder += '\\';
    return folder;
}

bool kept_extension(const char* name)
{
    const char* dot = std::strchr(name, '.');
    if (!dot)
        return false;
    for (const char* kept : KeptExtensions)
        if (lstrcmpiA(dot + 1, kept) == 0)
            return true;
    return false;
}

// A node's text up to its first run of two blanks, folded: what a group name is matched against.
std::string group_key(std::string_view text)
{
    return base::folded_ascii(text.substr(0, text.find("  ")));
}

// The suffix of a group named like a timer event; empty when no event has the name.
std::string event_suffix(const std::string& group)
{
    int count = std::min<LONG>(Settings.EventCount, MaxTimerEvents);
    for (int i = 0; i < count; ++i) {
        const TimerEvent& event = Settings.Events[i];
        std::string name(event.Name, strnlen(event.Name, sizeof event.Name));
        if (lstrcmpiA(name.c_str(), group.c_str()) != 0)
            continue;
        char time[40];
        std::snprintf(time, sizeof time, "  %d:%2.2d", static_cast<int>(event.StartHour), static_cast<int>(event.StartMinute));
        std::string suffix = time;
        for (int day = 0; day < 7; ++day)
            if (event.DayMask & (1u << day))
                suffix += DayLetters[day];
        return suffix;
    }
    return {};
}

std::string printed(const char* format, const std::string& value)
{
    char text[600];
    std::snprintf(text, sizeof text, format, value.c_str());
    return text;
}

}

TArchDialog::TArchDialog(OWL::TWindow* parent, char* resultPath, OWL::TModule* module)
    : TDialog(parent, IDD_ARCHIVE, module)
    , ContextHelpWin(parent, HelpTable, IDD_ARCHIVE)
    , m_resultPath(resultPath)
{
    RegisterArchiveDialog();
    m_tree = new OWL::TTreeWindow(this, IDC_ARCHIVE_TREE);
    OnCommand(IDC_ARCHIVE_LAUNCH, [this] { CmLaunchPlayer(); });
    OnCommand(IDCANCEL, [this] { CloseWindow(IDCANCEL); });
    OnCommand(IDOK, [this] { CmOpenFile(); });
    OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) {
        CloseWindow(IDCANCEL);
        return 0;
    });
    OnMessage(WM_DIALOG_REFOCUS, [this](WPARAM, LPARAM) { return Refresh(); });
    OnCommand(IDC_ARCHIVE_DELETE, [this] { CmDelete(); });
    OnCommand(IDC_ARCHIVE_INFO, [this] { CmInfo(); });
}

bool TArchDialog::PreProcessMsg(MSG& msg)
{
    if (msg.message != WM_NEXTDLGCTL && GetKeyState(VK_MENU) < 0 && (GetKeyState('T') < 0 || GetKeyState('B') < 0))
        return true;
    OWL::TApplication* app = GetApplication();
    OWL::TFrameWindow* main = app ? app->GetMainWindow() : nullptr;
    if (main && main->PreProcessMsg(msg))
        return true;
    return TDialog::PreProcessMsg(msg);
}

void TArchDialog::SetupWindow()
{
    TDialog::SetupWindow();
    FillTree();
}

LRESULT TArchDialog::Refresh()
{
    HWND tree = m_tree->GetHandle();
    SetWindowLongA(tree, GWL_STYLE,
        GetWindowLongA(tree, GWL_STYLE) | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    InvalidateRect(tree, nullptr, TRUE);
    FillTree();
    SetFocus(GetHandle());
    return 0;
}

std::string TArchDialog::DateText(const FILETIME& local)
{
    SYSTEMTIME t {};
    FileTimeToSystemTime(&local, &t);
    const char* month = t.wMonth >= 1 && t.wMonth <= 12 ? Months[t.wMonth] : Months[0];
    char text[64];
    std::snprintf(text, sizeof text, "%d-%s-%d %.2d:%2.2d", t.wDay, month, t.wYear, t.wHour, t.wMinute);
    return text;
}

std::string TArchDialog::GroupName(const char* fileName)
{
    if (!fileName || !kept_extension(fileName))
        return {};
    std::string name = fileName;
    std::size_t cut = name.find('_');
    if (cut == std::string::npos)
        cut = name.find('.');
    std::string group = name.substr(0, cut);
    if (group.empty() || lstrcmpiA(group.c_str(), "tv") == 0)
        return Unscheduled;
    return group;
}

bool TArchDialog::FillTree()
{
    m_tree->DeleteAllItems();
    OWL::TTreeNode root = m_tree->GetRoot();
    std::string pattern = folder_prefix() + "*.*";
    WIN32_FIND_DATAA found {};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    // The group nodes made so far by the text they are matched with; the first one made wins,
    // as a walk over the root's children in order would find it.
    std::unordered_map<std::string, OWL::TTreeNode> groups;
    do {
        std::string group = GroupName(found.cFileName);
        if (group.empty())
            continue;
        FILETIME local {};
        FileTimeToLocalFileTime(&found.ftCreationTime, &local);
        std::string item = DateText(local) + "   \"" + found.cFileName + "\"";

        auto at = groups.find(base::folded_ascii(group));
        OWL::TTreeNode node;
        if (at != groups.end())
            node = at->second;
        else {
            std::string text = group;
            if (group != Unscheduled)
                text += event_suffix(group);
            node = root.AddChild(text.c_str());
            char stored[TextLimit];
            node.GetText(stored, sizeof stored);
            groups.emplace(group_key(stored), node);
        }
        node.AddChild(item.c_str(), static_cast<LPARAM>(local.dwHighDateTime));
    } while (FindNextFileA(search, &found));
    FindClose(search);

    root.SortChildren();
    FileCompare newestFirst;
    for (OWL::TTreeNode group = root.GetChild(); group; group = group.GetNextSibling())
        group.SortChildren(newestFirst);
    return true;
}

int FileCompare::Compare(LPARAM a, LPARAM b, LPARAM) const
{
    auto x = static_cast<DWORD>(a), y = static_cast<DWORD>(b);
    return x < y ? 1 : x > y ? -1 : 0;
}

bool TArchDialog::GetSelectedFile(char* name, char* path) const
{
    OWL::TTreeNode selected = m_tree->GetSelection();
    char text[TextLimit];
    if (!selected || !selected.GetText(text, sizeof text))
        return false;
    const char* open = std::strchr(text, '"');
    const char* close = open ? std::strchr(open + 1, '"') : nullptr;
    if (!close)
        return false;
    std::string file(open + 1, close);
    std::string full = folder_prefix() + file;
    // A path that does not fit is no file of the folder.
    if (full.size() >= TextLimit)
        return false;
    base::copy_bounded(name, TextLimit, file);
    base::copy_bounded(path, TextLimit, full);
    return mmioOpenA(path, nullptr, MMIO_EXIST) != nullptr;
}

bool TArchDialog::GetTag(const char* path, const char* tag, int size, char* out)
{
    return FindRecordingTag(path, tag, size, out);
}

float TArchDialog::GetFileSize(const char* path)
{
    WIN32_FIND_DATAA data {};
    HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE)
        return -1.0f;
    FindClose(find);
    return static_cast<float>(static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow);
}

std::string TArchDialog::SizeText(float bytes)
{
    float megabytes = bytes / 1048576.0f;
    const char* format = megabytes < 1.0f ? "%.3fMB" : megabytes < 100.0f ? "%.2fMB" : "%.0fMB";
    char text[64];
    std::snprintf(text, sizeof text, format, static_cast<double>(megabytes));
    return text;
}

void TArchDialog::CmOpenFile()
{
    char name[TextLimit], path[TextLimit];
    if (GetSelectedFile(name, path) && m_resultPath)
        base::copy_bounded(m_resultPath, TextLimit, path);
    CloseWindow(IDOK);
}

void TArchDialog::CmLaunchPlayer()
{
    char name[TextLimit], path[TextLimit];
    if (!GetSelectedFile(name, path))
        return;
    ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWMINNOACTIVE);
    if (m_resultPath) {
        m_resultPath[0] = '\0';
        CloseWindow(IDOK);
    }
}

void TArchDialog::CmDelete()
{
    char name[TextLimit], path[TextLimit];
    if (!GetSelectedFile(name, path))
        return;
    std::string refused = printed("Can't delete file\n\t   %s\nAlready in use by this or another program?", name);
    HMMIO file = mmioOpenA(path, nullptr, MMIO_READWRITE);
    if (!file) {
        MessageBoxA(GetHandle(), refused.c_str(), "Orbivane", MB_ICONEXCLAMATION);
        return;
    }
    mmioClose(file, 0);
    if (MessageBoxA(GetHandle(), printed("OK to delete file?\n\t   %s", name).c_str(), "Orbivane", MB_YESNOCANCEL) != IDYES)
        return;
    // The item is blanked only when the file is gone.
    if (!mmioOpenA(path, nullptr, MMIO_DELETE)) {
        MessageBoxA(GetHandle(), refused.c_str(), "Orbivane", MB_ICONEXCLAMATION);
        return;
    }
    m_tree->GetSelection().SetText("");
}

void TArchDialog::CmInfo()
{
    char name[TextLimit], path[TextLimit];
    if (!GetSelectedFile(name, path))
        return;
    std::string caption = std::string(name) + " Properties";
    std::string text;
    char tag[TextLimit];
    if (GetTag(path, "Copyright", sizeof tag, tag))
        text += printed("\nCopyright notice: %s", tag);
    if (GetTag(path, "Recorded by", sizeof tag, tag))
        text += printed("\nDescription: %s", tag);
    float size = GetFileSize(path);
    if (size > 1.0f)
        text += printed("\nSize: %s", SizeText(size));
    if (text.empty())
        text = "No properties available for this file";
    MessageBoxA(GetHandle(), text.c_str(), caption.c_str(), MB_OK);
}
