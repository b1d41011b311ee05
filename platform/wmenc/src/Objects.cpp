// The encoder's smaller objects: profiles, display information, attributes, the output file and
// the statistics, and the helpers they share.

#include "Core.h"

#include <base/Clock.h>
#include <base/Text.h>
#include <com/ErrorInfo.h>

#include <algorithm>

namespace wmenc::detail {

HRESULT fail_with(HRESULT hr, const std::u16string& text)
{
    com::set_error_description(u"Media Encoder", text.c_str());
    return hr;
}

HRESULT copy_out(const std::u16string& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT read_bool(VARIANT_BOOL value, bool& out)
{
    if (value != VARIANT_TRUE && value != VARIANT_FALSE)
        return E_INVALIDARG;
    out = value == VARIANT_TRUE;
    return S_OK;
}

HRESULT write_bool(bool value, VARIANT_BOOL* out)
{
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

std::u16string text_of(const OLECHAR* text) { return text ? std::u16string(text) : std::u16string(); }

bool same_name(const std::u16string& a, const std::u16string& b) { return base::equals_ignoring_case(base::to_utf8(a), base::to_utf8(b)); }

namespace {

class ProfileObject final : public com::Object<IWMEncProfile> {
public:
    explicit ProfileObject(Profile profile)
        : m_profile(std::move(profile))
    {
    }
    COM_NO_DISPATCH
    STDMETHODIMP get_Name(BSTR* name) override { return copy_out(base::to_utf16(m_profile.name), name); }
    STDMETHODIMP get_Description(BSTR* description) override { return copy_out(base::to_utf16(m_profile.description), description); }
    STDMETHODIMP get_MediaCount(LONG type, SHORT* count) override
    {
        if (!count)
            return E_POINTER;
        if (type != WMENC_AUDIO && type != WMENC_VIDEO)
            return E_INVALIDARG;
        *count = (type == WMENC_AUDIO ? m_profile.has_audio() : m_profile.has_video()) ? 1 : 0;
        return S_OK;
    }

private:
    const Profile m_profile;
};

// The profiles as they were when the collection was made.
class ProfileCollection final : public com::Object<IWMEncProfileCollection> {
public:
    ProfileCollection()
        : m_profiles(all_profiles())
    {
    }
    COM_NO_DISPATCH
    WMENC_RESERVED_IMPL(7)
    STDMETHODIMP get_Count(LONG* count) override
    {
        if (!count)
            return E_POINTER;
        *count = static_cast<LONG>(m_profiles.size());
        return S_OK;
    }
    WMENC_RESERVED_IMPL(9)
    WMENC_RESERVED_IMPL(10)
    WMENC_RESERVED_IMPL(11)
    STDMETHODIMP Item(LONG index, IWMEncProfile** profile) override
    {
        if (!profile)
            return E_POINTER;
        *profile = nullptr;
        if (index < 0 || index >= static_cast<LONG>(m_profiles.size()))
            return E_INVALIDARG;
        *profile = new ProfileObject(m_profiles[index]);
        return S_OK;
    }

private:
    const std::vector<Profile> m_profiles;
};

class DisplayInfo final : public CoreObject<IWMEncDisplayInfo> {
public:
    using CoreObject::CoreObject;
    STDMETHODIMP get_Title(BSTR* text) override { return get(m_core->title, text); }
    STDMETHODIMP put_Title(BSTR text) override { return put(m_core->title, text); }
    STDMETHODIMP get_Author(BSTR* text) override { return get(m_core->author, text); }
    STDMETHODIMP put_Author(BSTR text) override { return put(m_core->author, text); }
    STDMETHODIMP get_Copyright(BSTR* text) override { return get(m_core->copyright, text); }
    STDMETHODIMP put_Copyright(BSTR text) override { return put(m_core->copyright, text); }
    STDMETHODIMP get_Rating(BSTR* text) override { return get(m_core->rating, text); }
    STDMETHODIMP put_Rating(BSTR text) override { return put(m_core->rating, text); }
    STDMETHODIMP get_Description(BSTR* text) override { return get(m_core->description, text); }
    STDMETHODIMP put_Description(BSTR text) override { return put(m_core->description, text); }

private:
    HRESULT get(const std::u16string& field, BSTR* out)
    {
        std::lock_guard guard(m_core->lock);
        return copy_out(field, out);
    }
    HRESULT put(std::u16string& field, BSTR text)
    {
        std::lock_guard guard(m_core->lock);
        // The file's header is written when the encoder prepares.
        if (m_core->recording)
            return fail_with(E_UNEXPECTED, u"The display information cannot change while the encoder is prepared.");
        field.assign(text ? text : u"", SysStringLen(text));
        return S_OK;
    }
};

class Attributes final : public CoreObject<IWMEncAttributes> {
public:
    using CoreObject::CoreObject;
    STDMETHODIMP get_Count(LONG* count) override { return count_of(m_core->attributes, count); }
    WMENC_RESERVED_IMPL(8)
    STDMETHODIMP Add(BSTR name, VARIANT value) override
    {
        if (!name || SysStringLen(name) == 0 || value.vt != VT_BSTR)
            return E_INVALIDARG;
        std::u16string key(name, SysStringLen(name));
        std::u16string text(value.bstrVal ? value.bstrVal : u"", SysStringLen(value.bstrVal));
        std::lock_guard guard(m_core->lock);
        if (m_core->recording)
            return fail_with(E_UNEXPECTED, u"Attributes cannot change while the encoder is prepared.");
        auto& list = m_core->attributes;
        auto same = std::find_if(list.begin(), list.end(),
            [&](const auto& a) { return same_name(a.first, key); });
        if (same != list.end())
            same->second = text;
        else
            list.emplace_back(key, text);
        return S_OK;
    }
    STDMETHODIMP RemoveAll() override
    {
        std::lock_guard guard(m_core->lock);
        if (m_core->recording)
            return E_UNEXPECTED;
        m_core->attributes.clear();
        return S_OK;
    }

};

class OutputFile final : public CoreObject<IWMEncFile> {
public:
    using CoreObject::CoreObject;
    STDMETHODIMP get_LocalFileName(BSTR* name) override
    {
        std::lock_guard guard(m_core->lock);
        return copy_out(m_core->file_name, name);
    }
    STDMETHODIMP put_LocalFileName(const OLECHAR* name) override
    {
        std::u16string text = text_of(name);
        if (text.empty())
            return E_INVALIDARG;
        std::lock_guard guard(m_core->lock);
        m_core->file_name = text;
        return S_OK;
    }

};

class FileArchiveStats final : public CoreObject<IWMEncFileArchiveStats> {
public:
    using CoreObject::CoreObject;
    STDMETHODIMP get_FileSize(LONG* bytes) override
    {
        if (!bytes)
            return E_POINTER;
        auto file = current();
        *bytes = file ? static_cast<LONG>(std::min<LONGLONG>(file->bytes(), 0x7FFFFFFF)) : 0;
        return S_OK;
    }
    STDMETHODIMP get_FileDuration(LONG* milliseconds) override
    {
        if (!milliseconds)
            return E_POINTER;
        auto file = current();
        *milliseconds = file ? file->duration_ms() : 0;
        return S_OK;
    }

private:
    std::shared_ptr<AsfWriter> current()
    {
        std::lock_guard guard(m_core->lock);
        return m_core->last_file;
    }
};

class IndexerStats final : public CoreObject<IWMEncIndexerStats> {
public:
    using CoreObject::CoreObject;
    STDMETHODIMP get_FileCount(LONG* count) override
    {
        if (!count)
            return E_POINTER;
        *count = m_core->indexer_files();
        return S_OK;
    }
    WMENC_RESERVED_IMPL(8)
    STDMETHODIMP get_PercentComplete(LONG* percent) override
    {
        if (!percent)
            return E_POINTER;
        *percent = m_core->indexer_percent();
        return S_OK;
    }

};

class Statistics final : public CoreObject<IWMEncStatistics> {
public:
    using CoreObject::CoreObject;
    WMENC_RESERVED_IMPL(7)
    WMENC_RESERVED_IMPL(8)
    WMENC_RESERVED_IMPL(9)
    WMENC_RESERVED_IMPL(10)
    STDMETHODIMP get_FileArchiveStats(IDispatch** stats) override
    {
        if (!stats)
            return E_POINTER;
        *stats = new FileArchiveStats(m_core);
        return S_OK;
    }
    WMENC_RESERVED_IMPL(12)
    STDMETHODIMP get_IndexerStats(IDispatch** stats) override
    {
        if (!stats)
            return E_POINTER;
        *stats = new IndexerStats(m_core);
        return S_OK;
    }

};

}

IWMEncProfileCollection* make_profile_collection() { return new ProfileCollection; }
IWMEncDisplayInfo* make_display_info(std::shared_ptr<Core> core) { return new DisplayInfo(std::move(core)); }
IWMEncAttributes* make_attributes(std::shared_ptr<Core> core) { return new Attributes(std::move(core)); }
IWMEncFile* make_file(std::shared_ptr<Core> core) { return new OutputFile(std::move(core)); }
IWMEncStatistics* make_statistics(std::shared_ptr<Core> core) { return new Statistics(std::move(core)); }

LONG Core::indexer_state()
{
    std::lock_guard guard(lock);
    if (index_start_ms < 0)
        return WMENC_INDEXER_IDLE;
    return base::Clock::ticks_ms() - index_start_ms < index_length_ms ? WMENC_INDEXER_RUNNING : WMENC_INDEXER_FINISHED;
}

LONG Core::indexer_percent()
{
    std::lock_guard guard(lock);
    if (index_start_ms < 0)
        return 0;
    std::int64_t elapsed = base::Clock::ticks_ms() - index_start_ms;
    return static_cast<LONG>(std::clamp<std::int64_t>(elapsed * 100 / std::max<std::int64_t>(index_length_ms, 1), 0, 100));
}

LONG Core::indexer_files() { return indexer_state() == WMENC_INDEXER_RUNNING ? 1 : 0; }

}
