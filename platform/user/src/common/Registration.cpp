// InitCommonControls(Ex): registers the common control classes.

#include "Common.h"

void InitCommonControls()
{
    INITCOMMONCONTROLSEX all { sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES };
    InitCommonControlsEx(&all);
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    if (init->dwICC & ICC_BAR_CLASSES)
        user::common::register_trackbar();
    if (init->dwICC & ICC_UPDOWN_CLASS)
        user::common::register_updown();
    if (init->dwICC & ICC_TAB_CLASSES)
        user::common::register_tab_control();
    if (init->dwICC & ICC_LISTVIEW_CLASSES)
        user::common::register_list_view();
    if (init->dwICC & ICC_TREEVIEW_CLASSES)
        user::common::register_tree_view();
    return TRUE;
}
