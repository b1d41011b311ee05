// Tuning through the capture filter's own tuner page, for devices without tuner interface.

#include <capture/Tv.h>

#include <capture/TunerPageControl.h>

void STv::CreateTunerPageControl()
{
    DeleteTunerPageControl();
    if (!m_captureFilter)
        return;
    m_tunerPage = new TunerPageControl(m_captureFilter, 1);
    // A control without the page's controls could not tune; without it the Bt848 path is tried.
    if (!m_tunerPage->HasControls())
        DeleteTunerPageControl();
}

void STv::DeleteTunerPageControl()
{
    // The control's destructor waits for its frame thread, which shows the capture filter.
    delete m_tunerPage;
    m_tunerPage = nullptr;
}

bool STv::TunerPageSetChannel(LONG channel)
{
    return m_tunerPage && m_tunerPage->SetChannel(channel);
}
