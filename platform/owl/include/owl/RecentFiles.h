#pragma once

// TRecentFiles: the list of recently used files, kept in the registry and shown in the menu.
//
// The entries (most recent first, at most `count`, a path given again moves to the front) are
// stored as full paths, values "File1".."FileN" under "<key>\Recent Files" of the current user.
// When a popup menu that holds the anchor command (Exit, 24310) opens, the entries are put before
// it as "&1 <path>" (the path shortened to `display_length` characters for display only), with a
// separator. Choosing an entry sends the registered message "MRUFILEMESSAGE" with the entry's menu
// id to the main window; GetMenuText gives that entry's full path.
//
//     class App : public TApplication, public TRecentFiles { ... };
//     App::App() : TRecentFiles("Software\\Kestrelon\\Orbivane", 6, 80) { ... }
//     SaveMenuChoice("/home/me/Videos/news.avi");

#include <owl/EventHandler.h>

#include <base/Types.h>

#include <string>
#include <vector>

namespace OWL {

class TRecentFiles : virtual public TEventHandler {
public:
    static constexpr UINT MruFirstId = 32000;  // the menu id of the first entry
    static constexpr UINT AnchorId = 24310;    // the entries go before this command
    static constexpr int MaxEntries = 9;

    TRecentFiles(const char* registry_key, int count = 4, int display_length = 30, bool use_registry = true);
    ~TRecentFiles() override;

    // Adds a path at the front (the list is saved at once).
    void SaveMenuChoice(const char* path);
    void RemoveMenuChoice(const char* path);
    // Copies the full path of the entry with menu id `id`; its length, or 0 when there is none.
    int GetMenuText(UINT id, char* text, int size) const;
    // Whether `id` is the menu id of an entry now.
    bool IsMruId(UINT id) const;

    const std::vector<std::string>& GetEntries() const { return m_entries; }
    // The menu text of an entry: "&<n> " and the path shortened to the display length.
    std::string MenuLabel(int index) const;
    // The "MRUFILEMESSAGE" message number.
    UINT GetMruMessage() const { return m_message; }

    void PreparePopupMenu(HMENU popup) override;

private:
    void Load();
    void Save() const;
    void Choose(UINT id);

    std::string m_key;
    int m_count;
    int m_display_length;
    bool m_use_registry;
    UINT m_message;
    std::vector<std::string> m_entries;
};

}
