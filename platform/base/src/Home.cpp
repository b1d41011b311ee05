#include <base/Home.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace base {

static std::string env_or_empty(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : "";
}

std::string platform_home()
{
    std::string home = env_or_empty("ORBIVANE_HOME");
    if (home.empty()) {
        std::string config = env_or_empty("XDG_CONFIG_HOME");
        if (config.empty())
            config = env_or_empty("HOME") + "/.config";
        home = config + "/orbivane";
    }
    std::error_code ignored;
    std::filesystem::create_directories(home, ignored);
    return home;
}

std::string runtime_folder()
{
    std::string runtime = env_or_empty("XDG_RUNTIME_DIR");
    std::string folder = runtime.empty() ? platform_home() + "/run" : runtime + "/orbivane";
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), ignored);
    // Private from the start, whatever the umask.
    mkdir(folder.c_str(), 0700);
    return folder;
}

}
