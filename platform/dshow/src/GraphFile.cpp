#include "FilterGraphImpl.h"

#include <base/Text.h>
#include <com/TaskMemory.h>
#include <dshow/FileInterfaces.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace dshow::detail {

namespace {

// A growing byte buffer with the IStream calls a filter's Save uses.
class MemoryStream final : public com::Object<IStream> {
public:
    std::vector<BYTE> bytes;

    STDMETHODIMP Read(void* buffer, ULONG count, ULONG* read) override
    {
        if (!buffer)
            return STG_E_INVALIDPOINTER;
        size_t n = m_position < bytes.size() ? std::min<size_t>(count, bytes.size() - m_position) : 0;
        if (n)
            std::memcpy(buffer, bytes.data() + m_position, n);
        m_position += n;
        if (read)
            *read = static_cast<ULONG>(n);
        return S_OK;
    }
    STDMETHODIMP Write(const void* buffer, ULONG count, ULONG* written) override
    {
        if (!buffer && count)
            return STG_E_INVALIDPOINTER;
        if (bytes.size() < m_position + count)
            bytes.resize(m_position + count);
        if (count)
            std::memcpy(bytes.data() + m_position, buffer, count);
        m_position += count;
        if (written)
            *written = count;
        return S_OK;
    }
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override
    {
        ULONGLONG target = 0;
        if (HRESULT hr = com::seek_target(m_position, bytes.size(), move, origin, target); FAILED(hr))
            return hr;
        m_position = static_cast<size_t>(target);
        if (position)
            position->QuadPart = m_position;
        return S_OK;
    }
    STDMETHODIMP SetSize(ULARGE_INTEGER size) override
    {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        return S_OK;
    }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return S_OK; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP Stat(STATSTG* stat, DWORD) override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = {};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = bytes.size();
        return S_OK;
    }
    STDMETHODIMP Clone(IStream** clone) override
    {
        if (clone)
            *clone = nullptr;
        return E_NOTIMPL;
    }

private:
    size_t m_position { 0 };
};

// The graph-file text: UTF-16LE characters with raw byte blocks between them.
class GraphText {
public:
    void text(std::string_view ascii)
    {
        for (char c : ascii) {
            m_bytes.push_back(static_cast<BYTE>(c));
            m_bytes.push_back(0);
        }
    }
    void text(std::u16string_view wide)
    {
        for (char16_t c : wide) {
            m_bytes.push_back(static_cast<BYTE>(c & 0xFF));
            m_bytes.push_back(static_cast<BYTE>(c >> 8));
        }
    }
    void number(const char* format, unsigned value)
    {
        char buffer[16];
        wsprintfA(buffer, format, value);
        text(buffer);
    }
    void guid(REFGUID id) { text(com::guid_to_string(id)); }
    void quoted(std::u16string_view name)
    {
        text("\"");
        text(name);
        text("\"");
    }
    void raw(std::span<const BYTE> data) { m_bytes.insert(m_bytes.end(), data.begin(), data.end()); }
    size_t size() const { return m_bytes.size(); }
    const std::vector<BYTE>& bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

std::u16string pin_id(IPin* pin)
{
    LPWSTR id = nullptr;
    std::u16string text;
    if (SUCCEEDED(pin->QueryId(&id)) && id) {
        text.assign(id, base::u16_length(id));
        CoTaskMemFree(id);
    }
    return text;
}

// The file a source or sink filter works on, or empty.
template<typename Interface>
std::u16string current_file(IBaseFilter* filter)
{
    CComPtr<Interface> file;
    if (FAILED(filter->QueryInterface(com::iid_of<Interface>(), reinterpret_cast<void**>(&file))))
        return {};
    LPOLESTR name = nullptr;
    std::u16string text;
    if (SUCCEEDED(file->GetCurFile(&name, nullptr)) && name) {
        text.assign(name, base::u16_length(name));
        CoTaskMemFree(name);
    }
    return text;
}

}

STDMETHODIMP FilterGraph::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_FilterGraph;
    return S_OK;
}

