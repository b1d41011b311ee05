#pragma once

// The program's options: /D (debug mode), /M (start minimised), /U (remove the automatic start and
// quit), with "-" in place of "/" and either case. An argument is an option only when it is two
// characters, the sign and a letter, so that absolute paths ("/usr/...") are not taken for one.
// Options are read in order and U ends the scan.

struct CommandLineOptions {
    bool debug = false;
    bool minimized = false;
    bool uninstall = false;
};

CommandLineOptions ParseCommandLine(int argc, char* argv[]);
