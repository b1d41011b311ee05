#include <com/Moniker.h>
#include <com/Object.h>

#include <vector>

namespace {

class MonikerEnumerator final : public com::Object<IEnumMoniker> {
public:
    MonikerEnumerator(IMoniker* const* monikers, ULONG count, ULONG position = 0)
        : m_monikers(monikers, monikers + count)
        , m_position(position)
    {
        for (IMoniker* m : m_monikers)
            m->AddRef();
    }
    ~MonikerEnumerator() override
    {
        for (IMoniker* m : m_monikers)
            m->Release();
    }

    STDMETHODIMP Next(ULONG count, IMoniker** monikers, ULONG* fetched) override
    {
        if (!monikers || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && m_position < m_monikers.size()) {
            monikers[n] = m_monikers[m_position++];
            monikers[n]->AddRef();
            ++n;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = m_monikers.size() - m_position;
        if (count > left) {
            m_position = m_monikers.size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    }

    STDMETHODIMP Reset() override
    {
        m_position = 0;
        return S_OK;
    }

    STDMETHODIMP Clone(IEnumMoniker** clone) override
    {
        if (!clone)
            return E_POINTER;
        *clone = new MonikerEnumerator(m_monikers.data(), static_cast<ULONG>(m_monikers.size()), static_cast<ULONG>(m_position));
        return S_OK;
    }

private:
    std::vector<IMoniker*> m_monikers;
    size_t m_position { 0 };
};

}

namespace com {

HRESULT create_moniker_enumerator(IMoniker* const* monikers, ULONG count, IEnumMoniker** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (count && !monikers)
        return E_INVALIDARG;
    *out = new MonikerEnumerator(monikers, count);
    return S_OK;
}

}
