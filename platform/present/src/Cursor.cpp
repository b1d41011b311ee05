// The current cursor on the program's X windows, as X font cursors.

#include "Session.h"

#include <user/Cursor.h>

#include <X11/cursorfont.h>

namespace present::detail {

namespace {

// The X font shape for a standard cursor; none (-1) for a hidden or unknown one.
int x_shape(WORD id)
{
    switch (id) {
    case 32512: return XC_left_ptr;
    case 32513: return XC_xterm;
    case 32514: return XC_watch;
    case 32515: return XC_crosshair;
    case 32642: return XC_bottom_right_corner;
    case 32643: return XC_bottom_left_corner;
    case 32644: return XC_sb_h_double_arrow;
    case 32645: return XC_sb_v_double_arrow;
    case 32646: return XC_fleur;
    case 32648: return XC_X_cursor;
    case 32649: return XC_hand2;
    case 32650: return XC_watch;
    default: return -1;
    }
}

// An empty cursor: SetCursor(NULL) hides the pointer over the program's windows.
Cursor blank_cursor(Session& s)
{
    char bits = 0;
    Pixmap pixmap = XCreateBitmapFromData(s.display, s.root, &bits, 1, 1);
    XColor black {};
    Cursor cursor = XCreatePixmapCursor(s.display, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(s.display, pixmap);
    return cursor;
}

}

void sync_cursor(Session& s, XWin& w)
{
    HCURSOR current = GetCursor();
    int shape = current ? x_shape(user::standard_cursor_id(current)) : XC_num_glyphs;
    if (shape < 0)
        shape = XC_left_ptr;
    if (shape == w.cursor_shape)
        return;
    auto it = s.cursors.find(shape);
    if (it == s.cursors.end())
        it = s.cursors.emplace(shape, shape == XC_num_glyphs ? blank_cursor(s) : XCreateFontCursor(s.display, static_cast<unsigned>(shape))).first;
    XDefineCursor(s.display, w.id, it->second);
    w.cursor_shape = shape;
}

}
