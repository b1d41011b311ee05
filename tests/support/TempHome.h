#pragma once

// A fresh, empty platform home for one test program.
//
// The test main calls make_temp_home() before any test runs and points ORBIVANE_HOME and
// XDG_RUNTIME_DIR at folders below it, so no test reads or writes the user's real settings
// and processes started by a test share the same home.

#include <string>
#include <vector>

namespace test_support {

// Creates a new folder under the system temporary folder and returns its path. The test main
// removes every folder made so at its end.
std::string make_temp_dir(const char* prefix);
const std::vector<std::string>& made_temp_dirs();

// The home made for this test program (empty before the test main has run).
const std::string& temp_home();

void set_temp_home(std::string path);

}
