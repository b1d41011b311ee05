#include <base/Clock.h>
#include <base/Errors.h>
#include <base/Sync.h>
#include <base/Text.h>

#include <map>
#include <string>
#include <vector>

namespace base {

std::mutex& sync_mutex()
{
    static std::mutex mutex;
    return mutex;
}

std::condition_variable& sync_changed()
{
    static std::condition_variable cv;
    return cv;
}

namespace {

class Event final : public Waitable {
public:
    Event(bool manual, bool initial, std::string name)
        : m_manual(manual)
        , m_state(initial)
        , m_name(std::move(name))
    {
    }
    ~Event() override;
    bool signalled() const override { return m_state; }
    void consume() override
    {
        if (!m_manual)
            m_state = false;
    }
    void set(bool state) { m_state = state; }

private:
    bool m_manual;
    bool m_state;
    std::string m_name;
};

// Named events of this process, by name ignoring case; the entries do not keep them alive.
std::mutex s_names_mutex;
std::map<std::string, std::weak_ptr<Event>> s_named;

Event::~Event()
{
    if (m_name.empty())
        return;
    std::lock_guard lock(s_names_mutex);
    auto it = s_named.find(folded_ascii(m_name));
    if (it != s_named.end() && it->second.expired())
        s_named.erase(it);
}

bool set_event_state(HANDLE handle, bool state)
{
    auto event = Handles::get<Event>(handle);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    {
        std::lock_guard lock(sync_mutex());
        event->set(state);
    }
    sync_changed().notify_all();
    return true;
}

}

}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manual_reset, BOOL initial_state, LPCSTR name)
{
    using namespace base;
    std::string event_name = name ? name : "";
    if (event_name.empty()) {
        SetLastError(ERROR_SUCCESS);
        return Handles::add(std::make_shared<Event>(manual_reset, initial_state, ""));
    }
    std::lock_guard lock(s_names_mutex);
    auto& slot = s_named[folded_ascii(event_name)];
    if (auto existing = slot.lock()) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return Handles::add(existing);
    }
    auto event = std::make_shared<Event>(manual_reset, initial_state, event_name);
    slot = event;
    SetLastError(ERROR_SUCCESS);
    return Handles::add(event);
}

BOOL SetEvent(HANDLE event) { return base::set_event_state(event, true); }

BOOL ResetEvent(HANDLE event) { return base::set_event_state(event, false); }

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &handle, TRUE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all, DWORD milliseconds)
{
    using namespace base;
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<Waitable>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto object = Handles::get<Waitable>(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    DWORD result = WAIT_TIMEOUT;
    auto ready = [&] {
        if (wait_all) {
            for (auto& object : objects)
                if (!object->signalled())
                    return false;
            for (auto& object : objects)
                object->consume();
            result = WAIT_OBJECT_0;
            return true;
        }
        for (DWORD i = 0; i < count; ++i) {
            if (objects[i]->signalled()) {
                objects[i]->consume();
                result = WAIT_OBJECT_0 + i;
                return true;
            }
        }
        return false;
    };
    std::unique_lock lock(sync_mutex());
    if (milliseconds == INFINITE)
        Clock::wait(lock, sync_changed(), ready);
    else if (milliseconds == 0)
        ready();
    else
        Clock::wait_until(lock, sync_changed(), Clock::ticks_ms() + milliseconds, ready);
    return result;
}
