// Sharing the tuner with the radio program. Cards with a radio tuner fall into families by their
// device name. Before TV takes the card a running radio program is asked by family and may refuse;
// when the radio program asks in turn, TV gives the card up unless it is busy recording.

#include "Client.h"

#include "PrivateMessages.h"
#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <settings/Settings.h>

#include <base/Text.h>
#include <user/Window.h>

#include <cstring>
#include <string_view>

namespace {

constexpr const char* RadioWindowClass = "Lunetto";
constexpr const char* PctvRadioPrefix = "Studio PCTV USB/Radio";

// A radio program that does not answer within this time does not keep TV from starting.
constexpr UINT RadioAnswerTimeoutMs = 3000;

// The card family of a device name as the asking side sees it; 0 for none.
WPARAM card_family(std::string_view name)
{
    if (name.starts_with(PctvRadioPrefix))
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

// Whether a device name belongs to `family` as the side that is asked sees it: the same rules,
// except that family 1 ignores case.
bool in_family(std::string_view name, WPARAM family)
{
    if (family == 1)
        return base::starts_with_ignoring_case(name, PctvRadioPrefix);
    return family != 0 && card_family(name) == family;
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
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(radio, WM_TUNERREQUEST, family, TunerRequestLParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
            RadioAnswerTimeoutMs, &answer))
        return true;
    return static_cast<LRESULT>(answer) != TunerRequestRefused;
}

LRESULT TClient::ReleaseTunerRequest(WPARAM family, LPARAM)
{
    if (family < 1 || family > 5)
        return 0;
    if (!Tv && !m_busy)
        return 0;
    const char* device = Settings.Tuner[0] ? Settings.Tuner
        : Tv                               ? Tv->GetDeviceName()
                                           : Settings.OpenedDeviceName;
    if (!in_family(device, family))
        return 0;
    if (Tv && Tv->IsRecording())
        return TunerRequestRefused;
    if (m_busy)
        return TunerRequestRefused;
    SetTvMode(false, false);
    if (Tv) {
        delete Tv;
        Tv = nullptr;
    }
    return 0;
}
