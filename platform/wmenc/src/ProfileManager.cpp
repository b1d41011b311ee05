#include <wmenc/ProfileManager.h>

#include "Core.h"
#include "ProfileEditor.h"
#include "UserProfiles.h"

#include <base/Text.h>
#include <user/Window.h>

#include <algorithm>

namespace wmenc {

std::string describe_profile(const Profile& p)
{
    std::string text = p.description;
    auto line = [&text](const std::string& more) {
        if (!text.empty())
            text += "\r\n";
        text += more;
    };
    if (p.has_video()) {
        line("Picture " + std::to_string(p.width) + " x " + std::to_string(p.height) + " at " + std::to_string(p.frames_per_second)
            + " frames per second, " + std::to_string(p.video_kbps) + " Kbps.");
    }
    if (p.has_audio()) {
        // 22050 Hz reads "22.05 kHz", 32000 Hz "32 kHz".
        std::string rate = std::to_string(p.sample_rate / 1000);
        if (int part = p.sample_rate % 1000) {
            std::string digits = std::to_string(1000 + part).substr(1);
            rate += '.';
            rate.append(digits, 0, digits.find_last_not_of('0') + 1);
        }
        line("Sound " + rate + " kHz " + (p.channels == 2 ? "stereo" : "mono") + ", " + std::to_string(p.audio_kbps) + " Kbps.");
    }
    return text;
}

bool add_user_profile(const Profile& profile)
{
    if (!is_recordable(profile))
        return false;
    for (const Profile& standard : standard_profiles()) {
        if (base::equals_ignoring_case(standard.name, profile.name))
            return false;
    }
    std::vector<Profile> mine = detail::read_user_profiles();
    std::erase_if(mine, [&](const Profile& p) { return base::equals_ignoring_case(p.name, profile.name); });
    mine.push_back(profile);
    return detail::write_user_profiles(mine);
}

bool remove_user_profile(std::string_view name)
{
    std::vector<Profile> mine = detail::read_user_profiles();
    auto removed = std::erase_if(mine, [&](const Profile& p) { return base::equals_ignoring_case(p.name, name); });
    return removed > 0 && detail::write_user_profiles(mine);
}

namespace detail {

namespace {

class ProfileManager final : public com::Object<IWMEncProfileManager> {
public:
    COM_NO_DISPATCH
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP EditProfiles(LONG, LONG, LONG) override
    {
        run_profile_editor(GetActiveWindow());
        return S_OK;
    }
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP GetDetailsString(BSTR name, LONG, BSTR* details) override
    {
        if (!details)
            return E_POINTER;
        *details = nullptr;
        Profile found;
        if (!name || !find_profile(base::to_utf8(std::u16string_view(name, SysStringLen(name))), found))
            return E_INVALIDARG;
        return copy_out(base::to_utf16(describe_profile(found)), details);
    }
};

}

HRESULT create_profile_manager(IUnknown* outer, REFIID iid, void** out) { return com::create_instance<ProfileManager>(outer, iid, out); }

}

}
