// The process's top-level windows as the shared desktop sees them, and the foreign desktop.

#include "State.h"

#include <user/SharedDesktop.h>

#include <base/Process.h>

#include <atomic>

namespace user::shared {
void publish();
}

namespace user::detail {

namespace {

std::atomic<DesktopObserver> s_observer { nullptr };
std::atomic<ForeignDesktop*> s_foreign { nullptr };

}

void desktop_changed()
{
    start_shared_desktop();
    shared::publish();
    if (auto observer = s_observer.load())
        observer();
    display_changed();
}

ForeignDesktop* foreign()
{
    start_shared_desktop();
    return s_foreign.load();
}

bool install_foreign_if_none(ForeignDesktop* desktop)
{
    ForeignDesktop* none = nullptr;
    return s_foreign.compare_exchange_strong(none, desktop);
}

std::vector<TopLevelWindow> foreign_windows()
{
    if (auto f = foreign())
        return f->windows();
    return {};
}

}

namespace user {

using namespace detail;

std::vector<TopLevelWindow> top_level_windows()
{
    Guard guard(lock());
    std::vector<TopLevelWindow> out;
    for (HWND h : desktop().children) {
        auto w = find(h);
        if (!w || w->life == Life::Gone)
            continue;
        out.push_back({ h, w->cls ? w->cls->name : std::string(), w->text, GetCurrentProcessId(), w->thread, w->style,
            w->ex_style, w->rect, w->show_calls });
    }
    return out;
}

void set_desktop_observer(DesktopObserver observer)
{
    s_observer.store(observer);
}

void set_foreign_desktop(ForeignDesktop* desktop)
{
    s_foreign.store(desktop);
}

DWORD window_process(HWND window)
{
    auto value = reinterpret_cast<std::uintptr_t>(window);
    return static_cast<DWORD>(static_cast<std::uint64_t>(value) >> 32);
}

bool is_local_window(HWND window)
{
    return window == desktop_handle() || window_process(window) == GetCurrentProcessId();
}

}
