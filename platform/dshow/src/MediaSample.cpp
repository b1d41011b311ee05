#include <dshow/MediaSample.h>

#include <algorithm>
#include <atomic>
#include <memory>

namespace dshow {

// A sample's reference count reaching zero hands it back to the allocator instead of deleting it.
class MemAllocator::Sample final : public IMediaSample {
public:
    explicit Sample(LONG size)
        : m_buffer(std::make_unique<BYTE[]>(static_cast<size_t>(std::max<LONG>(size, 1))))
        , m_size(size)
    {
        com::detail::object_created();
    }
    ~Sample()
    {
        if (m_type)
            DeleteMediaType(m_type);
        com::detail::object_destroyed();
    }

    // Makes the sample fresh for the next GetBuffer; `owner` is referenced while it is out.
    void hand_out(MemAllocator* owner)
    {
        m_owner = owner;
        m_owner->AddRef();
        m_references = 1;
        m_has_start = m_has_stop = m_has_media_time = false;
        m_sync = m_preroll = m_discontinuity = false;
        m_length = 0;
        if (m_type)
            DeleteMediaType(std::exchange(m_type, nullptr));
    }
    LONG size() const { return m_size; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMediaSample)) {
            AddRef();
            *out = static_cast<IMediaSample*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --m_references;
        if (left == 0) {
            MemAllocator* owner = std::exchange(m_owner, nullptr);
            owner->take_back(this);
            owner->Release();
        }
        return left;
    }

    STDMETHODIMP GetPointer(BYTE** buffer) override
    {
        if (!buffer)
            return E_POINTER;
        *buffer = m_buffer.get();
        return S_OK;
    }
    STDMETHODIMP_(LONG) GetSize() override { return m_size; }
    STDMETHODIMP GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override
    {
        if (!start || !stop)
            return E_POINTER;
        if (!m_has_start)
            return VFW_E_SAMPLE_TIME_NOT_SET;
        *start = m_start;
        if (!m_has_stop) {
            *stop = m_start + 1;
            return VFW_S_NO_STOP_TIME;
        }
        *stop = m_stop;
        return S_OK;
    }
    STDMETHODIMP SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override
    {
        m_has_start = start != nullptr;
        m_has_stop = start && stop;
        if (start)
            m_start = *start;
        if (m_has_stop)
            m_stop = *stop;
        return S_OK;
    }
    STDMETHODIMP IsSyncPoint() override { return m_sync ? S_OK : S_FALSE; }
    STDMETHODIMP SetSyncPoint(BOOL sync) override
    {
        m_sync = sync != FALSE;
        return S_OK;
    }
    STDMETHODIMP IsPreroll() override { return m_preroll ? S_OK : S_FALSE; }
    STDMETHODIMP SetPreroll(BOOL preroll) override
    {
        m_preroll = preroll != FALSE;
        return S_OK;
    }
    STDMETHODIMP_(LONG) GetActualDataLength() override { return m_length; }
    STDMETHODIMP SetActualDataLength(LONG length) override
    {
        if (length < 0 || length > m_size)
            return VFW_E_BUFFER_OVERFLOW;
        m_length = length;
        return S_OK;
    }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override
    {
        if (!type)
            return E_POINTER;
        *type = nullptr;
        if (!m_type)
            return S_FALSE;
        *type = CreateMediaType(m_type);
        return *type ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE* type) override
    {
        if (m_type)
            DeleteMediaType(std::exchange(m_type, nullptr));
        if (!type)
            return S_OK;
        m_type = CreateMediaType(type);
        return m_type ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP IsDiscontinuity() override { return m_discontinuity ? S_OK : S_FALSE; }
    STDMETHODIMP SetDiscontinuity(BOOL discontinuity) override
    {
        m_discontinuity = discontinuity != FALSE;
        return S_OK;
    }
    STDMETHODIMP GetMediaTime(LONGLONG* start, LONGLONG* stop) override
    {
        if (!start || !stop)
            return E_POINTER;
        if (!m_has_media_time)
            return VFW_E_MEDIA_TIME_NOT_SET;
        *start = m_media_start;
        *stop = m_media_stop;
        return S_OK;
    }
    STDMETHODIMP SetMediaTime(LONGLONG* start, LONGLONG* stop) override
    {
        m_has_media_time = start && stop;
        if (m_has_media_time) {
            m_media_start = *start;
            m_media_stop = *stop;
        }
        return S_OK;
    }

private:
    static constexpr HRESULT VFW_E_MEDIA_TIME_NOT_SET = static_cast<HRESULT>(0x80040251u);

    std::atomic<ULONG> m_references { 0 };
    MemAllocator* m_owner { nullptr };
    std::unique_ptr<BYTE[]> m_buffer;
    LONG m_size;
    LONG m_length { 0 };
    REFERENCE_TIME m_start { 0 }, m_stop { 0 };
    LONGLONG m_media_start { 0 }, m_media_stop { 0 };
    bool m_has_start { false }, m_has_stop { false }, m_has_media_time { false };
    bool m_sync { false }, m_preroll { false }, m_discontinuity { false };
    AM_MEDIA_TYPE* m_type { nullptr };
};

MemAllocator::MemAllocator() = default;

MemAllocator::~MemAllocator()
{
    for (Sample* sample : m_free)
        delete sample;
}

STDMETHODIMP MemAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual)
{
    if (!request || !actual)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    if (m_committed)
        return VFW_E_ALREADY_COMMITTED;
    if (m_outstanding)
        return VFW_E_BUFFERS_OUTSTANDING;
    if (request->cbAlign > 1 && (request->cbAlign & (request->cbAlign - 1)))
        return VFW_E_BADALIGN;
    m_properties.cBuffers = std::max<LONG>(request->cBuffers, 1);
    m_properties.cbBuffer = std::max<LONG>(request->cbBuffer, 1);
    m_properties.cbAlign = std::max<LONG>(request->cbAlign, 1);
    m_properties.cbPrefix = std::max<LONG>(request->cbPrefix, 0);
    m_properties_set = true;
    // Buffers of an older size are not reused.
    for (Sample* sample : m_free)
        delete sample;
    m_free.clear();
    *actual = m_properties;
    return S_OK;
}

