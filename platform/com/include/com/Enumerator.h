#pragma once

// An enumerator (IEnumXxx: Next, Skip, Reset, Clone) over a snapshot of a list, taken when it is
// made and again at Reset, so that callers may change the list while they walk it. `Items` says
// what the snapshot holds and how Next hands one out; InterfaceItems serves interface pointers:
//
//     using PinEnumerator = com::SnapshotEnumerator<IEnumPins, com::InterfaceItems<IPin>>;
//     *out = new PinEnumerator([self] { return self->pins(); });

#include <com/ComPtr.h>
#include <com/Object.h>

#include <functional>
#include <vector>

namespace com {

// An enumerator over a snapshot of what `source` gives. `Items` says what the snapshot holds
// (`Element`) and how Next hands one out (`hand_out`, null when it cannot).
template<typename Enum, typename Items>
class SnapshotEnumerator final : public com::Object<Enum> {
public:
    using Element = typename Items::Element;
    using Out = typename Items::Out;
    using Source = std::function<std::vector<Element>()>;

    explicit SnapshotEnumerator(Source source)
        : m_source(std::move(source))
        , m_items(m_source())
    {
    }

    STDMETHODIMP Next(ULONG count, Out** out, ULONG* fetched) override
    {
        if (!out || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && m_position < m_items.size()) {
            Out* item = Items::hand_out(m_items[m_position]);
            if (!item)
                break;
            out[n++] = item;
            ++m_position;
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
        *clone = new SnapshotEnumerator(m_source, m_items, m_position);
        return S_OK;
    }

private:
    SnapshotEnumerator(Source source, std::vector<Element> items, size_t position)
        : m_source(std::move(source))
        , m_items(std::move(items))
        , m_position(position)
    {
    }

    Source m_source;
    std::vector<Element> m_items;
    size_t m_position { 0 };
};

// Interface pointers (IEnumPins, IEnumFilters): Next hands out another reference.
template<typename Item>
struct InterfaceItems {
    using Element = CComPtr<Item>;
    using Out = Item;
    static Item* hand_out(const Element& item)
    {
        item->AddRef();
        return item;
    }
};

}
