#pragma once

// SControlBar: the main window's control bars. A class library control bar that passes what its
// controls tell it on to the frame's client window: every slider's WM_HSCROLL (posted, with the
// scroll code and position in wParam and the slider in lParam) and each change of the channel
// field (WM_CHANNELTYPED). The client reads the field and the sliders itself.
//
//     auto* bar = new SControlBar(frame, OWL::TGadgetWindow::Horizontal, new OWL::TGadgetWindowFont(10), nullptr);
//     frame->Insert(*bar, OWL::TDecoratedFrame::Top);

#include <owl/ControlBar.h>

// The control and text ids of the bars' gadgets that send no command.
constexpr int ChannelFieldId = 1805;
constexpr int PositionSliderId = 1809;
constexpr int PositionTextId = 1812;  // playback position
constexpr int DurationTextId = 1813;  // playback duration
constexpr int StationTextId = 1815;
constexpr int VolumeSliderId = 1818;

class SControlBar : public OWL::TControlBar {
public:
    SControlBar(OWL::TWindow* parent, TTileDirection direction, OWL::TGadgetWindowFont* font, OWL::TModule* module);

private:
    // The frame's client window, or null.
    HWND ClientHandle() const;
    LRESULT EvHScroll(WPARAM wparam, LPARAM lparam);
    LRESULT EvCommand(WPARAM wparam, LPARAM lparam);
};
