#pragma once

// The pins of the analog connections inside a card (tuner to crossbar to capture filter). They
// connect like any pins, so graph searches can walk them, but no samples flow over them.

#include <dshow/Pins.h>
#include <dshow/TunerInterfaces.h>

#include <com/TaskMemory.h>
#include <dshow/PropertyPages.h>

#include <vector>

namespace sim::detail {

class AnalogOutput final : public dshow::OutputPin {
public:
    AnalogOutput(dshow::BaseFilter& filter, std::u16string name, REFGUID major)
        : OutputPin(filter, name, name)
        , m_major(major)
    {
    }
    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return IsEqualGUID(type.majortype, m_major) ? S_OK : S_FALSE; }
    std::vector<dshow::MediaType> media_types() override { return { dshow::MediaType::of(m_major, MEDIASUBTYPE_None) }; }

protected:
    LONG buffer_size(const AM_MEDIA_TYPE&) override { return 1; }

private:
    const GUID m_major;
};

class AnalogInput final : public dshow::InputPin {
public:
    AnalogInput(dshow::BaseFilter& filter, std::u16string name, REFGUID major)
        : InputPin(filter, name, name)
        , m_major(major)
    {
    }
    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return IsEqualGUID(type.majortype, m_major) ? S_OK : S_FALSE; }

    // Nothing streams over the analog link, so it can be broken in any state of the filter.
    STDMETHODIMP Disconnect() override
    {
        if (!is_connected())
            return S_FALSE;
        clear_connection();
        return S_OK;
    }

protected:
    HRESULT receive(IMediaSample*) override { return S_OK; }

private:
    const GUID m_major;
};

// Fills `pages` with a task-memory copy of `clsids` (the GetPages body).
inline HRESULT fill_pages(const std::vector<CLSID>& clsids, CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    if (clsids.empty())
        return S_OK;
    auto* elems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID) * clsids.size()));
    if (!elems)
        return E_OUTOFMEMORY;
    for (std::size_t i = 0; i < clsids.size(); ++i)
        elems[i] = clsids[i];
    pages->cElems = static_cast<ULONG>(clsids.size());
    pages->pElems = elems;
    return S_OK;
}

}
