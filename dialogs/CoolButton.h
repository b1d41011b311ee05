#pragma once

// CoolButton: a push button of a dialog template drawn from bitmaps and colours chosen by its state,
// alone or as one of a group of radio-like buttons (a range of control ids).
//
// State: -1 after construction, 0 up, 1 down (selected), 3 held while the mouse button is down. A
// grouped button pressed by the user, or given state 1 by SetState with notify, sends
// WM_COOLBUTTON_PRESS (wParam: the range's low and high id, lParam: the id pressed) to its parent,
// which passes it to every child (RelayPress); each member of the range then takes state 1 if it is
// the one pressed, else 0, and redraws. The bitmaps come from the application's image resources.
//
//     auto* timer = new CoolButton(this, 605, 0, 0);    // ungrouped
//     ... in SetupWindow: timer->SetBitmap(901, 0); timer->SetBitmap(900, 1); timer->SetState(1, false);
//     OnMessage(WM_COOLBUTTON_PRESS, [this](WPARAM w, LPARAM l) { return CoolButton::RelayPress(*this, w, l); });

#include <owl/Button.h>

#include <string>

// A grouped owner-drawn button was pressed (WM_USER + 80).
constexpr UINT WM_COOLBUTTON_PRESS = 0x0400 + 80;

class CoolButton : public OWL::TButton {
public:
    CoolButton(OWL::TWindow* parent, int id, int groupLow, int groupHigh, OWL::TModule* module = nullptr);
    ~CoolButton() override;

    // Loads bitmap resource `resourceId` into slot `which`: 0 up, 1 down, 2 disabled.
    void SetBitmap(UINT resourceId, int which);
    // Text and background colours for 0 up and 1 down.
    void SetTextColor(COLORREF colour, int which);
    void SetBackColor(COLORREF colour, int which);
    // Stores the state; with notify a grouped button given state 1 presses its group instead of
    // redrawing.
    void SetState(int state, bool notify);
    int GetState() const { return m_state; }

    // WM_COOLBUTTON_PRESS: the state for this button's place in the range; answers 0.
    LRESULT EvPress(WPARAM wparam, LPARAM lparam);
    // Sends a WM_COOLBUTTON_PRESS to every child of `parent`; answers 0.
    static LRESULT RelayPress(HWND parent, WPARAM wparam, LPARAM lparam);

protected:
    void SetupWindow() override;
    void ODADrawEntire(DRAWITEMSTRUCT& item) override;
    void ODAFocus(DRAWITEMSTRUCT& item) override;
    void ODASelect(DRAWITEMSTRUCT& item) override;

private:
    bool Grouped() const { return m_groupLow != 0 || m_groupHigh != 0; }
    void Store(const DRAWITEMSTRUCT& item);
    void Paint();
    void Redraw();

    HBITMAP m_bitmaps[3] {};
    COLORREF m_textColors[2];
    COLORREF m_backColors[2];
    int m_state = -1;
    int m_groupLow;
    int m_groupHigh;
    HDC m_dc = nullptr;
    RECT m_rect {};
    UINT m_itemState = 0;
};

// The focus frame of an owner-drawn button with this text (its first "&" removed): round the
// text's extent centred in the rectangle, 2 pixels larger on each side, or the rectangle inset by 3.
void DrawButtonFocus(HDC dc, const RECT& rect, const char* text);
// The text with its first "&" removed, and the position of that "&" (-1 for none).
std::string StripMnemonic(const char* text, int& position);
