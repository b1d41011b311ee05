#include "CoolButton.h"

#include <owl/Application.h>

#include <gdi/Gdi.h>
#include <user/Paint.h>

#include <algorithm>

#include <string>

namespace {

HBITMAP load_bitmap(UINT id)
{
    OWL::TModule* module = OWL::GetApplicationObject();
    return LoadBitmapA(module ? module->GetHandle() : nullptr, MAKEINTRESOURCEA(id));
}

std::string window_text(HWND window)
{
    char text[260] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}

std::string StripMnemonic(const char* text, int& position)
{
    std::string shown = text ? text : "";
    std::size_t amp = shown.find('&');
    position = amp == std::string::npos ? -1 : static_cast<int>(amp);
    if (amp != std::string::npos)
        shown.erase(amp, 1);
    return shown;
}

void DrawButtonFocus(HDC dc, const RECT& rect, const char* text)
{
    int mnemonic;
    std::string shown = StripMnemonic(text, mnemonic);
    RECT focus { rect.left + 3, rect.top + 3, rect.right - 3, rect.bottom - 3 };
    if (!shown.empty()) {
        SIZE extent {};
        GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
        int cx = (rect.left + rect.right) / 2;
        int cy = (rect.top + rect.bottom) / 2;
        focus = { cx - extent.cx / 2 - 2, cy - extent.cy / 2 - 2, cx - extent.cx / 2 + extent.cx + 2,
            cy - extent.cy / 2 + extent.cy + 2 };
    }
    DrawFocusRect(dc, &focus);
}

CoolButton::CoolButton(OWL::TWindow* parent, int id, int groupLow, int groupHigh, OWL::TModule* module)
    : TButton(parent, id, module)
    , m_textColors { GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNTEXT) }
    , m_backColors { GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE) }
    , m_groupLow(groupLow)
    , m_groupHigh(groupHigh)
{
    OnMessage(WM_COOLBUTTON_PRESS, [this](WPARAM wparam, LPARAM lparam) { return EvPress(wparam, lparam); });
}

CoolButton::~CoolButton()
{
    for (HBITMAP bitmap : m_bitmaps) {
        if (bitmap)
            DeleteObject(bitmap);
    }
}

void CoolButton::SetBitmap(UINT resourceId, int which)
{
    if (which < 0 || which > 2)
        return;
    if (m_bitmaps[which])
        DeleteObject(m_bitmaps[which]);
    m_bitmaps[which] = load_bitmap(resourceId);
}

void CoolButton::SetTextColor(COLORREF colour, int which)
{
    if (which == 0 || which == 1)
        m_textColors[which] = colour;
}

void CoolButton::SetBackColor(COLORREF colour, int which)
{
    if (which == 0 || which == 1)
        m_backColors[which] = colour;
}

void CoolButton::SetState(int state, bool notify)
{
    m_state = state;
    if (notify && Grouped() && state == 1 && GetParentO()) {
        SendMessageA(GetParentO()->GetHandle(), WM_COOLBUTTON_PRESS,
            MAKEWPARAM(static_cast<WORD>(m_groupLow), static_cast<WORD>(m_groupHigh)), GetId());
        return;
    }
    Redraw();
}

LRESULT CoolButton::EvPress(WPARAM wparam, LPARAM lparam)
{
    int low = LOWORD(wparam);
    int high = HIWORD(wparam);
    if (GetId() < low || GetId() > high)
        return 0;
    if (GetId() == static_cast<int>(lparam)) {
        m_state = 1;
        Redraw();
    } else if (m_state != 0) {
        m_state = 0;
        Redraw();
    }
    return 0;
}

LRESULT CoolButton::RelayPress(HWND parent, WPARAM wparam, LPARAM lparam)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageA(child, WM_COOLBUTTON_PRESS, wparam, lparam);
    return 0;
}

void CoolButton::SetupWindow()
{
    SendMessageA(GetHandle(), BM_SETSTYLE, BS_OWNERDRAW, FALSE);
}

void CoolButton::Redraw()
{
    if (GetHandle())
        InvalidateRect(GetHandle(), nullptr, TRUE);
}

