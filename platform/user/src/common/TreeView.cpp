// The tree view ("SysTreeView32"): items with text, item data and children, one selected item
// (the caret). Selecting, by TVM_SELECTITEM or by the user, sends TVN_SELCHANGINGA (non-zero
// refuses) and TVN_SELCHANGEDA, with the action TVC_UNKNOWN, TVC_BYMOUSE or TVC_BYKEYBOARD.
// Sorting by text ignores case and puts punctuation and symbols (such as "<") before digits and
// digits before letters.
//
// Layout: rows of 17 pixels for the visible items (those whose ancestors are all expanded), each
// indented 16 pixels per level (plus one with TVS_LINESATROOT), from the first row scrolled to;
// the selected item's text is drawn on the highlight colour. A click left of an item's text
// toggles its expansion. The arrow keys, Page Up and Down, Home and End move the selection (Left
// and Right collapse and expand), and the view scrolls to keep the selected item in it; the mouse
// wheel scrolls three rows a notch.

#include "Common.h"

#include <base/Text.h>
#include <user/Keyboard.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <vector>

struct TreeViewItem {
    std::string text;
    LPARAM param = 0;
    UINT state = 0;
    TreeViewItem* parent = nullptr;
    std::vector<std::unique_ptr<TreeViewItem>> children;
};

namespace {

constexpr int kRowHeight = 17;
constexpr int kIndent = 16;

struct Tree {
    TreeViewItem root;
    std::set<TreeViewItem*> live;
    TreeViewItem* caret = nullptr;
    int top = 0; // the first visible item shown, as a row index
};

TreeViewItem* resolve(Tree& t, HTREEITEM item)
{
    if (!item || item == TVI_ROOT)
        return &t.root;
    return t.live.count(item) ? item : nullptr;
}

bool is_item(Tree& t, HTREEITEM item)
{
    return item && t.live.count(item);
}

std::vector<std::unique_ptr<TreeViewItem>>::iterator position(TreeViewItem& parent, TreeViewItem* item)
{
    return std::find_if(parent.children.begin(), parent.children.end(), [&](auto& c) { return c.get() == item; });
}

// The collation key of one byte: punctuation and symbols, then digits, then letters (case
// folded), then bytes of non-ASCII characters.
int collation_key(char c)
{
    auto u = static_cast<unsigned char>(c);
    int rank = u >= 0x80 ? 3 : std::isalpha(u) ? 2 : std::isdigit(u) ? 1 : 0;
    return rank * 256 + static_cast<unsigned char>(base::fold_ascii(c));
}

bool text_before(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
        [](char x, char y) { return collation_key(x) < collation_key(y); });
}

void forget(Tree& t, TreeViewItem* item)
{
    for (auto& c : item->children)
        forget(t, c.get());
    t.live.erase(item);
    if (t.caret == item)
        t.caret = nullptr;
}

int level_of(const TreeViewItem* item)
{
    int level = 0;
    for (const TreeViewItem* p = item->parent; p && p->parent; p = p->parent)
        ++level;
    return level;
}

void visible(TreeViewItem& parent, std::vector<TreeViewItem*>& out)
{
    for (auto& c : parent.children) {
        out.push_back(c.get());
        if (c->state & TVIS_EXPANDED)
            visible(*c, out);
    }
}

std::vector<TreeViewItem*> visible_items(Tree& t)
{
    std::vector<TreeViewItem*> out;
    visible(t.root, out);
    return out;
}

int rows_shown(HWND w)
{
    RECT c;
    GetClientRect(w, &c);
    return std::max<int>(1, static_cast<int>(c.bottom / kRowHeight));
}

// Scrolls to row `top`, kept within the rows there are.
void scroll_to(HWND w, Tree& t, int top, int count)
{
    top = std::max(0, std::min(top, count - rows_shown(w)));
    if (top != t.top) {
        t.top = top;
        user::common::redraw(w);
    }
}

// Scrolls the selected item into view.
void show_caret(HWND w, Tree& t)
{
    auto items = visible_items(t);
    auto at = std::find(items.begin(), items.end(), t.caret);
    int count = static_cast<int>(items.size());
    if (at == items.end()) {
        scroll_to(w, t, t.top, count);
        return;
    }
    int row = static_cast<int>(at - items.begin());
    int shown = rows_shown(w);
    if (row < t.top)
        scroll_to(w, t, row, count);
    else if (row >= t.top + shown)
        scroll_to(w, t, row - shown + 1, count);
}

