#pragma once

// TDecoratedFrame: the frame that will host control bars around its client. For now it lays out
// the client alone; menu-selection tracking is remembered for the hint bar.

#include <owl/FrameWindow.h>

namespace OWL {

class TDecoratedFrame : public TFrameWindow {
public:
    TDecoratedFrame(TWindow* parent, const char* title, TWindow* client, bool track_menu_selection = false,
        TModule* module = nullptr);

    bool GetTrackMenuSelection() const { return m_track_menu_selection; }

private:
    bool m_track_menu_selection;
};

}
