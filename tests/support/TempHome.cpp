#include "TempHome.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace test_support {

static std::string s_home;
static std::vector<std::string> s_made;

std::string make_temp_dir(const char* prefix)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("mkdtemp failed for " + pattern);
    s_made.emplace_back(buffer.data());
    return buffer.data();
}

const std::vector<std::string>& made_temp_dirs() { return s_made; }

const std::string& temp_home() { return s_home; }

void set_temp_home(std::string path) { s_home = std::move(path); }

}
