#include "BitmapToggle.h"

#include <owl/GadgetWindow.h>

SBitmapToggle::SBitmapToggle(OWL::TGadgetWindow* bar, int id, UINT bitmap0, UINT bitmap1)
    : m_gadget0(new OWL::TButtonGadget(bitmap0, id, OWL::TButtonGadget::Command, false, OWL::TButtonGadget::Up))
    , m_gadget1(new OWL::TButtonGadget(bitmap1, id, OWL::TButtonGadget::Command, false, OWL::TButtonGadget::Up))
    , m_bar(bar)
{
    m_gadget1->SetButtonState(OWL::TButtonGadget::Down);
    if (m_bar)
        m_bar->Insert(*m_gadget0);
}

SBitmapToggle::~SBitmapToggle()
{
    // The bar's button is the bar's; the other one is ours.
    if (m_bar) {
        delete (m_state ? m_gadget0 : m_gadget1);
    } else {
        if (m_gadget0 && !m_gadget0->GetGadgetWindow())
            delete m_gadget0;
        if (m_gadget1 && !m_gadget1->GetGadgetWindow())
            delete m_gadget1;
    }
}

bool SBitmapToggle::SetState(int state)
{
    if (state == m_state)
        return true;
    m_state = state;
    if (!m_bar)
        return true;
    if (state) {
        m_bar->Insert(*m_gadget1, OWL::TGadgetWindow::After, m_gadget0);
        m_bar->Remove(*m_gadget0);
    } else {
        m_bar->Insert(*m_gadget0, OWL::TGadgetWindow::After, m_gadget1);
        m_bar->Remove(*m_gadget1);
    }
    m_bar->LayoutSession();
    return true;
}

void SBitmapToggle::ForgetBar()
{
    if (!m_bar)
        return;
    // The button in the bar goes with the bar.
    if (m_gadget0->GetGadgetWindow() == m_bar)
        m_gadget0 = nullptr;
    if (m_gadget1->GetGadgetWindow() == m_bar)
        m_gadget1 = nullptr;
    m_bar = nullptr;
}
