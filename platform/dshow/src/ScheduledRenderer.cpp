#include <dshow/ScheduledRenderer.h>
#include <dshow/VfwErrors.h>

namespace dshow {

ScheduledRenderer::ScheduledRenderer(REFCLSID clsid)
    : BaseFilter(clsid)
{
}

int ScheduledRenderer::ends() const
{
    std::lock_guard guard(m_ends_lock);
    return m_ends;
}

HRESULT ScheduledRenderer::on_pause()
{
    m_schedule.pause();
    return S_OK;
}

HRESULT ScheduledRenderer::on_run(REFERENCE_TIME start)
{
    if (m_schedule.run(start))
        notify_event(EC_COMPLETE, S_OK, 0);
    return S_OK;
}

HRESULT ScheduledRenderer::on_stop()
{
    m_schedule.stop();
    return S_OK;
}

ScheduledRenderer::Input::Input(BaseFilter& filter, std::u16string name)
    : InputPin(filter, std::move(name))
{
}

HRESULT ScheduledRenderer::Input::receive(IMediaSample* sample)
{
    if (!renderer().m_schedule.wait(sample, renderer().clock(), renderer().lead()))
        return S_FALSE;
    return renderer().present(sample);
}

HRESULT ScheduledRenderer::Input::end_of_stream()
{
    {
        std::lock_guard guard(renderer().m_ends_lock);
        ++renderer().m_ends;
    }
    REFERENCE_TIME heard = renderer().queued_until();
    if (heard > 0 && !renderer().m_schedule.wait_until(heard, renderer().clock()))
        return S_OK;
    if (renderer().m_schedule.end_of_stream())
        renderer().notify_event(EC_COMPLETE, S_OK, 0);
    return S_OK;
}

STDMETHODIMP ScheduledRenderer::Input::BeginFlush()
{
    InputPin::BeginFlush();
    renderer().m_schedule.set_flushing(true);
    renderer().on_flush(true);
    return S_OK;
}

STDMETHODIMP ScheduledRenderer::Input::EndFlush()
{
    renderer().m_schedule.set_flushing(false);
    renderer().on_flush(false);
    return InputPin::EndFlush();
}

}