STDMETHODIMP FilterGraph::IsDirty()
{
    std::lock_guard guard(m_lock);
    return m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP FilterGraph::Load(IStream* stream)
{
    if (!stream)
        return E_POINTER;
    return E_NOTIMPL;
}

STDMETHODIMP FilterGraph::Save(IStream* stream, BOOL clear_dirty)
{
    if (!stream)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    GraphText out;
    out.text("0003\r\nFILTERS\r\n");
    std::map<IBaseFilter*, unsigned> ids;
    unsigned next_id = 1;
    for (auto& entry : m_filters) {
        unsigned id = next_id++;
        ids[entry.filter.p] = id;
        CLSID clsid = GUID_NULL;
        entry.filter->GetClassID(&clsid);
        out.number("%04u ", id);
        out.quoted(entry.name);
        out.text(" ");
        out.guid(clsid);
        out.text(" ");
        if (auto file = current_file<IFileSourceFilter>(entry.filter); !file.empty()) {
            out.text("SOURCE ");
            out.quoted(file);
            out.text(" ");
        }
        if (auto file = current_file<IFileSinkFilter>(entry.filter); !file.empty()) {
            out.text("SINK ");
            out.quoted(file);
            out.text(" ");
        }
        CComPtr<MemoryStream> data;
        data.Attach(new MemoryStream);
        CComPtr<IPersistStream> persist;
        if (SUCCEEDED(entry.filter->QueryInterface(IID_PPV_ARGS(&persist)))) {
            HRESULT hr = persist->Save(data, FALSE);
            if (FAILED(hr))
                return hr;
        }
        out.number("%010u ", static_cast<unsigned>(data->bytes.size()));
        out.raw(data->bytes);
        out.text("\r\n");
    }

    out.text("CONNECTIONS\r\n");
    for (auto& entry : m_filters) {
        CComPtr<IEnumPins> pins;
        if (FAILED(entry.filter->EnumPins(&pins)) || !pins)
            continue;
        IPin* raw_pin = nullptr;
        while (pins->Next(1, &raw_pin, nullptr) == S_OK) {
            CComPtr<IPin> pin;
            pin.Attach(raw_pin);
            PIN_DIRECTION direction;
            CComPtr<IPin> peer;
            if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT || FAILED(pin->ConnectedTo(&peer)))
                continue;
            PIN_INFO info {};
            if (FAILED(peer->QueryPinInfo(&info)))
                continue;
            CComPtr<IBaseFilter> peer_filter;
            peer_filter.Attach(info.pFilter);
            auto found = std::find_if(ids.begin(), ids.end(), [&](auto& item) {
                CComPtr<IUnknown> a(item.first);
                return a.IsEqualObject(peer_filter);
            });
            if (found == ids.end())
                continue;
            AM_MEDIA_TYPE type {};
            if (FAILED(pin->ConnectionMediaType(&type)))
                continue;

            GraphText media;
            media.guid(type.majortype);
            media.text(" ");
            media.guid(type.subtype);
            media.text(type.bFixedSizeSamples ? " 1 " : " 0 ");
            media.text(type.bTemporalCompression ? "1 " : "0 ");
            media.number("%010u ", type.lSampleSize);
            media.guid(type.formattype);
            media.text(" ");
            media.number("%010u ", type.cbFormat);
            media.raw({ type.pbFormat, type.cbFormat });
            FreeMediaType(type);

            out.number("%04u ", ids[entry.filter.p]);
            out.quoted(pin_id(pin));
            out.text(" ");
            out.number("%04u ", found->second);
            out.quoted(pin_id(peer));
            out.text(" ");
            out.number("%010u ", static_cast<unsigned>(media.size()));
            out.raw(media.bytes());
            out.text("\r\n");
        }
    }
    // The graph's own clock is not a filter.
    out.text("CLOCK 1 0000\r\nEND");

    ULONG written = 0;
    HRESULT hr = stream->Write(out.bytes().data(), static_cast<ULONG>(out.size()), &written);
    if (FAILED(hr))
        return hr;
    if (written != out.size())
        return STG_E_MEDIUMFULL;
    if (clear_dirty)
        m_dirty = false;
    return S_OK;
}

STDMETHODIMP FilterGraph::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size)
        return E_POINTER;
    CComPtr<MemoryStream> data;
    data.Attach(new MemoryStream);
    HRESULT hr = Save(data, FALSE);
    if (SUCCEEDED(hr))
        size->QuadPart = data->bytes.size();
    return hr;
}

}
