#include "FilterGraphImpl.h"

#include <base/Clock.h>

namespace dshow::detail {

namespace {

// Time advise is not offered: nothing in the layer waits on the clock's events.
class SystemClock final : public com::Object<IReferenceClock> {
public:
    STDMETHODIMP GetTime(REFERENCE_TIME* time) override
    {
        if (!time)
            return E_POINTER;
        *time = static_cast<REFERENCE_TIME>(base::Clock::ticks_ms()) * (UNITS / 1000);
        return S_OK;
    }
    STDMETHODIMP AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT, DWORD_PTR* cookie) override
    {
        if (cookie)
            *cookie = 0;
        return E_NOTIMPL;
    }
    STDMETHODIMP AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE, DWORD_PTR* cookie) override
    {
        if (cookie)
            *cookie = 0;
        return E_NOTIMPL;
    }
    STDMETHODIMP Unadvise(DWORD_PTR) override { return S_FALSE; }
};

}

HRESULT create_system_clock(IReferenceClock** clock)
{
    if (!clock)
        return E_POINTER;
    *clock = new SystemClock;
    return S_OK;
}

}
