#include <mm/Notices.h>

#include <user/Messages.h>

#include <mutex>

namespace mm {

namespace {

std::mutex poster_lock;

NoticePoster& current_poster()
{
    static NoticePoster poster = [](HWND w, UINT m, WPARAM wp, LPARAM lp) { PostMessageA(w, m, wp, lp); };
    return poster;
}

}

NoticePoster set_notice_poster(NoticePoster poster)
{
    std::lock_guard guard(poster_lock);
    std::swap(current_poster(), poster);
    return poster;
}

void post_notice(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    NoticePoster poster;
    {
        std::lock_guard guard(poster_lock);
        poster = current_poster();
    }
    if (poster)
        poster(window, message, wparam, lparam);
}

}
