#include <owl/DecoratedFrame.h>
#include <owl/GadgetWindow.h>

#include <algorithm>

namespace OWL {

TDecoratedFrame::TDecoratedFrame(TWindow* parent, const char* title, TWindow* client, bool track_menu_selection,
    TModule* module)
    : TFrameWindow(parent, title, client, false, module)
    , m_track_menu_selection(track_menu_selection)
{
}

void TDecoratedFrame::Insert(TWindow& decoration, TLocation location)
{
    if (GetLocation(decoration) == None) {
        decoration.Attr.Style = (decoration.Attr.Style & ~(WS_OVERLAPPEDWINDOW | WS_POPUP)) | WS_CHILD;
        if (decoration.GetParentO() != this)
            AddChild(&decoration);
        m_decorations.push_back({ &decoration, location });
        if (GetHandle() && !decoration.GetHandle())
            decoration.Create();
    }
    Layout();
}

TDecoratedFrame::TLocation TDecoratedFrame::GetLocation(const TWindow& decoration) const
{
    for (const Decoration& d : m_decorations) {
        if (d.window == &decoration)
            return HasChild(d.window) ? d.location : None;
    }
    return None;
}

void TDecoratedFrame::EvSize(UINT kind, int, int)
{
    if (kind != SIZE_MINIMIZED)
        Layout();
}

void TDecoratedFrame::Layout()
{
    // A decoration deleted meanwhile is no longer a child: forget it.
    std::erase_if(m_decorations, [this](const Decoration& d) { return !HasChild(d.window); });
    if (!GetHandle())
        return;
    RECT area {};
    GetClientRect(GetHandle(), &area);
    int width = area.right - area.left;
    auto place = [&](const Decoration& d, bool top) {
        HWND window = d.window->GetHandle();
        // Its own visibility: a frame not shown yet still gives its bars their slots.
        if (!window || !(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE))
            return;
        RECT now {};
        GetWindowRect(window, &now);
        int height = now.bottom - now.top;
        if (auto* gadgets = dynamic_cast<TGadgetWindow*>(d.window))
            height = gadgets->GetDesiredThickness();
        height = std::min<int>(height, std::max<int>(0, area.bottom - area.top));
        int y = top ? area.top : area.bottom - height;
        MoveWindow(window, area.left, y, width, height, TRUE);
        if (top)
            area.top += height;
        else
            area.bottom -= height;
    };
    for (const Decoration& d : m_decorations) {
        if (d.location == Top)
            place(d, true);
    }
    for (const Decoration& d : m_decorations) {
        if (d.location == Bottom)
            place(d, false);
    }
    TWindow* client = GetClientWindow();
    if (client && client->GetHandle())
        MoveWindow(client->GetHandle(), area.left, area.top, width, std::max<int>(0, area.bottom - area.top), TRUE);
}

}
