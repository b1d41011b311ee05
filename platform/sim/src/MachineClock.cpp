#include <sim/MachineClock.h>

#include <base/Clock.h>
#include <base/Home.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace sim {

std::string machine_clock_path()
{
    return base::platform_home() + "/clock.txt";
}

bool install_machine_clock()
{
    std::string path = machine_clock_path();
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored))
        return false;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    int year, month, day, hour, minute, second;
    char end;
    if (std::sscanf(line.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second, &end) != 6
        || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
        std::fprintf(stderr, "orbivane: %s: expected a local date and time like 2026-03-01 20:00:30; the real clock is used\n",
            path.c_str());
        return false;
    }
    base::Clock::install_virtual(base::Clock::make_wall_ms(year, month, day, hour, minute, second));
    return true;
}

}
