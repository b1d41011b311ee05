#pragma once

// The user's own profiles, kept in "wmprofiles.json" in the platform home (internal): a JSON
// array of objects with the fields of wmenc::Profile ("name", "description", "width", "height",
// "framesPerSecond", "videoKbps", "sampleRate", "channels", "audioKbps"). A missing file is an
// empty list; an unreadable one too, reported once on standard error. Entries that cannot be
// recorded or whose name is taken already are left out.

#include <wmenc/Profiles.h>

#include <string>
#include <vector>

namespace wmenc::detail {

std::string user_profiles_path();
std::vector<Profile> read_user_profiles();
// Replaces the file atomically; false when it cannot be written.
bool write_user_profiles(const std::vector<Profile>& profiles);

}
