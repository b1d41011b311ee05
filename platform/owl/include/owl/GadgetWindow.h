#pragma once

// TGadgetWindow: a child window that lays out a row (or column) of gadgets, paints them, gives
// them its mouse input and, when the application is idle, runs the command enablers of its
// command gadgets through its parent's command route (a command with neither handler nor enabler
// along that route is greyed, as in menus).
//
// Insert and Remove change the row; LayoutSession then gives the gadgets their places (set-up
// does it once for the gadgets inserted before the window exists). When the size the window
// needs changes, it asks its decorated frame to lay out its decorations again. The window deletes the gadgets it still holds when it goes; Remove
// gives a gadget back without deleting it.
//
//     auto* bar = new TControlBar(frame);
//     bar->Insert(*new TButtonGadget(1901, 1801, TButtonGadget::Command, true));
//     frame->Insert(*bar, TDecoratedFrame::Top);

#include <owl/Gadget.h>
#include <owl/Window.h>

#include <vector>

namespace OWL {

// The font of a gadget window's texts: DejaVu Sans at `point_size` points (96 dpi).
class TGadgetWindowFont {
public:
    explicit TGadgetWindowFont(int point_size = 8, bool bold = false, bool italic = false);
    ~TGadgetWindowFont();

    TGadgetWindowFont(const TGadgetWindowFont&) = delete;
    TGadgetWindowFont& operator=(const TGadgetWindowFont&) = delete;

    HFONT GetHandle() const { return m_font; }
    operator HFONT() const { return m_font; }

private:
    HFONT m_font;
};

class TGadgetWindow : public TWindow {
public:
    enum TTileDirection { Horizontal, Vertical };
    enum TPlacement { Before, After };

    // The window owns the font (a default one when null).
    TGadgetWindow(TWindow* parent = nullptr, TTileDirection direction = Horizontal, TGadgetWindowFont* font = nullptr,
        TModule* module = nullptr);
    // Deletes the gadgets it holds.
    ~TGadgetWindow() override;

    // Puts a gadget before or after a sibling (null: at the start / at the end); the window
    // holds it from now on.
    void Insert(TGadget& gadget, TPlacement placement = After, TGadget* sibling = nullptr);
    // Takes a gadget out of the row and gives it back (not deleted); null when it is not here.
    TGadget* Remove(TGadget& gadget);
    // Lays the row out again and tells the frame when the window's size changed.
    void LayoutSession();

    const std::vector<TGadget*>& GetGadgets() const { return m_gadgets; }
    TGadget* GadgetWithId(int id) const;
    // The gadget under a point (client coordinates), or null.
    TGadget* GadgetFromPoint(POINT point) const;
    TTileDirection GetDirection() const { return m_direction; }
    HFONT GetFont() const { return m_font ? m_font->GetHandle() : nullptr; }

    // The window's height (horizontal) or width (vertical) that its gadgets need.
    int GetDesiredThickness();

    // Runs the gadgets' command enablers.
    bool IdleAction(long idle_count) override;

    // The flat look of every gadget window; 0xFFFF lets the library choose (it takes flat).
    static void EnableFlatStyle(UINT style = 0xFFFF);
    static UINT GetFlatStyle();

    // Pointer capture by a gadget (a pressed button) while the mouse button is held.
    void GadgetSetCapture(TGadget& gadget);
    void GadgetReleaseCapture(TGadget& gadget);

    static constexpr int Margin = 2;   // around the row
    static constexpr int Spacing = 1;  // between gadgets

protected:
    void SetupWindow() override;
    void GetWindowClass(WNDCLASSA& wc) override;
    const char* GetClassName() override { return "OwlGadgetWindow"; }
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void EvSize(UINT kind, int width, int height) override;

private:
    void LayoutGadgets();
    void Paint();
    TGadget* MouseTarget(POINT point) const;
    void TellFrame();

    TTileDirection m_direction;
    TGadgetWindowFont* m_font;
    std::vector<TGadget*> m_gadgets;
    TGadget* m_capture = nullptr;
    int m_laid_thickness = -1;
};

}
