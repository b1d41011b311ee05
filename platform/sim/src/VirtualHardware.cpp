#include <sim/HardwareFile.h>
#include <sim/PropertyPages.h>
#include <sim/VirtualHardware.h>

#include "CaptureFilter.h"

#include <base/Errors.h>
#include <base/Text.h>
#include <dshow/DeviceEnumerator.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

namespace sim {

namespace {

struct Installed {
    std::shared_ptr<detail::CardState> state;
    int device_id;
};

std::mutex g_lock;
std::vector<Installed> g_installed;

constexpr DWORD kErrorBusy = 170;

HRESULT bind_card(const std::shared_ptr<detail::CardState>& state, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    int bind = ++state->binds;
    if (state->card.always_fail_bind || bind <= state->card.fail_first_binds)
        return E_FAIL;
    if (state->card.busy_while_open && state->live > 0)
        return HRESULT_FROM_WIN32(kErrorBusy);
    return com::create_instance<detail::CaptureFilter>(nullptr, iid, out, state);
}

}

void uninstall_cards()
{
    std::lock_guard guard(g_lock);
    for (const Installed& card : g_installed)
        dshow::unregister_device(card.device_id);
    g_installed.clear();
    uninstall_bt848_driver();
}

void install_cards(const std::vector<CaptureCard>& cards)
{
    register_property_pages();
    uninstall_cards();
    std::lock_guard guard(g_lock);
    int index = 0;
    for (const CaptureCard& card : cards) {
        auto state = std::make_shared<detail::CardState>(card);
        std::u16string path = u"\\\\?\\sim#capture#" + base::to_utf16(std::to_string(index++));
        int id = dshow::register_device({ CLSID_VideoInputDeviceCategory, card.name, CLSID_SimCaptureFilter, path,
            [state](IUnknown*, REFIID iid, void** out) { return bind_card(state, iid, out); }, card.name_readable });
        g_installed.push_back({ state, id });
        if (card.bt848)
            install_bt848_driver(*card.bt848);
    }
}

bool install_machine(std::string* error)
{
    std::string path = hardware_file_path();
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        install_cards(default_machine());
        return true;
    }
    std::string reason;
    auto cards = load_hardware(path, &reason);
    if (!cards) {
        std::fprintf(stderr, "orbivane: %s; the default machine is used\n", reason.c_str());
        if (error)
            *error = reason;
    }
    install_cards(cards ? *cards : default_machine());
    return cards.has_value();
}

int card_binds(std::size_t index)
{
    std::lock_guard guard(g_lock);
    return index < g_installed.size() ? g_installed[index].state->binds.load() : 0;
}

int card_filters_alive(std::size_t index)
{
    std::lock_guard guard(g_lock);
    return index < g_installed.size() ? g_installed[index].state->live.load() : 0;
}

HRESULT create_capture_filter(const CaptureCard& card, REFIID iid, void** out)
{
    register_property_pages();
    return com::create_instance<detail::CaptureFilter>(nullptr, iid, out, std::make_shared<detail::CardState>(card));
}

}
