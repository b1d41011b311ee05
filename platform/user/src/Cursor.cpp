// The standard cursors and the current one.

#include "State.h"

#include <user/Cursor.h>

#include <base/Errors.h>

#include <atomic>
#include <iterator>

namespace {

// One object per standard shape; its address is the shared handle.
struct StandardCursor {
    WORD id;
};

StandardCursor s_standard[] = { { 32512 }, { 32513 }, { 32514 }, { 32515 }, { 32642 }, { 32643 }, { 32644 },
    { 32645 }, { 32646 }, { 32648 }, { 32649 }, { 32650 } };

HCURSOR handle_of(StandardCursor& c)
{
    return reinterpret_cast<HCURSOR>(&c);
}

std::atomic<HCURSOR> s_current { handle_of(s_standard[0]) };

}

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name)
{
    if (!module && IS_INTRESOURCE(name)) {
        WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
        for (auto& c : s_standard)
            if (c.id == id)
                return handle_of(c);
    }
    SetLastError(gdi::kErrorResourceNameNotFound);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous = s_current.exchange(cursor);
    if (previous != cursor)
        user::detail::display_changed(); // the display shows it on the program's windows
    return previous;
}

HCURSOR GetCursor()
{
    return s_current.load();
}

WORD user::standard_cursor_id(HCURSOR cursor)
{
    for (auto& c : s_standard)
        if (handle_of(c) == cursor)
            return c.id;
    return 0;
}
