#pragma once

// TDecoratedFrame: a frame with decorations (control bars) above and below its client window.
//
// Insert puts a decoration window at the top or the bottom; decorations inserted at one side
// stack outward in their order. Each visible decoration takes the full width and the height it
// asks for (a gadget window's desired thickness, else its window height); a hidden one takes no
// space and gets its place back when shown. The client fills what is left. The layout is
// redone when the frame is sized, when a decoration is shown, hidden or asks for another
// height (Layout), and when a decoration is inserted again.
//
//     frame->Insert(*topBar, TDecoratedFrame::Top);
//     frame->Insert(*bottomBar, TDecoratedFrame::Bottom);

#include <owl/FrameWindow.h>

#include <vector>

namespace OWL {

class TDecoratedFrame : public TFrameWindow {
public:
    enum TLocation { None, Top, Bottom, Left, Right };

    TDecoratedFrame(TWindow* parent, const char* title, TWindow* client, bool track_menu_selection = false,
        TModule* module = nullptr);

    bool GetTrackMenuSelection() const { return m_track_menu_selection; }

    // Makes the window a decoration at `location` (Top or Bottom; the frame owns it), or lays
    // the frame out again when it is one already.
    void Insert(TWindow& decoration, TLocation location = Top);
    // Places the visible decorations and the client.
    void Layout();
    // Where a decoration sits; None when it is not one.
    TLocation GetLocation(const TWindow& decoration) const;

protected:
    void EvSize(UINT kind, int width, int height) override;

private:
    struct Decoration {
        TWindow* window;
        TLocation location;
    };
    bool m_track_menu_selection;
    std::vector<Decoration> m_decorations;
};

}
