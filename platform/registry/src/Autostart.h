#pragma once

// The Run keys as the desktop's list of programs started at log-on.
//
// On Windows, each value of SOFTWARE\Microsoft\Windows\CurrentVersion\Run (in the machine's and
// the user's hive) is a command line run at log-on. Here the same list is kept as XDG autostart
// entries: each time the local machine's or the current user's hive is saved, the folder
// $XDG_CONFIG_HOME/autostart (else ~/.config/autostart) gets one "<name>.desktop" per Run value of
// either hive, and loses the entries made for values that are gone. Entries this layer did not
// make are never touched; each entry it makes carries the line "X-Orbivane-Run=<value name>".

#include "Key.h"

#include <string>
#include <string_view>

namespace registry {

// Creates the Run key in a hive's tree when it is missing (every machine has one in both hives),
// spelled as the machine's (`machine`) or the user's hive spells it.
void ensure_run_key(Key& root, bool machine, const FILETIME& now);
// Makes the autostart folder match the Run values of the two trees.
void sync_autostart(const Key& machine, const Key& user);

// The Exec line of a desktop entry for a Windows command line: the program's path in Linux form,
// quoted and escaped as the desktop entry format asks, then the arguments as given.
std::string desktop_exec(std::string_view command_line);

}
