#pragma once

// The encoder's profiles: what a recording's streams are. A profile has a name (by which the
// program stores and finds it), a picture size, frame rate and video bit rate when it records a
// picture, and a sound sampling rate, channel count and audio bit rate when it records sound.
//
// The standard profiles are a fixed table; the user may keep more in "wmprofiles.json" in the
// platform home, which the profile manager reads and writes (ProfileManager.h). The encoder's
// profile collection lists the standard profiles first, then the user's, in file order.
//
//     for (const wmenc::Profile& p : wmenc::all_profiles()) ...
//     const wmenc::Profile* p = wmenc::find_profile("Video for e-mail and dual-channel ISDN (128 Kbps)");

#include <string>
#include <string_view>
#include <vector>

namespace wmenc {

struct Profile {
    std::string name;
    std::string description;
    // Picture; none when video_kbps is 0.
    int width = 0;
    int height = 0;
    int frames_per_second = 0;
    int video_kbps = 0;
    // Sound; none when audio_kbps is 0.
    int sample_rate = 0;
    int channels = 0;
    int audio_kbps = 0;

    bool has_video() const { return video_kbps > 0; }
    bool has_audio() const { return audio_kbps > 0; }
    // Both streams' bit rates, in bits per second.
    int total_bits_per_second() const { return (video_kbps + audio_kbps) * 1000; }
};

// The standard profiles, in their fixed order.
const std::vector<Profile>& standard_profiles();
// The standard profiles followed by the user's (read from the platform home on every call).
std::vector<Profile> all_profiles();
// The profile named `name` (ASCII case ignored) among all_profiles(); false when there is none.
bool find_profile(std::string_view name, Profile& found);
// Whether the encoder can record `profile`: sizes even and 16..1920 x 16..1088, 1..60 frames per
// second, video 10..20000 kbps; sound 8000..48000 Hz, 1 or 2 channels, 24..320 kbps; at least one
// of the two. The reason in *why when not.
bool is_recordable(const Profile& profile, std::string* why = nullptr);

}
