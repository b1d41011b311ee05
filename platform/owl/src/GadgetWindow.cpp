#include <owl/DecoratedFrame.h>
#include <owl/GadgetWindow.h>

#include <gdi/Colors.h>
#include <gdi/Drawing.h>
#include <gdi/Fonts.h>
#include <gdi/Objects.h>
#include <user/Messages.h>
#include <user/Paint.h>

#include <algorithm>

namespace OWL {

namespace {

UINT s_flat_style = 0;

POINT point_of(LPARAM lparam)
{
    return { static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)) };
}

}

TGadgetWindowFont::TGadgetWindowFont(int point_size, bool bold, bool italic)
    : m_font(CreateFontA(-(point_size * 96 + 36) / 72, 0, 0, 0, bold ? 700 : 400, italic, 0, 0, DEFAULT_CHARSET,
          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, gdi::kDialogFontFace))
{
}

TGadgetWindowFont::~TGadgetWindowFont()
{
    if (m_font)
        DeleteObject(m_font);
}

TGadgetWindow::TGadgetWindow(TWindow* parent, TTileDirection direction, TGadgetWindowFont* font, TModule* module)
    : TWindow(parent, nullptr, module)
    , m_direction(direction)
    , m_font(font ? font : new TGadgetWindowFont)
{
    Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
}

TGadgetWindow::~TGadgetWindow()
{
    std::vector<TGadget*> gadgets;
    gadgets.swap(m_gadgets);
    for (TGadget* gadget : gadgets) {
        gadget->m_window = nullptr;
        delete gadget;
    }
    DestroyQuietly();
    delete m_font;
}

void TGadgetWindow::EnableFlatStyle(UINT style)
{
    s_flat_style = style;
}

UINT TGadgetWindow::GetFlatStyle()
{
    return s_flat_style;
}

void TGadgetWindow::GetWindowClass(WNDCLASSA& wc)
{
    TWindow::GetWindowClass(wc);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hCursor = nullptr;
}

void TGadgetWindow::Insert(TGadget& gadget, TPlacement placement, TGadget* sibling)
{
    if (gadget.m_window == this)
        return;
    if (gadget.m_window)
        gadget.m_window->Remove(gadget);
    auto at = sibling ? std::find(m_gadgets.begin(), m_gadgets.end(), sibling) : m_gadgets.end();
    if (at == m_gadgets.end())
        at = placement == Before ? m_gadgets.begin() : m_gadgets.end();
    else if (placement == After)
        ++at;
    m_gadgets.insert(at, &gadget);
    gadget.m_window = this;
    gadget.Inserted();
}

TGadget* TGadgetWindow::Remove(TGadget& gadget)
{
    auto at = std::find(m_gadgets.begin(), m_gadgets.end(), &gadget);
    if (at == m_gadgets.end())
        return nullptr;
    if (m_capture == &gadget)
        GadgetReleaseCapture(gadget);
    gadget.Removed();
    gadget.Invalidate();
    m_gadgets.erase(at);
    gadget.m_window = nullptr;
    return &gadget;
}

TGadget* TGadgetWindow::GadgetWithId(int id) const
{
    for (TGadget* gadget : m_gadgets) {
        if (gadget->GetId() == id)
            return gadget;
    }
    return nullptr;
}

TGadget* TGadgetWindow::GadgetFromPoint(POINT point) const
{
    for (TGadget* gadget : m_gadgets) {
        if (gadget->PtIn(point))
            return gadget;
    }
    return nullptr;
}

int TGadgetWindow::GetDesiredThickness()
{
    int thickness = 0;
    for (TGadget* gadget : m_gadgets) {
        SIZE size {};
        gadget->GetDesiredSize(size);
        thickness = std::max<int>(thickness, m_direction == Horizontal ? size.cy : size.cx);
    }
    return thickness + 2 * Margin;
}

void TGadgetWindow::LayoutSession()
{
    LayoutGadgets();
    TellFrame();
    if (GetHandle())
        InvalidateRect(GetHandle(), nullptr, TRUE);
}

void TGadgetWindow::LayoutGadgets()
{
    int thickness = GetDesiredThickness() - 2 * Margin;
    int along = Margin;
    for (TGadget* gadget : m_gadgets) {
        SIZE size {};
        gadget->GetDesiredSize(size);
        RECT bounds {};
        if (m_direction == Horizontal) {
            int top = Margin + (thickness - size.cy) / 2;
            bounds = { along, top, along + size.cx, top + size.cy };
            along += size.cx + Spacing;
        } else {
            int left = Margin + (thickness - size.cx) / 2;
            bounds = { left, along, left + size.cx, along + size.cy };
            along += size.cy + Spacing;
        }
        gadget->SetBounds(bounds);
    }
}

