#include "UserProfiles.h"

#include <base/Home.h>
#include <base/Text.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>

namespace wmenc::detail {

namespace {

void report_once(const std::string& why)
{
    static std::once_flag once;
    std::call_once(once, [&] { std::fprintf(stderr, "orbivane: %s is ignored: %s\n", user_profiles_path().c_str(), why.c_str()); });
}

}

std::string user_profiles_path() { return base::platform_home() + "/wmprofiles.json"; }

std::vector<Profile> read_user_profiles()
{
    std::ifstream in(user_profiles_path());
    if (!in)
        return {};
    nlohmann::json file = nlohmann::json::parse(in, nullptr, false);
    if (!file.is_array()) {
        report_once("it does not hold a list of profiles");
        return {};
    }
    std::set<std::string> names;
    for (const Profile& p : standard_profiles()) {
        std::string folded;
        for (char c : p.name)
            folded += base::fold_ascii(c);
        names.insert(folded);
    }
    std::vector<Profile> profiles;
    for (const auto& entry : file) {
        if (!entry.is_object())
            continue;
        Profile p;
        p.name = entry.value("name", "");
        p.description = entry.value("description", "");
        p.width = entry.value("width", 0);
        p.height = entry.value("height", 0);
        p.frames_per_second = entry.value("framesPerSecond", 0);
        p.video_kbps = entry.value("videoKbps", 0);
        p.sample_rate = entry.value("sampleRate", 0);
        p.channels = entry.value("channels", 0);
        p.audio_kbps = entry.value("audioKbps", 0);
        std::string folded;
        for (char c : p.name)
            folded += base::fold_ascii(c);
        if (!is_recordable(p) || !names.insert(folded).second)
            continue;
        profiles.push_back(std::move(p));
    }
    return profiles;
}

bool write_user_profiles(const std::vector<Profile>& profiles)
{
    nlohmann::json file = nlohmann::json::array();
    for (const Profile& p : profiles) {
        file.push_back({ { "name", p.name }, { "description", p.description }, { "width", p.width }, { "height", p.height },
            { "framesPerSecond", p.frames_per_second }, { "videoKbps", p.video_kbps }, { "sampleRate", p.sample_rate },
            { "channels", p.channels }, { "audioKbps", p.audio_kbps } });
    }
    std::string path = user_profiles_path();
    std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out)
            return false;
        out << file.dump(2) << '\n';
        out.flush();
        if (!out)
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}
