#pragma once

// The pins of dshow::BaseFilter: BasePin (what both directions share), OutputPin (connects, owns
// the allocator, delivers samples) and InputPin (accepts connections, receives samples through
// IMemInputPin).
//
// A pin is written by deriving from OutputPin or InputPin and overriding:
//   check_media_type(type)  S_OK when the pin takes `type` (required);
//   media_types()           the types it offers, preferred first (for IEnumMediaTypes and Connect);
//   complete_connect(peer), break_connect()  after a connection was made or broken;
//   receive(sample)         (input) one sample, on the upstream streaming thread;
//   end_of_stream()         (input) the upstream end;
//   buffer_size(type)       (output) the bytes one sample needs (default: lSampleSize, the
//                           VIDEOINFOHEADER image size, or a tenth of a second of sound);
//   find_interface(iid)     more interfaces on the pin (then DSHOW_FORWARD_UNKNOWN(dshow::OutputPin)).
//
// Connection: OutputPin::Connect tries a full type given by the caller alone; otherwise every type
// of its own media_types() and then of the receiver's enumerator that fits the (partial) pattern,
// in that order, until the receiver's ReceiveConnection and the allocator negotiation succeed.
// Failures: VFW_E_ALREADY_CONNECTED, VFW_E_NOT_STOPPED, VFW_E_INVALID_DIRECTION,
// VFW_E_NO_ACCEPTABLE_TYPES (or the receiver's refusal of a full type). Disconnect breaks one end:
// the graph disconnects both.
//
// Streaming (push model): the source's thread calls deliver(data, start, stop) or fills a buffer
// from get_delivery_buffer and passes it to deliver(sample); the peer's Receive runs on that
// thread. deliver returns S_FALSE or a failure when downstream refuses (then stop sending), and
// VFW_E_NOT_CONNECTED when unconnected. Samples are only delivered while the filter is paused or
// running (VFW_E_WRONG_STATE otherwise).

#include <dshow/BaseFilter.h>
#include <dshow/SampleInterfaces.h>

#include <span>
#include <string>
#include <vector>

namespace dshow {

class BasePin : public IPin {
public:
    BasePin(BaseFilter& filter, PIN_DIRECTION direction, std::u16string name, std::u16string id = {});
    BasePin(const BasePin&) = delete;
    BasePin& operator=(const BasePin&) = delete;
    virtual ~BasePin();

    // IUnknown: the pin's own identity, the filter's reference count.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin (Connect and ReceiveConnection are the directions' own)
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** peer) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    BaseFilter& filter() const { return m_filter; }
    PIN_DIRECTION direction() const { return m_direction; }
    const std::u16string& name() const { return m_name; }
    const std::u16string& id() const { return m_id; }
    bool is_connected() const;
    // The connected pin (referenced), or empty.
    CComPtr<IPin> peer() const;
    // The connection's type (empty when unconnected).
    MediaType connection_type() const;

    virtual HRESULT check_media_type(const AM_MEDIA_TYPE& type) = 0;
    virtual std::vector<MediaType> media_types() { return {}; }
    // Called when the filter pauses from stopped, and when it stops.
    virtual HRESULT active() { return S_OK; }
    virtual void inactive() { }

protected:
    virtual HRESULT complete_connect(IPin*) { return S_OK; }
    virtual void break_connect() { }
    // The pin's interface for `iid` (not AddRef'd), or nullptr.
    virtual void* find_interface(REFIID iid);

    // Under the filter's lock: whether this stopped, unconnected pin may connect to `other`, a pin
    // of direction `wanted`.
    HRESULT may_connect(IPin* other, PIN_DIRECTION wanted) const;
    // Records the connection (used by the directions' connection code).
    void set_connection(IPin* peer, const AM_MEDIA_TYPE& type);
    void clear_connection();

private:
    BaseFilter& m_filter;
    const PIN_DIRECTION m_direction;
    const std::u16string m_name;
    const std::u16string m_id;
    CComPtr<IPin> m_peer;
    MediaType m_type;
};

class OutputPin : public BasePin {
public:
    OutputPin(BaseFilter& filter, std::u16string name, std::u16string id = {});

    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // A sample of the agreed size from the connection's allocator (the caller releases it).
    HRESULT get_delivery_buffer(IMediaSample** sample);
    // Hands a filled sample to the peer's Receive.
    HRESULT deliver(IMediaSample* sample);
    // Copies `data` into a new sample with the given times (stop < 0: start only) and delivers it.
    HRESULT deliver(std::span<const BYTE> data, REFERENCE_TIME start, REFERENCE_TIME stop, bool sync_point = true);
    // Passes the end of the stream to the peer.
    HRESULT deliver_end_of_stream();

    HRESULT active() override;
    void inactive() override;

protected:
    virtual LONG buffer_size(const AM_MEDIA_TYPE& type);

private:
    HRESULT try_connect(IPin* receiver, const AM_MEDIA_TYPE& type);
    HRESULT negotiate_allocator(IPin* receiver, const AM_MEDIA_TYPE& type);

    CComPtr<IMemInputPin> m_input;
    CComPtr<IMemAllocator> m_allocator;
};

class InputPin : public BasePin, public IMemInputPin {
public:
    InputPin(BaseFilter& filter, std::u16string name, std::u16string id = {});

    DSHOW_FORWARD_UNKNOWN(BasePin)

    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL read_only) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    bool is_flushing() const;

protected:
    // One sample, on the upstream streaming thread; the filter is paused or running.
    virtual HRESULT receive(IMediaSample* sample) = 0;
    virtual HRESULT end_of_stream() { return S_OK; }
    void* find_interface(REFIID iid) override;

private:
    CComPtr<IMemAllocator> m_allocator;
    bool m_flushing { false };
};

}
