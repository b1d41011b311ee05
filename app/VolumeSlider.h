#pragma once

// VolumeSlider: the control bar's volume slider (0..100). A self-drawn horizontal slider (never
// the system trackbar) that shows no focus: it ignores focus changes, and paints its groove with
// edge lines of its own and its thumb from the thumb bitmap.
//
//     auto* volume = new VolumeSlider(nullptr, 1818, 0, 0, 50, 20, 1915);
//     bar->Insert(*new OWL::TControlGadget(*volume));

#include "MySlider.h"

class VolumeSlider : public OWL::TMyHSlider {
public:
    VolumeSlider(OWL::TWindow* parent, int id, int x, int y, int w, int h, UINT thumb_resource,
        OWL::TModule* module = nullptr);

    POINT PointFromPosition(int position) override;
    void MoveThumb(int position) override;
    void DrawSlot(HDC dc) override;
    void DrawThumb(HDC dc) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
};
