#include <owl/EventHandler.h>

#include <user/Messages.h>

namespace OWL {

void TEventHandler::OnCommand(UINT id, CommandHandler handler)
{
    m_commands.insert_or_assign(id, std::move(handler));
}

void TEventHandler::OnCommandEnable(UINT id, EnableHandler handler)
{
    m_enablers.insert_or_assign(id, std::move(handler));
}

void TEventHandler::OnMessage(UINT message, MessageHandler handler)
{
    m_messages.insert_or_assign(message, std::move(handler));
}

UINT TEventHandler::OnRegisteredMessage(const char* name, MessageHandler handler)
{
    UINT message = RegisterWindowMessageA(name);
    if (message != 0)
        OnMessage(message, std::move(handler));
    return message;
}

void TEventHandler::OnChildNotify(UINT id, UINT code, NotifyHandler handler)
{
    m_notifications.insert_or_assign(std::pair(id, code), std::move(handler));
}

bool TEventHandler::DispatchChildNotify(UINT id, UINT code, LPARAM lparam, LRESULT& result)
{
    auto it = m_notifications.find(std::pair(id, code));
    if (it == m_notifications.end())
        return false;
    auto handler = it->second;
    result = handler(lparam);
    return true;
}

bool TEventHandler::DispatchCommand(UINT id)
{
    auto it = m_commands.find(id);
    if (it == m_commands.end())
        return false;
    auto handler = it->second; // the handler may change the table
    handler();
    return true;
}

bool TEventHandler::DispatchEnabler(TCommandEnabler& ce)
{
    auto it = m_enablers.find(ce.GetId());
    if (it == m_enablers.end())
        return false;
    auto handler = it->second;
    handler(ce);
    return true;
}

bool TEventHandler::DispatchMsg(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    auto it = m_messages.find(message);
    if (it == m_messages.end())
        return false;
    auto handler = it->second;
    result = handler(wparam, lparam);
    return true;
}

}
