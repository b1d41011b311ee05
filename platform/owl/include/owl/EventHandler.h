#pragma once

// TEventHandler: the response table of an object of the class library, and the dispatch through it.
//
// Each class adds its entries in its constructor: commands (a menu, accelerator or control id to a
// handler), command enablers (an id to the code that greys, checks or renames the item), window
// messages, and registered messages by name. A later entry for the same id replaces an earlier
// one, so a derived class overrides its bases. Classes that share TEventHandler as a virtual base
// share one table. A child notification (a control's WM_COMMAND code, or a WM_NOTIFY code) is
// looked up by the control id and the code; its handler gets the message's lParam (the control
// window, or the NMHDR).
//
//     OnCommand(24310, [this] { CmExit(); });
//     OnCommandEnable(1816, [this](TCommandEnabler& ce) { ce.SetCheck(muted); });
//     OnRegisteredMessage("MRUFILEMESSAGE", [this](WPARAM id, LPARAM) { return OpenRecent(id); });
//     OnChildNotify(601, LVN_COLUMNCLICK, [this](LPARAM nm) { return ColumnClick(nm); });

#include <owl/CommandEnabler.h>

#include <base/Types.h>

#include <functional>
#include <map>

namespace OWL {

// A child notification entry for any control id (a property sheet's notifications to its page).
constexpr UINT AnyControlId = 0xFFFFFFFFu;

class TEventHandler {
public:
    using CommandHandler = std::function<void()>;
    using EnableHandler = std::function<void(TCommandEnabler&)>;
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    using NotifyHandler = std::function<LRESULT(LPARAM)>;

    TEventHandler() = default;
    virtual ~TEventHandler() = default;

    TEventHandler(const TEventHandler&) = delete;
    TEventHandler& operator=(const TEventHandler&) = delete;

    void OnCommand(UINT id, CommandHandler handler);
    void OnCommandEnable(UINT id, EnableHandler handler);
    void OnMessage(UINT message, MessageHandler handler);
    // Registers the name (RegisterWindowMessageA) and returns the message number.
    UINT OnRegisteredMessage(const char* name, MessageHandler handler);
    void OnChildNotify(UINT id, UINT code, NotifyHandler handler);

    bool HasCommand(UINT id) const { return m_commands.contains(id); }
    bool HasEnabler(UINT id) const { return m_enablers.contains(id); }

    // Runs the command's handler; false when this table has none.
    bool DispatchCommand(UINT id);
    // Runs the enabler for ce's id; false when this table has none (ce is left as it was).
    bool DispatchEnabler(TCommandEnabler& ce);
    // Runs the message's handler and stores its answer; false when this table has none.
    bool DispatchMsg(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
    // Runs the handler of a control's notification and stores its answer; false when none.
    bool DispatchChildNotify(UINT id, UINT code, LPARAM lparam, LRESULT& result);

    // Called for each table along the command route when a popup menu opens, before the
    // enablers run; a table may add or remove items.
    virtual void PreparePopupMenu(HMENU) { }

private:
    std::map<UINT, CommandHandler> m_commands;
    std::map<UINT, EnableHandler> m_enablers;
    std::map<UINT, MessageHandler> m_messages;
    std::map<std::pair<UINT, UINT>, NotifyHandler> m_notifications;
};

}
