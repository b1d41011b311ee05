// Finding and connecting pins.

#include <capture/Tv.h>

#include <string_view>

IPin* STv::FindAudioPin(IBaseFilter* filter)
{
    if (!m_graph || !filter)
        return nullptr;

    CComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return nullptr;
    pins->Reset();

    for (;;) {
        IPin* pin = nullptr;
        if (pins->Next(1, &pin, nullptr) != S_OK)
            return nullptr;
        PIN_INFO info {};
        if (SUCCEEDED(pin->QueryPinInfo(&info))) {
            if (info.pFilter)
                info.pFilter->Release();
            info.achName[MAX_PIN_NAME - 1] = 0;
            std::u16string_view name(info.achName);
            if (info.dir == PINDIR_OUTPUT && name.find(u"udio") != std::u16string_view::npos)
                return pin;
        }
        pin->Release();
    }
}

HRESULT STv::GetUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!filter)
        return E_POINTER;

    CComPtr<IEnumPins> pins;
    HRESULT hr = filter->EnumPins(&pins);
    if (FAILED(hr))
        return hr;

    for (;;) {
        IPin* pin = nullptr;
        if (pins->Next(1, &pin, nullptr) != S_OK)
            return E_FAIL;
        PIN_DIRECTION pin_direction;
        if (SUCCEEDED(pin->QueryDirection(&pin_direction)) && pin_direction == direction) {
            IPin* peer = nullptr;
            if (FAILED(pin->ConnectedTo(&peer))) {
                *out = pin;
                return S_OK;
            }
            if (peer)
                peer->Release();
        }
        pin->Release();
    }
}

HRESULT STv::ConnectPinToFilter(IPin* output, IBaseFilter* filter)
{
    if (!m_graph || !output || !filter)
        return E_POINTER;

    IPin* input = nullptr;
    HRESULT hr = GetUnconnectedPin(filter, PINDIR_INPUT, &input);
    if (FAILED(hr))
        return hr;
    hr = m_graph->Connect(output, input);
    input->Release();
    return hr;
}

HRESULT STv::ConnectFilters(IBaseFilter* from, IBaseFilter* to)
{
    if (!from || !to)
        return E_POINTER;

    IPin* output = nullptr;
    HRESULT hr = GetUnconnectedPin(from, PINDIR_OUTPUT, &output);
    if (hr != S_OK)
        return hr;
    hr = ConnectPinToFilter(output, to);
    output->Release();
    return hr;
}