int indent_of(HWND w, const TreeViewItem* item)
{
    bool at_root = (GetWindowLongA(w, GWL_STYLE) & TVS_LINESATROOT) != 0;
    return (level_of(item) + (at_root ? 1 : 0)) * kIndent;
}

void fill_item(const TreeViewItem& item, TVITEMA& out)
{
    if (out.mask & TVIF_TEXT)
        user::common::copy_out(out.pszText, out.cchTextMax, item.text);
    if (out.mask & TVIF_PARAM)
        out.lParam = item.param;
    if (out.mask & TVIF_STATE)
        out.state = item.state & (out.stateMask ? out.stateMask : 0xFFFFFFFFu);
    if (out.mask & TVIF_CHILDREN)
        out.cChildren = item.children.empty() ? 0 : 1;
}

TVITEMA describe(TreeViewItem* item)
{
    TVITEMA out {};
    out.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
    out.hItem = item;
    if (item) {
        out.lParam = item->param;
        out.state = item->state;
    }
    return out;
}

bool select(HWND w, Tree& t, TreeViewItem* item, UINT action)
{
    if (item == t.caret)
        return true;
    NMTREEVIEWA nm {};
    nm.action = action;
    nm.itemOld = describe(t.caret);
    nm.itemNew = describe(item);
    if (user::common::notify(w, nm.hdr, TVN_SELCHANGINGA))
        return false;
    if (t.caret && t.live.count(t.caret))
        t.caret->state &= ~TVIS_SELECTED;
    t.caret = item;
    if (item) {
        item->state |= TVIS_SELECTED;
        for (TreeViewItem* p = item->parent; p && p->parent; p = p->parent)
            p->state |= TVIS_EXPANDED;
    }
    show_caret(w, t);
    user::common::redraw(w);
    nm.itemNew = describe(item);
    user::common::notify(w, nm.hdr, TVN_SELCHANGEDA);
    return true;
}

bool expand(HWND w, TreeViewItem* item, UINT code)
{
    UINT before = item->state;
    switch (code & 0x3u) {
    case TVE_COLLAPSE: item->state &= ~TVIS_EXPANDED; break;
    case TVE_EXPAND: item->state |= TVIS_EXPANDED; break;
    case TVE_TOGGLE: item->state ^= TVIS_EXPANDED; break;
    default: return false;
    }
    if (before != item->state)
        user::common::redraw(w);
    return true;
}

TreeViewItem* insert(Tree& t, const TVINSERTSTRUCTA& in)
{
    TreeViewItem* parent = resolve(t, in.hParent);
    if (!parent)
        return nullptr;
    auto item = std::make_unique<TreeViewItem>();
    item->parent = parent;
    if ((in.item.mask & TVIF_TEXT) && in.item.pszText)
        item->text = in.item.pszText;
    if (in.item.mask & TVIF_PARAM)
        item->param = in.item.lParam;
    if (in.item.mask & TVIF_STATE)
        item->state = in.item.state & in.item.stateMask & ~TVIS_SELECTED;
    auto& list = parent->children;
    auto at = list.end();
    if (in.hInsertAfter == TVI_FIRST)
        at = list.begin();
    else if (in.hInsertAfter == TVI_SORT)
        at = std::find_if(list.begin(), list.end(), [&](auto& c) { return text_before(item->text, c->text); });
    else if (in.hInsertAfter != TVI_LAST && in.hInsertAfter) {
        auto after = position(*parent, in.hInsertAfter);
        if (after == list.end())
            return nullptr;
        at = after + 1;
    }
    TreeViewItem* raw = item.get();
    list.insert(at, std::move(item));
    t.live.insert(raw);
    return raw;
}

HTREEITEM next_item(Tree& t, UINT flag, HTREEITEM from)
{
    switch (flag) {
    case TVGN_ROOT:
        return t.root.children.empty() ? nullptr : t.root.children.front().get();
    case TVGN_CARET:
        return t.caret;
    case TVGN_CHILD: {
        TreeViewItem* parent = resolve(t, from);
        return parent && !parent->children.empty() ? parent->children.front().get() : nullptr;
    }
    case TVGN_PARENT:
        return is_item(t, from) && from->parent != &t.root ? from->parent : nullptr;
    case TVGN_NEXT:
    case TVGN_PREVIOUS: {
        if (!is_item(t, from))
            return nullptr;
        auto& list = from->parent->children;
        auto at = position(*from->parent, from);
        if (flag == TVGN_NEXT)
            return at + 1 == list.end() ? nullptr : (at + 1)->get();
        return at == list.begin() ? nullptr : (at - 1)->get();
    }
    }
    return nullptr;
}

