#include <owl/WaitCursor.h>

#include <user/Cursor.h>

namespace OWL {

thread_local int TWaitCursor::s_depth = 0;
thread_local HCURSOR TWaitCursor::s_saved = nullptr;

TWaitCursor::TWaitCursor()
{
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (s_depth++ == 0)
        s_saved = previous;
}

TWaitCursor::~TWaitCursor()
{
    if (--s_depth == 0)
        SetCursor(s_saved);
}

}
