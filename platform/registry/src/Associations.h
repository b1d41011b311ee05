#pragma once

// The class root's file associations that every desktop has: web pages (".htm" of the class
// "htmlfile", opened by "xdg-open \"%1\""), so a program looking up how to open a web address finds
// the desktop's browser. Added when the class root's tree is loaded without them.

#include "Key.h"

namespace registry {

void ensure_web_association(Key& root, const FILETIME& now);

}