void paint(HWND w, Tree& t)
{
    using namespace user::common;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT c;
    GetClientRect(w, &c);
    fill(dc, c, COLOR_WINDOW);
    bool buttons = (GetWindowLongA(w, GWL_STYLE) & TVS_HASBUTTONS) != 0;
    auto items = visible_items(t);
    int top = 0;
    for (std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(t.top), items.size()); i < items.size(); ++i) {
        TreeViewItem* item = items[i];
        if (top >= c.bottom)
            break;
        int x = indent_of(w, item);
        if (buttons && !item->children.empty() && x >= kIndent) {
            RECT box { x - 12, top + 4, x - 3, top + 13 };
            FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
            fill(dc, RECT { box.left + 2, top + 8, box.right - 2, top + 9 }, COLOR_WINDOWTEXT);
            if (!(item->state & TVIS_EXPANDED))
                fill(dc, RECT { x - 8, box.top + 2, x - 7, box.bottom - 2 }, COLOR_WINDOWTEXT);
        }
        RECT label { x, top, x + text_width(w, item->text) + 4, top + kRowHeight };
        bool selected = item == t.caret;
        if (selected)
            fill(dc, label, COLOR_HIGHLIGHT);
        RECT inner { label.left + 2, label.top, label.right, label.bottom };
        text(dc, item->text, inner, selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        top += kRowHeight;
    }
    EndPaint(w, &ps);
}

