#include <dshow/SmartTee.h>
#include <dshow/SystemFilters.h>

#include <cstring>

namespace dshow {

class SmartTee::Input final : public InputPin {
public:
    Input(BaseFilter& filter, std::u16string name)
        : InputPin(filter, std::move(name))
    {
    }
    SmartTee& tee() const { return static_cast<SmartTee&>(filter()); }

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override;
    HRESULT receive(IMediaSample* sample) override { return tee().receive(sample); }
    HRESULT end_of_stream() override { return tee().end_of_stream(); }
    STDMETHODIMP BeginFlush() override
    {
        InputPin::BeginFlush();
        tee().flush(true);
        return S_OK;
    }
    STDMETHODIMP EndFlush() override
    {
        InputPin::EndFlush();
        tee().flush(false);
        return S_OK;
    }
};

class SmartTee::Output final : public OutputPin {
public:
    Output(BaseFilter& filter, std::u16string name)
        : OutputPin(filter, name, name)
    {
    }
    SmartTee& tee() const { return static_cast<SmartTee&>(filter()); }

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
    {
        if (!tee().m_input->is_connected())
            return S_FALSE;
        return equal(tee().m_input->connection_type().get(), type) ? S_OK : S_FALSE;
    }
    std::vector<MediaType> media_types() override
    {
        if (!tee().m_input->is_connected())
            return {};
        return { tee().m_input->connection_type() };
    }
};

HRESULT SmartTee::Input::check_media_type(const AM_MEDIA_TYPE& type)
{
    // Once an output is connected the input must keep its type.
    for (Output* out : { tee().m_capture, tee().m_preview }) {
        if (out->is_connected() && !equal(out->connection_type().get(), type))
            return S_FALSE;
    }
    return S_OK;
}

SmartTee::SmartTee()
    : BaseFilter(CLSID_SmartTee)
{
    m_input = make_pin<Input>(u"Input");
    m_capture = make_pin<Output>(u"Capture");
    m_preview = make_pin<Output>(u"Preview");
}

SmartTee::~SmartTee()
{
    on_stop();
}

ULONG SmartTee::preview_dropped() const
{
    std::lock_guard guard(m_queue_lock);
    return m_dropped;
}

ULONG SmartTee::preview_delivered() const
{
    std::lock_guard guard(m_queue_lock);
    return m_delivered;
}

void SmartTee::wait_preview_idle()
{
    std::unique_lock guard(m_queue_lock);
    m_queue_changed.wait(guard, [this] { return (m_queue.empty() && !m_busy) || !m_thread.joinable(); });
}

HRESULT SmartTee::on_pause()
{
    std::lock_guard guard(m_queue_lock);
    if (!m_thread.joinable()) {
        m_quit = false;
        m_thread = std::thread([this] { preview_loop(); });
    }
    return S_OK;
}

HRESULT SmartTee::on_stop()
{
    {
        std::lock_guard guard(m_queue_lock);
        m_quit = true;
        m_queue.clear();
    }
    m_queue_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    m_queue_changed.notify_all();
    return S_OK;
}

HRESULT SmartTee::receive(IMediaSample* sample)
{
    HRESULT result = S_OK;
    if (m_capture->is_connected())
        result = m_capture->deliver(sample);

    if (m_preview->is_connected()) {
        bool room;
        {
            std::lock_guard guard(m_queue_lock);
            room = !m_quit && m_queue.size() < preview_queue_limit;
            if (!room)
                ++m_dropped;
        }
        if (room) {
            CComPtr<IMediaSample> copy;
            LONG length = sample->GetActualDataLength();
            BYTE* from = nullptr;
            BYTE* to = nullptr;
            if (SUCCEEDED(m_preview->get_delivery_buffer(&copy)) && length <= copy->GetSize()
                && SUCCEEDED(sample->GetPointer(&from)) && SUCCEEDED(copy->GetPointer(&to))) {
                if (length > 0)
                    std::memcpy(to, from, static_cast<size_t>(length));
                copy->SetActualDataLength(length);
                copy->SetTime(nullptr, nullptr);
                copy->SetSyncPoint(sample->IsSyncPoint() == S_OK);
                copy->SetDiscontinuity(sample->IsDiscontinuity() == S_OK);
                std::lock_guard guard(m_queue_lock);
                m_queue.push_back({ copy });
            } else {
                std::lock_guard guard(m_queue_lock);
                ++m_dropped;
            }
            m_queue_changed.notify_all();
        }
    }
    // The capture stream decides whether upstream goes on; preview trouble never stops it.
    return m_capture->is_connected() ? result : S_OK;
}

HRESULT SmartTee::end_of_stream()
{
    if (m_capture->is_connected())
        m_capture->deliver_end_of_stream();
    if (m_preview->is_connected()) {
        {
            std::lock_guard guard(m_queue_lock);
            m_queue.push_back({});
        }
        m_queue_changed.notify_all();
    }
    return S_OK;
}

void SmartTee::flush(bool begin)
{
    if (begin) {
        std::lock_guard guard(m_queue_lock);
        m_queue.clear();
    }
    for (Output* out : { m_capture, m_preview }) {
        if (CComPtr<IPin> peer = out->peer())
            begin ? peer->BeginFlush() : peer->EndFlush();
    }
    m_queue_changed.notify_all();
}

void SmartTee::preview_loop()
{
    std::unique_lock guard(m_queue_lock);
    for (;;) {
        m_queue_changed.wait(guard, [this] { return m_quit || !m_queue.empty(); });
        if (m_quit)
            break;
        Item item = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        guard.unlock();
        bool is_sample = item.sample != nullptr;
        HRESULT hr = is_sample ? m_preview->deliver(item.sample) : m_preview->deliver_end_of_stream();
        item.sample.Release();
        guard.lock();
        m_busy = false;
        if (is_sample && hr == S_OK)
            ++m_delivered;
        m_queue_changed.notify_all();
    }
    m_busy = false;
}

}
