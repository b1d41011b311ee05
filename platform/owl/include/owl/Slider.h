#pragma once

// THSlider: the library's stock horizontal slider, a scroll-bar-like control over the system
// trackbar. It reports the user's actions to its parent as WM_HSCROLL (scroll code in the low
// word, the thumb position for the thumb codes in the high word, the slider in lParam), moves
// its own thumb, and keeps range, ruler and position in the object so they can be set before
// the window exists. A ruler gap of 0 shows no tics; snapping moves set positions to a tic.
//
//     auto* slider = new THSlider(nullptr, 1809, 0, 0, 150, 20);
//     slider->SetRange(0, 1000);
//     slider->SetRuler(0, false);
//     bar->Insert(*new TControlGadget(*slider));

#include <owl/ScrollBar.h>

namespace OWL {

// The library's own thumb picture.
constexpr UINT IDB_HSLIDERTHUMB = 32000;

class THSlider : public TScrollBar {
public:
    THSlider(TWindow* parent, int id, int x, int y, int w, int h, UINT thumb_resource = IDB_HSLIDERTHUMB,
        TModule* module = nullptr);

    void SetRange(int min, int max, bool redraw = true);
    void GetRange(int& min, int& max) const;
    // The thumb's position (read from the trackbar while it exists).
    int GetPosition() const;
    void SetPosition(int position, bool redraw = true);
    // Tics every `tic_gap` positions (0: none); `snap` moves set positions to the nearest tic.
    void SetRuler(int tic_gap, bool snap = false);
    int GetTicGap() const { return m_tic_gap; }
    bool GetSnap() const { return m_snap; }
    UINT GetThumbResource() const { return m_thumb; }

protected:
    const char* GetClassName() override;
    void SetupWindow() override;

private:
    int Snapped(int position) const;

    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    int m_tic_gap = 10;
    bool m_snap = true;
    UINT m_thumb;
};

}
