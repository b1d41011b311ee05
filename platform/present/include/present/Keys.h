#pragma once

// The virtual key of an X keysym, for the keys the program handles: letters (either case),
// digits, arrows, Page Up/Down, Home, End, Insert, Delete, Enter, Tab, Backspace, Space, Escape,
// F1 to F12, Shift, Control and Alt. 0 for any other keysym.

#include <base/Types.h>

namespace present {

UINT vk_from_keysym(unsigned long keysym);

}