void CoolButton::Store(const DRAWITEMSTRUCT& item)
{
    m_dc = item.hDC;
    m_rect = item.rcItem;
    m_itemState = item.itemState;
}

void CoolButton::ODADrawEntire(DRAWITEMSTRUCT& item)
{
    Store(item);
    Paint();
    if (item.itemState & ODS_FOCUS)
        DrawButtonFocus(m_dc, m_rect, window_text(GetHandle()).c_str());
}

void CoolButton::ODAFocus(DRAWITEMSTRUCT& item)
{
    Store(item);
    DrawButtonFocus(m_dc, m_rect, window_text(GetHandle()).c_str());
}

void CoolButton::ODASelect(DRAWITEMSTRUCT& item)
{
    if (item.itemState & ODS_SELECTED)
        m_state = 3;
    else if (m_state == 3)
        m_state = 0;
    Store(item);
    if (Grouped() && m_state == 3 && GetParentO()) {
        SendMessageA(GetParentO()->GetHandle(), WM_COOLBUTTON_PRESS,
            MAKEWPARAM(static_cast<WORD>(m_groupLow), static_cast<WORD>(m_groupHigh)), GetId());
        return;
    }
    Paint();
}

void CoolButton::Paint()
{
    HDC dc = m_dc;
    if (!dc)
        return;
    bool down = m_state == 1 || m_state == 3;
    HBITMAP bitmap;
    if (!::IsWindowEnabled(GetHandle()))
        bitmap = m_bitmaps[2] ? m_bitmaps[2] : m_bitmaps[1];
    else
        bitmap = down ? m_bitmaps[1] : m_bitmaps[0];
    int look = ::IsWindowEnabled(GetHandle()) && down ? 1 : 0;

    HBRUSH back = CreateSolidBrush(m_backColors[look]);
    FillRect(dc, &m_rect, back);
    DeleteObject(back);

    int mnemonic;
    std::string text = StripMnemonic(window_text(GetHandle()).c_str(), mnemonic);
    int width = m_rect.right - m_rect.left;
    int height = m_rect.bottom - m_rect.top;
    if (bitmap) {
        BITMAP info {};
        GetObjectA(bitmap, sizeof info, &info);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (info.bmHeight >= height) {
            int h = std::max(0, height - 6);
            int w = info.bmHeight ? info.bmWidth * h / info.bmHeight : 0;
            int x = text.empty() ? m_rect.left + (width - w) / 2 : m_rect.left + 3;
            StretchBlt(dc, x, m_rect.top + 3, w, h, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        } else {
            int x = text.empty() ? m_rect.left + (width - info.bmWidth) / 2 : m_rect.left + 3;
            BitBlt(dc, x, m_rect.top + (height - info.bmHeight) / 2, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        }
        SelectObject(memory, old);
        DeleteDC(memory);
    }

    if (!text.empty()) {
        SIZE extent {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        int cx = m_rect.left + width / 2;
        int baseline = m_rect.top + height / 2 + extent.cy / 2;
        SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, m_textColors[look]);
        UINT align = SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
        TextOutA(dc, cx, baseline, text.c_str(), static_cast<int>(text.size()));
        SetTextAlign(dc, align);
        if (mnemonic >= 0 && mnemonic < static_cast<int>(text.size())) {
            SIZE before {}, through {};
            GetTextExtentPoint32A(dc, text.c_str(), mnemonic, &before);
            GetTextExtentPoint32A(dc, text.c_str(), mnemonic + 1, &through);
            int left = cx - extent.cx / 2;
            HPEN pen = CreatePen(PS_SOLID, 1, m_textColors[look]);
            HGDIOBJ old_pen = SelectObject(dc, pen);
            MoveToEx(dc, left + before.cx, baseline - 1, nullptr);
            LineTo(dc, left + through.cx, baseline - 1);
            SelectObject(dc, old_pen);
            DeleteObject(pen);
        }
    }

    RECT frame = m_rect;
    DrawEdge(dc, &frame, m_state == 3 ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}
