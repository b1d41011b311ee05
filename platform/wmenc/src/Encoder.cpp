#include "Core.h"

#include <base/Clock.h>
#include <base/Path.h>
#include <base/Text.h>
#include <com/ClassRegistry.h>
#include <wmenc/ProfileManager.h>

namespace wmenc::detail {

HRESULT create_preview_view(IUnknown* outer, REFIID iid, void** out);
HRESULT create_profile_manager(IUnknown* outer, REFIID iid, void** out);

HRESULT Core::stop_recording()
{
    std::lock_guard guard(lock);
    if (!recording)
        return S_OK;
    for (const auto& group : groups) {
        if (CComPtr<SourceObject> video = group->source(WMENC_VIDEO)) {
            if (auto link = video->preview()) {
                std::lock_guard guard_link(link->lock);
                link->window.Release();
            }
        }
    }
    HRESULT hr = recording->stop();
    recording.reset();
    bool archived = running && last_file && last_file->bytes() > 0;
    running = false;
    if (archived && auto_index) {
        // The index is in the file once it is complete; the indexer reports a time that grows
        // with the file, as reading it through takes.
        index_start_ms = base::Clock::ticks_ms();
        index_length_ms = 100 + last_file->bytes() / 100000;
    }
    return hr;
}

namespace {

class Encoder final : public com::Object<IWMEncoder> {
public:
    Encoder()
        : m_core(std::make_shared<Core>())
    {
    }
    ~Encoder() override
    {
        m_core->stop_recording();
        std::lock_guard guard(m_core->lock);
        m_core->active = nullptr;
        m_core->groups.clear();
    }
    COM_NO_DISPATCH
    WMENC_RESERVED_IMPL(7)
    WMENC_RESERVED_IMPL(8)
    WMENC_RESERVED_IMPL(9)

    STDMETHODIMP Start() override
    {
        std::lock_guard guard(m_core->lock);
        if (m_core->running)
            return fail_with(E_UNEXPECTED, u"The encoder is running already.");
        if (!m_core->recording) {
            HRESULT hr = prepare();
            if (FAILED(hr))
                return hr;
        }
        HRESULT hr = m_core->recording->run();
        if (FAILED(hr)) {
            m_core->recording.reset();
            return fail_with(hr, u"The devices cannot be started.");
        }
        m_core->running = true;
        if (m_core->auto_archive)
            m_core->recording->start_archive();
        return S_OK;
    }
    STDMETHODIMP Stop() override { return m_core->stop_recording(); }
    STDMETHODIMP get_AutoStop(VARIANT_BOOL* on) override { return write_bool(m_core->auto_stop, on); }
    STDMETHODIMP put_AutoStop(VARIANT_BOOL on) override { return read_bool(on, m_core->auto_stop); }
    WMENC_RESERVED_IMPL(14)
    STDMETHODIMP PrepareToEncode(VARIANT_BOOL prepare_now) override
    {
        bool wanted = false;
        if (FAILED(read_bool(prepare_now, wanted)))
            return E_INVALIDARG;
        std::lock_guard guard(m_core->lock);
        if (m_core->running)
            return fail_with(E_UNEXPECTED, u"The encoder is running already.");
        if (!wanted) {
            m_core->recording.reset();
            return S_OK;
        }
        return m_core->recording ? S_OK : prepare();
    }
    WMENC_RESERVED_IMPL(16)
    STDMETHODIMP Archive(LONG type, LONG operation) override
    {
        if (type != WMENC_ARCHIVE_LOCAL || (operation != WMENC_ARCHIVE_START && operation != WMENC_ARCHIVE_STOP))
            return E_INVALIDARG;
        std::lock_guard guard(m_core->lock);
        if (!m_core->running)
            return fail_with(E_UNEXPECTED, u"The encoder is not running.");
        if (operation == WMENC_ARCHIVE_START)
            m_core->recording->start_archive();
        else
            m_core->recording->stop_archive();
        return S_OK;
    }
    WMENC_RESERVED_IMPL(18)
    STDMETHODIMP get_EnableAutoArchive(VARIANT_BOOL* on) override { return write_bool(m_core->auto_archive, on); }
    STDMETHODIMP put_EnableAutoArchive(VARIANT_BOOL on) override { return read_bool(on, m_core->auto_archive); }
    WMENC_RESERVED_IMPL(21)
    WMENC_RESERVED_IMPL(22)
    WMENC_RESERVED_IMPL(23)
    WMENC_RESERVED_IMPL(24)
    WMENC_RESERVED_IMPL(25)
    STDMETHODIMP get_SourceGroupCollection(IWMEncSourceGroupCollection** groups) override { return hand_out(groups, make_group_collection(m_core)); }
    WMENC_RESERVED_IMPL(27)
    WMENC_RESERVED_IMPL(28)
    STDMETHODIMP get_DisplayInfo(IWMEncDisplayInfo** info) override { return hand_out(info, make_display_info(m_core)); }
    STDMETHODIMP get_Attributes(IWMEncAttributes** attributes) override { return hand_out(attributes, make_attributes(m_core)); }
    WMENC_RESERVED_IMPL(31)
    STDMETHODIMP get_File(IWMEncFile** file) override { return hand_out(file, make_file(m_core)); }
    STDMETHODIMP get_Statistics(IWMEncStatistics** statistics) override { return hand_out(statistics, make_statistics(m_core)); }
    STDMETHODIMP get_ProfileCollection(IWMEncProfileCollection** profiles) override { return hand_out(profiles, make_profile_collection()); }
    STDMETHODIMP get_RunState(LONG* state) override
    {
        if (!state)
            return E_POINTER;
        std::lock_guard guard(m_core->lock);
        *state = m_core->running ? WMENC_ENCODER_RUNNING : WMENC_ENCODER_STOPPED;
        return S_OK;
    }
    WMENC_RESERVED_IMPL(36)
    WMENC_RESERVED_IMPL(37)
    WMENC_RESERVED_IMPL(38)
    WMENC_RESERVED_IMPL(39)
    STDMETHODIMP get_RemoteAdmin(VARIANT_BOOL* on) override { return write_bool(m_core->remote_admin, on); }
    STDMETHODIMP put_RemoteAdmin(VARIANT_BOOL on) override { return read_bool(on, m_core->remote_admin); }
    WMENC_RESERVED_IMPL(42)
    STDMETHODIMP get_IndexerState(LONG* state) override
    {
        if (!state)
            return E_POINTER;
        *state = m_core->indexer_state();
        return S_OK;
    }
    STDMETHODIMP get_AutoIndex(VARIANT_BOOL* on) override { return write_bool(m_core->auto_index, on); }
    STDMETHODIMP put_AutoIndex(VARIANT_BOOL on) override { return read_bool(on, m_core->auto_index); }

private:
    template<typename I>
    static HRESULT hand_out(I** out, I* made)
    {
        if (!out) {
            made->Release();
            return E_POINTER;
        }
        *out = made;
        return S_OK;
    }

