#pragma once

// TMySlider and TMyHSlider: the program's own slider control on the class library's scroll bar.
// Where the system trackbar may be used ("native"), the slider is one, and only hands it range,
// position, ruler and selection; otherwise it draws itself (window class "OWL_Slider") from a
// thumb bitmap and a groove, and turns mouse and keys into scroll codes. Either way every user
// action reaches the parent as WM_HSCROLL, wParam MAKELONG(scroll code, position), lParam the
// slider, as a horizontal scroll bar would send it; the self-drawn slider has already moved its
// thumb to that position. A drag sends 9 (start), SB_THUMBTRACK while moving, SB_THUMBPOSITION
// and SB_ENDSCROLL on release; keys send their code per repeat, then SB_ENDSCROLL.
//
// TMySlider holds the state and the thumb; TMyHSlider is the horizontal layout (geometry, hit
// test, ruler, groove). Both are streamable: their Streamer writes and reads the fields in order
// (a "TMySlider" read back takes the horizontal layout, the only one there is).
//
//     auto* slider = new OWL::TMyHSlider(nullptr, 1818, 0, 0, 50, 20, 1915);
//     slider->SetSliderRange(0, 100, true);
//     slider->SetSliderPosition(80, true);

#include <owl/ObjectStream.h>
#include <owl/ScrollBar.h>

#include <vector>

namespace OWL {

class TMySlider : public TScrollBar, public TStreamableBase {
public:
    TMySlider(TWindow* parent, int id, int x, int y, int w, int h, UINT thumb_resource, TModule* module = nullptr);
    TMySlider(TWindow* parent, int resource_id, UINT thumb_resource, TModule* module = nullptr);
    ~TMySlider() override;

    void SetSliderRange(int minimum, int maximum, bool redraw);
    void GetSliderRange(int& minimum, int& maximum) const;
    // The range's span: |maximum - minimum|, 1 when they are equal.
    int GetSpan() const { return m_range; }
    void SetSliderPosition(int position, bool redraw);
    int GetSliderPosition() const;

    // Tics every `tic_gap` positions (0: none but the ends); positions snap to tics when `snap`.
    void SetRuler(int tic_gap, bool snap);
    // Explicit tic positions instead of the even gap (an empty list goes back to the gap).
    void SetRuler(const std::vector<int>& tics, bool snap);
    int GetTicGap() const { return m_tic_gap; }
    bool GetSnap() const { return m_snap; }
    void SetSel(int start, int end, bool redraw);
    void GetSel(int& start, int& end) const;

    bool IsNative() const { return m_native; }
    bool IsSliding() const { return m_sliding; }
    UINT GetThumbResource() const { return m_thumb_resource; }
    const RECT& GetThumbRect() const { return m_thumb_rect; }

    // The layout's geometry and drawing, in the order of the library's slots.
    virtual int PositionFromPoint(POINT point) = 0;
    virtual POINT PointFromPosition(int position) = 0;
    virtual void NotifyOwner(int code, int position);
    virtual void SetupThumbRgn();
    virtual int HitTestPoint(POINT point) = 0;
    virtual void MoveThumb(int position);
    virtual void DrawRuler(HDC dc) = 0;
    virtual void DrawSlot(HDC dc) = 0;
    virtual void DrawThumb(HDC dc);

    // Streaming: the fields in order.
    const char* StreamableName() const override { return "TMySlider"; }
    void Write(opstream& out) const override;
    void Read(ipstream& in) override;

    static constexpr int DragStart = 9;  // the scroll code that opens a drag

protected:
    const char* GetClassName() override;
    void SetupWindow() override;
    void CleanupWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // Never use the system trackbar (the volume slider).
    void ForbidNative() { m_native = false; }
    // The thumb bitmap's size (its resource's, or 8 x 16 before it is loaded).
    SIZE ThumbSize() const { return m_thumb_size; }
    HBITMAP ThumbBitmap() const { return m_thumb; }
    int Minimum() const { return m_min; }
    int Maximum() const { return m_max; }
    const std::vector<int>& Tics() const { return m_tics; }
    int SlotThickness() const { return m_slot_thickness; }
    // Blits the thumb bitmap at the thumb rectangle through a memory device context.
    void BlitThumb(HDC dc);

private:
    void InitSlider(UINT thumb_resource);
    int Snap(int position) const;
    int Clamp(int position) const;
    // Applies a scroll code to the position and notifies the parent.
    void Scroll(int code, int position);
    void Paint();
    void EvLButtonDown(POINT point);
    void EvMouseMove(UINT keys, POINT point);
    void EvLButtonUp(POINT point);
    void EvKeyDown(UINT key, UINT repeat);

    int m_min = 0;
    int m_max = 100;
    int m_range = 100;
    int m_position = 0;
    UINT m_thumb_resource = 0;
    RECT m_thumb_rect {};
    HRGN m_thumb_region = nullptr;
    int m_slot_thickness = 4;
    int m_tic_gap = 10;
    std::vector<int> m_tics;
    bool m_snap = true;
    int m_sel_start = 0;
    int m_sel_end = 0;
    bool m_sliding = false;
    bool m_native = true;

    HBITMAP m_thumb = nullptr;
    SIZE m_thumb_size { 8, 16 };
    int m_drag_offset = 0;
};

class TMyHSlider : public TMySlider {
public:
    // Height 0 takes 32.
    TMyHSlider(TWindow* parent, int id, int x, int y, int w, int h, UINT thumb_resource, TModule* module = nullptr);
    TMyHSlider(TWindow* parent, int resource_id, UINT thumb_resource, TModule* module = nullptr);

    const char* StreamableName() const override { return "TMyHSlider"; }

    int PositionFromPoint(POINT point) override;
    POINT PointFromPosition(int position) override;
    int HitTestPoint(POINT point) override;
    void DrawRuler(HDC dc) override;
    void DrawSlot(HDC dc) override;

    class Streamer {
    public:
        static TStreamableBase* Build();
    };

protected:
    // The pixels the thumb travels over: width - thumb width - 2 (at least 0).
    int Travel() const;
    // The client area (the attributes' size before the window exists).
    RECT Area() const;
    int Width() const;
    int Height() const;
};

}
