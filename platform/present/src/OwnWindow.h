#pragma once

// What the display's own modal windows (the message box, the popup menu) share: registering
// their class once, hit-testing their parts and matching a key to a label's "&" letter.

#include <user/User.h>

namespace present::detail {

// Registers a window class of `name` unless it exists already.
void register_own_class(const char* name, WNDPROC proc, int background_color);

// Whether client point (x, y) lies in `r`.
bool contains(const RECT& r, int x, int y);

// Whether `vk` is the letter after the first "&" of `label`.
bool is_mnemonic(const char* label, WPARAM vk);

}