void TGadgetWindow::TellFrame()
{
    int thickness = GetDesiredThickness();
    if (thickness == m_laid_thickness)
        return;
    m_laid_thickness = thickness;
    if (auto* frame = dynamic_cast<TDecoratedFrame*>(GetParentO()); frame && frame->GetLocation(*this) != TDecoratedFrame::None)
        frame->Layout();
}

void TGadgetWindow::SetupWindow()
{
    TWindow::SetupWindow();
    LayoutGadgets();
    m_laid_thickness = -1;
    TellFrame();
}

void TGadgetWindow::EvSize(UINT, int, int)
{
    LayoutGadgets();
}

bool TGadgetWindow::IdleAction(long idle_count)
{
    std::vector<TGadget*> gadgets = m_gadgets;
    for (TGadget* gadget : gadgets) {
        if (std::find(m_gadgets.begin(), m_gadgets.end(), gadget) != m_gadgets.end())
            gadget->CommandEnable();
    }
    return TWindow::IdleAction(idle_count);
}

void TGadgetWindow::GadgetSetCapture(TGadget& gadget)
{
    m_capture = &gadget;
    if (GetHandle())
        SetCapture(GetHandle());
}

void TGadgetWindow::GadgetReleaseCapture(TGadget& gadget)
{
    if (m_capture != &gadget)
        return;
    m_capture = nullptr;
    if (GetHandle() && GetCapture() == GetHandle())
        ReleaseCapture();
}

TGadget* TGadgetWindow::MouseTarget(POINT point) const
{
    return m_capture ? m_capture : GadgetFromPoint(point);
}

void TGadgetWindow::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(GetHandle(), &ps);
    RECT client {};
    GetClientRect(GetHandle(), &client);
    // The face around the control gadgets, never over their windows (which paint themselves).
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    bool horizontal = m_direction == Horizontal;
    LONG from = horizontal ? client.left : client.top;
    auto strip = [&](LONG a, LONG b) {
        RECT r = horizontal ? RECT { a, client.top, b, client.bottom } : RECT { client.left, a, client.right, b };
        FillRect(dc, &r, face);
    };
    for (TGadget* gadget : m_gadgets) {
        if (!dynamic_cast<TControlGadget*>(gadget))
            continue;
        const RECT& b = gadget->GetBounds();
        strip(from, horizontal ? b.left : b.top);
        RECT before = horizontal ? RECT { b.left, client.top, b.right, b.top } : RECT { client.left, b.top, b.left, b.bottom };
        RECT after = horizontal ? RECT { b.left, b.bottom, b.right, client.bottom } : RECT { b.right, b.top, client.right, b.bottom };
        FillRect(dc, &before, face);
        FillRect(dc, &after, face);
        from = horizontal ? b.right : b.bottom;
    }
    strip(from, horizontal ? client.right : client.bottom);
    for (TGadget* gadget : m_gadgets)
        gadget->Paint(dc);
    EndPaint(GetHandle(), &ps);
}

LRESULT TGadgetWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam)
{
    LRESULT result = 0;
    if (DispatchMsg(message, wparam, lparam, result))
        return result;
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (TGadget* gadget = MouseTarget(point_of(lparam)))
            gadget->LButtonDown(point_of(lparam));
        return 0;
    case WM_LBUTTONUP:
        if (TGadget* gadget = MouseTarget(point_of(lparam)))
            gadget->LButtonUp(point_of(lparam));
        return 0;
    case WM_MOUSEMOVE:
        if (TGadget* gadget = MouseTarget(point_of(lparam)))
            gadget->MouseMove(point_of(lparam));
        return 0;
    case WM_CAPTURECHANGED:
        m_capture = nullptr;
        return 0;
    case WM_WINDOWPOSCHANGED: {
        // A decoration shown or hidden takes its slot or gives it back.
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
        auto* frame = dynamic_cast<TDecoratedFrame*>(GetParentO());
        if (pos && (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) && frame
            && frame->GetLocation(*this) != TDecoratedFrame::None)
            frame->Layout();
        break;
    }
    default:
        break;
    }
    return TWindow::WindowProc(message, wparam, lparam);
}

}
