#pragma once

// TGadget: one item of a gadget window (a control bar): a button with a bitmap, a separator, a
// text, or a control window. Gadgets are not windows; the gadget window gives each its bounds in
// a layout session, paints them, passes them its mouse input and, while idle, lets the command
// gadgets ask their command enablers. A gadget belongs to the window that holds it: the window
// deletes the gadgets it holds when it is destroyed, while a gadget removed from it is the
// caller's again.
//
//     bar->Insert(*new TButtonGadget(1901, 1801));                  // a command button
//     bar->Insert(*new TSeparatorGadget);
//     bar->Insert(*new TTextGadget(1815, TGadget::None, TTextGadget::Left, 5));
//     bar->Insert(*new TControlGadget(*new TEdit(nullptr, 1805, "", 0, 0, 40, 20)));

#include <owl/CommandEnabler.h>

#include <base/Types.h>

#include <string>

namespace OWL {

class TGadgetWindow;
class TWindow;

class TGadget {
public:
    enum TBorderStyle { None, Plain, Raised, Recessed, Embossed };

    explicit TGadget(int id = 0, TBorderStyle border = None);
    virtual ~TGadget();

    TGadget(const TGadget&) = delete;
    TGadget& operator=(const TGadget&) = delete;

    int GetId() const { return m_id; }
    TGadgetWindow* GetGadgetWindow() const { return m_window; }
    const RECT& GetBounds() const { return m_bounds; }
    bool GetEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled);
    TBorderStyle GetBorderStyle() const { return m_border; }

    // The size the gadget asks for in its window's layout.
    virtual void GetDesiredSize(SIZE& size);
    // Placed by the window's layout (window client coordinates).
    virtual void SetBounds(const RECT& bounds);
    virtual void Paint(HDC dc);
    // Whether the point (window client coordinates) lies in the gadget.
    bool PtIn(POINT point) const;

    // Mouse input while the pointer is over the gadget (or the gadget holds the capture).
    virtual void LButtonDown(POINT) { }
    virtual void LButtonUp(POINT) { }
    virtual void MouseMove(POINT) { }

    // Idle command enabling; only command gadgets take part.
    virtual void CommandEnable() { }

    // Redraws the gadget's area.
    void Invalidate();

protected:
    // Called when the gadget joins a window / just before it leaves one.
    virtual void Inserted() { }
    virtual void Removed() { }
    // The width of the border on each side.
    int BorderWidth() const { return m_border == None ? 0 : 2; }
    void PaintBorder(HDC dc);

private:
    friend class TGadgetWindow;

    int m_id;
    TBorderStyle m_border;
    TGadgetWindow* m_window = nullptr;
    RECT m_bounds {};
    bool m_enabled = true;
};

// Blank space between groups of gadgets.
class TSeparatorGadget : public TGadget {
public:
    explicit TSeparatorGadget(int size = 8);
    void GetDesiredSize(SIZE& size) override;

private:
    int m_size;
};

// A line of text, `num_chars` average characters wide.
class TTextGadget : public TGadget {
public:
    enum TAlign { Left, Center, Right };

    TTextGadget(int id = 0, TBorderStyle border = Recessed, TAlign align = Left, UINT num_chars = 10,
        const char* text = nullptr);

    const char* GetText() const { return m_text.c_str(); }
    void SetText(const char* text);

    void GetDesiredSize(SIZE& size) override;
    void Paint(HDC dc) override;

private:
    TAlign m_align;
    UINT m_num_chars;
    std::string m_text;
};

// A button showing a bitmap resource. A command button sends WM_COMMAND with its id to the
// gadget window's parent when it is clicked while enabled; its enabler greys it and a check mark
// presses it down. Holding a button down does not repeat its command (`repeat` is not used).
class TButtonGadget : public TGadget {
public:
    enum TType { Command, Exclusive, NonExclusive };
    enum TState { Up, Down, Indeterminate };

    TButtonGadget(UINT bitmap_id, int id, TType type = Command, bool enabled = false, TState state = Up,
        bool repeat = false);
    ~TButtonGadget() override;

    TType GetButtonType() const { return m_type; }
    TState GetButtonState() const { return m_state; }
    void SetButtonState(TState state);
    UINT GetBitmapId() const { return m_bitmap_id; }
    // Whether the pointer holds the button pressed now.
    bool IsPressed() const { return m_pressed; }

    void SetEnabled(bool enabled) override;
    void GetDesiredSize(SIZE& size) override;
    void Paint(HDC dc) override;
    void LButtonDown(POINT point) override;
    void LButtonUp(POINT point) override;
    void MouseMove(POINT point) override;
    void CommandEnable() override;

protected:
    void Inserted() override;

private:
    void LoadGlyph();

    UINT m_bitmap_id;
    TType m_type;
    TState m_state;
    HBITMAP m_glyph = nullptr;
    SIZE m_glyph_size { 16, 16 };
    bool m_pressed = false;
    bool m_tracking = false;
};

// A control window (edit field, slider) in a gadget window. The gadget owns the control: the
// control becomes a child of the gadget window when the gadget is inserted (so its notices go to
// that window), is hidden while the gadget is out of a window, and is deleted with the gadget.
class TControlGadget : public TGadget {
public:
    explicit TControlGadget(TWindow& control, TBorderStyle border = None);
    ~TControlGadget() override;

    TWindow* GetControl() const { return m_control; }

    void GetDesiredSize(SIZE& size) override;
    void SetBounds(const RECT& bounds) override;

protected:
    void Inserted() override;
    void Removed() override;

private:
    TWindow* m_control;
};

// The enabler a command gadget gets: Enable greys it, SetCheck presses it down or lets it up.
class TButtonGadgetEnabler : public TCommandEnabler {
public:
    explicit TButtonGadgetEnabler(TButtonGadget& gadget);

    void Enable(bool enable = true) override;
    void SetCheck(int state) override;
    void SetText(const char*) override { m_handled = true; }

private:
    TButtonGadget& m_gadget;
};

}
