#include <dshow/MediaSample.h>
#include <dshow/Pins.h>

#include "Enumerators.h"

#include <base/Text.h>
#include <com/TaskMemory.h>

#include <cstring>

namespace dshow {

namespace {

bool fully_specified(const AM_MEDIA_TYPE& type)
{
    return !IsEqualGUID(type.majortype, GUID_NULL) && !IsEqualGUID(type.subtype, GUID_NULL)
        && !IsEqualGUID(type.formattype, GUID_NULL);
}

LPWSTR task_string(const std::u16string& text)
{
    auto* out = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    if (out) {
        std::memcpy(out, text.data(), text.size() * sizeof(WCHAR));
        out[text.size()] = 0;
    }
    return out;
}

}

// BasePin

BasePin::BasePin(BaseFilter& filter, PIN_DIRECTION direction, std::u16string name, std::u16string id)
    : m_filter(filter)
    , m_direction(direction)
    , m_name(std::move(name))
    , m_id(id.empty() ? m_name : std::move(id))
{
}

BasePin::~BasePin() = default;

STDMETHODIMP BasePin::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    void* found = find_interface(iid);
    if (!found) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    *out = found;
    return S_OK;
}

STDMETHODIMP_(ULONG) BasePin::AddRef() { return m_filter.AddRef(); }

STDMETHODIMP_(ULONG) BasePin::Release() { return m_filter.Release(); }

void* BasePin::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin))
        return static_cast<IPin*>(this);
    return nullptr;
}

STDMETHODIMP BasePin::Disconnect()
{
    std::lock_guard guard(m_filter.lock());
    if (!m_filter.is_stopped())
        return VFW_E_NOT_STOPPED;
    if (!m_peer)
        return S_FALSE;
    clear_connection();
    break_connect();
    return S_OK;
}

STDMETHODIMP BasePin::ConnectedTo(IPin** peer)
{
    if (!peer)
        return E_POINTER;
    std::lock_guard guard(m_filter.lock());
    *peer = m_peer;
    if (!m_peer)
        return VFW_E_NOT_CONNECTED;
    m_peer->AddRef();
    return S_OK;
}

