#include <owl/Application.h>
#include <owl/RecentFiles.h>

#include <base/Text.h>
#include <registry/Registry.h>
#include <user/Menus.h>
#include <user/Messages.h>

#include <algorithm>
#include <cstring>

namespace OWL {

namespace {

constexpr const char* ListKey = "Recent Files";

bool same_path(const std::string& a, const std::string& b)
{
    return base::equals_ignoring_case(a, b);
}

}

TRecentFiles::TRecentFiles(const char* registry_key, int count, int display_length, bool use_registry)
    : m_key(registry_key ? registry_key : "")
    , m_count(std::clamp(count, 1, MaxEntries))
    , m_display_length(std::max(display_length, 8))
    , m_use_registry(use_registry)
{
    m_message = OnRegisteredMessage("MRUFILEMESSAGE", [](WPARAM, LPARAM) { return LRESULT(0); });
    for (int i = 0; i < MaxEntries; ++i) {
        UINT id = MruFirstId + static_cast<UINT>(i);
        OnCommand(id, [this, id] { Choose(id); });
    }
    Load();
}

TRecentFiles::~TRecentFiles() = default;

void TRecentFiles::Load()
{
    if (!m_use_registry || m_key.empty())
        return;
    HKEY key = nullptr;
    std::string path = m_key + "\\" + ListKey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < m_count; ++i) {
        char name[16];
        wsprintfA(name, "File%d", i + 1);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ || size == 0)
            break;
        std::string value(size, '\0');
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
            break;
        value.resize(std::strlen(value.c_str()));
        if (value.empty())
            break;
        m_entries.push_back(value);
    }
    RegCloseKey(key);
}

void TRecentFiles::Save() const
{
    if (!m_use_registry || m_key.empty())
        return;
    HKEY key = nullptr;
    std::string path = m_key + "\\" + ListKey;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return;
    for (int i = 0; i < MaxEntries; ++i) {
        char name[16];
        wsprintfA(name, "File%d", i + 1);
        if (i < static_cast<int>(m_entries.size())) {
            const std::string& value = m_entries[static_cast<std::size_t>(i)];
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                static_cast<DWORD>(value.size() + 1));
        } else {
            RegDeleteValueA(key, name);
        }
    }
    RegCloseKey(key);
}

void TRecentFiles::SaveMenuChoice(const char* path)
{
    if (!path || !*path)
        return;
    std::string entry = path;
    std::erase_if(m_entries, [&](const std::string& e) { return same_path(e, entry); });
    m_entries.insert(m_entries.begin(), entry);
    if (static_cast<int>(m_entries.size()) > m_count)
        m_entries.resize(static_cast<std::size_t>(m_count));
    Save();
}

void TRecentFiles::RemoveMenuChoice(const char* path)
{
    if (!path)
        return;
    std::string entry = path;
    std::erase_if(m_entries, [&](const std::string& e) { return same_path(e, entry); });
    Save();
}

bool TRecentFiles::IsMruId(UINT id) const
{
    return id >= MruFirstId && id < MruFirstId + m_entries.size();
}

int TRecentFiles::GetMenuText(UINT id, char* text, int size) const
{
    if (!text || size <= 0)
        return 0;
    text[0] = 0;
    if (!IsMruId(id))
        return 0;
    return static_cast<int>(base::copy_bounded(text, static_cast<std::size_t>(size), m_entries[id - MruFirstId]));
}

std::string TRecentFiles::MenuLabel(int index) const
{
    const std::string& path = m_entries.at(static_cast<std::size_t>(index));
    std::string shown = path;
    auto limit = static_cast<std::size_t>(m_display_length);
    if (shown.size() > limit) {
        // Keep the end of the path (the file name); start on a whole character.
        std::size_t start = path.size() - (limit - 3);
        while (start < path.size() && (static_cast<unsigned char>(path[start]) & 0xC0) == 0x80)
            ++start;
        shown = "..." + path.substr(start);
    }
    std::string label = std::string("&").append(std::to_string(index + 1)).append(" ");
    for (char c : shown) {
        label += c;
        if (c == '&')
            label += '&';
    }
    return label;
}

void TRecentFiles::PreparePopupMenu(HMENU popup)
{
    int count = GetMenuItemCount(popup);
    int anchor = -1;
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(popup, i) == AnchorId)
            anchor = i;
    }
    if (anchor < 0)
        return;
    // Take out the entries (and their separator) of the last time.
    bool had_entries = false;
    for (int i = anchor - 1; i >= 0; --i) {
        UINT id = GetMenuItemID(popup, i);
        if (id < MruFirstId || id >= MruFirstId + MaxEntries)
            continue;
        DeleteMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
        --anchor;
        had_entries = true;
    }
    if (had_entries && anchor > 0 && (GetMenuState(popup, static_cast<UINT>(anchor - 1), MF_BYPOSITION) & MF_SEPARATOR)) {
        DeleteMenu(popup, static_cast<UINT>(anchor - 1), MF_BYPOSITION);
        --anchor;
    }
    if (m_entries.empty())
        return;
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i) {
        InsertMenuA(popup, static_cast<UINT>(anchor), MF_BYPOSITION | MF_STRING, MruFirstId + static_cast<UINT>(i),
            MenuLabel(i).c_str());
        ++anchor;
    }
    InsertMenuA(popup, static_cast<UINT>(anchor), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void TRecentFiles::Choose(UINT id)
{
    if (!IsMruId(id))
        return;
    TApplication* app = GetApplicationObject();
    TFrameWindow* main = app ? app->GetMainWindow() : nullptr;
    if (main && main->GetHandle()) {
        SendMessageA(main->GetHandle(), m_message, id, 0);
        return;
    }
    LRESULT result = 0;
    DispatchMsg(m_message, id, 0, result);
}

}
