#pragma once

// TScrollBar: a "SCROLLBAR" control the program places itself, with its range and position kept
// in the object (so they can be set before the window exists). It is also the base of the
// sliders, which take their own window classes.
//
//     auto* bar = new TScrollBar(parent, 300, 0, 0, 120, 16, true);
//     bar->SetRange(0, 50);
//     bar->SetPosition(10);

#include <owl/Control.h>

namespace OWL {

class TScrollBar : public TControl {
public:
    TScrollBar(TWindow* parent, int id, int x, int y, int w, int h, bool horizontal, TModule* module = nullptr);

    void GetRange(int& min, int& max) const;
    void SetRange(int min, int max, bool redraw = true);
    int GetPosition() const { return m_position; }
    void SetPosition(int position, bool redraw = true);

protected:
    const char* GetClassName() override { return "SCROLLBAR"; }
    void SetupWindow() override;

private:
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
};

}
