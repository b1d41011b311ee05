#pragma once

// A fresh, empty platform home for one test program, and the temporary folders its tests make.
//
// The test main calls start_temp_dir_janitor() and make_temp_home() before any test runs and
// points ORBIVANE_HOME and XDG_RUNTIME_DIR at folders below the home, so no test reads or writes
// the user's real settings and processes started by a test share the same home. Every folder
// made here is removed when the test program ends, however it ends: normally by the test main,
// and when the program is killed (a time-out) by the janitor, a process of its own that outlives
// it. ORBIVANE_KEEP_TEST_HOME keeps them all for a look afterwards.

#include <string>
#include <vector>

namespace test_support {

// Creates a new folder under the system temporary folder and returns its path; see TempDir for
// one that goes with its test.
std::string make_temp_dir(const char* prefix);
const std::vector<std::string>& made_temp_dirs();

// Removes a folder made by make_temp_dir with everything in it (unless the folders are kept).
void remove_temp_dir(const std::string& path);

// Removes every folder made by make_temp_dir (unless they are kept).
void remove_temp_dirs();

// Starts the process that removes the made folders once this process has ended, whether it ends
// or is killed. Called once, first thing in main, while the program has no other thread.
void start_temp_dir_janitor();

// The home made for this test program (empty before the test main has run).
const std::string& temp_home();

void set_temp_home(std::string path);

}