STDMETHODIMP MemAllocator::GetProperties(ALLOCATOR_PROPERTIES* properties)
{
    if (!properties)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    *properties = m_properties;
    return S_OK;
}

STDMETHODIMP MemAllocator::Commit()
{
    std::lock_guard guard(m_lock);
    if (!m_properties_set)
        return VFW_E_SIZENOTSET;
    m_committed = true;
    return S_OK;
}

STDMETHODIMP MemAllocator::Decommit()
{
    std::lock_guard guard(m_lock);
    m_committed = false;
    for (Sample* sample : m_free)
        delete sample;
    m_free.clear();
    return S_OK;
}

STDMETHODIMP MemAllocator::GetBuffer(IMediaSample** out, REFERENCE_TIME*, REFERENCE_TIME*, DWORD)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    Sample* sample = nullptr;
    {
        std::lock_guard guard(m_lock);
        if (!m_committed)
            return VFW_E_NOT_COMMITTED;
        if (!m_free.empty()) {
            sample = m_free.back();
            m_free.pop_back();
        } else {
            sample = new (std::nothrow) Sample(m_properties.cbBuffer);
            if (!sample)
                return E_OUTOFMEMORY;
        }
        ++m_outstanding;
    }
    sample->hand_out(this);
    *out = sample;
    return S_OK;
}

STDMETHODIMP MemAllocator::ReleaseBuffer(IMediaSample*)
{
    // Samples come back by their last Release.
    return S_OK;
}

int MemAllocator::outstanding() const
{
    std::lock_guard guard(m_lock);
    return m_outstanding;
}

void MemAllocator::take_back(Sample* sample)
{
    std::lock_guard guard(m_lock);
    --m_outstanding;
    if (m_committed && sample->size() == m_properties.cbBuffer)
        m_free.push_back(sample);
    else
        delete sample;
}

}
