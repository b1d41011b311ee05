#pragma once

// How the multimedia drivers reach windows: a mixer's change notices are posted through one
// poster function, PostMessageA unless a test replaces it (an empty function drops notices).
//
//     mm::set_notice_poster([](HWND w, UINT m, WPARAM wp, LPARAM lp) { log.push_back(m); });

#include <base/Types.h>

#include <functional>

namespace mm {

using NoticePoster = std::function<void(HWND window, UINT message, WPARAM wparam, LPARAM lparam)>;

// Replaces the poster; an empty function drops notices. Returns the previous one.
NoticePoster set_notice_poster(NoticePoster poster);
// Posts one notice through the current poster.
void post_notice(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}
