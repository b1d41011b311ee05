#pragma once

// The virtual machine's clock: a platform home may hold `clock.txt` with a local date and time
// ("2026-03-01 20:00:30"); the program's start-up then runs on a virtual clock from that moment
// (base/Clock.h), so time passes only as the program waits: a scheduled event minutes ahead comes
// at once, and the end-to-end tests of unattended work cost no real time.
//
//     sim::install_machine_clock();   // start-up, before anything reads the time

#include <string>

namespace sim {

// Installs the virtual clock `clock.txt` asks for; false (the real clock stays) when there is no
// such file or it holds no date and time, with the reason on standard error for a bad file.
bool install_machine_clock();
std::string machine_clock_path();

}
