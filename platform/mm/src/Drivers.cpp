#include "Registry.h"

#include <mm/Mixer.h>
#include <mm/Notices.h>

#include <algorithm>
#include <map>
#include <mutex>

namespace mm {

namespace {

struct State {
    std::mutex lock;
    std::vector<std::shared_ptr<SoundDriver>> drivers;
    std::map<UINT_PTR, detail::OpenMixer> handles;
    UINT_PTR next_handle = 0x4000;
};

State& state()
{
    static State instance;
    return instance;
}

bool has(const SoundDriver& driver, detail::DeviceKind kind)
{
    switch (kind) {
    case detail::DeviceKind::WaveIn:
        return driver.wave_in().has_value();
    case detail::DeviceKind::WaveOut:
        return driver.wave_out().has_value();
    case detail::DeviceKind::Mixer:
        return driver.mixer().has_value();
    }
    return false;
}

}

void install(std::vector<std::shared_ptr<SoundDriver>> drivers)
{
    auto& s = state();
    std::lock_guard guard(s.lock);
    s.drivers = std::move(drivers);
}

std::vector<std::shared_ptr<SoundDriver>> installed()
{
    auto& s = state();
    std::lock_guard guard(s.lock);
    return s.drivers;
}

void SoundDriver::notify_change(DWORD control_id)
{
    std::vector<std::pair<HMIXER, HWND>> listeners;
    {
        auto& s = state();
        std::lock_guard guard(s.lock);
        for (auto& [value, open] : s.handles)
            if (open.driver.get() == this && open.callback)
                listeners.emplace_back(reinterpret_cast<HMIXER>(value), open.callback);
    }
    for (auto& [handle, window] : listeners)
        post_notice(window, MM_MIXM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(handle), static_cast<LPARAM>(control_id));
}

namespace detail {

std::optional<Device> device(DeviceKind kind, UINT index)
{
    auto& s = state();
    std::lock_guard guard(s.lock);
    UINT seen = 0;
    UINT mixers = 0;
    for (auto& driver : s.drivers) {
        std::optional<UINT> mixer_id;
        if (driver->mixer())
            mixer_id = mixers++;
        if (!has(*driver, kind))
            continue;
        if (seen++ == index)
            return Device { driver, mixer_id };
    }
    return std::nullopt;
}

UINT device_count(DeviceKind kind)
{
    auto& s = state();
    std::lock_guard guard(s.lock);
    return static_cast<UINT>(std::count_if(s.drivers.begin(), s.drivers.end(), [&](auto& d) { return has(*d, kind); }));
}

std::optional<UINT> device_index(const SoundDriver* driver, DeviceKind kind)
{
    auto& s = state();
    std::lock_guard guard(s.lock);
    UINT seen = 0;
    for (auto& d : s.drivers) {
        if (!has(*d, kind))
            continue;
        if (d.get() == driver)
            return seen;
        ++seen;
    }
    return std::nullopt;
}

HMIXER add_handle(OpenMixer mixer)
{
    auto& s = state();
    std::lock_guard guard(s.lock);
    UINT_PTR value = s.next_handle++;
    s.handles.emplace(value, std::move(mixer));
    return reinterpret_cast<HMIXER>(value);
}

bool remove_handle(HMIXER handle)
{
    auto& s = state();
    std::lock_guard guard(s.lock);
    return s.handles.erase(reinterpret_cast<UINT_PTR>(handle)) > 0;
}

std::optional<OpenMixer> find_handle(HMIXER handle)
{
    auto& s = state();
    std::lock_guard guard(s.lock);
    auto found = s.handles.find(reinterpret_cast<UINT_PTR>(handle));
    if (found == s.handles.end())
        return std::nullopt;
    auto& open = found->second;
    if (std::find(s.drivers.begin(), s.drivers.end(), open.driver) == s.drivers.end())
        return std::nullopt;
    return open;
}

}

}
