#include <shell/Dde.h>

#include <base/Text.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace shell {
namespace {

struct Conversation {
    DWORD instance;
    std::string service, topic;
};

struct Dde {
    std::mutex lock;
    std::map<std::pair<std::string, std::string>, DdeServer> servers; // folded (service, topic)
    std::map<DWORD, UINT> instances;                                 // instance -> last error
    DWORD next_instance = 1;
    std::map<UINT_PTR, std::string> strings;
    std::map<UINT_PTR, std::unique_ptr<Conversation>> conversations;
    std::map<UINT_PTR, std::string> data;
    UINT_PTR next_handle = 1;
    std::vector<testing::DdeCall> journal;

    UINT_PTR add_handle() { return next_handle++; }
    void fail(DWORD instance, UINT error)
    {
        if (auto it = instances.find(instance); it != instances.end())
            it->second = error;
    }
};

Dde& dde()
{
    static Dde state;
    return state;
}

template<typename Handle>
UINT_PTR key(Handle handle) { return reinterpret_cast<UINT_PTR>(handle); }
template<typename Handle>
Handle handle_of(UINT_PTR value) { return reinterpret_cast<Handle>(value); }

}

void register_dde_server(const std::string& service, const std::string& topic, DdeServer server)
{
    std::lock_guard guard(dde().lock);
    dde().servers[{ base::folded_ascii(service), base::folded_ascii(topic) }] = std::move(server);
}

void unregister_dde_server(const std::string& service, const std::string& topic)
{
    std::lock_guard guard(dde().lock);
    dde().servers.erase({ base::folded_ascii(service), base::folded_ascii(topic) });
}

}

namespace shell::testing {

std::vector<DdeCall> dde_journal()
{
    std::lock_guard guard(dde().lock);
    return dde().journal;
}

void clear_dde_journal()
{
    std::lock_guard guard(dde().lock);
    dde().journal.clear();
}

}

using shell::dde;

UINT DdeInitializeA(LPDWORD instance, PFNCALLBACK, DWORD, DWORD)
{
    if (!instance)
        return DMLERR_INVALIDPARAMETER;
    std::lock_guard guard(dde().lock);
    *instance = dde().next_instance++;
    dde().instances[*instance] = DMLERR_NO_ERROR;
    return DMLERR_NO_ERROR;
}

BOOL DdeUninitialize(DWORD instance)
{
    std::lock_guard guard(dde().lock);
    auto& state = dde();
    if (!state.instances.erase(instance))
        return FALSE;
    std::erase_if(state.conversations, [&](const auto& entry) { return entry.second->instance == instance; });
    return TRUE;
}

UINT DdeGetLastError(DWORD instance)
{
    std::lock_guard guard(dde().lock);
    auto it = dde().instances.find(instance);
    if (it == dde().instances.end())
        return DMLERR_DLL_NOT_INITIALIZED;
    UINT error = it->second;
    it->second = DMLERR_NO_ERROR;
    return error;
}

HSZ DdeCreateStringHandleA(DWORD instance, LPCSTR text, int)
{
    std::lock_guard guard(dde().lock);
    if (!dde().instances.count(instance) || !text)
        return nullptr;
    UINT_PTR handle = dde().add_handle();
    dde().strings[handle] = text;
    return shell::handle_of<HSZ>(handle);
}

BOOL DdeFreeStringHandle(DWORD instance, HSZ string)
{
    std::lock_guard guard(dde().lock);
    return dde().instances.count(instance) && dde().strings.erase(shell::key(string)) ? TRUE : FALSE;
}

HCONV DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT)
{
    std::lock_guard guard(dde().lock);
    auto& state = dde();
    if (!state.instances.count(instance))
        return nullptr;
    auto s = state.strings.find(shell::key(service));
    auto t = state.strings.find(shell::key(topic));
    if (s == state.strings.end() || t == state.strings.end()) {
        state.fail(instance, DMLERR_INVALIDPARAMETER);
        return nullptr;
    }
    bool found = state.servers.count({ base::folded_ascii(s->second), base::folded_ascii(t->second) }) > 0;
    state.journal.push_back({ s->second, t->second, {}, found });
    if (!found) {
        state.fail(instance, DMLERR_NO_CONV_ESTABLISHED);
        return nullptr;
    }
    UINT_PTR handle = state.add_handle();
    state.conversations[handle] = std::make_unique<shell::Conversation>(shell::Conversation { instance, s->second, t->second });
    return shell::handle_of<HCONV>(handle);
}

BOOL DdeDisconnect(HCONV conversation)
{
    std::lock_guard guard(dde().lock);
    return dde().conversations.erase(shell::key(conversation)) ? TRUE : FALSE;
}

HDDEDATA DdeClientTransaction(LPBYTE, DWORD, HCONV conversation, HSZ item, UINT format, UINT type, DWORD,
    LPDWORD result)
{
    if (result)
        *result = 0;
    shell::DdeServer server;
    std::string item_text;
    DWORD instance = 0;
    {
        std::lock_guard guard(dde().lock);
        auto& state = dde();
        auto c = state.conversations.find(shell::key(conversation));
        if (c == state.conversations.end())
            return nullptr;
        instance = c->second->instance;
        auto i = state.strings.find(shell::key(item));
        if (type != XTYP_REQUEST || i == state.strings.end()) {
            state.fail(instance, type != XTYP_REQUEST ? DMLERR_NOTPROCESSED : DMLERR_INVALIDPARAMETER);
            return nullptr;
        }
        item_text = i->second;
        auto s = state.servers.find({ base::folded_ascii(c->second->service), base::folded_ascii(c->second->topic) });
        if (s != state.servers.end())
            server = s->second;
    }
    // The server runs outside the lock, as another program would.
    std::optional<std::string> answer;
    if (server && format == CF_TEXT)
        answer = server(item_text);
    std::lock_guard guard(dde().lock);
    auto& state = dde();
    auto c = state.conversations.find(shell::key(conversation));
    state.journal.push_back({ c != state.conversations.end() ? c->second->service : std::string(),
        c != state.conversations.end() ? c->second->topic : std::string(), item_text, answer.has_value() });
    if (!answer) {
        state.fail(instance, DMLERR_DATAACKTIMEOUT);
        return nullptr;
    }
    UINT_PTR handle = state.add_handle();
    state.data[handle] = *answer + '\0';
    return shell::handle_of<HDDEDATA>(handle);
}

DWORD DdeGetData(HDDEDATA data, LPBYTE buffer, DWORD length, DWORD offset)
{
    std::lock_guard guard(dde().lock);
    auto it = dde().data.find(shell::key(data));
    if (it == dde().data.end() || offset > it->second.size())
        return 0;
    auto available = static_cast<DWORD>(it->second.size() - offset);
    if (!buffer)
        return available;
    DWORD copied = std::min(length, available);
    std::memcpy(buffer, it->second.data() + offset, copied);
    return copied;
}

BOOL DdeFreeDataHandle(HDDEDATA data)
{
    std::lock_guard guard(dde().lock);
    return dde().data.erase(shell::key(data)) ? TRUE : FALSE;
}