STDMETHODIMP BasePin::ConnectionMediaType(AM_MEDIA_TYPE* type)
{
    if (!type)
        return E_POINTER;
    std::lock_guard guard(m_filter.lock());
    if (!m_peer) {
        *type = {};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(type, &m_type.get());
}

STDMETHODIMP BasePin::QueryPinInfo(PIN_INFO* info)
{
    if (!info)
        return E_POINTER;
    info->pFilter = &m_filter;
    m_filter.AddRef();
    info->dir = m_direction;
    base::copy_bounded(info->achName, MAX_PIN_NAME, m_name);
    return S_OK;
}

STDMETHODIMP BasePin::QueryDirection(PIN_DIRECTION* direction)
{
    if (!direction)
        return E_POINTER;
    *direction = m_direction;
    return S_OK;
}

STDMETHODIMP BasePin::QueryId(LPWSTR* id)
{
    if (!id)
        return E_POINTER;
    *id = task_string(m_id);
    return *id ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP BasePin::QueryAccept(const AM_MEDIA_TYPE* type)
{
    if (!type)
        return E_POINTER;
    return check_media_type(*type) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP BasePin::EnumMediaTypes(IEnumMediaTypes** types)
{
    if (!types)
        return E_POINTER;
    CComPtr<IPin> self(this);
    *types = new detail::MediaTypeEnumerator([self]() { return static_cast<BasePin*>(self.p)->media_types(); });
    return S_OK;
}

STDMETHODIMP BasePin::QueryInternalConnections(IPin**, ULONG* count)
{
    if (count)
        *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP BasePin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

bool BasePin::is_connected() const
{
    std::lock_guard guard(m_filter.lock());
    return m_peer != nullptr;
}

CComPtr<IPin> BasePin::peer() const
{
    std::lock_guard guard(m_filter.lock());
    return m_peer;
}

MediaType BasePin::connection_type() const
{
    std::lock_guard guard(m_filter.lock());
    return m_type;
}

HRESULT BasePin::may_connect(IPin* other, PIN_DIRECTION wanted) const
{
    if (is_connected())
        return VFW_E_ALREADY_CONNECTED;
    if (!filter().is_stopped())
        return VFW_E_NOT_STOPPED;
    PIN_DIRECTION direction;
    if (FAILED(other->QueryDirection(&direction)) || direction != wanted)
        return VFW_E_INVALID_DIRECTION;
    return S_OK;
}

void BasePin::set_connection(IPin* peer, const AM_MEDIA_TYPE& type)
{
    std::lock_guard guard(m_filter.lock());
    m_peer = peer;
    m_type = MediaType(type);
}

void BasePin::clear_connection()
{
    std::lock_guard guard(m_filter.lock());
    m_peer = nullptr;
    m_type = MediaType();
}

// OutputPin

OutputPin::OutputPin(BaseFilter& filter, std::u16string name, std::u16string id)
    : BasePin(filter, PINDIR_OUTPUT, std::move(name), std::move(id))
{
}

STDMETHODIMP OutputPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* pattern)
{
    if (!receiver)
        return E_POINTER;
    std::lock_guard guard(filter().lock());
    if (HRESULT hr = may_connect(receiver, PINDIR_INPUT); FAILED(hr))
        return hr;

    if (pattern && fully_specified(*pattern))
        return try_connect(receiver, *pattern);

    AM_MEDIA_TYPE any {};
    const AM_MEDIA_TYPE& wanted = pattern ? *pattern : any;
    // The receiver's state refusals end the search; a refused type moves on to the next.
    auto final_result = [](HRESULT hr) { return hr == S_OK || hr == VFW_E_NOT_STOPPED || hr == VFW_E_ALREADY_CONNECTED; };
    for (const MediaType& type : media_types()) {
        if (!matches(wanted, type.get()))
            continue;
        HRESULT hr = try_connect(receiver, type.get());
        if (final_result(hr))
            return hr;
    }
    CComPtr<IEnumMediaTypes> theirs;
    if (SUCCEEDED(receiver->EnumMediaTypes(&theirs)) && theirs) {
        AM_MEDIA_TYPE* type = nullptr;
        while (theirs->Next(1, &type, nullptr) == S_OK) {
            HRESULT hr = matches(wanted, *type) ? try_connect(receiver, *type) : VFW_E_TYPE_NOT_ACCEPTED;
            DeleteMediaType(type);
            if (final_result(hr))
                return hr;
        }
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT OutputPin::try_connect(IPin* receiver, const AM_MEDIA_TYPE& type)
{
    if (check_media_type(type) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    set_connection(receiver, type);
    HRESULT hr = receiver->ReceiveConnection(this, &type);
    if (FAILED(hr)) {
        clear_connection();
        return hr;
    }
    hr = negotiate_allocator(receiver, type);
    if (SUCCEEDED(hr))
        hr = complete_connect(receiver);
    if (FAILED(hr)) {
        receiver->Disconnect();
        clear_connection();
        m_input = nullptr;
        m_allocator = nullptr;
        return hr;
    }
    return S_OK;
}

HRESULT OutputPin::negotiate_allocator(IPin* receiver, const AM_MEDIA_TYPE& type)
{
    CComPtr<IMemInputPin> input;
    HRESULT hr = receiver->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input));
    if (FAILED(hr))
        return VFW_E_NO_TRANSPORT;
    CComPtr<IMemAllocator> allocator;
    if (FAILED(input->GetAllocator(&allocator)) || !allocator) {
        allocator.Release();
        allocator.Attach(new MemAllocator);
    }
    ALLOCATOR_PROPERTIES request {};
    input->GetAllocatorRequirements(&request);
    request.cBuffers = std::max<LONG>(request.cBuffers, 1);
    request.cbBuffer = std::max<LONG>(request.cbBuffer, buffer_size(type));
    request.cbAlign = std::max<LONG>(request.cbAlign, 1);
    ALLOCATOR_PROPERTIES actual {};
    hr = allocator->SetProperties(&request, &actual);
    if (FAILED(hr))
        return hr;
    hr = input->NotifyAllocator(allocator, FALSE);
    if (FAILED(hr))
        return hr;
    m_input = input;
    m_allocator = allocator;
    return S_OK;
}

LONG OutputPin::buffer_size(const AM_MEDIA_TYPE& type)
{
    // Sound's fixed sample size is one block, not a buffer: the format decides for it.
    MediaType copy(type);
    if (type.lSampleSize > 0 && type.lSampleSize <= 0x7FFFFFFF && type.bFixedSizeSamples && !copy.wave_format())
        return static_cast<LONG>(type.lSampleSize);
    if (const VIDEOINFOHEADER* video = copy.video_info()) {
        if (video->bmiHeader.biSizeImage)
            return static_cast<LONG>(video->bmiHeader.biSizeImage);
        LONG stride = ((video->bmiHeader.biWidth * video->bmiHeader.biBitCount + 31) / 32) * 4;
        LONG height = video->bmiHeader.biHeight < 0 ? -video->bmiHeader.biHeight : video->bmiHeader.biHeight;
        return std::max<LONG>(stride * height, 1);
    }
    if (const WAVEFORMATEX* wave = copy.wave_format()) {
        LONG block = std::max<LONG>(wave->nBlockAlign, 1);
        LONG tenth = static_cast<LONG>(wave->nAvgBytesPerSec / 10);
        return std::max<LONG>((tenth + block - 1) / block * block, block);
    }
    if (type.lSampleSize > 0 && type.lSampleSize <= 0x7FFFFFFF)
        return static_cast<LONG>(type.lSampleSize);
    return 64 * 1024;
}

STDMETHODIMP OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }

STDMETHODIMP OutputPin::Disconnect()
{
    std::lock_guard guard(filter().lock());
    HRESULT hr = BasePin::Disconnect();
    if (hr == S_OK) {
        if (m_allocator)
            m_allocator->Decommit();
        m_allocator = nullptr;
        m_input = nullptr;
    }
    return hr;
}

STDMETHODIMP OutputPin::EndOfStream() { return E_UNEXPECTED; }
STDMETHODIMP OutputPin::BeginFlush() { return E_UNEXPECTED; }
STDMETHODIMP OutputPin::EndFlush() { return E_UNEXPECTED; }

HRESULT OutputPin::active()
{
    std::lock_guard guard(filter().lock());
    return m_allocator ? m_allocator->Commit() : S_OK;
}

void OutputPin::inactive()
{
    std::lock_guard guard(filter().lock());
    if (m_allocator)
        m_allocator->Decommit();
}

HRESULT OutputPin::get_delivery_buffer(IMediaSample** sample)
{
    if (!sample)
        return E_POINTER;
    *sample = nullptr;
    CComPtr<IMemAllocator> allocator;
    {
        std::lock_guard guard(filter().lock());
        if (!m_allocator)
            return VFW_E_NOT_CONNECTED;
        allocator = m_allocator;
    }
    return allocator->GetBuffer(sample, nullptr, nullptr, 0);
}

HRESULT OutputPin::deliver(IMediaSample* sample)
{
    if (!sample)
        return E_POINTER;
    CComPtr<IMemInputPin> input;
    {
        std::lock_guard guard(filter().lock());
        if (!m_input)
            return VFW_E_NOT_CONNECTED;
        if (filter().is_stopped())
            return VFW_E_WRONG_STATE;
        input = m_input;
    }
    return input->Receive(sample);
}

HRESULT OutputPin::deliver(std::span<const BYTE> data, REFERENCE_TIME start, REFERENCE_TIME stop, bool sync_point)
{
    CComPtr<IMediaSample> sample;
    HRESULT hr = get_delivery_buffer(&sample);
    if (FAILED(hr))
        return hr;
    if (data.size() > static_cast<size_t>(sample->GetSize()))
        return VFW_E_BUFFER_OVERFLOW;
    BYTE* buffer = nullptr;
    sample->GetPointer(&buffer);
    if (!data.empty())
        std::memcpy(buffer, data.data(), data.size());
    sample->SetActualDataLength(static_cast<LONG>(data.size()));
    sample->SetTime(&start, stop >= 0 ? &stop : nullptr);
    sample->SetSyncPoint(sync_point ? TRUE : FALSE);
    return deliver(sample);
}

HRESULT OutputPin::deliver_end_of_stream()
{
    CComPtr<IPin> connected = peer();
    if (!connected)
        return VFW_E_NOT_CONNECTED;
    return connected->EndOfStream();
}

// InputPin

InputPin::InputPin(BaseFilter& filter, std::u16string name, std::u16string id)
    : BasePin(filter, PINDIR_INPUT, std::move(name), std::move(id))
{
}

void* InputPin::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IMemInputPin))
        return static_cast<IMemInputPin*>(this);
    return BasePin::find_interface(iid);
}

