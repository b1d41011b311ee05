#include <wmenc/Profiles.h>

#include "UserProfiles.h"

#include <base/Text.h>

namespace wmenc {

namespace {

Profile video(std::string name, int width, int height, int fps, int video_kbps, int rate, int channels, int audio_kbps)
{
    Profile p;
    p.name = std::move(name);
    p.width = width;
    p.height = height;
    p.frames_per_second = fps;
    p.video_kbps = video_kbps;
    p.sample_rate = rate;
    p.channels = channels;
    p.audio_kbps = audio_kbps;
    return p;
}

Profile audio(std::string name, int rate, int channels, int audio_kbps)
{
    return video(std::move(name), 0, 0, 0, 0, rate, channels, audio_kbps);
}

std::vector<Profile> make_table()
{
    std::vector<Profile> table {
        video("Video for single-channel ISDN (64 Kbps)", 176, 144, 15, 40, 22050, 1, 24),
        video("Video for e-mail and dual-channel ISDN (128 Kbps)", 320, 240, 15, 96, 22050, 2, 32),
        video("Video for LAN, cable modem, or xDSL (100 to 768 Kbps)", 320, 240, 25, 600, 44100, 2, 64),
        video("Video for broadband PAL (1500 Kbps)", 720, 576, 25, 1372, 44100, 2, 128),
        video("Screen capture with sound (320 Kbps)", 640, 480, 10, 288, 22050, 2, 32),
        video("Video only for LAN (500 Kbps)", 320, 240, 25, 500, 0, 0, 0),
        audio("Audio for FM radio quality for dial-up modems (28.8 Kbps stereo)", 22050, 2, 24),
        audio("Audio for near-CD quality (48 Kbps stereo)", 32000, 2, 48),
        audio("Audio for CD quality (64 Kbps stereo)", 44100, 2, 64),
    };
    table[0].description = "For single-channel ISDN connections: a small picture and mono sound.";
    table[1].description = "For e-mail attachments and dual-channel ISDN: a quarter-size picture and stereo sound.";
    table[2].description = "For local networks, cable modems and xDSL: a quarter-size picture at full frame rate.";
    table[3].description = "For broadband connections: the full PAL picture and CD-quality sound.";
    table[4].description = "For recordings of a computer screen with sound.";
    table[5].description = "For local networks: picture only, no sound.";
    table[6].description = "For sound in FM radio quality, playable over dial-up modems.";
    table[7].description = "For sound close to CD quality.";
    table[8].description = "For sound in CD quality.";
    return table;
}

}

const std::vector<Profile>& standard_profiles()
{
    static const std::vector<Profile> table = make_table();
    return table;
}

std::vector<Profile> all_profiles()
{
    std::vector<Profile> all = standard_profiles();
    for (Profile& p : detail::read_user_profiles())
        all.push_back(std::move(p));
    return all;
}

bool find_profile(std::string_view name, Profile& found)
{
    for (Profile& p : all_profiles()) {
        if (base::equals_ignoring_case(p.name, name)) {
            found = std::move(p);
            return true;
        }
    }
    return false;
}

bool is_recordable(const Profile& p, std::string* why)
{
    auto refuse = [why](const char* reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (p.name.empty())
        return refuse("The profile has no name.");
    if (!p.has_video() && !p.has_audio())
        return refuse("The profile records neither picture nor sound.");
    if (p.has_video()) {
        if (p.width < 16 || p.width > 1920 || p.height < 16 || p.height > 1088 || p.width % 2 || p.height % 2)
            return refuse("The profile's picture size cannot be recorded.");
        if (p.frames_per_second < 1 || p.frames_per_second > 60)
            return refuse("The profile's frame rate cannot be recorded.");
        if (p.video_kbps < 10 || p.video_kbps > 20000)
            return refuse("The profile's video bit rate cannot be recorded.");
    }
    if (p.has_audio()) {
        if (p.sample_rate < 8000 || p.sample_rate > 48000 || p.channels < 1 || p.channels > 2)
            return refuse("The profile's sound format cannot be recorded.");
        if (p.audio_kbps < 24 || p.audio_kbps > 320)
            return refuse("The profile's audio bit rate cannot be recorded.");
    }
    return true;
}

}
