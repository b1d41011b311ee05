#pragma once

// The common controls: trackbar, up-down, tab control, list view (report view) and tree view,
// with their messages, structures and notifications.
//
// InitCommonControls (or InitCommonControlsEx for some ICC_ classes) registers the window classes;
// templates and CreateWindowExA then use them by name. Each control paints itself in one plain
// style (system colours, the dialog font) and reports user actions to its parent: the trackbar
// and up-down with WM_HSCROLL / WM_VSCROLL, the others with WM_NOTIFY (NMHDR first). Programmatic
// changes send no notification, except where noted (list-view state changes send LVN_ITEMCHANGED).
//
//     InitCommonControls();
//     HWND slider = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 150, 24,
//         dialog, reinterpret_cast<HMENU>(1818), nullptr, nullptr);
//     SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));

#include <user/Window.h>

#define TRACKBAR_CLASSA "msctls_trackbar32"
#define UPDOWN_CLASSA "msctls_updown32"
#define WC_TABCONTROLA "SysTabControl32"
#define WC_LISTVIEWA "SysListView32"
#define WC_TREEVIEWA "SysTreeView32"

#define ICC_LISTVIEW_CLASSES 0x00000001u
#define ICC_TREEVIEW_CLASSES 0x00000002u
#define ICC_BAR_CLASSES 0x00000004u
#define ICC_TAB_CLASSES 0x00000008u
#define ICC_UPDOWN_CLASS 0x00000010u
#define ICC_WIN95_CLASSES 0x000000FFu

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};

// Registers every common control class.
void InitCommonControls();
// Registers the classes of dwICC; FALSE for a wrong dwSize.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

// The header of every WM_NOTIFY.
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
using LPNMHDR = NMHDR*;

#define NM_CLICK (0u - 2u)
#define NM_DBLCLK (0u - 3u)
#define NM_RETURN (0u - 4u)
#define NM_RCLICK (0u - 5u)
#define NM_SETFOCUS (0u - 7u)
#define NM_KILLFOCUS (0u - 8u)

// Trackbar.
#define TBS_AUTOTICKS 0x0001u
#define TBS_VERT 0x0002u
#define TBS_HORZ 0x0000u
#define TBS_NOTICKS 0x0010u
#define TBS_ENABLESELRANGE 0x0020u
#define TBS_NOTHUMB 0x0080u

#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_SETTIC (WM_USER + 4)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)
#define TBM_CLEARTICS (WM_USER + 9)
#define TBM_SETSEL (WM_USER + 10)
#define TBM_SETSELSTART (WM_USER + 11)
#define TBM_SETSELEND (WM_USER + 12)
#define TBM_GETNUMTICS (WM_USER + 16)
#define TBM_GETSELSTART (WM_USER + 17)
#define TBM_GETSELEND (WM_USER + 18)
#define TBM_CLEARSEL (WM_USER + 19)
#define TBM_SETTICFREQ (WM_USER + 20)
#define TBM_SETPAGESIZE (WM_USER + 21)
#define TBM_GETPAGESIZE (WM_USER + 22)
#define TBM_SETLINESIZE (WM_USER + 23)
#define TBM_GETLINESIZE (WM_USER + 24)
#define TBM_GETTHUMBRECT (WM_USER + 25)

// WM_HSCROLL codes of a trackbar.
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

// Up-down.
#define UDS_WRAP 0x0001u
#define UDS_SETBUDDYINT 0x0002u
#define UDS_ALIGNRIGHT 0x0004u
#define UDS_ALIGNLEFT 0x0008u
#define UDS_AUTOBUDDY 0x0010u
#define UDS_ARROWKEYS 0x0020u
#define UDS_HORZ 0x0040u
#define UDS_NOTHOUSANDS 0x0080u

#define UDM_SETRANGE (WM_USER + 101)
#define UDM_GETRANGE (WM_USER + 102)
#define UDM_SETPOS (WM_USER + 103)
#define UDM_GETPOS (WM_USER + 104)
#define UDM_SETBUDDY (WM_USER + 105)
#define UDM_GETBUDDY (WM_USER + 106)
#define UDM_SETRANGE32 (WM_USER + 111)
#define UDM_GETRANGE32 (WM_USER + 112)
#define UDM_SETPOS32 (WM_USER + 113)
#define UDM_GETPOS32 (WM_USER + 114)

#define UDN_DELTAPOS (0u - 722u)
struct NMUPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
};

// Tab control.
#define TCM_FIRST 0x1300
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETITEMA (TCM_FIRST + 5)
#define TCM_SETITEMA (TCM_FIRST + 6)
#define TCM_INSERTITEMA (TCM_FIRST + 7)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCM_GETROWCOUNT (TCM_FIRST + 44)

// Tab control styles.
#define TCS_MULTILINE 0x0200

#define TCIF_TEXT 0x0001u
#define TCIF_IMAGE 0x0002u
#define TCIF_PARAM 0x0008u

