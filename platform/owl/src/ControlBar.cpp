#include <owl/ControlBar.h>

namespace OWL {

TControlBar::TControlBar(TWindow* parent, TTileDirection direction, TGadgetWindowFont* font, TModule* module)
    : TGadgetWindow(parent, direction, font, module)
{
}

}