    // Checks the active group and opens its devices and the file (the core's lock is held).
    HRESULT prepare()
    {
        Core& core = *m_core;
        if (!core.active)
            return fail_with(E_UNEXPECTED, u"No source group is active.");
        RecordingPlan plan;
        if (!core.active->profile(plan.profile))
            return fail_with(E_UNEXPECTED, u"No profile has been set for the source group \"" + core.active->name() + u"\".");
        CComPtr<SourceObject> video = core.active->source(WMENC_VIDEO);
        CComPtr<SourceObject> audio = core.active->source(WMENC_AUDIO);
        if ((video && !video->has_input()) || (audio && !audio->has_input()))
            return fail_with(E_UNEXPECTED, u"A source of the group \"" + core.active->name() + u"\" has no input.");
        if (video)
            plan.video_device = video->device();
        if (audio)
            plan.audio_device = audio->device();
        std::shared_ptr<PreviewLink> link = video ? video->preview() : nullptr;
        plan.preview = link != nullptr;
        std::u16string file = core.file_name.empty() ? u"default.wmv" : core.file_name;
        plan.linux_path = base::resolve_path(base::to_utf8(file));
        auto text = [](const std::u16string& t) { return base::to_utf8(t); };
        const std::pair<const char*, const std::u16string*> display[] = {
            { "title", &core.title }, { "author", &core.author }, { "copyright", &core.copyright }, { "comment", &core.description }, { "rating", &core.rating }
        };
        for (const auto& [key, value] : display) {
            if (!value->empty())
                plan.metadata.emplace_back(key, text(*value));
        }
        for (const auto& [name, value] : core.attributes)
            plan.metadata.emplace_back(text(name), text(value));

        std::u16string error;
        std::unique_ptr<Recording> recording;
        HRESULT hr = Recording::prepare(plan, recording, error);
        if (FAILED(hr))
            return fail_with(hr, error);
        core.recording = std::move(recording);
        core.last_file = core.recording->writer();
        core.index_start_ms = -1;
        if (link) {
            std::lock_guard guard(link->lock);
            link->window = core.recording->preview_window();
            ++link->generation;
        }
        return S_OK;
    }

    const std::shared_ptr<Core> m_core;
};

}

}

namespace wmenc {

void register_classes()
{
    com::register_class(CLSID_WMEncoder, [](IUnknown* outer, REFIID iid, void** out) { return com::create_instance<detail::Encoder>(outer, iid, out); });
    com::register_class(CLSID_WMEncPreview, detail::create_preview_view);
    com::register_class(CLSID_WMEncProfileManager, detail::create_profile_manager);
}

}