#define TCN_SELCHANGE (0u - 551u)
#define TCN_SELCHANGING (0u - 552u)

struct TCITEMA {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};

// List view.
#define LVS_ICON 0x0000u
#define LVS_REPORT 0x0001u
#define LVS_SMALLICON 0x0002u
#define LVS_LIST 0x0003u
#define LVS_TYPEMASK 0x0003u
#define LVS_SINGLESEL 0x0004u
#define LVS_SHOWSELALWAYS 0x0008u
#define LVS_NOSORTHEADER 0x8000u

#define LVS_EX_GRIDLINES 0x00000001u
#define LVS_EX_FULLROWSELECT 0x00000020u

#define LVM_FIRST 0x1000
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMA (LVM_FIRST + 5)
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)
#define LVM_SORTITEMS (LVM_FIRST + 48)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)

#define LVIF_TEXT 0x0001u
#define LVIF_IMAGE 0x0002u
#define LVIF_PARAM 0x0004u
#define LVIF_STATE 0x0008u

#define LVIS_FOCUSED 0x0001u
#define LVIS_SELECTED 0x0002u

#define LVNI_ALL 0x0000u
#define LVNI_FOCUSED 0x0001u
#define LVNI_SELECTED 0x0002u

#define LVCF_FMT 0x0001u
#define LVCF_WIDTH 0x0002u
#define LVCF_TEXT 0x0004u
#define LVCF_SUBITEM 0x0008u
#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002

#define LVN_ITEMCHANGED (0u - 101u)
#define LVN_COLUMNCLICK (0u - 108u)

// LVM_SORTITEMS (wParam: the sort value, lParam: the comparator) gets the two rows' item data.
using PFNLVCOMPARE = int (*)(LPARAM item1, LPARAM item2, LPARAM sort);

struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
};

struct LVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
};

// LVN_ITEMCHANGED and LVN_COLUMNCLICK.
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};

// NM_CLICK and NM_DBLCLK of a list view.
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
};

// Tree view.
struct TreeViewItem;
using HTREEITEM = TreeViewItem*;

#define TVS_HASBUTTONS 0x0001u
#define TVS_HASLINES 0x0002u
#define TVS_LINESATROOT 0x0004u
#define TVS_SHOWSELALWAYS 0x0020u

#define TV_FIRST 0x1100
#define TVM_INSERTITEMA (TV_FIRST + 0)
#define TVM_DELETEITEM (TV_FIRST + 1)
#define TVM_EXPAND (TV_FIRST + 2)
#define TVM_GETCOUNT (TV_FIRST + 5)
#define TVM_GETNEXTITEM (TV_FIRST + 10)
#define TVM_SELECTITEM (TV_FIRST + 11)
#define TVM_GETITEMA (TV_FIRST + 12)
#define TVM_SETITEMA (TV_FIRST + 13)
#define TVM_SORTCHILDREN (TV_FIRST + 19)
#define TVM_SORTCHILDRENCB (TV_FIRST + 21)

#define TVI_ROOT (reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x10000)))
#define TVI_FIRST (reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFF)))
#define TVI_LAST (reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFE)))
#define TVI_SORT (reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFD)))

#define TVIF_TEXT 0x0001u
#define TVIF_IMAGE 0x0002u
#define TVIF_PARAM 0x0004u
#define TVIF_STATE 0x0008u
#define TVIF_HANDLE 0x0010u
#define TVIF_CHILDREN 0x0040u

#define TVIS_SELECTED 0x0002u
#define TVIS_EXPANDED 0x0020u

#define TVGN_ROOT 0x0000u
#define TVGN_NEXT 0x0001u
#define TVGN_PREVIOUS 0x0002u
#define TVGN_PARENT 0x0003u
#define TVGN_CHILD 0x0004u
#define TVGN_CARET 0x0009u

#define TVE_COLLAPSE 0x0001u
#define TVE_EXPAND 0x0002u
#define TVE_TOGGLE 0x0003u

#define TVC_UNKNOWN 0x0000u
#define TVC_BYMOUSE 0x0001u
#define TVC_BYKEYBOARD 0x0002u

#define TVN_SELCHANGINGA (0u - 401u)
#define TVN_SELCHANGEDA (0u - 402u)
#define TVN_SELCHANGED TVN_SELCHANGEDA

struct TVITEMA {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};

struct TVINSERTSTRUCTA {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEMA item;
};

// TVM_SORTCHILDRENCB: the comparator gets the two items' lParam and lParam here.
using PFNTVCOMPARE = int (*)(LPARAM item1, LPARAM item2, LPARAM sort);
struct TVSORTCB {
    HTREEITEM hParent;
    PFNTVCOMPARE lpfnCompare;
    LPARAM lParam;
};

struct NMTREEVIEWA {
    NMHDR hdr;
    UINT action;
    TVITEMA itemOld;
    TVITEMA itemNew;
    POINT ptDrag;
};
