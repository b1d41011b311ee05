#pragma once

// Where the platform keeps its persistent state: the registry hives and hardware.json.
//
// The platform home is $ORBIVANE_HOME when set, else $XDG_CONFIG_HOME/orbivane, else
// ~/.config/orbivane. The runtime folder, shared by all processes of the user (published windows,
// the desktop's sockets), is $XDG_RUNTIME_DIR/orbivane, else <home>/run. Both are Linux paths and
// are created on first use; the runtime folder is made readable by its owner only.

#include <string>

namespace base {

std::string platform_home();
std::string runtime_folder();

}
