// The graph's events: the queue the application reads (IMediaEvent, IMediaEventEx), the notices
// filters send (IMediaEventSink), and the graph's own handling of EC_COMPLETE.

#include "FilterGraphImpl.h"

#include <base/Clock.h>
#include <base/Sync.h>
#include <dshow/VfwErrors.h>
#include <user/Messages.h>

namespace dshow::detail {

namespace {

bool is_renderer(IBaseFilter* filter)
{
    CComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return false;
    bool connected_input = false;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        CComPtr<IPin> held;
        held.Attach(pin);
        PIN_DIRECTION direction = PINDIR_INPUT;
        pin->QueryDirection(&direction);
        if (direction == PINDIR_OUTPUT)
            return false;
        CComPtr<IPin> peer;
        if (SUCCEEDED(pin->ConnectedTo(&peer)) && peer)
            connected_input = true;
    }
    return connected_input;
}

bool ends_playback(LONG code) { return code == EC_COMPLETE || code == EC_ERRORABORT || code == EC_USERABORT; }

}

void FilterGraph::queue_event(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    {
        // The window hears of the event before any reader can take it.
        std::lock_guard guard(m_event_lock);
        m_events.push_back({ code, param1, param2 });
        if (m_event_handle)
            SetEvent(m_event_handle);
        if (m_notify_window && !(m_notify_flags & AM_MEDIAEVENT_NONOTIFY))
            PostMessageA(m_notify_window, m_notify_message, 0, m_notify_instance);
    }
    m_event_changed.notify_all();
}

void FilterGraph::forget_completion()
{
    std::lock_guard guard(m_event_lock);
    m_completed = false;
    m_completes = 0;
}

bool FilterGraph::completed() const
{
    std::lock_guard guard(m_event_lock);
    return m_completed;
}

void FilterGraph::reset_completion()
{
    int renderers = 0;
    for (auto& entry : snapshot()) {
        if (is_renderer(entry.filter))
            ++renderers;
    }
    std::lock_guard guard(m_event_lock);
    m_renderers = renderers;
    m_completes = 0;
    m_completed = false;
}

STDMETHODIMP FilterGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    if (code == EC_COMPLETE) {
        std::unique_lock guard(m_event_lock);
        if (m_handle_complete) {
            // One EC_COMPLETE for the whole graph, once every renderer has finished.
            if (m_completed || ++m_completes < m_renderers)
                return S_OK;
            m_completed = true;
            guard.unlock();
            queue_event(EC_COMPLETE, S_OK, 0);
            return S_OK;
        }
    }
    queue_event(code, param1, param2);
    return S_OK;
}

STDMETHODIMP FilterGraph::GetEventHandle(OAEVENT* handle)
{
    if (!handle)
        return E_POINTER;
    *handle = reinterpret_cast<OAEVENT>(m_event_handle);
    return S_OK;
}

STDMETHODIMP FilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout_ms)
{
    if (!code || !param1 || !param2)
        return E_POINTER;
    std::unique_lock guard(m_event_lock);
    auto ready = [this] { return !m_events.empty(); };
    if (!ready() && timeout_ms != 0) {
        if (static_cast<DWORD>(timeout_ms) == INFINITE)
            base::Clock::wait(guard, m_event_changed, ready);
        else
            base::Clock::wait_until(guard, m_event_changed, base::Clock::ticks_ms() + timeout_ms, ready);
    }
    if (!ready()) {
        *code = 0;
        *param1 = *param2 = 0;
        return E_ABORT;
    }
    Event event = m_events.front();
    m_events.pop_front();
    if (m_events.empty() && m_event_handle)
        ResetEvent(m_event_handle);
    *code = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}

STDMETHODIMP FilterGraph::WaitForCompletion(LONG timeout_ms, LONG* code)
{
    if (!code)
        return E_POINTER;
    *code = 0;
    {
        std::lock_guard guard(m_lock);
        if (m_state != State_Running)
            return VFW_E_WRONG_STATE;
    }
    std::unique_lock guard(m_event_lock);
    auto finished = [this] {
        for (auto& event : m_events) {
            if (ends_playback(event.code))
                return true;
        }
        return false;
    };
    if (static_cast<DWORD>(timeout_ms) == INFINITE)
        base::Clock::wait(guard, m_event_changed, finished);
    else
        base::Clock::wait_until(guard, m_event_changed, base::Clock::ticks_ms() + timeout_ms, finished);
    for (auto it = m_events.begin(); it != m_events.end(); ++it) {
        if (ends_playback(it->code)) {
            *code = it->code;
            m_events.erase(it);
            if (m_events.empty() && m_event_handle)
                ResetEvent(m_event_handle);
            return S_OK;
        }
    }
    return E_ABORT;
}

STDMETHODIMP FilterGraph::CancelDefaultHandling(LONG code)
{
    if (code != EC_COMPLETE)
        return E_INVALIDARG;
    std::lock_guard guard(m_event_lock);
    m_handle_complete = false;
    return S_OK;
}

STDMETHODIMP FilterGraph::RestoreDefaultHandling(LONG code)
{
    if (code != EC_COMPLETE)
        return E_INVALIDARG;
    std::lock_guard guard(m_event_lock);
    m_handle_complete = true;
    return S_OK;
}

// Event parameters are plain numbers here: nothing to free.
STDMETHODIMP FilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) { return S_OK; }

STDMETHODIMP FilterGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance)
{
    std::lock_guard guard(m_event_lock);
    m_notify_window = reinterpret_cast<HWND>(window);
    m_notify_message = static_cast<UINT>(message);
    m_notify_instance = instance;
    return S_OK;
}

STDMETHODIMP FilterGraph::SetNotifyFlags(LONG flags)
{
    if (flags != 0 && flags != AM_MEDIAEVENT_NONOTIFY)
        return E_INVALIDARG;
    std::lock_guard guard(m_event_lock);
    m_notify_flags = flags;
    return S_OK;
}

STDMETHODIMP FilterGraph::GetNotifyFlags(LONG* flags)
{
    if (!flags)
        return E_POINTER;
    std::lock_guard guard(m_event_lock);
    *flags = m_notify_flags;
    return S_OK;
}

}
