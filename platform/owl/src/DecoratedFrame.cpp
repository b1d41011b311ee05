#include <owl/DecoratedFrame.h>

namespace OWL {

TDecoratedFrame::TDecoratedFrame(TWindow* parent, const char* title, TWindow* client, bool track_menu_selection,
    TModule* module)
    : TFrameWindow(parent, title, client, false, module)
    , m_track_menu_selection(track_menu_selection)
{
}

}