STDMETHODIMP InputPin::Connect(IPin*, const AM_MEDIA_TYPE*) { return VFW_E_INVALID_DIRECTION; }

STDMETHODIMP InputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type)
{
    if (!connector || !type)
        return E_POINTER;
    std::lock_guard guard(filter().lock());
    if (HRESULT hr = may_connect(connector, PINDIR_OUTPUT); FAILED(hr))
        return hr;
    if (check_media_type(*type) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    set_connection(connector, *type);
    HRESULT hr = complete_connect(connector);
    if (FAILED(hr)) {
        clear_connection();
        return hr;
    }
    return S_OK;
}

STDMETHODIMP InputPin::Disconnect()
{
    std::lock_guard guard(filter().lock());
    HRESULT hr = BasePin::Disconnect();
    if (hr == S_OK)
        m_allocator = nullptr;
    return hr;
}

STDMETHODIMP InputPin::EndOfStream()
{
    if (is_flushing())
        return S_FALSE;
    return end_of_stream();
}

STDMETHODIMP InputPin::BeginFlush()
{
    std::lock_guard guard(filter().lock());
    m_flushing = true;
    return S_OK;
}

STDMETHODIMP InputPin::EndFlush()
{
    std::lock_guard guard(filter().lock());
    m_flushing = false;
    return S_OK;
}

bool InputPin::is_flushing() const
{
    std::lock_guard guard(filter().lock());
    return m_flushing;
}

STDMETHODIMP InputPin::GetAllocator(IMemAllocator** allocator)
{
    if (!allocator)
        return E_POINTER;
    *allocator = nullptr;
    return VFW_E_NO_ALLOCATOR;
}

STDMETHODIMP InputPin::NotifyAllocator(IMemAllocator* allocator, BOOL)
{
    if (!allocator)
        return E_POINTER;
    std::lock_guard guard(filter().lock());
    m_allocator = allocator;
    return S_OK;
}

STDMETHODIMP InputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

STDMETHODIMP InputPin::Receive(IMediaSample* sample)
{
    if (!sample)
        return E_POINTER;
    {
        std::lock_guard guard(filter().lock());
        if (filter().is_stopped())
            return VFW_E_WRONG_STATE;
        if (m_flushing)
            return S_FALSE;
        if (!is_connected())
            return VFW_E_NOT_CONNECTED;
    }
    return receive(sample);
}

STDMETHODIMP InputPin::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed)
{
    if (!samples || !processed)
        return E_POINTER;
    *processed = 0;
    HRESULT hr = S_OK;
    while (*processed < count) {
        hr = Receive(samples[*processed]);
        if (hr != S_OK)
            break;
        ++*processed;
    }
    return hr;
}

STDMETHODIMP InputPin::ReceiveCanBlock() { return S_OK; }

}
