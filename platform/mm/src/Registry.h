#pragma once

// The area's shared state: the installed cards, their numbering and the open mixer handles.
// Callers never hold the state's lock while they talk to a driver.

#include <mm/SoundDriver.h>

#include <memory>
#include <vector>

namespace mm::detail {

enum class DeviceKind {
    WaveIn,
    WaveOut,
    Mixer,
};

// The driver of device `index` of a kind, with its card's mixer number (nullopt without mixer).
struct Device {
    std::shared_ptr<SoundDriver> driver;
    std::optional<UINT> mixer_id;
};
std::optional<Device> device(DeviceKind kind, UINT index);
UINT device_count(DeviceKind kind);
// The wave device number of a card's device of a kind; nullopt when it has none.
std::optional<UINT> device_index(const SoundDriver* driver, DeviceKind kind);

struct OpenMixer {
    std::shared_ptr<SoundDriver> driver;
    UINT mixer_id = 0;
    HWND callback = nullptr;
};
HMIXER add_handle(OpenMixer mixer);
bool remove_handle(HMIXER handle);
// The open mixer a handle names; nullopt when closed, unknown or its card was removed.
std::optional<OpenMixer> find_handle(HMIXER handle);

}