LRESULT tree_view(Tree& t, HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case TVM_INSERTITEMA:
        if (!lparam)
            return 0;
        {
            TreeViewItem* item = insert(t, *reinterpret_cast<const TVINSERTSTRUCTA*>(lparam));
            user::common::redraw(w);
            return reinterpret_cast<LRESULT>(item);
        }
    case TVM_DELETEITEM: {
        auto item = reinterpret_cast<HTREEITEM>(lparam);
        TreeViewItem* target = resolve(t, item);
        if (!target)
            return FALSE;
        TreeViewItem* old_caret = t.caret;
        if (target == &t.root) {
            for (auto& c : t.root.children)
                forget(t, c.get());
            t.root.children.clear();
        } else {
            forget(t, target);
            auto& list = target->parent->children;
            list.erase(position(*target->parent, target));
        }
        scroll_to(w, t, t.top, static_cast<int>(visible_items(t).size()));
        if (old_caret && !t.caret) {
            NMTREEVIEWA nm {};
            nm.action = TVC_UNKNOWN;
            nm.itemNew = describe(nullptr);
            user::common::notify(w, nm.hdr, TVN_SELCHANGEDA);
        }
        user::common::redraw(w);
        return TRUE;
    }
    case TVM_GETCOUNT:
        return static_cast<LRESULT>(t.live.size());
    case TVM_GETNEXTITEM:
        return reinterpret_cast<LRESULT>(next_item(t, static_cast<UINT>(wparam), reinterpret_cast<HTREEITEM>(lparam)));
    case TVM_SELECTITEM: {
        auto item = reinterpret_cast<HTREEITEM>(lparam);
        if ((wparam & 0xFFu) != TVGN_CARET || (item && !is_item(t, item)))
            return FALSE;
        return select(w, t, item, TVC_UNKNOWN);
    }
    case TVM_GETITEMA:
    case TVM_SETITEMA: {
        if (!lparam)
            return FALSE;
        auto& in = *reinterpret_cast<TVITEMA*>(lparam);
        if (!is_item(t, in.hItem))
            return FALSE;
        if (message == TVM_GETITEMA) {
            fill_item(*in.hItem, in);
            return TRUE;
        }
        if ((in.mask & TVIF_TEXT) && in.pszText)
            in.hItem->text = in.pszText;
        if (in.mask & TVIF_PARAM)
            in.hItem->param = in.lParam;
        if (in.mask & TVIF_STATE) {
            UINT mask = in.stateMask & ~TVIS_SELECTED;
            in.hItem->state = (in.hItem->state & ~mask) | (in.state & mask);
        }
        user::common::redraw(w);
        return TRUE;
    }
    case TVM_EXPAND: {
        auto item = reinterpret_cast<HTREEITEM>(lparam);
        return is_item(t, item) && expand(w, item, static_cast<UINT>(wparam));
    }
    case TVM_SORTCHILDREN:
    case TVM_SORTCHILDRENCB: {
        TreeViewItem* parent = nullptr;
        if (message == TVM_SORTCHILDREN)
            parent = resolve(t, reinterpret_cast<HTREEITEM>(lparam));
        else if (lparam)
            parent = resolve(t, reinterpret_cast<const TVSORTCB*>(lparam)->hParent);
        if (!parent)
            return FALSE;
        auto& list = parent->children;
        if (message == TVM_SORTCHILDREN)
            std::stable_sort(list.begin(), list.end(), [](auto& a, auto& b) { return text_before(a->text, b->text); });
        else {
            const auto* sort = reinterpret_cast<const TVSORTCB*>(lparam);
            if (!sort->lpfnCompare)
                return FALSE;
            std::stable_sort(list.begin(), list.end(),
                [&](auto& a, auto& b) { return sort->lpfnCompare(a->param, b->param, sort->lParam) < 0; });
        }
        user::common::redraw(w);
        return TRUE;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        auto items = visible_items(t);
        if (items.empty())
            break;
        auto at = std::find(items.begin(), items.end(), t.caret);
        std::ptrdiff_t i = at == items.end() ? -1 : at - items.begin();
        std::ptrdiff_t last = static_cast<std::ptrdiff_t>(items.size()) - 1;
        std::ptrdiff_t page = rows_shown(w);
        std::ptrdiff_t next = 0;
        bool moves = true;
        switch (wparam) {
        case VK_DOWN: next = i + 1; break;
        case VK_UP: next = i - 1; break;
        case VK_NEXT: next = i + page; break;
        case VK_PRIOR: next = i - page; break;
        case VK_HOME: next = 0; break;
        case VK_END: next = last; break;
        default: moves = false;
        }
        if (moves) {
            next = std::max<std::ptrdiff_t>(0, std::min(last, next));
            select(w, t, items[static_cast<std::size_t>(next)], TVC_BYKEYBOARD);
            return 0;
        }
        if ((wparam == VK_RIGHT || wparam == VK_LEFT) && t.caret) {
            expand(w, t.caret, wparam == VK_RIGHT ? TVE_EXPAND : TVE_COLLAPSE);
            scroll_to(w, t, t.top, static_cast<int>(visible_items(t).size()));
            return 0;
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        SetFocus(w);
        auto items = visible_items(t);
        int x = static_cast<SHORT>(LOWORD(lparam));
        int y = static_cast<SHORT>(HIWORD(lparam));
        int row = y < 0 ? -1 : t.top + y / kRowHeight;
        if (row < 0 || row >= static_cast<int>(items.size()))
            return 0;
        TreeViewItem* item = items[static_cast<std::size_t>(row)];
        if (message == WM_LBUTTONDBLCLK || x < indent_of(w, item)) {
            if (!item->children.empty()) {
                expand(w, item, TVE_TOGGLE);
                scroll_to(w, t, t.top, static_cast<int>(visible_items(t).size()));
            }
            if (message == WM_LBUTTONDOWN)
                return 0;
        }
        select(w, t, item, TVC_BYMOUSE);
        NMHDR nm {};
        user::common::notify(w, nm, message == WM_LBUTTONDOWN ? NM_CLICK : NM_DBLCLK);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int notches = static_cast<SHORT>(HIWORD(wparam)) / 120;
        scroll_to(w, t, t.top - 3 * notches, static_cast<int>(visible_items(t).size()));
        return 0;
    }
    case WM_PAINT:
        paint(w, t);
        return 0;
    }
    return DefWindowProcA(w, message, wparam, lparam);
}

LRESULT CALLBACK TreeViewProc(HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    return user::common::with_data<Tree>(w, message, wparam, lparam, tree_view);
}

}

void user::common::register_tree_view()
{
    register_control_class(WC_TREEVIEWA, TreeViewProc, COLOR_WINDOW);
}
