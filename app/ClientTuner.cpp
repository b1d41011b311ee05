// Asking the radio program for the tuner before TV takes it. Cards with a radio tuner fall into
// families by their device name; a running radio program is asked by family and may refuse.

#include "Client.h"

#include "PrivateMessages.h"

#include <settings/Settings.h>

#include <base/Text.h>
#include <user/Window.h>

#include <cstring>
#include <string_view>

namespace {

constexpr const char* RadioWindowClass = "Lunetto";

// The card family of a device name as the asking side sees it; 0 for none.
WPARAM card_family(std::string_view name)
{
    if (name.starts_with("Studio PCTV USB/Radio"))
        return 1;
    if (base::starts_with_ignoring_case(name, "MSVIDEO: Brooktree Bt848"))
        return 2;
    if (base::starts_with_ignoring_case(name, "3dfx 3500TV VPX") || base::starts_with_ignoring_case(name, "3dfx Voodoo3TV"))
        return 3;
    if (name.find("USB") != std::string_view::npos && name.find("TV") != std::string_view::npos)
        return 4;
    if (name.find("BtPCI") != std::string_view::npos || name.find("WDM") != std::string_view::npos)
        return 5;
    return 0;
}

}

bool TClient::CheckTunerOwner()
{
    const char* device = Settings.Tuner[0] ? Settings.Tuner : Settings.OpenedDeviceName;
    WPARAM family = card_family(device);
    if (!family)
        return true;
    HWND radio = FindWindowA(RadioWindowClass, nullptr);
    if (!radio)
        return true;
    return SendMessageA(radio, WM_TUNERREQUEST, family, TunerRequestLParam) != TunerRequestRefused;
}
