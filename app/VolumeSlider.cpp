#include "VolumeSlider.h"

#include <gdi/Colors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Frames.h>
#include <gdi/Objects.h>
#include <user/Messages.h>
#include <user/Paint.h>

VolumeSlider::VolumeSlider(OWL::TWindow* parent, int id, int x, int y, int w, int h, UINT thumb_resource,
    OWL::TModule* module)
    : TMyHSlider(parent, id, x, y, w, h, thumb_resource, module)
{
    ForbidNative();
}

POINT VolumeSlider::PointFromPosition(int position)
{
    return TMyHSlider::PointFromPosition(position);
}

void VolumeSlider::MoveThumb(int position)
{
    // The groove shows under the thumb's old place: redraw the whole control.
    TMyHSlider::MoveThumb(position);
    if (GetHandle())
        InvalidateRect(GetHandle(), nullptr, TRUE);
}

void VolumeSlider::DrawSlot(HDC dc)
{
    int w = Width();
    int h = Height();
    int middle = (GetThumbRect().top + GetThumbRect().bottom) / 2;
    int thick = SlotThickness();
    RECT groove { 0, middle - thick / 2, w, middle + (thick + 1) / 2 };
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    RECT above { 0, 0, w, groove.top };
    RECT below { 0, groove.bottom, w, h };
    for (const RECT& r : { above, below })
        FillRect(dc, &r, face);
    // Edge lines 3 pixels inside the border: light above, shadow below.
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ old = SelectObject(dc, light);
    MoveToEx(dc, 3, 3, nullptr);
    LineTo(dc, w - 3, 3);
    SelectObject(dc, shadow);
    MoveToEx(dc, 3, h - 4, nullptr);
    LineTo(dc, w - 3, h - 4);
    SelectObject(dc, old);
    DeleteObject(light);
    DeleteObject(shadow);
    FillRect(dc, &groove, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(dc, &groove, EDGE_SUNKEN, BF_RECT);
}

void VolumeSlider::DrawThumb(HDC dc)
{
    BlitThumb(dc);
}

LRESULT VolumeSlider::WindowProc(UINT message, WPARAM wparam, LPARAM lparam)
{
    // No focus mark and no caret.
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS)
        return 0;
    return TMyHSlider::WindowProc(message, wparam, lparam);
}
