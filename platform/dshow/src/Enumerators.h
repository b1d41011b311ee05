#pragma once

// The enumerators of pins, filters and media types: each works on a snapshot taken when it is
// made and again at Reset, so callers may change the list while they walk it.

#include <com/ComPtr.h>
#include <com/Object.h>
#include <dshow/FilterInterfaces.h>

#include <functional>
#include <vector>

namespace dshow::detail {

// An enumerator of interface pointers (IEnumPins, IEnumFilters) over a list that `source` gives.
template<typename Enum, typename Item>
class InterfaceEnumerator final : public com::Object<Enum> {
public:
    using Source = std::function<std::vector<CComPtr<Item>>()>;

    explicit InterfaceEnumerator(Source source)
        : m_source(std::move(source))
        , m_items(m_source())
    {
    }

    STDMETHODIMP Next(ULONG count, Item** out, ULONG* fetched) override
    {
        if (!out || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && m_position < m_items.size()) {
            out[n] = m_items[m_position++];
            out[n]->AddRef();
            ++n;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = m_items.size() - m_position;
        if (count > left) {
            m_position = m_items.size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override
    {
        m_items = m_source();
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** clone) override
    {
        if (!clone)
            return E_POINTER;
        auto* copy = new InterfaceEnumerator(m_source, m_items, m_position);
        *clone = copy;
        return S_OK;
    }

private:
    InterfaceEnumerator(Source source, std::vector<CComPtr<Item>> items, size_t position)
        : m_source(std::move(source))
        , m_items(std::move(items))
        , m_position(position)
    {
    }

    Source m_source;
    std::vector<CComPtr<Item>> m_items;
    size_t m_position { 0 };
};

using PinEnumerator = InterfaceEnumerator<IEnumPins, IPin>;
using FilterEnumerator = InterfaceEnumerator<IEnumFilters, IBaseFilter>;

// An IEnumMediaTypes over the types `source` gives; Next hands out CreateMediaType copies.
class MediaTypeEnumerator final : public com::Object<IEnumMediaTypes> {
public:
    using Source = std::function<std::vector<MediaType>()>;

    explicit MediaTypeEnumerator(Source source)
        : m_source(std::move(source))
        , m_types(m_source())
    {
    }

    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** out, ULONG* fetched) override
    {
        if (!out || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && m_position < m_types.size()) {
            AM_MEDIA_TYPE* copy = CreateMediaType(&m_types[m_position].get());
            if (!copy)
                break;
            out[n++] = copy;
            ++m_position;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = m_types.size() - m_position;
        if (count > left) {
            m_position = m_types.size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override
    {
        m_types = m_source();
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumMediaTypes** clone) override
    {
        if (!clone)
            return E_POINTER;
        auto* copy = new MediaTypeEnumerator(m_source);
        copy->m_types = m_types;
        copy->m_position = m_position;
        *clone = copy;
        return S_OK;
    }

private:
    Source m_source;
    std::vector<MediaType> m_types;
    size_t m_position { 0 };
};

}
