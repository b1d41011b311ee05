// Finding the child window under a point.

#include <user/Controls.h>

HWND ChildWindowFromPoint(HWND parent, POINT point)
{
    RECT client;
    if (!GetClientRect(parent, &client))
        return nullptr;
    if (point.x < client.left || point.x >= client.right || point.y < client.top || point.y >= client.bottom)
        return nullptr;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<LPPOINT>(&r), 2);
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom)
            return child;
    }
    return parent;
}
