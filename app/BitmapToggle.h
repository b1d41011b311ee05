#pragma once

// SBitmapToggle: a bar button with two pictures, one per state (TV off/on, sound/muted). Two
// command buttons with the same id take turns in the bar: state 0 shows the first, state 1 the
// second, which looks pressed. The toggle lives as long as the program; the bar owns whichever
// button it holds and the toggle deletes the one it holds out of the bar. ForgetBar tells it
// the bar is gone (it then only keeps its state).
//
//     m_tvToggle = new SBitmapToggle(bar, 1800, 1916, 1900);
//     m_tvToggle->SetState(1);

#include <base/Types.h>

namespace OWL {
class TButtonGadget;
class TGadgetWindow;
}

class SBitmapToggle {
public:
    SBitmapToggle(OWL::TGadgetWindow* bar, int id, UINT bitmap0, UINT bitmap1);
    ~SBitmapToggle();

    SBitmapToggle(const SBitmapToggle&) = delete;
    SBitmapToggle& operator=(const SBitmapToggle&) = delete;

    // Shows the state's button; always true.
    bool SetState(int state);
    void Toggle() { SetState(m_state ? 0 : 1); }
    int GetState() const { return m_state; }

    // The button shown now.
    OWL::TButtonGadget* Shown() const { return m_state ? m_gadget1 : m_gadget0; }
    // The bar deletes the button it holds; the toggle keeps the other and no longer touches the bar.
    void ForgetBar();

private:
    OWL::TButtonGadget* m_gadget0;
    OWL::TButtonGadget* m_gadget1;
    OWL::TGadgetWindow* m_bar;
    int m_state = 0;
};
