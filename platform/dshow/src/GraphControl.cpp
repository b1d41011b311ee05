#include "FilterGraphImpl.h"

namespace dshow::detail {

// IMediaControl

STDMETHODIMP FilterGraph::Run()
{
    std::lock_guard guard(m_lock);
    if (m_state == State_Running)
        return S_OK;
    if (m_state == State_Stopped) {
        HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    REFERENCE_TIME now = 0;
    m_clock->GetTime(&now);
    // Stream time continues where the pause left it.
    REFERENCE_TIME start = now - m_position_before;
    auto order = downstream_first();
    for (auto& filter : order) {
        HRESULT hr = filter->Run(start);
        if (FAILED(hr)) {
            Stop();
            return hr;
        }
    }
    m_state = State_Running;
    m_run_start = now;
    for (auto& filter : order) {
        FILTER_STATE state;
        if (filter->GetState(0, &state) == VFW_S_STATE_INTERMEDIATE)
            return S_FALSE;
    }
    return S_OK;
}

STDMETHODIMP FilterGraph::Pause()
{
    std::lock_guard guard(m_lock);
    if (m_state == State_Paused)
        return S_OK;
    if (m_state == State_Stopped)
        reset_completion();
    auto order = downstream_first();
    for (auto& filter : order) {
        HRESULT hr = filter->Pause();
        if (FAILED(hr)) {
            if (m_state == State_Stopped) {
                for (auto& f : order)
                    f->Stop();
            }
            return hr;
        }
    }
    if (m_state == State_Running) {
        REFERENCE_TIME now = 0;
        m_clock->GetTime(&now);
        m_position_before += now - m_run_start;
    }
    m_state = State_Paused;
    for (auto& filter : order) {
        FILTER_STATE state;
        if (filter->GetState(0, &state) == VFW_S_STATE_INTERMEDIATE)
            return S_FALSE;
    }
    return S_OK;
}

STDMETHODIMP FilterGraph::Stop()
{
    std::lock_guard guard(m_lock);
    // A file keeps its position: the next Run goes on from where it stopped.
    auto seeking = seeking_filters();
    if (!seeking.empty())
        m_segment_start = media_position();
    HRESULT result = stop_filters();
    for (auto& filter : seeking) {
        LONGLONG at = m_segment_start;
        filter->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    }
    return result;
}

STDMETHODIMP FilterGraph::GetState(LONG timeout_ms, OAFilterState* out)
{
    if (!out)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    *out = m_state;
    HRESULT result = S_OK;
    for (auto& entry : m_filters) {
        FILTER_STATE state;
        HRESULT hr = entry.filter->GetState(static_cast<DWORD>(timeout_ms), &state);
        if (hr == VFW_S_STATE_INTERMEDIATE || FAILED(hr))
            return hr;
        if (hr == VFW_S_CANT_CUE)
            result = hr;
    }
    return result;
}

STDMETHODIMP FilterGraph::RenderFile(BSTR file) { return RenderFile(file, nullptr); }

STDMETHODIMP FilterGraph::AddSourceFilter(BSTR, IDispatch** filter)
{
    if (filter)
        *filter = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FilterGraph::get_FilterCollection(IDispatch** collection)
{
    if (collection)
        *collection = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FilterGraph::get_RegFilterCollection(IDispatch** collection)
{
    if (collection)
        *collection = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FilterGraph::StopWhenReady() { return Stop(); }

// IMediaPosition

STDMETHODIMP FilterGraph::get_CurrentPosition(REFTIME* time)
{
    if (!time)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    if (!seeking_filters().empty()) {
        *time = static_cast<double>(media_position()) / UNITS;
        return S_OK;
    }
    REFERENCE_TIME position = m_position_before;
    if (m_state == State_Running) {
        REFERENCE_TIME now = 0;
        m_clock->GetTime(&now);
        position += now - m_run_start;
    }
    *time = static_cast<double>(position) / UNITS;
    return S_OK;
}

STDMETHODIMP FilterGraph::get_Rate(double* rate) { return GetRate(rate); }
STDMETHODIMP FilterGraph::put_Rate(double rate) { return SetRate(rate); }

// A live graph has no duration and cannot seek; a file's graph passes these to IMediaSeeking.
STDMETHODIMP FilterGraph::get_Duration(REFTIME* length)
{
    if (!length)
        return E_POINTER;
    LONGLONG duration = 0;
    HRESULT hr = GetDuration(&duration);
    if (SUCCEEDED(hr))
        *length = static_cast<double>(duration) / UNITS;
    return hr;
}

STDMETHODIMP FilterGraph::put_CurrentPosition(REFTIME time)
{
    LONGLONG position = static_cast<LONGLONG>(time * UNITS);
    return SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

STDMETHODIMP FilterGraph::get_StopTime(REFTIME* time) { return get_Duration(time); }
STDMETHODIMP FilterGraph::put_StopTime(REFTIME) { return E_NOTIMPL; }
STDMETHODIMP FilterGraph::get_PrerollTime(REFTIME* time)
{
    if (!time)
        return E_POINTER;
    *time = 0;
    return S_OK;
}
STDMETHODIMP FilterGraph::put_PrerollTime(REFTIME) { return E_NOTIMPL; }

STDMETHODIMP FilterGraph::CanSeekForward(LONG* can)
{
    if (!can)
        return E_POINTER;
    *can = seeking_filters().empty() ? OAFALSE : OATRUE;
    return S_OK;
}

STDMETHODIMP FilterGraph::CanSeekBackward(LONG* can) { return CanSeekForward(can); }

// Forwarding to the renderers

template<typename Interface>
std::vector<CComPtr<Interface>> FilterGraph::filters_with() const
{
    std::vector<CComPtr<Interface>> list;
    for (auto& entry : snapshot()) {
        CComPtr<Interface> found;
        if (SUCCEEDED(entry.filter->QueryInterface(com::iid_of<Interface>(), reinterpret_cast<void**>(&found))))
            list.push_back(found);
    }
    return list;
}

std::vector<CComPtr<IMediaSeeking>> FilterGraph::seeking_filters() const { return filters_with<IMediaSeeking>(); }

template<typename Interface>
HRESULT FilterGraph::first_with(CComPtr<Interface>& found) const
{
    auto list = filters_with<Interface>();
    if (list.empty())
        return E_NOINTERFACE;
    found = list.front();
    return S_OK;
}

HRESULT FilterGraph::set_audio(HRESULT (STDMETHODCALLTYPE IBasicAudio::*set)(LONG), LONG level)
{
    auto list = filters_with<IBasicAudio>();
    if (list.empty())
        return E_NOINTERFACE;
    HRESULT result = S_OK;
    for (auto& audio : list) {
        HRESULT hr = (audio.p->*set)(level);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    return result;
}

STDMETHODIMP FilterGraph::put_Volume(LONG volume)
{
    if (volume < -10000 || volume > 0)
        return E_INVALIDARG;
    return set_audio(&IBasicAudio::put_Volume, volume);
}

STDMETHODIMP FilterGraph::put_Balance(LONG balance)
{
    if (balance < -10000 || balance > 10000)
        return E_INVALIDARG;
    return set_audio(&IBasicAudio::put_Balance, balance);
}

#define FORWARD_AUDIO(call)                    \
    {                                          \
        CComPtr<IBasicAudio> audio;            \
        HRESULT hr = first_with(audio);        \
        return FAILED(hr) ? hr : audio->call;  \
    }

STDMETHODIMP FilterGraph::get_Volume(LONG* volume) FORWARD_AUDIO(get_Volume(volume))
STDMETHODIMP FilterGraph::get_Balance(LONG* balance) FORWARD_AUDIO(get_Balance(balance))

#define FORWARD_VIDEO(call)                    \
    {                                          \
        CComPtr<IVideoWindow> window;          \
        HRESULT hr = first_with(window);       \
        return FAILED(hr) ? hr : window->call; \
    }

STDMETHODIMP FilterGraph::put_Caption(BSTR caption) FORWARD_VIDEO(put_Caption(caption))
STDMETHODIMP FilterGraph::get_Caption(BSTR* caption) FORWARD_VIDEO(get_Caption(caption))
STDMETHODIMP FilterGraph::put_WindowStyle(LONG style) FORWARD_VIDEO(put_WindowStyle(style))
STDMETHODIMP FilterGraph::get_WindowStyle(LONG* style) FORWARD_VIDEO(get_WindowStyle(style))
STDMETHODIMP FilterGraph::put_WindowStyleEx(LONG style) FORWARD_VIDEO(put_WindowStyleEx(style))
STDMETHODIMP FilterGraph::get_WindowStyleEx(LONG* style) FORWARD_VIDEO(get_WindowStyleEx(style))
STDMETHODIMP FilterGraph::put_AutoShow(LONG show) FORWARD_VIDEO(put_AutoShow(show))
STDMETHODIMP FilterGraph::get_AutoShow(LONG* show) FORWARD_VIDEO(get_AutoShow(show))
STDMETHODIMP FilterGraph::put_WindowState(LONG state) FORWARD_VIDEO(put_WindowState(state))
STDMETHODIMP FilterGraph::get_WindowState(LONG* state) FORWARD_VIDEO(get_WindowState(state))
STDMETHODIMP FilterGraph::put_BackgroundPalette(LONG palette) FORWARD_VIDEO(put_BackgroundPalette(palette))
STDMETHODIMP FilterGraph::get_BackgroundPalette(LONG* palette) FORWARD_VIDEO(get_BackgroundPalette(palette))
STDMETHODIMP FilterGraph::put_Visible(LONG visible) FORWARD_VIDEO(put_Visible(visible))
STDMETHODIMP FilterGraph::get_Visible(LONG* visible) FORWARD_VIDEO(get_Visible(visible))
STDMETHODIMP FilterGraph::put_Left(LONG left) FORWARD_VIDEO(put_Left(left))
STDMETHODIMP FilterGraph::get_Left(LONG* left) FORWARD_VIDEO(get_Left(left))
STDMETHODIMP FilterGraph::put_Width(LONG width) FORWARD_VIDEO(put_Width(width))
STDMETHODIMP FilterGraph::get_Width(LONG* width) FORWARD_VIDEO(get_Width(width))
STDMETHODIMP FilterGraph::put_Top(LONG top) FORWARD_VIDEO(put_Top(top))
STDMETHODIMP FilterGraph::get_Top(LONG* top) FORWARD_VIDEO(get_Top(top))
STDMETHODIMP FilterGraph::put_Height(LONG height) FORWARD_VIDEO(put_Height(height))
STDMETHODIMP FilterGraph::get_Height(LONG* height) FORWARD_VIDEO(get_Height(height))
STDMETHODIMP FilterGraph::put_Owner(OAHWND owner) FORWARD_VIDEO(put_Owner(owner))
STDMETHODIMP FilterGraph::get_Owner(OAHWND* owner) FORWARD_VIDEO(get_Owner(owner))
STDMETHODIMP FilterGraph::put_MessageDrain(OAHWND drain) FORWARD_VIDEO(put_MessageDrain(drain))
STDMETHODIMP FilterGraph::get_MessageDrain(OAHWND* drain) FORWARD_VIDEO(get_MessageDrain(drain))
STDMETHODIMP FilterGraph::get_BorderColor(LONG* color) FORWARD_VIDEO(get_BorderColor(color))
STDMETHODIMP FilterGraph::put_BorderColor(LONG color) FORWARD_VIDEO(put_BorderColor(color))
STDMETHODIMP FilterGraph::get_FullScreenMode(LONG* mode) FORWARD_VIDEO(get_FullScreenMode(mode))
STDMETHODIMP FilterGraph::put_FullScreenMode(LONG mode) FORWARD_VIDEO(put_FullScreenMode(mode))
STDMETHODIMP FilterGraph::SetWindowForeground(LONG focus) FORWARD_VIDEO(SetWindowForeground(focus))
STDMETHODIMP FilterGraph::NotifyOwnerMessage(OAHWND window_handle, LONG message, LONG_PTR wparam, LONG_PTR lparam)
    FORWARD_VIDEO(NotifyOwnerMessage(window_handle, message, wparam, lparam))
STDMETHODIMP FilterGraph::SetWindowPosition(LONG left, LONG top, LONG width, LONG height)
    FORWARD_VIDEO(SetWindowPosition(left, top, width, height))
STDMETHODIMP FilterGraph::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height)
    FORWARD_VIDEO(GetWindowPosition(left, top, width, height))
STDMETHODIMP FilterGraph::GetMinIdealImageSize(LONG* width, LONG* height) FORWARD_VIDEO(GetMinIdealImageSize(width, height))
STDMETHODIMP FilterGraph::GetMaxIdealImageSize(LONG* width, LONG* height) FORWARD_VIDEO(GetMaxIdealImageSize(width, height))
STDMETHODIMP FilterGraph::GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height)
    FORWARD_VIDEO(GetRestorePosition(left, top, width, height))
STDMETHODIMP FilterGraph::HideCursor(LONG hide) FORWARD_VIDEO(HideCursor(hide))
STDMETHODIMP FilterGraph::IsCursorHidden(LONG* hidden) FORWARD_VIDEO(IsCursorHidden(hidden))

}
