#include <shell/Help.h>
#include <shell/Dde.h>
#include <shell/Testing.h>
#include <shell/TrayIcon.h>

#include "HelpPopup.h"
#include "Open.h"

#include <base/Path.h>
#include <user/Window.h>

#include <mutex>

namespace shell::testing {
namespace {

std::mutex journal_lock;
std::vector<HelpCall>& journal()
{
    static std::vector<HelpCall> calls;
    return calls;
}

}

std::vector<HelpCall> help_journal()
{
    std::lock_guard guard(journal_lock);
    return journal();
}

void clear_help_journal()
{
    std::lock_guard guard(journal_lock);
    journal().clear();
}

HWND help_popup()
{
    return shell::detail::current_help_popup();
}

void reset()
{
    shell::detail::close_help_popup();
    clear_help_journal();
    clear_dde_journal();
    shell::clear_tray_icons();
    shell::clear_tray_calls();
    shell::set_tray_observer({});
}

static void record(HelpCall call)
{
    std::lock_guard guard(journal_lock);
    journal().push_back(std::move(call));
}

}

namespace {

constexpr const char* kNoTopicText = "No help topic is associated with this item.";

// Opens the help file a request names ("x.chm::/topic" opens x.chm); true when a viewer took it.
bool open_help_file(const std::string& file)
{
    std::string path = file.substr(0, file.find("::"));
    if (path.empty() || !shell::file_exists(path))
        return false;
    return shell::open_with_desktop(base::resolve_path(path), SW_SHOWNORMAL) > 31;
}

}

HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data)
{
    shell::testing::HelpCall call;
    call.window = caller;
    call.file = file ? file : "";
    call.command = command;
    call.data = data;
    bool opens = false;
    HWND popup_window = nullptr;
    switch (command) {
    case HH_DISPLAY_TOPIC:
        if (data)
            call.topic = reinterpret_cast<LPCSTR>(data);
        opens = true;
        break;
    case HH_DISPLAY_TOC:
    case HH_DISPLAY_INDEX:
    case HH_DISPLAY_SEARCH:
    case HH_HELP_CONTEXT:
        opens = true;
        break;
    case HH_DISPLAY_TEXT_POPUP:
        if (data) {
            call.popup = *reinterpret_cast<const HH_POPUP*>(data);
            if (call.popup->pszText)
                call.popup_text = call.popup->pszText;
            call.popup->pszText = nullptr;
            call.popup->pszFont = nullptr;
            std::string text = !call.popup_text.empty() ? call.popup_text
                                                        : shell::detail::popup_text(call.file, call.popup->idString);
            if (text.empty())
                text = kNoTopicText;
            call.shown_text = text;
            popup_window = shell::detail::show_help_popup(IsWindow(caller) ? caller : nullptr, *call.popup, text);
            call.shown = popup_window != nullptr;
        }
        break;
    default:
        break;
    }
    if (command != HH_DISPLAY_TEXT_POPUP)
        call.shown = opens && open_help_file(call.file);
    bool shown = call.shown;
    shell::testing::record(std::move(call));
    if (!shown)
        return nullptr;
    if (popup_window)
        return popup_window;
    return caller ? caller : GetDesktopWindow();
}

BOOL WinHelpA(HWND caller, LPCSTR file, UINT command, ULONG_PTR data)
{
    shell::testing::HelpCall call;
    call.api = shell::testing::HelpApi::WinHelp;
    call.window = caller;
    call.file = file ? file : "";
    call.command = command;
    call.data = data;
    BOOL result = FALSE;
    switch (command) {
    case HELP_WM_HELP:
    case HELP_CONTEXTMENU:
        // A table of (control id, topic id) pairs ending with (0, 0).
        for (auto* pair = reinterpret_cast<const DWORD*>(data); pair && (pair[0] || pair[1]); pair += 2)
            call.pairs.emplace_back(pair[0], pair[1]);
        break;
    case HELP_QUIT:
        result = TRUE;
        break;
    case HELP_CONTENTS:
    case HELP_CONTEXT:
    case HELP_FINDER:
        call.shown = open_help_file(call.file);
        result = call.shown ? TRUE : FALSE;
        break;
    default:
        break;
    }
    shell::testing::record(std::move(call));
    return result;
}
