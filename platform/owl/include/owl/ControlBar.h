#pragma once

// TControlBar: the horizontal (or vertical) bar of buttons, texts and controls that a decorated
// frame carries above or below its client; a gadget window with the bar's face and margins.
//
//     auto* bar = new TControlBar(frame, TGadgetWindow::Horizontal, new TGadgetWindowFont(10));
//     bar->Insert(*new TButtonGadget(1903, 1806, TButtonGadget::Command, true));
//     frame->Insert(*bar, TDecoratedFrame::Bottom);

#include <owl/GadgetWindow.h>

namespace OWL {

class TControlBar : public TGadgetWindow {
public:
    TControlBar(TWindow* parent = nullptr, TTileDirection direction = Horizontal, TGadgetWindowFont* font = nullptr,
        TModule* module = nullptr);

protected:
    const char* GetClassName() override { return "OwlControlBar"; }
};

}
