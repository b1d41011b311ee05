// The graph's IMediaSeeking: passed on to the filters that seek (the file sources), while the
// graph keeps the position itself: the media time where stream time 0 began plus the stream
// time run since, times the rate, never past the duration. A seek or a rate change while paused
// or running stops the filters and starts them again from the new position. Once every renderer
// has finished (EC_COMPLETE), the position is the duration.

#include "FilterGraphImpl.h"
#include "MediaTime.h"

#include <algorithm>

namespace dshow::detail {

REFERENCE_TIME FilterGraph::media_position() const
{
    std::lock_guard guard(m_lock);
    REFERENCE_TIME stream = m_position_before;
    if (m_state == State_Running) {
        REFERENCE_TIME now = 0;
        m_clock->GetTime(&now);
        stream += now - m_run_start;
    }
    REFERENCE_TIME position = m_segment_start + static_cast<REFERENCE_TIME>(static_cast<double>(stream) * m_rate);
    // At the end of the streams the position is the duration, whatever the last sample's time.
    LONGLONG duration = 0;
    if (SUCCEEDED(const_cast<FilterGraph*>(this)->GetDuration(&duration)))
        position = completed() ? duration : std::min<REFERENCE_TIME>(position, duration);
    return std::max<REFERENCE_TIME>(position, 0);
}

HRESULT FilterGraph::stop_filters()
{
    auto order = downstream_first();
    HRESULT result = S_OK;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        HRESULT hr = (*it)->Stop();
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    m_state = State_Stopped;
    m_position_before = 0;
    forget_completion();
    return result;
}

HRESULT FilterGraph::restart_at(REFERENCE_TIME position, double rate)
{
    std::lock_guard guard(m_lock);
    FILTER_STATE state = m_state;
    if (state != State_Stopped)
        stop_filters();
    for (auto& filter : seeking_filters()) {
        if (rate != m_rate) {
            HRESULT hr = filter->SetRate(rate);
            if (FAILED(hr))
                return hr;
        }
        LONGLONG at = position;
        filter->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    }
    m_rate = rate;
    m_segment_start = position;
    forget_completion();
    if (state == State_Running)
        return Run();
    if (state == State_Paused)
        return Pause();
    return S_OK;
}

STDMETHODIMP FilterGraph::GetCapabilities(DWORD* capabilities)
{
    if (!capabilities)
        return E_POINTER;
    auto filters = seeking_filters();
    if (filters.empty())
        return E_NOTIMPL;
    DWORD all = ~0u;
    for (auto& filter : filters) {
        DWORD one = 0;
        filter->GetCapabilities(&one);
        all &= one;
    }
    *capabilities = all | AM_SEEKING_CanGetCurrentPos;
    return S_OK;
}

STDMETHODIMP FilterGraph::CheckCapabilities(DWORD* capabilities)
{
    DWORD have = 0;
    if (FAILED(GetCapabilities(&have)))
        return E_NOTIMPL;
    return check_capabilities(have, capabilities);
}

STDMETHODIMP FilterGraph::IsFormatSupported(const GUID* format) { return is_media_time(format); }

STDMETHODIMP FilterGraph::QueryPreferredFormat(GUID* format) { return media_time(format); }

STDMETHODIMP FilterGraph::GetTimeFormat(GUID* format) { return media_time(format); }
STDMETHODIMP FilterGraph::IsUsingTimeFormat(const GUID* format) { return is_media_time(format); }

STDMETHODIMP FilterGraph::SetTimeFormat(const GUID* format) { return set_media_time(format); }

STDMETHODIMP FilterGraph::GetDuration(LONGLONG* duration)
{
    if (!duration)
        return E_POINTER;
    auto filters = seeking_filters();
    if (filters.empty())
        return E_NOTIMPL;
    HRESULT result = E_NOTIMPL;
    LONGLONG longest = 0;
    for (auto& filter : filters) {
        LONGLONG one = 0;
        if (SUCCEEDED(filter->GetDuration(&one))) {
            longest = std::max(longest, one);
            result = S_OK;
        }
    }
    if (SUCCEEDED(result))
        *duration = longest;
    return result;
}

STDMETHODIMP FilterGraph::GetStopPosition(LONGLONG* stop) { return GetDuration(stop); }

STDMETHODIMP FilterGraph::GetCurrentPosition(LONGLONG* current)
{
    if (!current)
        return E_POINTER;
    if (seeking_filters().empty())
        return E_NOTIMPL;
    *current = media_position();
    return S_OK;
}

STDMETHODIMP FilterGraph::ConvertTimeFormat(LONGLONG* target, const GUID* target_format, LONGLONG source, const GUID* source_format)
{
    return convert_media_time(target, target_format, source, source_format);
}

STDMETHODIMP FilterGraph::SetPositions(LONGLONG* current, DWORD current_flags, LONGLONG* stop, DWORD stop_flags)
{
    (void)stop;
    (void)stop_flags;
    if (seeking_filters().empty())
        return E_NOTIMPL;
    DWORD how = current_flags & AM_SEEKING_PositioningBitsMask;
    if (how == AM_SEEKING_NoPositioning)
        return S_OK;
    if (!current)
        return E_POINTER;
    REFERENCE_TIME target = how == AM_SEEKING_AbsolutePositioning ? *current : media_position() + *current;
    target = std::max<REFERENCE_TIME>(target, 0);
    HRESULT hr = restart_at(target, m_rate);
    if (current_flags & AM_SEEKING_ReturnTime)
        *current = target;
    return FAILED(hr) ? hr : S_OK;
}

STDMETHODIMP FilterGraph::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    if (seeking_filters().empty())
        return E_NOTIMPL;
    if (current)
        *current = media_position();
    if (stop && FAILED(GetDuration(stop)))
        *stop = 0;
    return S_OK;
}

STDMETHODIMP FilterGraph::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    if (earliest)
        *earliest = 0;
    if (latest && FAILED(GetDuration(latest)))
        *latest = 0;
    return seeking_filters().empty() ? E_NOTIMPL : S_OK;
}

STDMETHODIMP FilterGraph::SetRate(double rate)
{
    if (!(rate > 0.0))
        return E_INVALIDARG;
    if (seeking_filters().empty())
        return rate == 1.0 ? S_OK : E_NOTIMPL;
    std::lock_guard guard(m_lock);
    return restart_at(media_position(), rate);
}

STDMETHODIMP FilterGraph::GetRate(double* rate)
{
    if (!rate)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    *rate = m_rate;
    return S_OK;
}

STDMETHODIMP FilterGraph::GetPreroll(LONGLONG* preroll)
{
    if (!preroll)
        return E_POINTER;
    *preroll = 0;
    return S_OK;
}

}
